// The language object the program hands to the sign library's editor, so that
// the editor's texts follow the program's language pack. Texts cross it as
// Windows-1251 bytes; section, key, default and result are cut to 255
// characters, the length of a short string.
#pragma once

#include "uComBase.h"
#include "uShortString.h"

inline constexpr GUID IID_ILanguage = {0x94C27DB5, 0xF6BE, 0x4888, {0x88, 0xB6, 0x4C, 0x26, 0x23, 0x09, 0xE8, 0x12}};

struct ILanguage : IUnknown {
  // Reads the pack at `path` (operating-system path bytes); S_OK on success.
  virtual HRESULT Load(const char* path) = 0;
  // The text of `key` in `section`, or `def` when the pack has none (or none is loaded).
  virtual HRESULT Lookup(const char* section, const char* key, const char* def, TShortString* text) = 0;
};
