#include "uCompoundStream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "uComPtr.h"
#include "uLittleEndian.h"
#include "uMemoryBytes.h"
#include "uMemoryStream.h"

namespace {
constexpr uint32_t kMagic = 0x5153544D;  // "MTSQ"
constexpr uint32_t kHeaderSize = 16;
constexpr uint32_t kRecordSize = 16;
constexpr uint32_t kNoSlot = UINT32_MAX;
// Values above this get a block of their own, returned when they are
// replaced; smaller ones share arena chunks.
constexpr uint32_t kOwnBlockSize = 4096;
constexpr size_t kChunkHeader = 16;  // the link to the previous chunk; data stays 16-aligned
constexpr size_t kFirstChunk = 256;
constexpr size_t kLargestChunk = 256 * 1024;
// Save gathers the records and small values into writes of up to this size.
constexpr size_t kSaveBuffer = 4 * 1024 * 1024;
constexpr uint32_t kDirectWrite = 512;
constexpr size_t kLocalSaveBuffer = 2048;
// Without a known stream size the load image grows from this as bytes arrive,
// so a hostile header cannot make it reserve what the stream does not hold.
constexpr uint64_t kFirstImageStep = 1024 * 1024;

// Reads exactly `count` bytes; a short read means the stream ended early.
HRESULT ReadExact(IStream* source, void* buffer, uint32_t count) {
  uint32_t done = 0;
  const HRESULT hr = source->Read(buffer, count, &done);
  if (Failed(hr)) return hr;
  return done == count ? S_OK : E_FAIL;
}

// The same for counts beyond what one Read call takes.
HRESULT ReadExact64(IStream* source, uint8_t* buffer, uint64_t count) {
  constexpr uint64_t kPiece = 1u << 30;
  while (count) {
    const auto n = static_cast<uint32_t>(std::min(count, kPiece));
    const HRESULT hr = ReadExact(source, buffer, n);
    if (Failed(hr)) return hr;
    buffer += n;
    count -= n;
  }
  return S_OK;
}

HRESULT WriteExact(IStream* target, const void* buffer, uint32_t count) {
  if (count == 0) return S_OK;
  uint32_t done = 0;
  const HRESULT hr = target->Write(buffer, count, &done);
  if (Failed(hr)) return hr;
  return done == count ? S_OK : E_FAIL;
}

// A typed read's value. A shorter block leaves the default's remaining
// bytes (with flags 1 the caller's own value, never undefined memory); whole
// integers and doubles, the usual case, copy without a library call.
inline void CopyValue(void* out, const uint8_t* data, uint32_t n) {
  if (n == 4)
    std::memcpy(out, data, 4);
  else if (n == 8)
    std::memcpy(out, data, 8);
  else if (n)
    std::memcpy(out, data, n);
}

uint32_t RoundUp8(uint32_t n) { return (n + 7) & ~7u; }

// Reads `count` bytes of a stream whose size is not known into one new
// block that grows as the bytes actually arrive, so a hostile header cannot
// make it reserve what the stream does not hold.
HRESULT ReadGrowingImage(IStream* source, uint64_t count, std::unique_ptr<uint8_t[]>* image) {
  if (count > SIZE_MAX) return E_OUTOFMEMORY;
  uint64_t have = 0;
  while (have < count) {
    const uint64_t next = std::min(count, std::max(have * 2, kFirstImageStep));
    std::unique_ptr<uint8_t[]> grown(new (std::nothrow) uint8_t[next]);
    if (!grown) return E_OUTOFMEMORY;
    if (have) std::memcpy(grown.get(), image->get(), have);
    *image = std::move(grown);
    const HRESULT hr = ReadExact64(source, image->get() + have, next - have);
    if (Failed(hr)) return hr;
    have = next;
  }
  return S_OK;
}

// The header's record count, checked against the bytes available (the
// stream's size, or UINT64_MAX when unknown): E_FAIL for a wrong magic, a
// negative count or a directory beyond the bytes.
HRESULT ParseHeader(const uint8_t* header, uint64_t available, int32_t* count, uint64_t* directoryBytes) {
  if (GetLE32(header) != kMagic) return E_FAIL;
  *count = static_cast<int32_t>(GetLE32(header + 4));
  if (*count < 0) return E_FAIL;
  *directoryBytes = static_cast<uint64_t>(*count) * kRecordSize;
  if (kHeaderSize + *directoryBytes > available || *directoryBytes > 0xFFFFFFFFull) return E_FAIL;
  return S_OK;
}

// The sum of the values' sizes the directory announces.
uint64_t ValueBytes(const uint8_t* directory, int32_t count) {
  uint64_t bytes = 0;
  for (int32_t i = 0; i < count; ++i) bytes += GetLE32(directory + static_cast<size_t>(i) * kRecordSize + 8);
  return bytes;
}

// A working buffer on the stack when small, else on the heap.
template <size_t N>
class TLocalBuffer {
 public:
  // `size` bytes, or null when they cannot be had.
  uint8_t* Get(size_t size) {
    if (size <= N) return FLocal;
    FHeap.reset(new (std::nothrow) uint8_t[size]);
    return FHeap.get();
  }

