// The Compound File layout shared by the reader and the writer: sector
// markers, header offsets, and the format's ordering and case-insensitive
// comparison of element names (UTF-16 code units compared upper-cased).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "uLittleEndian.h"

namespace cfb {

inline constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// Sector numbers above MaxRegSect are markers, not sectors.
inline constexpr uint32_t kMaxRegSect = 0xFFFFFFFA;
inline constexpr uint32_t kDifSect = 0xFFFFFFFC;
inline constexpr uint32_t kFatSect = 0xFFFFFFFD;
inline constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr uint32_t kFreeSect = 0xFFFFFFFF;
inline constexpr uint32_t kNoStream = 0xFFFFFFFF;

inline constexpr uint32_t kHeaderSize = 512;
inline constexpr uint32_t kDirEntrySize = 128;
inline constexpr uint32_t kMiniSectorSize = 64;
inline constexpr uint32_t kMiniStreamCutoff = 4096;
inline constexpr int kHeaderDifatCount = 109;

// Directory entry object types.
inline constexpr uint8_t kTypeUnused = 0;
inline constexpr uint8_t kTypeStorage = 1;
inline constexpr uint8_t kTypeStream = 2;
inline constexpr uint8_t kTypeRoot = 5;
inline constexpr uint8_t kRed = 0;
inline constexpr uint8_t kBlack = 1;

// Storages nest at most this deep: the reader refuses deeper files, so that
// callers walking a tree recursively cannot be driven to exhaust the stack,
// and the writer refuses to build what the reader would refuse.
inline constexpr int kMaxDepth = 256;

// Header field offsets.
inline constexpr size_t kHdrMinorVersion = 0x18;
inline constexpr size_t kHdrMajorVersion = 0x1A;
inline constexpr size_t kHdrByteOrder = 0x1C;
inline constexpr size_t kHdrSectorShift = 0x1E;
inline constexpr size_t kHdrMiniSectorShift = 0x20;
inline constexpr size_t kHdrDirSectors = 0x28;
inline constexpr size_t kHdrFatSectors = 0x2C;
inline constexpr size_t kHdrDirStart = 0x30;
inline constexpr size_t kHdrMiniCutoff = 0x38;
inline constexpr size_t kHdrMiniFatStart = 0x3C;
inline constexpr size_t kHdrMiniFatSectors = 0x40;
inline constexpr size_t kHdrDifatStart = 0x44;
inline constexpr size_t kHdrDifatSectors = 0x48;
inline constexpr size_t kHdrDifat = 0x4C;

// Directory entry field offsets.
inline constexpr size_t kDeNameLength = 0x40;
inline constexpr size_t kDeType = 0x42;
inline constexpr size_t kDeColor = 0x43;
inline constexpr size_t kDeLeft = 0x44;
inline constexpr size_t kDeRight = 0x48;
inline constexpr size_t kDeChild = 0x4C;
inline constexpr size_t kDeStart = 0x74;
inline constexpr size_t kDeSize = 0x78;

// A UTF-16 code unit upper-cased as the format compares names (surrogates and
// characters whose upper case is outside the basic plane stay as they are).
char16_t UpperUnitBeyondAscii(char16_t c);
inline char16_t UpperUnit(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  return UpperUnitBeyondAscii(c);
}

// The order of siblings in a storage's tree: shorter names first, then the
// upper-cased code units.
int CompareNames(std::u16string_view a, std::u16string_view b);
bool SameName(std::u16string_view a, std::u16string_view b);
uint32_t HashName(std::u16string_view name);
// The number a name written as a plain decimal stands for (no sign, no
// leading zero, at most nine digits), or -1: lists name their children so.
int32_t DecimalName(std::u16string_view name);
inline constexpr uint32_t kMaxDecimalName = 999999999;

// A case-insensitive index of a storage's element names: open addressing over
// the names' hashes, ids resolved to names by the caller (no copies of names).
class TNameIndex {
 public:
  void Reserve(size_t count);
  // The id stored under `name`, or -1.
  template <class NameOf>
  int Find(std::u16string_view name, NameOf nameOf) const {
    if (FSlots.empty()) return -1;
    const uint32_t hash = HashName(name);
    const size_t mask = FSlots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const TSlot& slot = FSlots[i];
      if (slot.Id < 0) return -1;
      if (slot.Hash == hash && SameName(nameOf(slot.Id), name)) return slot.Id;
    }
  }
  // Adds `id` under `name`; false (and nothing added) when the name is there.
  template <class NameOf>
  bool Insert(std::u16string_view name, int id, NameOf nameOf) {
    if ((FCount + 1) * 2 > FSlots.size()) Grow();
    const uint32_t hash = HashName(name);
    const size_t mask = FSlots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      TSlot& slot = FSlots[i];
      if (slot.Id < 0) {
        slot = {hash, id};
        ++FCount;
        return true;
      }
      if (slot.Hash == hash && SameName(nameOf(slot.Id), name)) return false;
    }
  }
  size_t Count() const { return FCount; }

 private:
  struct TSlot {
    uint32_t Hash = 0;
    int Id = -1;
  };
  void Grow();
  std::vector<TSlot> FSlots;
  size_t FCount = 0;
};

}  // namespace cfb
