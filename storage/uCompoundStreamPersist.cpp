// The container's stored form: a 16-byte header ("MTSQ", the record count),
// a directory of 16-byte records (ID, tag, size) and the values back to back.
// Loads from any stream, from bytes in memory (a stream that lends them, or
// IPersistBlock), or as a view of the caller's bytes; saves into a stream or
// a block of memory.
#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "uComPtr.h"
#include "uCompoundStream.h"
#include "uLittleEndian.h"

namespace {
constexpr uint32_t kMagic = 0x5153544D;  // "MTSQ"
constexpr uint32_t kHeaderSize = TCompoundStream::kHeaderSize;
constexpr uint32_t kRecordSize = TCompoundStream::kRecordSize;
// Save gathers the records and small values into writes of up to this size.
constexpr size_t kSaveBuffer = 4 * 1024 * 1024;
constexpr uint32_t kDirectWrite = 512;
constexpr size_t kLocalSaveBuffer = 2048;
// Without a known stream size the load image grows from this as bytes arrive,
// so a hostile header cannot make it reserve what the stream does not hold.
constexpr uint64_t kFirstImageStep = 1024 * 1024;

// TCompoundStream::ReadExact for counts beyond what one Read call takes.
HRESULT ReadExact64(IStream* source, uint8_t* buffer, uint64_t count) {
  constexpr uint64_t kPiece = 1u << 30;
  while (count) {
    const auto n = static_cast<uint32_t>(std::min(count, kPiece));
    const HRESULT hr = TCompoundStream::ReadExact(source, buffer, n);
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
  if constexpr (std::endian::native == std::endian::little) {
    // One 16-byte copy: the byte-wise stores cost a save a tenth of its time.
    const uint32_t words[4] = {static_cast<uint32_t>(id), static_cast<uint32_t>(tag), size, 0};
    std::memcpy(p, words, sizeof words);
    return;
  }
  PutLE32(p, static_cast<uint32_t>(id));
  PutLE32(p + 4, static_cast<uint32_t>(tag));
  PutLE32(p + 8, size);
  PutLE32(p + 12, 0);
}
}  // namespace

HRESULT TCompoundStream::ReadExact(IStream* source, void* buffer, uint32_t count) {
  uint32_t done = 0;
  const HRESULT hr = source->Read(buffer, count, &done);
  if (Failed(hr)) return hr;
  return done == count ? S_OK : E_FAIL;
}

HRESULT TCompoundStream::GetClassID(GUID*) { return E_FAIL; }

HRESULT TCompoundStream::IsDirty() { return FModified ? S_OK : S_FALSE; }

HRESULT TCompoundStream::GetSizeMax(uint64_t* size) {
  if (!size) return E_INVALIDARG;
  EnsureEntries();
  *size = kHeaderSize + kRecordSize * static_cast<uint64_t>(FEntries.size()) + FDataBytes;
  return S_OK;
}

HRESULT TCompoundStream::BuildEntries(const uint8_t* directory, int32_t count, uint8_t* values, uint64_t available,
                                      bool view) {
  FIndex.PrepareForLoad();  // every load clears the container first
  if (view && static_cast<size_t>(count) <= kLazyMax) {
    // Room for the table is reserved now, so building it later cannot fail.
    try {
      FEntries.reserve(kLazyMax);
    } catch (const std::bad_alloc&) {
      Clear();
      return E_OUTOFMEMORY;
    }
    // Whether any ID is stored twice: the small IDs' table notes a repeat,
    // a set takes the others (a layer's come in a run per sign, whose ranges
    // overlap).
    static_assert(kLazyMax <= TSmallIdSet::kMaxIds);
    TSmallIdSet& ids = FLazyIds;
    ids.Clear();
    bool unique = true;
    uint64_t offset = 0;
    for (int32_t i = 0; i < count; ++i) {
      const uint8_t* rec = directory + static_cast<size_t>(i) * kRecordSize;
      const uint32_t size = GetLE32(rec + 8);
      if (size > available - offset) {
        Clear();
        return E_FAIL;
      }
      const auto id = static_cast<int32_t>(GetLE32(rec));
      if (static_cast<uint32_t>(id) < kSmallIds) {
        if (!FIndex.NoteSmallId(id, static_cast<size_t>(i))) unique = false;
      } else if (!ids.Insert(id)) {
        unique = false;
      }
      FLazyOffsets[i] = static_cast<uint32_t>(offset);  // used only if all offsets fit, checked below
      offset += size;
    }
    FDataBytes = offset;
    if (offset <= UINT32_MAX) {
      FLazyRecords = directory;
      FLazyValues = values;
      FLazyCount = count;
      FLazyUnique = unique;
      FLazyNext = 0;
      return S_OK;
    }
    // Offsets beyond 32 bits (values of gigabytes): the table straight away.
  }
  try {
    // Filled in place: building each entry apart and copying it in costs a
    // stalled load per entry, a good part of a small stream's load.
    FEntries.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    Clear();
    return E_OUTOFMEMORY;
  }
  TStoredEntry* out = FEntries.data();
  uint64_t offset = 0;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* rec = directory + static_cast<size_t>(i) * kRecordSize;
    const uint32_t size = GetLE32(rec + 8);
    if (size > available - offset) {
      Clear();
      return E_FAIL;
    }
    FillEntry(out[i], rec, values + offset, view);
    FIndex.NoteSmall(out[i].ID, static_cast<size_t>(i));
    offset += size;
  }
  FDataBytes = offset;
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

void TCompoundStream::FillEntry(TStoredEntry& e, const uint8_t* record, uint8_t* data, bool view) {
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
  if (capacity == total) {
    // The whole form fits the buffer (every object's stream does): laid out
    // in place and written at once.
    Save(buffer, 0, total);
    const HRESULT hr = WriteExact(target, buffer, static_cast<uint32_t>(total));
    if (Succeeded(hr) && clearDirty) FModified = false;
    return hr;
  }
  TSaveWriter out(target, buffer, capacity);

  PutHeader(out.Reserve(kHeaderSize), FEntries.size());
  for (const TStoredEntry& e : FEntries) {
    uint8_t* rec = out.Reserve(kRecordSize);
    if (!rec) return out.Error();
    PutRecord(rec, e.ID, e.Tag, e.Size);
  }
  for (const TStoredEntry& e : FEntries) {
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
  auto* record = static_cast<uint8_t*>(target);
  PutHeader(record, FEntries.size());
  record += kHeaderSize;
  // The records and the values in one pass, each entry read once.
  uint8_t* p = record + kRecordSize * FEntries.size();
  for (const TStoredEntry& e : FEntries) {
    PutRecord(record, e.ID, e.Tag, e.Size);
    record += kRecordSize;
    // Mostly integers and doubles: fixed-size copies instead of a call each.
    if (e.Size == 4)
      std::memcpy(p, e.Data, 4);
    else if (e.Size == 8)
      std::memcpy(p, e.Data, 8);
    else if (e.Size)
      std::memcpy(p, e.Data, e.Size);
    p += e.Size;
  }
  if (clearDirty) FModified = false;
  return S_OK;
}
