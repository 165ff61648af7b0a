// The distinct sign names of a column's layers, gathered while the layers
// load (each name is at hand then): the check for signs the database lacks
// asks the database about each distinct name once instead of walking every
// sign of every layer again after the load.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TSignNameTally {
 public:
  // More distinct names than this are not kept: the tally is then incomplete.
  static constexpr size_t kMaxNames = 64;

  TSignNameTally() { Clear(); }
  void Clear();
  // A name as a layer's item holds it (its bytes, without a copy of them
  // when seen before).
  void Add(std::string_view name);
  // Whether every name added is among Names().
  bool Complete() const { return !FOverflow; }
  const std::vector<std::string>& Names() const { return FNames; }

 private:
  static constexpr uint32_t kSlots = 2 * kMaxNames;  // at most half full
  static constexpr uint8_t kEmpty = 0xFF;
  std::vector<std::string> FNames;
  // Open addressing over FNames: the index of each name by its hash, with
  // the name's length and first eight bytes, which settle the comparison of
  // a name of up to eight bytes (every sign name of the shipped databases)
  // without a call.
  uint8_t FSlots[kSlots];
  uint8_t FLengths[kSlots];
  uint64_t FKeys[kSlots];
  bool FOverflow = false;
};
