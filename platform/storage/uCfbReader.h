// Reads a Compound File from its image in memory.
//
// Open checks the header and loads the allocation tables and the directory
// once; every chain is walked with bounds and a step limit, so damage (loops,
// sector numbers beyond the file, sizes beyond the file, cycles in the
// directory) ends in a failure, never a crash or a hang. Each storage's
// children are listed once, in the format's name order; a directory entry
// belongs to at most one storage.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "uComBase.h"

struct TCfbEntry {
  uint32_t NameAt = 0;  // the name's first unit in the reader's name pool
  uint8_t NameLength = 0;
  uint8_t Type = 0;  // cfb::kTypeStorage, kTypeStream or kTypeRoot
  uint8_t Color = 0;
  uint32_t Left = 0, Right = 0, Child = 0;
  uint32_t Start = 0;
  int32_t Number = -1;  // the name read as a plain decimal (cfb::DecimalName), or -1
  uint64_t Size = 0;
};

class TCfbReader {
 public:
  // Null and *result (STG_E_INVALIDHEADER) when the image is not a sound Compound File.
  static std::shared_ptr<TCfbReader> Open(std::vector<uint8_t> bytes, HRESULT* result);
  // The same for a block of `size` bytes (a file read into memory that was
  // not zeroed first).
  static std::shared_ptr<TCfbReader> Open(std::unique_ptr<uint8_t[]> bytes, size_t size, HRESULT* result);

  static constexpr int RootId = 0;
  const TCfbEntry& Entry(int id) const { return FEntries[static_cast<size_t>(id)]; }
  std::u16string_view Name(int id) const {
    const TCfbEntry& e = Entry(id);
    return std::u16string_view(FNames.data() + e.NameAt, e.NameLength);
  }
  bool IsStorage(int id) const;
  // The children of storage `id` in name order.
  std::span<const int> Children(int id) const {
    const auto [first, count] = FChildRange[static_cast<size_t>(id)];
    return std::span<const int>(FChildIds.data() + first, count);
  }
  // Every byte of stream `id`; STG_E_READFAULT when its chain is damaged
  // (leaves the file, ends early, or comes back to a sector it passed) or its
  // size goes beyond the file.
  HRESULT ReadStream(int id, std::vector<uint8_t>* bytes) const;
  // The same bytes without a copy where the file holds them in one piece (a
  // view into the image, valid while the reader lives); scattered ones are
  // gathered into *scratch and the view shows that.
  HRESULT ViewStream(int id, std::vector<uint8_t>* scratch, std::span<const uint8_t>* view) const;

 private:
  TCfbReader() = default;
  // Hands each piece of stream `id` in order to onPiece(bytes, count) after
  // checking it; the first damage ends the walk with STG_E_READFAULT.
  template <class OnPiece>
  HRESULT WalkStream(int id, OnPiece onPiece) const;
  // The chain from `start` through `table` for `size` bytes in pieces of
  // pieceSize; locate(sector, count) gives a piece's bytes or null for damage.
  template <class Locate, class OnPiece>
  HRESULT WalkChain(uint32_t start, uint64_t size, uint32_t pieceSize, const std::vector<uint32_t>& table,
                    std::vector<uint32_t>& seen, Locate locate, OnPiece onPiece) const;
  // The bytes of a chain of sectors that follow one another from `start`
  // and hold `size` bytes within the file (mini sectors: within the mini
  // stream, itself in sectors that follow one another there); else null.
  const uint8_t* RunOfSectors(uint32_t start, uint64_t size) const;
  const uint8_t* RunOfMiniSectors(uint32_t start, uint64_t size) const;
  bool Load();
  // Whether entry a's name comes before entry b's in the format's order.
  bool NameBefore(int a, int b) const;
  bool LoadFat();
  bool LoadDirectory();
  bool BuildTree();
  void LoadMiniStream();
  // The sectors of the chain from `start` (at most `limit`); false when the
  // chain leaves the file or loops before ending.
  bool Chain(uint32_t start, uint64_t limit, std::vector<uint32_t>* sectors) const;
  bool ValidSector(uint32_t s) const { return s < FSectorCount && s < FFat.size(); }
  const uint8_t* Sector(uint32_t s) const { return FData + (static_cast<uint64_t>(s) + 1) * FSectorSize; }
  static std::shared_ptr<TCfbReader> Opened(std::shared_ptr<TCfbReader> file, HRESULT* result);
  // The bytes of sector `s` present in the file (the last may be short).
  uint64_t SectorBytes(uint32_t s) const;

  // The image: FData and FSize, held by one of the two owners.
  std::vector<uint8_t> FVector;
  std::unique_ptr<uint8_t[]> FBlock;
  const uint8_t* FData = nullptr;
  size_t FSize = 0;
  uint32_t FSectorSize = 512;
  uint32_t FSectorShift = 9;
  bool FVersion4 = false;
  uint32_t FSectorCount = 0;  // sectors the file holds, after the header
  std::vector<uint32_t> FFat;
  std::vector<uint32_t> FMiniFat;
  std::vector<uint32_t> FMiniSectors;  // the regular sectors holding the mini stream
  uint64_t FMiniStreamSize = 0;
  std::vector<TCfbEntry> FEntries;
  // Every entry's name, one after another: a directory holds thousands.
  std::vector<char16_t> FNames;
  // The read in which each sector (and mini sector) was last passed: a chain
  // coming back to a sector loops. Stamps avoid clearing a table per read.
  mutable std::vector<uint32_t> FSeen, FMiniSeen;
  mutable uint32_t FStamp = 0;
  bool Seen(std::vector<uint32_t>& table, uint32_t index) const;
  // Each storage's children, in name order, as a range of FChildIds.
  std::vector<int> FChildIds;
  std::vector<std::pair<uint32_t, uint32_t>> FChildRange;  // entry -> first, count
};
