#include "uSignNameTally.h"

#include <cstring>
#include <new>

namespace {
// The first eight bytes of a name, little end first.
uint64_t Head(std::string_view name) {
  uint64_t key = 0;
  const size_t n = name.size() < 8 ? name.size() : 8;
  for (size_t i = 0; i < n; ++i) key |= uint64_t{static_cast<uint8_t>(name[i])} << (8 * i);
  return key;
}

uint32_t Hash(uint64_t head, std::string_view name) {
  uint64_t h = (head ^ name.size()) * 0x9E3779B97F4A7C15ull;
  for (size_t i = 8; i < name.size(); ++i) h = (h ^ static_cast<uint8_t>(name[i])) * 0x100000001B3ull;
  return static_cast<uint32_t>(h >> 32);
}
}  // namespace

void TSignNameTally::Clear() {
  FNames.clear();
  std::memset(FSlots, kEmpty, sizeof FSlots);
  FOverflow = false;
}

void TSignNameTally::Add(std::string_view name) {
  if (FOverflow) return;
  const uint64_t head = Head(name);
  uint32_t s = Hash(head, name) & (kSlots - 1);
  for (; FSlots[s] != kEmpty; s = (s + 1) & (kSlots - 1)) {
    if (FKeys[s] != head || FLengths[s] != static_cast<uint8_t>(name.size())) continue;
    if (name.size() <= 8 || FNames[FSlots[s]] == name) return;
  }
  // Names are short strings: longer views are not names a layer holds.
  if (FNames.size() == kMaxNames || name.size() > 255) {
    FOverflow = true;
    return;
  }
  try {
    FNames.emplace_back(name);
  } catch (const std::bad_alloc&) {
    FOverflow = true;
    return;
  }
  FSlots[s] = static_cast<uint8_t>(FNames.size() - 1);
  FLengths[s] = static_cast<uint8_t>(name.size());
  FKeys[s] = head;
}
