// The compound stream container: its values, their reads and writes, and the
// entry enumerator. The stored form, loads and saves are in
// uCompoundStreamPersist.cpp.
//
// A value lives where it came from: in the load image (a load reads the data
// area in one piece), in arena chunks (written values up to 4 KiB, bumped in
// one after another) or in a block of its own (larger ones, freed when
// rewritten), so a small value costs no allocation of its own.
//
// Finding the first entry of an ID (uEntryIndex) takes three schemes, each
// for a shape the containers of this system really take:
// - the first positions of IDs 0-63 in a table: every object keeps its base
//   values there, and a small container loaded as a view answers them from
//   its stored records before it even has an entry table (most of the work
//   of a document's load);
// - runs of ascending IDs, searched where the ID should lie: objects write
//   their values in order and tables their cells, so even a table of a
//   million cells is a few runs, indexed in one pass without allocating and
//   extended in constant time as values are appended; in a container
//   filled by writes a 1,024-bit filter of the IDs held beside them answers
//   most look-ups of an absent ID without a search (an object writing its
//   values in interleaved groups, as a lithology layer does per sign, asks
//   one for every new value);
// - a hash table once IDs come in more than 16 runs (edits in any order,
//   interleaved ranges, hostile files), so that no order makes a look-up
//   cost more than a constant.
// Runs and hash both try the entry after the last one found first, since
// readers mostly go through the values in stored order, and take an ID above
// all they hold as absent at once, since writers mostly go up. They are built
// by the first look-up the small table cannot answer, so a container asked
// only for its base values never builds them. Small containers need no scan
// of their own: the runs serve them as fast.
#include "uCompoundStream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "uLittleEndian.h"

namespace {
// Values above this get a block of their own, returned when they are
// replaced; smaller ones share arena chunks.
constexpr uint32_t kOwnBlockSize = 4096;
constexpr size_t kChunkHeader = 16;  // the link to the previous chunk; data stays 16-aligned
constexpr size_t kFirstChunk = 512;  // an object's values in one chunk
constexpr size_t kLargestChunk = 256 * 1024;

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

// The entry as clients see it: no data pointer for an empty value.
TCompoundEntry Public(const TStoredEntry& e) { return TCompoundEntry{e.ID, e.Tag, e.Size ? e.Data : nullptr, e.Size}; }
}  // namespace

TCompoundStream::TCompoundStream() = default;

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

int64_t TCompoundStream::FindOrAppend(int32_t id) {
  const int64_t found = Find(id);
  if (found >= 0) return found;
  try {
    // Objects write a dozen to a few dozen values (a lithology layer 42):
    // skip the smallest growth steps.
    if (FEntries.capacity() == 0) FEntries.reserve(64);
    FEntries.emplace_back(id);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  FIndex.Appended(FEntries);
  return static_cast<int64_t>(FEntries.size() - 1);
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
    FChunkSize = want;
    FNextChunk = std::min(step * 2, kLargestChunk);
  }
  uint8_t* p = FChunkPos;
  FChunkPos += size;
  FChunkLeft -= size;
  return p;
}

void TCompoundStream::FreeValue(TStoredEntry& e) {
  if (e.Own) {
    delete[] e.Data;
    --FOwnBlocks;
  }
  e.Data = nullptr;
  e.Capacity = 0;
  e.Own = false;
}

void TCompoundStream::Clear(bool keepImage) {
  if (FOwnBlocks)
    for (TStoredEntry& e : FEntries)
      if (e.Own) FreeValue(e);
  FEntries.clear();
  FIndex.Clear();
  FLazyRecords = nullptr;
  FCursor = 0;  // a reloaded container enumerates from its start, as a new one does
  while (FChunks) {
    uint8_t* previous = nullptr;
    std::memcpy(&previous, FChunks, sizeof previous);
    delete[] FChunks;
    FChunks = previous;
  }
  FChunkPos = nullptr;
  FChunkLeft = 0;
  FChunkSize = 0;
  FNextChunk = 0;
  if (!keepImage) {
    FImage.reset();
    FImageCapacity = 0;
  }
  FDataBytes = 0;
}

void TCompoundStream::Empty() {
  // Kept only up to what a few objects' values take, so that one large
  // object does not leave the reused container holding its memory.
  constexpr size_t kKeptEntries = 1024;
  constexpr size_t kKeptChunk = 64 * 1024;
  uint8_t* kept = FChunkSize <= kKeptChunk ? FChunks : nullptr;
  const size_t keptSize = FChunkSize;
  if (kept) std::memcpy(&FChunks, kept, sizeof FChunks);  // the older chunks go
  if (FEntries.capacity() > kKeptEntries) FEntries.release();
  Clear();  // a load image goes: writes never use it
  FModified = true;
  if (!kept) return;
  const uint8_t* none = nullptr;
  std::memcpy(kept, &none, sizeof none);
  FChunks = kept;
  FChunkPos = kept + kChunkHeader;
  FChunkLeft = keptSize;
  FChunkSize = keptSize;
  FNextChunk = std::min(std::max(keptSize, kFirstChunk) * 2, kLargestChunk);
}

