// The editor's texts: looked up through the language object the program hands
// in (section, key and English default), with conversions between the
// library's Windows-1251 names and the window's QString.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

#include "uComBase.h"
#include "uShortString.h"

namespace stratedit {

// Keeps `language` (asked for ILanguage) for every later text; null keeps the
// one held before. The reference lives as long as the library.
void SetLanguage(IUnknown* language);
// Drops the language object (every text is its English default again).
void ResetLanguage();

QString Translate(const QString& section, const QString& key, const QString& def);
QString TranslateGeneral(const QString& key, const QString& def);  // section "VOX"
QString TranslateWord(const QString& word);                        // "VOX", the word is its own default
QString TranslateError(const QString& key, const QString& def);    // section "ERROR"
// The pack's language code ("en", "ru"; [VOX] LanguageCode), lower case: the
// language of sign captions and of the help pages.
QString LanguageCode();

// Replaces each "%s" in turn by the next argument.
QString Substitute(const QString& text, const QStringList& args);
// A file dialog mask "Name|*.a;*.b|Name|*.c" as Qt filters "Name (*.a *.b)".
QStringList FileFilters(const QString& mask);
// What a failing library call means to the user.
QString ResultText(HRESULT hr);

QString FromAnsi(std::string_view bytes);
std::string ToAnsi(const QString& text);
QString TextOf(const TShortString& s);
// At most 255 Windows-1251 bytes of `text`.
TShortString ShortOf(const QString& text);

// The folder "lsd" of the program's folder (the executable's), where databases live.
QString DatabaseFolder();

}  // namespace stratedit
