#include "uShortString.h"

#include <algorithm>
#include <cstring>

void SetShortString(TShortString* s, std::string_view text) {
  if (!s) return;
  const size_t n = std::min<size_t>(text.size(), 255);
  s->Length = static_cast<uint8_t>(n);
  if (n) std::memcpy(s->Chars, text.data(), n);
}

TShortString MakeShortString(std::string_view text) {
  TShortString s{};
  SetShortString(&s, text);
  return s;
}