bool TCompoundStream::AppendNew(int32_t id, int32_t tag, const void* data, uint32_t size) {
  // Only with room for the entry and its value at hand: anything else (growth,
  // a failed allocation) takes the general path.
  if (FEntries.size() == FEntries.capacity()) return false;
  uint8_t* block = nullptr;
  const uint32_t capacity = RoundUp8(size);
  if (capacity) {
    if (capacity <= FChunkLeft) {
      block = FChunkPos;
      FChunkPos += capacity;
      FChunkLeft -= capacity;
    } else if (!(block = ArenaAllocate(capacity))) {
      return false;
    }
  }
  TStoredEntry& e = FEntries.append_within_capacity();  // checked above
  e.ID = id;
  e.Tag = tag;
  e.Size = size;
  e.Capacity = capacity;
  e.Data = block;
  e.Own = false;
  FIndex.Appended(FEntries);
  FDataBytes += size;
  // The value last: its bytes may alias anything, so the compiler would load
  // every member again after them.
  if (capacity) CopyValue(block, static_cast<const uint8_t*>(data), size);
  return true;
}

HRESULT TCompoundStream::Put(int32_t id, int32_t tag, const void* data, uint32_t size) {
  // A new ID with a small value goes straight to the end of the table.
  if (data && size <= kOwnBlockSize && Find(id) < 0 && AppendNew(id, tag, data, size)) {
    FModified = true;
    return S_OK;
  }
  return PutAny(id, tag, data, size);
}

HRESULT TCompoundStream::PutAny(int32_t id, int32_t tag, const void* data, uint32_t size) {
  const int64_t pos = FindOrAppend(id);
  FModified = true;
  if (pos < 0) return E_OUTOFMEMORY;
  if (!data) return E_INVALIDARG;
  TStoredEntry& e = FEntries[static_cast<size_t>(pos)];
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

int64_t TCompoundStream::LazyFind(int32_t id) {
  if (!FLazyIds.Contains(id)) return -1;
  const int32_t count = FLazyCount;
  const uint8_t* records = FLazyRecords;
  const auto key = static_cast<uint32_t>(id);
  const auto idAt = [records](int32_t i) { return GetLE32(records + static_cast<size_t>(i) * kRecordSize); };
  const auto found = [this, count](int32_t i) {
    FLazyNext = i + 1 == count ? 0 : i + 1;
    return i;
  };
  if (!FLazyUnique) {
    for (int32_t i = 0; i < count; ++i)
      if (idAt(i) == key) return found(i);
    return -1;
  }
  // Every ID is stored once: the search starts where the reader is.
  const int32_t next = FLazyNext;
  for (int32_t i = next; i < count; ++i)
    if (idAt(i) == key) return found(i);
  for (int32_t i = 0; i < next; ++i)
    if (idAt(i) == key) return found(i);
  return -1;
}

HRESULT TCompoundStream::TypedRead(int32_t id, int32_t flags, int32_t tag, void* out, uint32_t width) {
  const HRESULT absent = (flags & qsRequired) ? E_INVALIDARG : S_OK;
  const int64_t pos = Locate(id);
  if (pos < 0) return absent;
  const TValue v = ValueAt(pos);
  if (v.Tag != tag) return absent;
  CopyValue(out, v.Data, std::min(width, v.Size));
  return S_OK;
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
  const int64_t pos = Locate(id);
  if (pos >= 0) {
    const TValue v = ValueAt(pos);
    if (v.Tag == qsString) {
      // Longer Strings are cut: a short string holds at most 255 characters.
      const uint32_t n = std::min<uint32_t>(v.Size, 255);
      value->Length = static_cast<uint8_t>(n);
      if (n) std::memcpy(value->Chars, v.Data, n);
      result = S_OK;
    }
  }
  return result;
}

HRESULT TCompoundStream::WriteShortString(int32_t id, const TShortString& value) {
  return Put(id, qsString, value.Chars, value.Length);
}

HRESULT TCompoundStream::ReadData(int32_t id, int32_t, void* buffer, uint32_t* size) {
  const int64_t pos = Locate(id);
  if (pos < 0 || !size) return E_INVALIDARG;
  const TValue e = ValueAt(pos);
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
    FModified = true;
    return FindOrAppend(id) < 0 ? E_OUTOFMEMORY : E_INVALIDARG;
  }
  return Put(id, qsBinary, buffer, static_cast<uint32_t>(size));
}

