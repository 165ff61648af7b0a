// The container behind every compound stream interface. Clients never see
// this class; they hold it through ICompoundStream(2), IPersistStream,
// IPersistBlock, IPersistMemoryView and IEnumEntries, all counting on the
// one object.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "uCompoundStreamIntf.h"
#include "uMemoryBytes.h"
#include "uUnknownImpl.h"

class TCompoundStream final
    : public TUnknownImpl<ICompoundStream2, IPersistStream, IPersistBlock, IPersistMemoryView, IEnumEntries> {
 public:
  TCompoundStream();
  ~TCompoundStream() override;
  TCompoundStream(const TCompoundStream&) = delete;
  TCompoundStream& operator=(const TCompoundStream&) = delete;

  // ICompoundStream
  HRESULT ReadInteger(int32_t id, int32_t flags, int32_t def, int32_t* value) override;
  HRESULT WriteInteger(int32_t id, int32_t value) override;
  HRESULT ReadShortString(int32_t id, int32_t flags, const TShortString& def, TShortString* value) override;
  HRESULT WriteShortString(int32_t id, const TShortString& value) override;
  HRESULT ReadData(int32_t id, int32_t flags, void* buffer, uint32_t* size) override;
  HRESULT WriteBuffer(int32_t id, const void* buffer, int32_t size) override;
  HRESULT ReadStream(int32_t id, int32_t flags, IStream* target) override;
  HRESULT WriteStream(int32_t id, IStream* source, int32_t count) override;
  HRESULT ReadDouble(int32_t id, int32_t flags, double def, double* value) override;
  HRESULT WriteDouble(int32_t id, double value) override;
  HRESULT DeleteValue(int32_t id) override;
  HRESULT GetEntry(int32_t id, TCompoundEntry* entry) override;
  // ICompoundStream2
  HRESULT ReadString(int32_t id, char* buffer, uint32_t* length) override;
  HRESULT WriteString(int32_t id, const char* buffer, int32_t length) override;
  // IPersistStream
  HRESULT GetClassID(GUID* classId) override;
  HRESULT IsDirty() override;
  HRESULT Load(IStream* source) override;
  HRESULT Save(IStream* target, int32_t clearDirty) override;
  HRESULT GetSizeMax(uint64_t* size) override;
  // IPersistBlock (GetClassID, IsDirty and GetSizeMax as above)
  HRESULT Load(const void* data, uint64_t size) override;
  HRESULT Save(void* target, int32_t clearDirty, uint64_t size) override;
  // IPersistMemoryView
  HRESULT LoadView(const void* data, uint64_t size) override;
  // IEnumEntries
  HRESULT Next(int32_t count, TCompoundEntry* buffer, int32_t* fetched) override;
  HRESULT Skip(int32_t count) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumEntries** result) override;

 protected:
  void* FindInterface(const GUID& iid) override;

 private:
  // Data points into the load image, into an arena chunk, or (large values)
  // into a block of its own; none of them moves while the container lives, so
  // a handed-out pointer survives writes to other IDs.
  struct TEntry {
    // Left unset: a load sizes the table and then fills every field.
    TEntry() {}  // NOLINT(modernize-use-equals-default): = default would zero on resize
    explicit TEntry(int32_t id) : ID(id), Tag(qsEmpty), Size(0), Capacity(0), Data(nullptr), Own(false) {}
    int32_t ID;
    int32_t Tag;
    uint32_t Size;
    uint32_t Capacity;  // bytes at Data this entry may overwrite in place
    uint8_t* Data;
    bool Own;  // Data is a block of its own, freed when the value goes
  };

  // Position of the first entry with the ID, or -1. The smallest IDs, which
  // every read of an object's own values asks for, are answered here.
  int64_t Find(int32_t id) {
    EnsureEntries();
    if (static_cast<uint32_t>(id) < kSmallIds) {
      const uint16_t pos = FSmall[id];
      if (pos == kSmallAbsent) return -1;
      if (pos != kSmallFar) return pos;
    }
    return FindBeyondSmall(id);
  }
  int64_t FindBeyondSmall(int32_t id);
  // Position of the entry with the ID, appending an empty one when absent.
  size_t FindOrAppend(int32_t id);
  HRESULT Put(int32_t id, int32_t tag, const void* data, uint32_t size);
  // Inlined into each typed read: a call apiece costs more than the look-up.
  [[gnu::always_inline]] inline HRESULT TypedRead(int32_t id, int32_t flags, int32_t tag, void* out, uint32_t width);
  void FreeValue(TEntry& e);
  // Empties the container; keepImage keeps the load image's block for the
  // next Load to reuse (a container loaded again and again, child by child).
  void Clear(bool keepImage = false);
  // Load from bytes in memory (`used`: how many the stored form took).
  HRESULT LoadBytes(const uint8_t* data, uint64_t size, uint64_t* used);
  // The entries of a loaded directory of `count` records over the values at
  // `values`, of which `available` bytes may be used (E_FAIL beyond). The
  // values of a view are not this container's to overwrite.
  HRESULT BuildEntries(const uint8_t* directory, int32_t count, uint8_t* values, uint64_t available, bool view);
  // A small container loaded as a view builds no entry table at first: its
  // stored records answer the typed reads of the IDs below kSmallIds, which
  // is all most objects' loads ask. Anything else builds the table first.
  void EnsureEntries() {
    if (FLazyRecords) BuildLazyEntries();
  }
  void BuildLazyEntries();
  // Entry `e` for a stored record whose value lies at `data`.
  static void FillEntry(TEntry& e, const uint8_t* record, uint8_t* data, bool view);
  // Whether `size` bytes at `data` overlap the load image.
  bool InImage(const uint8_t* data, uint64_t size) const;
  // Indexes all entries by their runs of ascending IDs (or, beyond kMaxRuns
  // runs, by the hash table), leaving the scan of small containers behind.
  void IndexRuns();
  // Whether the kept load image serves a new one of `size` bytes.
  bool ImageFits(uint64_t size) const;
  // A block of at least `size` bytes for a new load image.
  uint8_t* ImageBlock(uint64_t size);
  uint8_t* ArenaAllocate(size_t size);
  // Position of the ID in ascending run r, or -1.
  int64_t SearchRun(int r, int32_t id) const;
  int64_t Found(size_t pos, int run);
  // Starts a run at entry `pos` with `id`; false when all runs are taken.
  bool StartRun(uint32_t pos, int32_t id);
  // ID index for when entries arrive in too many ascending runs.
  bool HashInsert(int32_t id, uint32_t pos);
  void HashRebuild(size_t minEntries);

  std::vector<TEntry> FEntries;
  // The loaded bytes; loaded entries point into it until they are rewritten.
  std::unique_ptr<uint8_t[]> FImage;
  uint64_t FImageCapacity = 0;
  // Arena chunks, linked through their first bytes; small values are bumped in.
  uint8_t* FChunks = nullptr;
  uint8_t* FChunkPos = nullptr;
  size_t FChunkLeft = 0;
  size_t FNextChunk = 0;
  size_t FOwnBlocks = 0;  // values in blocks of their own
  // Sum of the entries' sizes, so the stored size is known without a walk.
  uint64_t FDataBytes = 0;
  // Entries mostly arrive as a few strictly ascending runs of IDs (an object
  // writes its values in order, a table its cells); while there are at most
  // kMaxRuns of them the entries themselves are the index, searched run by run
  // (the first run holding an ID has its first entry). Beyond that FHash
  // maps each ID to its first entry.
  static constexpr int kMaxRuns = 16;
  struct TRun {
    uint32_t Start;
    int32_t First;
    int32_t Last;
  };
  TRun FRuns[kMaxRuns] = {};
  int FRunCount = 0;
  // Small containers (an object's own values) need no index beyond FSmall:
  // other IDs are found by a scan of their few entries. Beyond kLinearMax
  // entries the runs index them.
  static constexpr size_t kLinearMax = 32;
  bool FLinear = true;
  // Some ID has entries in two runs (only a loaded stream can have them:
  // writes add an entry only for an absent ID), so the first run holding an
  // ID must be found; without them any entry found is the only one.
  bool FRunDuplicates = false;
  bool FHashed = false;
  bool FHashDuplicates = false;  // some ID has more than one entry
  // The first entry of each of the smallest IDs, where every object keeps
  // its base values: these are found without a search.
  static constexpr int32_t kSmallIds = 64;
  static constexpr uint16_t kSmallAbsent = 0xFFFF;
  static constexpr uint16_t kSmallFar = 0xFFFE;  // at a position beyond this table's reach
  uint16_t FSmall[kSmallIds];
  void NoteSmall(int32_t id, size_t pos) {
    if (static_cast<uint32_t>(id) < kSmallIds && FSmall[id] == kSmallAbsent)
      FSmall[id] = pos < kSmallFar ? static_cast<uint16_t>(pos) : kSmallFar;
  }
  // Readers mostly go through the IDs in stored order: the entry after the
  // last one found is tried first. Only a guess, checked before use, and
  // atomic so that concurrent readers stay as safe as before.
  std::atomic<size_t> FHint{0};
  std::atomic<int> FHintRun{0};
  struct TSlot {
    int32_t ID;
    uint32_t Pos;  // kNoSlot when empty
  };
  std::vector<TSlot> FHash;
  uint32_t FHashShift = 32;
  bool FModified = true;
  int32_t FCursor = 0;
  // While the entry table of a view load is not built: its records, values,
  // count and each value's offset (FEntries has room for them reserved).
  const uint8_t* FLazyRecords = nullptr;
  uint8_t* FLazyValues = nullptr;
  int32_t FLazyCount = 0;
  uint32_t FLazyOffsets[kLinearMax];
};