 private:
  uint8_t FLocal[N];
  std::unique_ptr<uint8_t[]> FHeap;
};

// Gathers the bytes of a save into few large writes; large values go to the
// target directly.
class TSaveWriter {
 public:
  TSaveWriter(IStream* target, uint8_t* buffer, size_t capacity)
      : FTarget(target), FBuffer(buffer), FCapacity(capacity) {}

  // Room for n bytes (at most the capacity), flushing first when full; null after a failed write.
  uint8_t* Reserve(size_t n) {
    if (FUsed + n > FCapacity && Failed(Flush())) return nullptr;
    uint8_t* p = FBuffer + FUsed;
    FUsed += n;
    return p;
  }

  HRESULT Append(const uint8_t* data, uint32_t n) {
    if (n == 0) return S_OK;
    // Larger values are not worth a second copy through the buffer.
    if (n >= kDirectWrite || n >= FCapacity) {
      const HRESULT hr = Flush();
      if (Failed(hr)) return hr;
      return WriteExact(FTarget, data, n);
    }
    uint8_t* p = Reserve(n);
    if (!p) return FError;
    // Most values are integers and doubles: fixed-size copies the compiler
    // inlines instead of a call per value.
    if (n == 4)
      std::memcpy(p, data, 4);
    else if (n == 8)
      std::memcpy(p, data, 8);
    else
      std::memcpy(p, data, n);
    return S_OK;
  }

  HRESULT Flush() {
    if (Failed(FError)) return FError;
    const auto n = static_cast<uint32_t>(FUsed);
    FUsed = 0;
    FError = WriteExact(FTarget, FBuffer, n);
    return FError;
  }

  HRESULT Error() const { return FError; }

 private:
  IStream* FTarget;
  uint8_t* FBuffer;
  size_t FCapacity;
  size_t FUsed = 0;
  HRESULT FError = S_OK;
};

void PutHeader(uint8_t* p, size_t count) {
  std::memset(p, 0, kHeaderSize);
  PutLE32(p, kMagic);
  PutLE32(p + 4, static_cast<uint32_t>(count));
}

void PutRecord(uint8_t* p, int32_t id, int32_t tag, uint32_t size) {
  PutLE32(p, static_cast<uint32_t>(id));
  PutLE32(p + 4, static_cast<uint32_t>(tag));
  PutLE32(p + 8, size);
  PutLE32(p + 12, 0);
}

// The entry as clients see it: no data pointer for an empty value.
TCompoundEntry Public(int32_t id, int32_t tag, uint8_t* data, uint32_t size) {
  return TCompoundEntry{id, tag, size ? data : nullptr, size};
}
}  // namespace

TCompoundStream::TCompoundStream() { std::fill(std::begin(FSmall), std::end(FSmall), kSmallAbsent); }

TCompoundStream::~TCompoundStream() { Clear(); }

void* TCompoundStream::FindInterface(const GUID& iid) {
  if (iid == IID_IUnknown || iid == IID_ICompoundStream || iid == IID_ICompoundStream2)
    return static_cast<ICompoundStream2*>(this);
  if (iid == IID_IPersistStream || iid == IID_IPersist) return static_cast<IPersistStream*>(this);
  if (iid == IID_IPersistBlock) return static_cast<IPersistBlock*>(this);
  if (iid == IID_IPersistMemoryView) return static_cast<IPersistMemoryView*>(this);
  if (iid == IID_IEnumEntries) return static_cast<IEnumEntries*>(this);
  return nullptr;
}

int64_t TCompoundStream::SearchRun(int r, int32_t id) const {
  const TRun& run = FRuns[r];
  if (id < run.First || id > run.Last) return -1;
  const size_t begin = run.Start;
  const size_t end = r + 1 < FRunCount ? FRuns[r + 1].Start : FEntries.size();
  // Dense IDs sit at their distance from the first one.
  const size_t guess = begin + static_cast<size_t>(static_cast<int64_t>(id) - run.First);
  if (guess < end && FEntries[guess].ID == id) return static_cast<int64_t>(guess);
  const auto first = FEntries.begin() + static_cast<ptrdiff_t>(begin);
  const auto last = FEntries.begin() + static_cast<ptrdiff_t>(end);
  const auto it = std::lower_bound(first, last, id, [](const TEntry& e, int32_t key) { return e.ID < key; });
  if (it == last || it->ID != id) return -1;
  return it - FEntries.begin();
}

int64_t TCompoundStream::Found(size_t pos, int run) {
  // After the last entry the guess is the first: objects read their values
  // in an order of their own, which wraps around the stored one.
  const bool last = pos + 1 == FEntries.size();
  FHint.store(last ? 0 : pos + 1, std::memory_order_relaxed);
  FHintRun.store(last ? 0 : run, std::memory_order_relaxed);
  return static_cast<int64_t>(pos);
}

