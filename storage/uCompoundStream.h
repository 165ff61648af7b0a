// The container behind every compound stream interface. Clients never see
// this class; they hold it through ICompoundStream(2), IPersistStream,
// IPersistBlock, IPersistMemoryView and IEnumEntries, all counting on the
// one object.
//
// A container serves one thread at a time, reads included: a read may build
// the entry table of a view load or the ID index. Only its reference count is
// atomic, so a reference may be dropped from any thread.
//
// uCompoundStream.cpp: the values and their reads and writes, the
// enumerator; uCompoundStreamPersist.cpp: the stored form, loads and saves;
// uEntryIndex: the entry table's index.
#pragma once

#include <cstdint>
#include <memory>

#include "uCompoundStreamIntf.h"
#include "uEntryIndex.h"
#include "uLittleEndian.h"
#include "uMemoryBytes.h"
#include "uUnknownImpl.h"

class TCompoundStream final
    : public TUnknownImpl<ICompoundStream2, IPersistStream, IPersistBlock, IPersistMemoryView, IEnumEntries> {
 public:
  TCompoundStream();
  ~TCompoundStream() override;
  TCompoundStream(const TCompoundStream&) = delete;
  TCompoundStream& operator=(const TCompoundStream&) = delete;

  // The stored form: a header, then a directory of one record per entry.
  static constexpr uint32_t kHeaderSize = 16;
  static constexpr uint32_t kRecordSize = 16;
  // Reads exactly `count` bytes; a short read means the stream ended early.
  static HRESULT ReadExact(IStream* source, void* buffer, uint32_t count);

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
  HRESULT WriteEntries(const TCompoundEntry* values, int32_t count) override;
  HRESULT GetEntries(const int32_t* ids, int32_t count, TCompoundEntry* entries) override;
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

  // Empties the container as a new one is, keeping memory for the values
  // written next: the entry table and the newest arena chunk, unless they
  // outgrew what an object's values take (a save reuses one container for
  // object after object). A load image is freed.
  void Empty();

 protected:
  void* FindInterface(const GUID& iid) override;

 private:
  static constexpr int32_t kSmallIds = TEntryIndex::kSmallIds;
  // A view load of at most this many records builds no entry table at first
  // (a lithology layer stores 42 values with three signs).
  static constexpr size_t kLazyMax = 64;

  // Position of the first entry with the ID, or -1, for a write: the entry
  // table is built first.
  int64_t Find(int32_t id) {
    EnsureEntries();
    return FIndex.Find(FEntries, id);
  }
  // A value as reads see it, wherever it lies.
  struct TValue {
    int32_t ID;
    int32_t Tag;
    uint32_t Size;
    const uint8_t* Data;
  };
  // Position of the first value with the ID, or -1, for a read: a small view
  // load answers from its stored records (LazyFind) without an entry table.
  int64_t Locate(int32_t id) {
    if (!FLazyRecords) return FIndex.Find(FEntries, id);
    if (static_cast<uint32_t>(id) >= kSmallIds) {
      // Most reads ask for the record after the last one found.
      const int32_t next = FLazyNext;
      if (FLazyUnique && next < FLazyCount &&
          GetLE32(FLazyRecords + static_cast<size_t>(next) * kRecordSize) == static_cast<uint32_t>(id)) {
        FLazyNext = next + 1 == FLazyCount ? 0 : next + 1;
        return next;
      }
      return LazyFind(id);
    }
    // The base values every object reads, inline.
    const uint16_t pos = FIndex.SmallPosition(id);  // never kSmallFar: the records are few
    if (pos == TEntryIndex::kSmallAbsent) return -1;
    FLazyNext = pos + 1 == FLazyCount ? 0 : pos + 1;
    return pos;
  }
  // The value at a position Locate returned.
  TValue ValueAt(int64_t pos) const {
    const auto i = static_cast<size_t>(pos);
    if (FLazyRecords) return LazyValue(i);
    const TStoredEntry& e = FEntries[i];
    return TValue{e.ID, e.Tag, e.Size, e.Data};
  }
  // Position of the entry with the ID, appending an empty one when absent;
  // -1 when there is no memory for it.
  int64_t FindOrAppend(int32_t id);
  // A write: inlined into each typed write for a new ID's small value, what
  // an object's save writes value after value; PutAny does the rest.
  [[gnu::always_inline]] inline HRESULT Put(int32_t id, int32_t tag, const void* data, uint32_t size);
  HRESULT PutAny(int32_t id, int32_t tag, const void* data, uint32_t size);
  // Appends a value under an ID the container does not hold (checked by the
  // caller), of at most kOwnBlockSize bytes; false, and nothing changed,
  // when the table or the arena would have to grow first.
  [[gnu::always_inline]] inline bool AppendNew(int32_t id, int32_t tag, const void* data, uint32_t size);
  // Inlined into each typed read: a call apiece costs more than the look-up.
  [[gnu::always_inline]] inline HRESULT TypedRead(int32_t id, int32_t flags, int32_t tag, void* out, uint32_t width);
  void FreeValue(TStoredEntry& e);
  uint8_t* ArenaAllocate(size_t size);
  // Empties the container; keepImage keeps the load image's block for the
  // next Load to reuse (a container loaded again and again, child by child).
  void Clear(bool keepImage = false);

  // Load from bytes in memory (`used`: how many the stored form took).
  HRESULT LoadBytes(const uint8_t* data, uint64_t size, uint64_t* used);
  // The entries of a loaded directory of `count` records over the values at
  // `values`, of which `available` bytes may be used (E_FAIL beyond). The
  // values of a view are not this container's to overwrite.
  HRESULT BuildEntries(const uint8_t* directory, int32_t count, uint8_t* values, uint64_t available, bool view);
  // A small container loaded as a view builds no entry table unless it is
  // written or enumerated: its stored records answer every read (an object's
  // load reads each of its dozen or two values once). IDs below kSmallIds
  // are found in the index's table of first positions, others by a scan of
  // at most kLazyMax records that starts after the last record found when
  // no ID is stored twice (readers mostly go in stored order).
  void EnsureEntries() {
    if (FLazyRecords) BuildLazyEntries();
  }
  void BuildLazyEntries();
  // An ID of kSmallIds and above.
  int64_t LazyFind(int32_t id);
  TValue LazyValue(size_t pos) const {
    const uint8_t* record = FLazyRecords + pos * kRecordSize;
    return TValue{static_cast<int32_t>(GetLE32(record)), static_cast<int32_t>(GetLE32(record + 4)), GetLE32(record + 8),
                  FLazyValues + FLazyOffsets[pos]};
  }
  // Entry `e` for a stored record whose value lies at `data`.
  static void FillEntry(TStoredEntry& e, const uint8_t* record, uint8_t* data, bool view);
  // Whether `size` bytes at `data` overlap the load image.
  bool InImage(const uint8_t* data, uint64_t size) const;
  // Whether the kept load image serves a new one of `size` bytes.
  bool ImageFits(uint64_t size) const;
  // A block of at least `size` bytes for a new load image.
  uint8_t* ImageBlock(uint64_t size);

  TStoredEntries FEntries;
  TEntryIndex FIndex;
  // The loaded bytes; loaded entries point into it until they are rewritten.
  std::unique_ptr<uint8_t[]> FImage;
  uint64_t FImageCapacity = 0;
  // Arena chunks, linked through their first bytes; small values are bumped in.
  uint8_t* FChunks = nullptr;
  uint8_t* FChunkPos = nullptr;
  size_t FChunkLeft = 0;
  size_t FChunkSize = 0;  // bytes of the newest chunk after its header
  size_t FNextChunk = 0;
  size_t FOwnBlocks = 0;  // values in blocks of their own
  // Sum of the entries' sizes, so the stored size is known without a walk.
  uint64_t FDataBytes = 0;
  bool FModified = true;
  int32_t FCursor = 0;
  // While the entry table of a view load is not built: its records, values,
  // count and each value's offset (FEntries has room for them reserved).
  const uint8_t* FLazyRecords = nullptr;
  uint8_t* FLazyValues = nullptr;
  int32_t FLazyCount = 0;
  // Every ID of the records is stored once, so a search may start anywhere;
  // it starts at FLazyNext, the record after the last one found.
  bool FLazyUnique = false;
  int32_t FLazyNext = 0;
  uint32_t FLazyOffsets[kLazyMax];
  // Every ID of the records from kSmallIds up: a read of an ID they do not
  // hold (a list's child count, which a layer never stores) needs no scan.
  TSmallIdSet FLazyIds;
};
