// Short strings: a length byte and up to 255 single-byte characters, the form
// in which names cross the library interfaces.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct TShortString {
  uint8_t Length;
  char Chars[255];
};
static_assert(sizeof(TShortString) == 256);

// Fills s with at most the first 255 bytes of text.
void SetShortString(TShortString* s, std::string_view text);
TShortString MakeShortString(std::string_view text);
inline std::string ShortStringText(const TShortString& s) { return std::string(s.Chars, s.Length); }
inline std::string_view ShortStringView(const TShortString& s) { return std::string_view(s.Chars, s.Length); }