int64_t TCompoundStream::FindBeyondSmall(int32_t id) {
  const size_t n = FEntries.size();
  if (FLinear) {
    for (size_t i = 0; i < n; ++i)
      if (FEntries[i].ID == id) return static_cast<int64_t>(i);
    return -1;
  }
  if (n == 0) return -1;
  const size_t hint = FHint.load(std::memory_order_relaxed);
  const bool hinted = hint < n && FEntries[hint].ID == id;
  if (FHashed) {
    // Without duplicates any entry of the ID is its first.
    if (hinted && !FHashDuplicates) return Found(hint, 0);
    const size_t mask = FHash.size() - 1;
    for (size_t h = (static_cast<uint32_t>(id) * 0x9E3779B1u) >> FHashShift;; h = (h + 1) & mask) {
      const TSlot& slot = FHash[h];
      if (slot.Pos == kNoSlot) return -1;
      if (slot.ID == id) return Found(slot.Pos, 0);
    }
  }
  if (hinted) {
    if (!FRunDuplicates) return Found(hint, FHintRun.load(std::memory_order_relaxed));
    int hintRun = FHintRun.load(std::memory_order_relaxed);
    while (hintRun + 1 < FRunCount && FRuns[hintRun + 1].Start <= hint) ++hintRun;
    // An earlier run may hold an earlier entry of the same ID.
    for (int r = 0; r < hintRun; ++r) {
      const int64_t pos = SearchRun(r, id);
      if (pos >= 0) return Found(static_cast<size_t>(pos), r);
    }
    return Found(hint, hintRun);
  }
  for (int r = 0; r < FRunCount; ++r) {
    const int64_t pos = SearchRun(r, id);
    if (pos >= 0) return Found(static_cast<size_t>(pos), r);
  }
  return -1;
}

bool TCompoundStream::StartRun(uint32_t pos, int32_t id) {
  if (FRunCount == kMaxRuns) return false;
  FRuns[FRunCount++] = TRun{pos, id, id};
  return true;
}

bool TCompoundStream::HashInsert(int32_t id, uint32_t pos) {
  const size_t mask = FHash.size() - 1;
  for (size_t h = (static_cast<uint32_t>(id) * 0x9E3779B1u) >> FHashShift;; h = (h + 1) & mask) {
    TSlot& slot = FHash[h];
    if (slot.Pos == kNoSlot) {
      slot = TSlot{id, pos};
      return true;
    }
    if (slot.ID == id) return false;  // the first entry of a duplicated ID wins
  }
}

void TCompoundStream::HashRebuild(size_t minEntries) {
  // At most a quarter full after a rebuild, half full before the next.
  size_t capacity = 16;
  uint32_t bits = 4;
  while (capacity < 4 * minEntries) {
    capacity *= 2;
    ++bits;
  }
  FHash.assign(capacity, TSlot{0, kNoSlot});
  FHashShift = 32 - bits;
  FHashDuplicates = false;
  for (size_t i = 0; i < FEntries.size(); ++i)
    if (!HashInsert(FEntries[i].ID, static_cast<uint32_t>(i))) FHashDuplicates = true;
}

size_t TCompoundStream::FindOrAppend(int32_t id) {
  const int64_t found = Find(id);
  if (found >= 0) return static_cast<size_t>(found);
  const size_t pos = FEntries.size();
  // Objects write a dozen or two values: skip the smallest growth steps.
  if (FEntries.capacity() == 0) FEntries.reserve(16);
  FEntries.emplace_back(id);
  NoteSmall(id, pos);
  if (FLinear) {
    if (FEntries.size() <= kLinearMax) return pos;
    IndexRuns();
    return pos;
  }
  if (!FHashed) {
    if (FRunCount && id > FRuns[FRunCount - 1].Last) {
      FRuns[FRunCount - 1].Last = id;
      return pos;
    }
    if (StartRun(static_cast<uint32_t>(pos), id)) return pos;
    FHashed = true;
    FHash.clear();
  }
  if (FEntries.size() * 2 > FHash.size())
    HashRebuild(FEntries.size());
  else
    HashInsert(id, static_cast<uint32_t>(pos));
  return pos;
}

uint8_t* TCompoundStream::ArenaAllocate(size_t size) {
  if (size > FChunkLeft) {
    const size_t step = std::max(FNextChunk, kFirstChunk);
    const size_t want = std::max(size, step);
    auto* chunk = new (std::nothrow) uint8_t[kChunkHeader + want];
    if (!chunk) return nullptr;
    std::memcpy(chunk, &FChunks, sizeof FChunks);
    FChunks = chunk;
    FChunkPos = chunk + kChunkHeader;
    FChunkLeft = want;
    FNextChunk = std::min(step * 2, kLargestChunk);
  }
  uint8_t* p = FChunkPos;
  FChunkPos += size;
  FChunkLeft -= size;
  return p;
}

void TCompoundStream::FreeValue(TEntry& e) {
  if (e.Own) {
    delete[] e.Data;
    --FOwnBlocks;
  }
  e.Data = nullptr;
  e.Capacity = 0;
  e.Own = false;
}

