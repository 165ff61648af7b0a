// The entry table of a compound stream container and the index that finds
// the first entry of an ID in it (which schemes it keeps, and why, is told
// at the top of uCompoundStream.cpp).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// One value of a container. Data points into the load image, into an arena
// chunk, or (large values) into a block of its own; none of them moves while
// the container lives, so a handed-out pointer survives writes to other IDs.
struct TStoredEntry {
  // Left unset: a load sizes the table and then fills every field.
  TStoredEntry() {}  // NOLINT(modernize-use-equals-default): = default would zero on resize
  explicit TStoredEntry(int32_t id) : ID(id), Tag(0), Size(0), Capacity(0), Data(nullptr), Own(false) {}
  int32_t ID;
  int32_t Tag;
  uint32_t Size;
  uint32_t Capacity;  // bytes at Data this entry may overwrite in place
  uint8_t* Data;
  bool Own;  // Data is a block of its own, freed when the value goes
};

// The entry table: an array that grows by doubling, as a vector would, but
// whose append is inline (a save appends value after value, and the
// vector's append was a call of its own each).
class TStoredEntries {
 public:
  TStoredEntries() = default;
  TStoredEntries(const TStoredEntries&) = delete;
  TStoredEntries& operator=(const TStoredEntries&) = delete;

  size_t size() const { return FSize; }
  size_t capacity() const { return FCapacity; }
  bool empty() const { return FSize == 0; }
  TStoredEntry* data() { return FData.get(); }
  const TStoredEntry* data() const { return FData.get(); }
  TStoredEntry* begin() { return FData.get(); }
  TStoredEntry* end() { return FData.get() + FSize; }
  const TStoredEntry* begin() const { return FData.get(); }
  const TStoredEntry* end() const { return FData.get() + FSize; }
  TStoredEntry& operator[](size_t i) { return FData[i]; }
  const TStoredEntry& operator[](size_t i) const { return FData[i]; }

  void clear() { FSize = 0; }
  // Throws std::bad_alloc without the memory, the table unchanged.
  void reserve(size_t n) {
    if (n <= FCapacity) return;
    std::unique_ptr<TStoredEntry[]> grown(new TStoredEntry[n]);
    if (FSize) std::copy(FData.get(), FData.get() + FSize, grown.get());
    FData = std::move(grown);
    FCapacity = n;
  }
  // New entries are left unset, for the caller to fill.
  void resize(size_t n) {
    reserve(n);
    FSize = n;
  }
  TStoredEntry& emplace_back(int32_t id) {
    if (FSize == FCapacity) reserve(FCapacity ? 2 * FCapacity : 1);
    TStoredEntry& e = FData[FSize++];
    e = TStoredEntry(id);
    return e;
  }
  // An entry appended where the caller made sure of the room, left unset for
  // it to fill.
  TStoredEntry& append_within_capacity() { return FData[FSize++]; }
  // The memory given back.
  void release() {
    FData.reset();
    FSize = FCapacity = 0;
  }

 private:
  std::unique_ptr<TStoredEntry[]> FData;
  size_t FSize = 0;
  size_t FCapacity = 0;
};

// The IDs of a small directory (at most 64 records): whether one is stored
// twice, and whether an ID is stored at all. An open-addressing set of 128
// slots, at most half full, whose empty slots are told by a bit each, so
// that setting it up costs two stores rather than clearing the slots.
class TSmallIdSet {
 public:
  static constexpr int32_t kMaxIds = 64;
  void Clear() { FUsed[0] = FUsed[1] = 0; }
  // False when the ID was inserted before.
  bool Insert(int32_t id) {
    for (uint32_t h = Slot(id);; h = (h + 1) & 127) {
      uint64_t& word = FUsed[h >> 6];
      const uint64_t bit = uint64_t{1} << (h & 63);
      if (!(word & bit)) {
        word |= bit;
        FIds[h] = id;
        return true;
      }
      if (FIds[h] == id) return false;
    }
  }
  bool Contains(int32_t id) const {
    for (uint32_t h = Slot(id);; h = (h + 1) & 127) {
      if (!((FUsed[h >> 6] >> (h & 63)) & 1)) return false;
      if (FIds[h] == id) return true;
    }
  }