HRESULT TCompoundStream::ReadStream(int32_t id, int32_t, IStream* target) {
  if (!target) return E_INVALIDARG;
  const int64_t pos = Locate(id);
  if (pos < 0) return E_PENDING;
  const TValue e = ValueAt(pos);
  if (e.Tag != qsBinary) return E_PENDING;
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
  const int64_t pos = FindOrAppend(id);
  FModified = true;
  if (pos < 0) return E_OUTOFMEMORY;
  TStoredEntry& e = FEntries[static_cast<size_t>(pos)];
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
  TStoredEntry& e = FEntries[pos];
  FreeValue(e);
  FDataBytes -= e.Size;
  e.Tag = qsEmpty;
  e.Size = 0;
  FModified = true;
  return S_OK;
}

HRESULT TCompoundStream::GetEntry(int32_t id, TCompoundEntry* entry) {
  const int64_t pos = Locate(id);
  if (pos < 0 || !entry) return E_INVALIDARG;
  const TValue v = ValueAt(pos);
  *entry = TCompoundEntry{v.ID, v.Tag, v.Size ? const_cast<uint8_t*>(v.Data) : nullptr, v.Size};
  return S_OK;
}

HRESULT TCompoundStream::ReadString(int32_t id, char* buffer, uint32_t* length) {
  const int64_t pos = Locate(id);
  if (pos < 0 || !length) return E_INVALIDARG;
  const TValue e = ValueAt(pos);
  if (e.Tag != qsString) return E_INVALIDARG;
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
    FModified = true;
    return FindOrAppend(id) < 0 ? E_OUTOFMEMORY : E_INVALIDARG;
  }
  return Put(id, qsString, buffer, static_cast<uint32_t>(length));
}

HRESULT TCompoundStream::WriteEntries(const TCompoundEntry* values, int32_t count) {
  if (count < 0 || (count > 0 && !values)) return E_INVALIDARG;
  if (count == 0) return S_OK;
  EnsureEntries();
  // Room for the whole batch at once, so that each new value takes the inline
  // append (without the memory the values still go one by one, below).
  if (FEntries.capacity() - FEntries.size() < static_cast<size_t>(count)) {
    try {
      FEntries.reserve(std::max({FEntries.size() + static_cast<size_t>(count), 2 * FEntries.capacity(), size_t{64}}));
    } catch (const std::bad_alloc&) {
    }
  }
  static const uint8_t kNoBytes = 0;
  for (int32_t i = 0; i < count; ++i) {
    const TCompoundEntry& v = values[i];
    const bool fits = v.Tag == qsInteger                       ? v.Size == 4
                      : v.Tag == qsDouble                      ? v.Size == 8
                      : v.Tag == qsString || v.Tag == qsBinary ? v.Size <= uint32_t{INT32_MAX}
                                                               : false;
    if (!fits || (!v.Data && v.Size)) {
      FModified = FModified || i > 0;
      return E_INVALIDARG;
    }
    const void* data = v.Size ? v.Data : &kNoBytes;
    // As Put, asking the index the cheapest way first.
    if (v.Size <= kOwnBlockSize && FIndex.Absent(FEntries, v.ID) && AppendNew(v.ID, v.Tag, data, v.Size)) continue;
    const HRESULT hr = PutAny(v.ID, v.Tag, data, v.Size);
    if (hr != S_OK) return hr;
  }
  FModified = true;
  return S_OK;
}

HRESULT TCompoundStream::GetEntries(const int32_t* ids, int32_t count, TCompoundEntry* entries) {
  if (count < 0 || (count > 0 && (!ids || !entries))) return E_INVALIDARG;
  HRESULT result = S_OK;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t id = ids[i];
    const int64_t pos = Locate(id);
    if (pos < 0) {
      entries[i] = TCompoundEntry{id, qsEmpty, nullptr, 0};
      result = S_FALSE;
      continue;
    }
    const TValue v = ValueAt(pos);
    entries[i] = TCompoundEntry{v.ID, v.Tag, v.Size ? const_cast<uint8_t*>(v.Data) : nullptr, v.Size};
  }
  return result;
}

HRESULT TCompoundStream::Next(int32_t count, TCompoundEntry* buffer, int32_t* fetched) {
  if (count < 0 || (count > 1 && !fetched) || (count > 0 && !buffer)) return E_INVALIDARG;
  EnsureEntries();
  int32_t copied = 0;
  while (copied < count && FCursor >= 0 && static_cast<size_t>(FCursor) < FEntries.size()) {
    buffer[copied++] = Public(FEntries[static_cast<size_t>(FCursor)]);
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