HRESULT TCompoundStream::Put(int32_t id, int32_t tag, const void* data, uint32_t size) {
  const size_t pos = FindOrAppend(id);
  FModified = true;
  if (!data) return E_INVALIDARG;
  TEntry& e = FEntries[pos];
  if (size <= e.Capacity) {
    // In place; the source may be this very value.
    if (size) std::memmove(e.Data, data, size);
  } else {
    // The new place is obtained and filled before the old one goes, so a
    // failure keeps the old value and a source inside it stays readable.
    uint8_t* block = nullptr;
    uint32_t capacity = size;
    bool own = size > kOwnBlockSize;
    if (own) {
      block = new (std::nothrow) uint8_t[size];
    } else {
      // A value that keeps growing doubles its room, so rewrites do not
      // leave a trail of ever larger leftovers in the arena.
      if (e.Capacity) capacity = std::min(std::max(size, e.Capacity * 2), kOwnBlockSize);
      capacity = RoundUp8(capacity);
      block = ArenaAllocate(capacity);
    }
    if (!block) return E_OUTOFMEMORY;
    std::memcpy(block, data, size);
    FreeValue(e);
    e.Data = block;
    e.Capacity = capacity;
    e.Own = own;
    if (own) ++FOwnBlocks;
  }
  FDataBytes = FDataBytes - e.Size + size;
  e.Tag = tag;
  e.Size = size;
  return S_OK;
}

HRESULT TCompoundStream::TypedRead(int32_t id, int32_t flags, int32_t tag, void* out, uint32_t width) {
  HRESULT result = S_OK;
  if (flags & qsRequired) result = E_INVALIDARG;
  if (FLazyRecords && static_cast<uint32_t>(id) < kSmallIds) {
    const uint16_t pos = FSmall[id];
    if (pos == kSmallAbsent) return result;
    const uint8_t* rec = FLazyRecords + static_cast<size_t>(pos) * kRecordSize;
    if (static_cast<int32_t>(GetLE32(rec + 4)) != tag) return result;
    CopyValue(out, FLazyValues + FLazyOffsets[pos], std::min(width, GetLE32(rec + 8)));
    return S_OK;
  }
  const int64_t pos = Find(id);
  if (pos >= 0 && FEntries[pos].Tag == tag) {
    const TEntry& e = FEntries[pos];
    CopyValue(out, e.Data, std::min(width, e.Size));
    result = S_OK;
  }
  return result;
}

HRESULT TCompoundStream::ReadInteger(int32_t id, int32_t flags, int32_t def, int32_t* value) {
  if (!value) return E_INVALIDARG;
  if (!(flags & qsRequired)) *value = def;
  return TypedRead(id, flags, qsInteger, value, sizeof(int32_t));
}

HRESULT TCompoundStream::WriteInteger(int32_t id, int32_t value) {
  uint8_t bytes[4];
  PutLE32(bytes, static_cast<uint32_t>(value));
  return Put(id, qsInteger, bytes, 4);
}

HRESULT TCompoundStream::ReadDouble(int32_t id, int32_t flags, double def, double* value) {
  if (!value) return E_INVALIDARG;
  if (!(flags & qsRequired)) *value = def;
  return TypedRead(id, flags, qsDouble, value, sizeof(double));
}

HRESULT TCompoundStream::WriteDouble(int32_t id, double value) { return Put(id, qsDouble, &value, sizeof value); }

HRESULT TCompoundStream::ReadShortString(int32_t id, int32_t flags, const TShortString& def, TShortString* value) {
  if (!value) return E_INVALIDARG;
  HRESULT result = S_OK;
  if (flags & qsRequired)
    result = E_INVALIDARG;
  else
    *value = def;
  const int64_t pos = Find(id);
  if (pos >= 0 && FEntries[pos].Tag == qsString) {
    const TEntry& e = FEntries[pos];
    // Longer Strings are cut: a short string holds at most 255 characters.
    const uint32_t n = std::min<uint32_t>(e.Size, 255);
    value->Length = static_cast<uint8_t>(n);
    if (n) std::memcpy(value->Chars, e.Data, n);
    result = S_OK;
  }
  return result;
}

HRESULT TCompoundStream::WriteShortString(int32_t id, const TShortString& value) {
  return Put(id, qsString, value.Chars, value.Length);
}

HRESULT TCompoundStream::ReadData(int32_t id, int32_t, void* buffer, uint32_t* size) {
  const int64_t pos = Find(id);
  if (pos < 0 || !size) return E_INVALIDARG;
  const TEntry& e = FEntries[pos];
  if (!buffer) {
    *size = e.Size;
    return S_OK;
  }
  const uint32_t n = std::min(*size, e.Size);
  if (n) std::memcpy(buffer, e.Data, n);
  *size = n;
  return S_OK;
}

HRESULT TCompoundStream::WriteBuffer(int32_t id, const void* buffer, int32_t size) {
  if (size < 0) {
    FindOrAppend(id);
    FModified = true;
    return E_INVALIDARG;
  }
  return Put(id, qsBinary, buffer, static_cast<uint32_t>(size));
}

HRESULT TCompoundStream::ReadStream(int32_t id, int32_t, IStream* target) {
  if (!target) return E_INVALIDARG;
  const int64_t pos = Find(id);
  if (pos < 0 || FEntries[pos].Tag != qsBinary) return E_PENDING;
  const TEntry& e = FEntries[pos];
  target->Seek(0, STREAM_SEEK_SET, nullptr);
  uint32_t done = 0;
  // Never a null buffer, even for no bytes: a caller's stream may refuse one.
  static const uint8_t kNoBytes = 0;
  const HRESULT hr = target->Write(e.Size ? e.Data : &kNoBytes, e.Size, &done);
  if (Failed(hr)) return hr;
  return done == e.Size ? hr : E_FAIL;
}