 private:
  static uint32_t Slot(int32_t id) { return (static_cast<uint32_t>(id) * 0x9E3779B1u) >> 25; }
  uint64_t FUsed[2] = {0, 0};
  int32_t FIds[128];
};

// Not thread-safe: a lookup may build the index or move its guess.
class TEntryIndex {
 public:
  // The smallest IDs, where every object keeps its base values, are found
  // in a table of their first positions.
  static constexpr int32_t kSmallIds = 64;
  static constexpr uint16_t kSmallAbsent = 0xFFFF;
  static constexpr uint16_t kSmallFar = 0xFFFE;  // at a position beyond the table's reach

  TEntryIndex() { Clear(); }

  // For an empty entry table; entries appended from now on are noted in the
  // small table and the filter as they arrive, and in the runs or the hash
  // once a look-up has built them.
  void Clear();
  // For a table filled at once by a load, after Clear: its small IDs are
  // noted while it is filled (NoteSmall, even before the table exists), the
  // rest of the index is built by the first lookup that needs it.
  void PrepareForLoad() {
    FFiltered = false;
    FBuilt = false;
    TrustNext();
  }
  void NoteSmall(int32_t id, size_t pos) {
    if (static_cast<uint32_t>(id) < kSmallIds) NoteSmallId(id, pos);
  }
  // The same for an ID known to be small; false when it was noted before.
  bool NoteSmallId(int32_t id, size_t pos) {
    if (FSmall[id] != kSmallAbsent) return false;
    FSmall[id] = pos < kSmallFar ? static_cast<uint16_t>(pos) : kSmallFar;
    return true;
  }
  // The first position noted for a small ID: a position, kSmallAbsent or kSmallFar.
  uint16_t SmallPosition(int32_t id) const { return FSmall[id]; }

  // Position of the first entry with the ID, or -1.
  int64_t Find(const TStoredEntries& entries, int32_t id) {
    if (static_cast<uint32_t>(id) < kSmallIds) {
      const uint16_t pos = FSmall[id];
      if (pos == kSmallAbsent) return -1;
      if (pos != kSmallFar) return pos;
    }
    const size_t next = FNext;
    if (next < FNextTrustedBelow && next < entries.size() && entries[next].ID == id) return Found(entries, next);
    // Values are mostly written in ascending order: a new one is above them all.
    if (FBuilt && id > FHighest) return -1;
    // An ID whose filter bit is clear was never stored (objects that write
    // their values in interleaved groups ask this for every new value).
    if (FFiltered && !FHashed && !MayHold(id)) return -1;
    return FindBeyondSmall(entries, id);
  }
  // Whether no entry holds the ID, as Find(entries, id) < 0, asking the small
  // table or the filter first: a save's writes mostly add IDs never held.
  bool Absent(const TStoredEntries& entries, int32_t id) {
    if (static_cast<uint32_t>(id) < kSmallIds) return FSmall[id] == kSmallAbsent;
    if (FFiltered && !FHashed && !MayHold(id)) return true;
    return Find(entries, id) < 0;
  }
  // The last entry of the table was just appended with an ID it did not hold.
  void Appended(const TStoredEntries& entries) {
    const size_t pos = entries.size() - 1;
    const int32_t id = entries[pos].ID;
    // A small ID is found through its table unless it lies beyond the table's
    // reach: only then does the filter take it, so that the other IDs'
    // look-ups do not meet the bits of the base values every object writes.
    const bool small = static_cast<uint32_t>(id) < kSmallIds;
    if (small) NoteSmallId(id, pos);
    if (FFiltered && (!small || FSmall[id] == kSmallFar)) Hold(id);
    if (!FBuilt) return;  // the build will take it in
    if (!FHashed && FRunCount && id > FRuns[FRunCount - 1].Last) {
      FRuns[FRunCount - 1].Last = id;
      FHighest = std::max(FHighest, id);
      return;
    }
    AppendedElsewhere(entries);
  }

