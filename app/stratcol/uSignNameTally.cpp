#include "uSignNameTally.h"

#include <cstring>
#include <new>

namespace {
uint32_t HashName(std::string_view name) {
  uint32_t h = 2166136261u;  // FNV-1a
  for (const char c : name) h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
  return h;
}
}  // namespace

void TSignNameTally::Clear() {
  FNames.clear();
  std::memset(FSlots, kEmpty, sizeof FSlots);
  FOverflow = false;
}

void TSignNameTally::Add(std::string_view name) {
  if (FOverflow) return;
  const uint32_t hash = HashName(name);
  uint32_t s = hash & (kSlots - 1);
  for (; FSlots[s] != kEmpty; s = (s + 1) & (kSlots - 1)) {
    if (FHashes[s] != hash) continue;
    const std::string& held = FNames[FSlots[s]];
    if (held.size() == name.size() && std::memcmp(held.data(), name.data(), name.size()) == 0) return;
  }
  if (FNames.size() == kMaxNames) {
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
  FHashes[s] = hash;
}
