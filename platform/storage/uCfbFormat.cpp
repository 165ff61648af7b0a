#include "uCfbFormat.h"

#include <QChar>

namespace cfb {

char16_t UpperUnitBeyondAscii(char16_t c) {
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  const char32_t upper = QChar::toUpper(static_cast<char32_t>(c));
  return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
}

int CompareNames(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    const char16_t x = UpperUnit(a[i]);
    const char16_t y = UpperUnit(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && UpperUnit(a[i]) != UpperUnit(b[i])) return false;
  return true;
}

int32_t DecimalName(std::u16string_view name) {
  if (name.empty() || name.size() > 9 || (name[0] == u'0' && name.size() > 1)) return -1;
  int32_t n = 0;
  for (char16_t c : name) {
    if (c < u'0' || c > u'9') return -1;
    n = n * 10 + (c - u'0');
  }
  return n;
}

uint32_t HashName(std::u16string_view name) {
  // FNV-1a over the upper-cased units.
  uint32_t h = 2166136261u;
  for (char16_t c : name) {
    const char16_t u = UpperUnit(c);
    h = (h ^ (u & 0xFF)) * 16777619u;
    h = (h ^ (u >> 8)) * 16777619u;
  }
  return h;
}

void TNameIndex::Reserve(size_t count) {
  size_t size = 16;
  while (size < count * 2) size *= 2;
  if (size <= FSlots.size()) return;
  std::vector<TSlot> old = std::move(FSlots);
  FSlots.assign(size, TSlot{});
  const size_t mask = size - 1;
  for (const TSlot& slot : old) {
    if (slot.Id < 0) continue;
    size_t i = slot.Hash & mask;
    while (FSlots[i].Id >= 0) i = (i + 1) & mask;
    FSlots[i] = slot;
  }
}

void TNameIndex::Grow() { Reserve(FSlots.empty() ? 8 : FSlots.size()); }

}  // namespace cfb
