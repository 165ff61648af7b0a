// Windows-1251 (the data's single-byte code page) <-> UTF-8.
#pragma once

#include <string>
#include <string_view>

// Every byte maps to one character; the one unassigned byte (0x98) maps to U+FFFD.
std::string Cp1251ToUtf8(std::string_view bytes);
// The same as UTF-16: every byte becomes one unit (no Windows-1251 character
// lies beyond the first plane), so `out` takes bytes.size() units.
void Cp1251ToUtf16(std::string_view bytes, char16_t* out);
// Characters without a Windows-1251 byte become '?'; invalid UTF-8 bytes too.
std::string Utf8ToCp1251(std::string_view utf8);
// True when the bytes are well-formed UTF-8 (used to detect legacy text files).
bool IsValidUtf8(std::string_view bytes);
// Text file decoding: a UTF-8 BOM is dropped; text that is not valid UTF-8 is
// taken as Windows-1251. The result is UTF-8.
std::string DecodeTextFile(std::string_view bytes);