HRESULT TCompoundStream::WriteStream(int32_t id, IStream* source, int32_t count) {
  if (!source) return E_INVALIDARG;
  uint64_t length = 0;
  if (count == -1) {
    if (Failed(source->Seek(0, STREAM_SEEK_END, &length))) return E_INVALIDARG;
    if (length > 0xFFFFFFFFull) return E_OUTOFMEMORY;
  } else if (count < 0) {
    return E_INVALIDARG;
  } else {
    length = static_cast<uint32_t>(count);
  }
  if (Failed(source->Seek(0, STREAM_SEEK_SET, nullptr))) return E_INVALIDARG;
  const auto size = static_cast<uint32_t>(length);
  // Nothing changes until the whole value has been read.
  if (size <= kOwnBlockSize) {
    uint8_t local[kOwnBlockSize];
    const HRESULT hr = ReadExact(source, local, size);
    if (Failed(hr)) return hr;
    return Put(id, qsBinary, local, size);
  }
  // A large value is read straight into the block it will keep.
  std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[size]);
  if (!block) return E_OUTOFMEMORY;
  const HRESULT hr = ReadExact(source, block.get(), size);
  if (Failed(hr)) return hr;
  TEntry& e = FEntries[FindOrAppend(id)];
  FModified = true;
  FreeValue(e);
  FDataBytes = FDataBytes - e.Size + size;
  e.Tag = qsBinary;
  e.Size = size;
  e.Data = block.release();
  e.Capacity = size;
  e.Own = true;
  ++FOwnBlocks;
  return S_OK;
}

HRESULT TCompoundStream::DeleteValue(int32_t id) {
  const int64_t pos = Find(id);
  if (pos < 0) return E_INVALIDARG;
  TEntry& e = FEntries[pos];
  FreeValue(e);
  FDataBytes -= e.Size;
  e.Tag = qsEmpty;
  e.Size = 0;
  FModified = true;
  return S_OK;
}

HRESULT TCompoundStream::GetEntry(int32_t id, TCompoundEntry* entry) {
  const int64_t pos = Find(id);
  if (pos < 0 || !entry) return E_INVALIDARG;
  const TEntry& e = FEntries[pos];
  *entry = Public(e.ID, e.Tag, e.Data, e.Size);
  return S_OK;
}

HRESULT TCompoundStream::ReadString(int32_t id, char* buffer, uint32_t* length) {
  const int64_t pos = Find(id);
  if (pos < 0 || !length || FEntries[pos].Tag != qsString) return E_INVALIDARG;
  const TEntry& e = FEntries[pos];
  // The caller's length bounds the copy: a buffer sized from an earlier call
  // must never be overrun.
  const uint32_t capacity = *length;
  *length = e.Size;
  if (buffer) {
    const uint32_t n = std::min(capacity, e.Size);
    if (n) std::memcpy(buffer, e.Data, n);
  }
  return S_OK;
}

HRESULT TCompoundStream::WriteString(int32_t id, const char* buffer, int32_t length) {
  if (length < 0) {
    FindOrAppend(id);
    FModified = true;
    return E_INVALIDARG;
  }
  return Put(id, qsString, buffer, static_cast<uint32_t>(length));
}

HRESULT TCompoundStream::GetClassID(GUID*) { return E_FAIL; }

HRESULT TCompoundStream::IsDirty() { return FModified ? S_OK : S_FALSE; }

void TCompoundStream::Clear(bool keepImage) {
  if (FOwnBlocks)
    for (TEntry& e : FEntries)
      if (e.Own) FreeValue(e);
  FEntries.clear();
  FLazyRecords = nullptr;
  FCursor = 0;  // a reloaded container enumerates from its start, as a new one does
  std::fill(std::begin(FSmall), std::end(FSmall), kSmallAbsent);
  while (FChunks) {
    uint8_t* previous = nullptr;
    std::memcpy(&previous, FChunks, sizeof previous);
    delete[] FChunks;
    FChunks = previous;
  }
  FChunkPos = nullptr;
  FChunkLeft = 0;
  FNextChunk = 0;
  if (!keepImage) {
    FImage.reset();
    FImageCapacity = 0;
  }
  FDataBytes = 0;
  FRunCount = 0;
  FRunDuplicates = false;
  FLinear = true;
  FHashed = false;
  FHashDuplicates = false;
  FHint.store(0, std::memory_order_relaxed);
  FHintRun.store(0, std::memory_order_relaxed);
  FHash.clear();
}