 private:
  int64_t FindBeyondSmall(const TStoredEntries& entries, int32_t id);
  // Appended for a new run or the hash.
  void AppendedElsewhere(const TStoredEntries& entries);
  // Indexes every entry (false, and the index left unbuilt, without the
  // memory for a hash table).
  bool Build(const TStoredEntries& entries);
  bool BuildHash(const TStoredEntries& entries);
  // Position of the ID in ascending run r, or -1.
  int64_t SearchRun(const TStoredEntries& entries, int r, int32_t id) const;
  int64_t Found(const TStoredEntries& entries, size_t pos) {
    // After the last entry the guess is the first: objects read their values
    // in an order of their own, which wraps around the stored one.
    FNext = pos + 1 == entries.size() ? 0 : pos + 1;
    return static_cast<int64_t>(pos);
  }
  // Where the guess is the first entry of its ID for certain (see FNextTrustedBelow).
  void TrustNext();
  bool HashInsert(int32_t id, uint32_t pos);

  uint16_t FSmall[kSmallIds];
  // A filter of the IDs of a container filled by writes (a loaded one is
  // mostly read, and its reads find what they ask for): bit FilterBit(id) is
  // set for every ID appended that its small table does not answer (entries
  // are never removed, only emptied), so a clear bit proves such an ID
  // absent; a set one may be another's. 1,024 bits: a lithology layer's
  // values leave no look-up of its own to the runs.
  static constexpr int kFilterWords = 16;
  uint64_t FFilter[kFilterWords];
  bool FFiltered = true;
  static uint32_t FilterBit(int32_t id) { return (static_cast<uint32_t>(id) * 0x9E3779B1u) >> 22; }
  void Hold(int32_t id) {
    const uint32_t bit = FilterBit(id);
    FFilter[bit >> 6] |= uint64_t{1} << (bit & 63);
  }
  bool MayHold(int32_t id) const {
    const uint32_t bit = FilterBit(id);
    return (FFilter[bit >> 6] >> (bit & 63)) & 1;
  }
  // Whether the runs or the hash describe every entry, and then the highest ID.
  bool FBuilt = true;
  int32_t FHighest = INT32_MIN;
  // While IDs arrive in at most kMaxRuns strictly ascending runs (an object
  // writes its values in order, a table its cells), the entries are their
  // own index, searched run by run; the first run holding an ID holds its
  // first entry.
  static constexpr int kMaxRuns = 16;
  struct TRun {
    uint32_t Start;
    int32_t First;
    int32_t Last;
  };
  TRun FRuns[kMaxRuns];
  int FRunCount = 0;
  // Beyond that, an open-addressing table maps each ID to its first entry.
  struct TSlot {
    int32_t ID;
    uint32_t Pos;  // kNoSlot when empty
  };
  static constexpr uint32_t kNoSlot = UINT32_MAX;
  bool FHashed = false;
  bool FHashDuplicates = false;  // some ID has more than one entry
  std::unique_ptr<TSlot[]> FHash;
  size_t FHashSize = 0;  // a power of two
  uint32_t FHashShift = 32;
  // Readers mostly go through the IDs in stored order: the entry after the
  // last one found is tried first (a guess, checked before use). A match
  // below FNextTrustedBelow is the ID's first entry: it lies in the first run
  // (which nothing precedes), or the hash knows every ID to be unique.
  // Elsewhere the runs before the guess's own are searched first.
  size_t FNext = 0;
  size_t FNextTrustedBelow = SIZE_MAX;
};
