// Text in the symbol fonts of Windows pictures (Symbol, Wingdings, Wingdings 2,
// Wingdings 3, Webdings): their character codes name pictures, not letters. With the font installed the
// codes go to it through its symbol area (U+F020..U+F0FF); without it each
// code becomes the Unicode character of the same picture, drawn by whatever
// installed font has it, rather than the Latin letter of the code.
#pragma once

#include <QString>
#include <cstdint>

namespace emf {

enum class TSymbolFont { None, Symbol, Wingdings, Wingdings2, Wingdings3, Webdings };

// The symbol font a face names (without regard to case); None for other faces.
TSymbolFont SymbolFontOf(const QString& face);

// The code of a character of such a font: codes in the symbol area are taken
// back to 0..255; others stay as they are.
uint32_t SymbolCode(uint32_t ch);

// The Unicode character showing `code` (0..255) of `font`; 0 when the code
// has no picture (a space is drawn instead). Codes that Wingdings 3 and
// Webdings leave empty show the box those fonts draw for them, never the
// letter of the code.
char32_t SymbolToUnicode(TSymbolFont font, uint32_t code);

// The text to draw for `codes` of `font`: the symbol area of the installed
// font, else the Unicode pictures.
QString SymbolText(TSymbolFont font, const QString& codes, bool fontInstalled);

}  // namespace emf