HRESULT TCompoundStream::BuildEntries(const uint8_t* directory, int32_t count, uint8_t* values, uint64_t available,
                                      bool view) {
  if (view && static_cast<size_t>(count) <= kLinearMax) {
    // Room for the table is reserved now, so building it later cannot fail.
    try {
      FEntries.reserve(kLinearMax);
    } catch (const std::bad_alloc&) {
      Clear();
      return E_OUTOFMEMORY;
    }
    uint64_t offset = 0;
    for (int32_t i = 0; i < count; ++i) {
      const uint8_t* rec = directory + static_cast<size_t>(i) * kRecordSize;
      const uint32_t size = GetLE32(rec + 8);
      if (size > available - offset) {
        Clear();
        return E_FAIL;
      }
      NoteSmall(static_cast<int32_t>(GetLE32(rec)), static_cast<size_t>(i));
      FLazyOffsets[i] = static_cast<uint32_t>(offset);  // used only if all offsets fit, checked below
      offset += size;
    }
    FDataBytes = offset;
    if (offset <= UINT32_MAX) {
      FLazyRecords = directory;
      FLazyValues = values;
      FLazyCount = count;
      return S_OK;
    }
    // Offsets beyond 32 bits (values of gigabytes): the table straight away.
  }
  try {
    // Filled in place: building each entry apart and copying it in costs a
    // stalled load per entry, a good part of a small stream's load.
    FEntries.resize(static_cast<size_t>(count));
    TEntry* out = FEntries.data();
    uint64_t offset = 0;
    for (int32_t i = 0; i < count; ++i) {
      const uint8_t* rec = directory + static_cast<size_t>(i) * kRecordSize;
      const auto id = static_cast<int32_t>(GetLE32(rec));
      const uint32_t size = GetLE32(rec + 8);
      if (size > available - offset) {
        Clear();
        return E_FAIL;
      }
      NoteSmall(id, static_cast<size_t>(i));
      FillEntry(out[i], rec, values + offset, view);
      offset += size;
    }
    FDataBytes = offset;
    if (FEntries.size() > kLinearMax) IndexRuns();
  } catch (const std::bad_alloc&) {
    Clear();
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

void TCompoundStream::BuildLazyEntries() {
  const uint8_t* records = FLazyRecords;
  FLazyRecords = nullptr;
  FEntries.resize(static_cast<size_t>(FLazyCount));  // within the reserved room
  for (int32_t i = 0; i < FLazyCount; ++i)
    FillEntry(FEntries[static_cast<size_t>(i)], records + static_cast<size_t>(i) * kRecordSize,
              FLazyValues + FLazyOffsets[i], true);
}

void TCompoundStream::FillEntry(TEntry& e, const uint8_t* record, uint8_t* data, bool view) {
  e.ID = static_cast<int32_t>(GetLE32(record));
  e.Tag = static_cast<int32_t>(GetLE32(record + 4));
  e.Size = GetLE32(record + 8);
  e.Capacity = view ? 0 : e.Size;  // a view's bytes are the caller's: never written
  e.Data = data;                   // an empty value's pointer is never handed out or read
  e.Own = false;
}

bool TCompoundStream::InImage(const uint8_t* data, uint64_t size) const {
  const auto from = reinterpret_cast<uintptr_t>(data);
  const auto mine = reinterpret_cast<uintptr_t>(FImage.get());
  return FImage && from < mine + FImageCapacity && from + size > mine;
}

void TCompoundStream::IndexRuns() {
  // The runs are built in locals, which the compiler keeps in registers.
  FLinear = false;
  const TEntry* entries = FEntries.data();
  const size_t count = FEntries.size();
  TRun runs[kMaxRuns];
  int runCount = 0;
  bool hashed = false;
  bool duplicates = false;
  int32_t closedFirst = INT32_MAX, closedLast = INT32_MIN;  // the span of the complete runs
  int32_t last = 0;                                         // the last ID of the last run
  for (size_t i = 0; i < count && !hashed; ++i) {
    const int32_t id = entries[i].ID;
    if (runCount && id > last) {
      last = id;
    } else if (runCount < kMaxRuns) {
      if (runCount) {  // the last run is complete
        runs[runCount - 1].Last = last;
        closedFirst = std::min(closedFirst, runs[runCount - 1].First);
        closedLast = std::max(closedLast, last);
      }
      runs[runCount++] = TRun{static_cast<uint32_t>(i), id, id};
      last = id;
    } else {
      hashed = true;
      break;
    }
    // Within a run IDs only climb: a second entry of an ID lies in an
    // earlier run, and only an ID within their span can have one.
    if (!duplicates && id >= closedFirst && id <= closedLast)
      for (int r = 0; r + 1 < runCount && !duplicates; ++r) {
        if (id < runs[r].First || id > runs[r].Last) continue;
        const TEntry* runEnd = entries + runs[r + 1].Start;
        const TEntry* at = std::lower_bound(entries + runs[r].Start, runEnd, id,
                                            [](const TEntry& e, int32_t key) { return e.ID < key; });
        duplicates = at != runEnd && at->ID == id;
      }
  }
  if (runCount) runs[runCount - 1].Last = last;
  std::copy(runs, runs + runCount, FRuns);
  FRunCount = runCount;
  FRunDuplicates = duplicates;
  FHint.store(0, std::memory_order_relaxed);
  FHintRun.store(0, std::memory_order_relaxed);
  FHashed = hashed;
  if (hashed) HashRebuild(count);
}

HRESULT TCompoundStream::LoadBytes(const uint8_t* data, uint64_t size, uint64_t* used) {
  *used = 0;
  // Everything is checked and copied before anything changes: the bytes may
  // even lie in this container's own memory.
  auto fail = [this](HRESULT hr) {
    Clear();
    return hr;
  };
  int32_t count = 0;
  uint64_t directoryBytes = 0;
  if (size < kHeaderSize || Failed(ParseHeader(data, size, &count, &directoryBytes))) return fail(E_FAIL);
  const uint64_t dataBytes = ValueBytes(data + kHeaderSize, count);
  const uint64_t total = kHeaderSize + directoryBytes + dataBytes;
  if (total > size) return fail(E_FAIL);
  if (total > SIZE_MAX) return fail(E_OUTOFMEMORY);

  // The copy keeps header and directory too, so the entries are built from it.
  std::unique_ptr<uint8_t[]> fresh;
  uint8_t* image = FImage.get();
  if (InImage(data, total) || !ImageFits(total)) {
    fresh.reset(new (std::nothrow) uint8_t[total]);
    if (!fresh) return fail(E_OUTOFMEMORY);
    image = fresh.get();
  }
  std::memcpy(image, data, total);
  Clear(true);
  if (fresh) {
    FImage = std::move(fresh);
    FImageCapacity = total;
  }
  const HRESULT hr = BuildEntries(image + kHeaderSize, count, image + kHeaderSize + directoryBytes, dataBytes, false);
  if (Failed(hr)) return hr;
  FModified = false;
  *used = total;
  return S_OK;
}

bool TCompoundStream::ImageFits(uint64_t size) const {
  // The block of an earlier load is reused unless it is far larger than needed.
  return FImage && FImageCapacity >= size && (FImageCapacity <= 64 * 1024 || FImageCapacity / 4 <= size);
}

uint8_t* TCompoundStream::ImageBlock(uint64_t size) {
  if (ImageFits(size)) return FImage.get();
  FImage.reset();
  FImageCapacity = 0;
  if (size > SIZE_MAX) return nullptr;
  FImage.reset(new (std::nothrow) uint8_t[size]);
  if (FImage) FImageCapacity = size;
  return FImage.get();
}

HRESULT TCompoundStream::Load(IStream* source) {
  if (!source) return E_INVALIDARG;
  // Bytes that lie in memory are taken in place; the stream is left where
  // reading them would have left it.
  TComPtr<IMemoryBytes> memory;
  const uint8_t* data = nullptr;
  uint64_t size = 0;
  if (source->QueryInterface(IID_IMemoryBytes, reinterpret_cast<void**>(memory.Put())) == S_OK && memory &&
      memory->GetBytes(&data, &size) == S_OK && (data || size == 0)) {
    uint64_t used = 0;
    const HRESULT hr = LoadBytes(data, size, &used);
    source->Seek(static_cast<int64_t>(used), STREAM_SEEK_SET, nullptr);
    return hr;
  }
  // How many bytes there are, so a hostile count or size is refused before
  // anything is allocated for it.
  uint64_t available = UINT64_MAX;
  uint64_t end = 0;
  if (Succeeded(source->Seek(0, STREAM_SEEK_END, &end))) available = end;
  source->Seek(0, STREAM_SEEK_SET, nullptr);
  // A failed load leaves the container empty.
  Clear(true);

  uint8_t header[kHeaderSize];
  HRESULT hr = ReadExact(source, header, kHeaderSize);
  if (Failed(hr)) return hr;
  int32_t count = 0;
  uint64_t directoryBytes = 0;
  hr = ParseHeader(header, available, &count, &directoryBytes);
  if (Failed(hr)) return hr;

  // Small directories, the usual case, need no allocation.
  TLocalBuffer<64 * kRecordSize> directoryBuffer;
  uint8_t* directory = directoryBuffer.Get(directoryBytes);
  if (!directory) return E_OUTOFMEMORY;
  if (directoryBytes) {
    hr = ReadExact(source, directory, static_cast<uint32_t>(directoryBytes));
    if (Failed(hr)) return hr;
  }

  // All sizes must fit in what follows the directory.
  const uint64_t dataBytes = ValueBytes(directory, count);
  if (kHeaderSize + directoryBytes + dataBytes > available) return E_FAIL;

  // All values in one block, read at once; the entries point into it.
  uint8_t* image = nullptr;
  if (dataBytes) {
    if (available != UINT64_MAX) {
      image = ImageBlock(dataBytes);
      if (!image) return E_OUTOFMEMORY;
      hr = ReadExact64(source, image, dataBytes);
    } else {
      FImage.reset();
      FImageCapacity = 0;
      hr = ReadGrowingImage(source, dataBytes, &FImage);
      if (Succeeded(hr)) {
        FImageCapacity = dataBytes;
        image = FImage.get();
      }
    }
    if (Failed(hr)) return hr;
  }

  hr = BuildEntries(directory, count, image, dataBytes, false);
  if (Failed(hr)) return hr;
  FModified = false;
  return S_OK;
}

HRESULT TCompoundStream::Save(IStream* target, int32_t clearDirty) {
  if (!target) return E_INVALIDARG;
  EnsureEntries();
  target->Seek(0, STREAM_SEEK_SET, nullptr);
  uint64_t total = 0;
  GetSizeMax(&total);
  const auto capacity = static_cast<size_t>(std::min<uint64_t>(total, kSaveBuffer));
  // An object's few hundred bytes need no block of their own.
  TLocalBuffer<kLocalSaveBuffer> saveBuffer;
  uint8_t* buffer = saveBuffer.Get(capacity);
  if (!buffer) return E_OUTOFMEMORY;
  TSaveWriter out(target, buffer, capacity);

  PutHeader(out.Reserve(kHeaderSize), FEntries.size());
  for (const TEntry& e : FEntries) {
    uint8_t* rec = out.Reserve(kRecordSize);
    if (!rec) return out.Error();
    PutRecord(rec, e.ID, e.Tag, e.Size);
  }
  for (const TEntry& e : FEntries) {
    const HRESULT hr = out.Append(e.Data, e.Size);
    if (Failed(hr)) return hr;
  }
  const HRESULT hr = out.Flush();
  if (Failed(hr)) return hr;
  if (clearDirty) FModified = false;
  return S_OK;
}

HRESULT TCompoundStream::Load(const void* data, uint64_t size) {
  if (!data && size) return E_INVALIDARG;
  uint64_t used = 0;
  return LoadBytes(static_cast<const uint8_t*>(data), size, &used);
}

HRESULT TCompoundStream::LoadView(const void* data, uint64_t size) {
  if (!data && size) return E_INVALIDARG;
  const auto* bytes = static_cast<const uint8_t*>(data);
  // Bytes this container may own (a value handed back to it) go through the
  // copying load, which takes them before letting its memory go. Until
  // something is written it owns no memory but the load image.
  if (FChunks || FOwnBlocks || InImage(bytes, size)) return Load(data, size);
  int32_t count = 0;
  uint64_t directoryBytes = 0;
  if (size < kHeaderSize || Failed(ParseHeader(bytes, size, &count, &directoryBytes))) {
    Clear();
    return E_FAIL;
  }
  Clear(true);
  const uint64_t before = kHeaderSize + directoryBytes;
  // Values are only read through these entries, never written (capacity 0).
  const HRESULT hr =
      BuildEntries(bytes + kHeaderSize, count, const_cast<uint8_t*>(bytes + before), size - before, true);
  if (Failed(hr)) return hr;
  FModified = false;
  return S_OK;
}

HRESULT TCompoundStream::Save(void* target, int32_t clearDirty, uint64_t size) {
  if (!target) return E_INVALIDARG;
  EnsureEntries();
  uint64_t total = 0;
  GetSizeMax(&total);
  if (size < total) return STG_E_MEDIUMFULL;
  auto* p = static_cast<uint8_t*>(target);
  PutHeader(p, FEntries.size());
  p += kHeaderSize;
  for (const TEntry& e : FEntries) {
    PutRecord(p, e.ID, e.Tag, e.Size);
    p += kRecordSize;
  }
  for (const TEntry& e : FEntries) {
    if (e.Size) std::memcpy(p, e.Data, e.Size);
    p += e.Size;
  }
  if (clearDirty) FModified = false;
  return S_OK;
}

HRESULT TCompoundStream::GetSizeMax(uint64_t* size) {
  if (!size) return E_INVALIDARG;
  EnsureEntries();
  *size = kHeaderSize + kRecordSize * static_cast<uint64_t>(FEntries.size()) + FDataBytes;
  return S_OK;
}

HRESULT TCompoundStream::Next(int32_t count, TCompoundEntry* buffer, int32_t* fetched) {
  if (count < 0 || (count > 1 && !fetched) || (count > 0 && !buffer)) return E_INVALIDARG;
  EnsureEntries();
  int32_t copied = 0;
  while (copied < count && FCursor >= 0 && static_cast<size_t>(FCursor) < FEntries.size()) {
    const TEntry& e = FEntries[static_cast<size_t>(FCursor)];
    buffer[copied++] = Public(e.ID, e.Tag, e.Data, e.Size);
    ++FCursor;
  }
  if (fetched) *fetched = copied;
  return copied == count ? S_OK : S_FALSE;
}

HRESULT TCompoundStream::Skip(int32_t count) {
  EnsureEntries();
  const int64_t target = static_cast<int64_t>(FCursor) + count;
  const auto size = static_cast<int64_t>(FEntries.size());
  if (target >= size) {
    FCursor = static_cast<int32_t>(size - 1);
    if (FCursor < 0) FCursor = 0;
    return S_FALSE;
  }
  if (target < 0) {
    FCursor = 0;
    return S_FALSE;
  }
  FCursor = static_cast<int32_t>(target);
  return S_OK;
}

HRESULT TCompoundStream::Reset() {
  FCursor = 0;
  return S_OK;
}

HRESULT TCompoundStream::Clone(IEnumEntries** result) {
  if (!result) return E_INVALIDARG;
  *result = nullptr;
  // The clone is the same object and shares the cursor.
  return QueryInterface(IID_IEnumEntries, reinterpret_cast<void**>(result));
}
