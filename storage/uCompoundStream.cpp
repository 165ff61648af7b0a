#include "uCompoundStream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "uMemoryStream.h"

namespace {
constexpr uint32_t kMagic = 0x5153544D;  // "MTSQ"
constexpr uint32_t kHeaderSize = 16;
constexpr uint32_t kRecordSize = 16;

void PutLE32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t GetLE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// Reads exactly `count` bytes; a short read means the stream ended early.
HRESULT ReadExact(IStream* source, void* buffer, uint32_t count) {
  uint32_t done = 0;
  const HRESULT hr = source->Read(buffer, count, &done);
  if (Failed(hr)) return hr;
  return done == count ? S_OK : E_FAIL;
}

HRESULT WriteExact(IStream* target, const void* buffer, uint32_t count) {
  if (count == 0) return S_OK;
  uint32_t done = 0;
  const HRESULT hr = target->Write(buffer, count, &done);
  if (Failed(hr)) return hr;
  return done == count ? S_OK : E_FAIL;
}
}  // namespace

void* TCompoundStream::FindInterface(const GUID& iid) {
  if (iid == IID_IUnknown || iid == IID_ICompoundStream || iid == IID_ICompoundStream2)
    return static_cast<ICompoundStream2*>(this);
  if (iid == IID_IPersistStream || iid == IID_IPersist) return static_cast<IPersistStream*>(this);
  if (iid == IID_IEnumEntries) return static_cast<IEnumEntries*>(this);
  return nullptr;
}

int64_t TCompoundStream::Find(int32_t id) const {
  const auto it = FIndex.find(id);
  return it == FIndex.end() ? -1 : static_cast<int64_t>(it->second);
}

size_t TCompoundStream::FindOrAppend(int32_t id) {
  const int64_t pos = Find(id);
  if (pos >= 0) return static_cast<size_t>(pos);
  FEntries.push_back(TEntry{id, qsEmpty, nullptr, 0});
  FIndex.emplace(id, FEntries.size() - 1);
  return FEntries.size() - 1;
}

HRESULT TCompoundStream::Put(int32_t id, int32_t tag, const void* data, uint32_t size) {
  const size_t pos = FindOrAppend(id);
  FModified = true;
  if (!data) return E_INVALIDARG;
  // The new block is obtained before the old one goes, so a failure keeps the old value.
  std::unique_ptr<uint8_t[]> block;
  if (size) {
    block.reset(new (std::nothrow) uint8_t[size]);
    if (!block) return E_OUTOFMEMORY;
    std::memcpy(block.get(), data, size);
  }
  TEntry& e = FEntries[pos];
  e.Tag = tag;
  e.Data = std::move(block);
  e.Size = size;
  return S_OK;
}

HRESULT TCompoundStream::TypedRead(int32_t id, int32_t flags, int32_t tag, void* out, uint32_t width) {
  HRESULT result = S_OK;
  if (flags & qsRequired) result = E_INVALIDARG;
  const int64_t pos = Find(id);
  if (pos >= 0 && FEntries[pos].Tag == tag) {
    const TEntry& e = FEntries[pos];
    // A shorter block leaves the default's remaining bytes; with flags 1 the
    // caller's own value, never undefined memory.
    const uint32_t n = std::min(width, e.Size);
    if (n) std::memcpy(out, e.Data.get(), n);
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
    if (n) std::memcpy(value->Chars, e.Data.get(), n);
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
  if (n) std::memcpy(buffer, e.Data.get(), n);
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
  const HRESULT hr = target->Write(e.Data.get(), e.Size, &done);
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
  std::unique_ptr<uint8_t[]> temp(new (std::nothrow) uint8_t[length ? length : 1]);
  if (!temp) return E_OUTOFMEMORY;
  const HRESULT hr = ReadExact(source, temp.get(), static_cast<uint32_t>(length));
  if (Failed(hr)) return hr;
  return Put(id, qsBinary, temp.get(), static_cast<uint32_t>(length));
}

HRESULT TCompoundStream::DeleteValue(int32_t id) {
  const int64_t pos = Find(id);
  if (pos < 0) return E_INVALIDARG;
  TEntry& e = FEntries[pos];
  e.Data.reset();
  e.Tag = qsEmpty;
  e.Size = 0;
  FModified = true;
  return S_OK;
}

HRESULT TCompoundStream::GetEntry(int32_t id, TCompoundEntry* entry) {
  const int64_t pos = Find(id);
  if (pos < 0 || !entry) return E_INVALIDARG;
  const TEntry& e = FEntries[pos];
  *entry = TCompoundEntry{e.ID, e.Tag, e.Data.get(), e.Size};
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
    if (n) std::memcpy(buffer, e.Data.get(), n);
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

void TCompoundStream::Clear() {
  FEntries.clear();
  FIndex.clear();
}

HRESULT TCompoundStream::Load(IStream* source) {
  if (!source) return E_INVALIDARG;
  // How many bytes there are, so a hostile count or size is refused before
  // anything is allocated for it.
  uint64_t available = UINT64_MAX;
  uint64_t end = 0;
  if (Succeeded(source->Seek(0, STREAM_SEEK_END, &end))) available = end;
  source->Seek(0, STREAM_SEEK_SET, nullptr);
  Clear();

  uint8_t header[kHeaderSize];
  HRESULT hr = ReadExact(source, header, kHeaderSize);
  if (Failed(hr)) return hr;
  if (GetLE32(header) != kMagic) return E_FAIL;
  const auto count = static_cast<int32_t>(GetLE32(header + 4));
  if (count < 0) return E_FAIL;
  const uint64_t directoryBytes = static_cast<uint64_t>(count) * kRecordSize;
  if (kHeaderSize + directoryBytes > available || directoryBytes > 0xFFFFFFFFull) return E_FAIL;

  std::vector<uint8_t> directory;
  try {
    directory.resize(directoryBytes);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  hr = ReadExact(source, directory.data(), static_cast<uint32_t>(directoryBytes));
  if (Failed(hr)) return hr;

  // All sizes must fit in what follows the directory.
  uint64_t dataBytes = 0;
  for (int32_t i = 0; i < count; ++i) dataBytes += GetLE32(directory.data() + i * kRecordSize + 8);
  if (kHeaderSize + directoryBytes + dataBytes > available) return E_FAIL;

  std::vector<TEntry> entries;
  std::unordered_map<int32_t, size_t> index;
  try {
    entries.reserve(static_cast<size_t>(count));
    index.reserve(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* rec = directory.data() + static_cast<size_t>(i) * kRecordSize;
    TEntry e{static_cast<int32_t>(GetLE32(rec)), static_cast<int32_t>(GetLE32(rec + 4)), nullptr, GetLE32(rec + 8)};
    if (e.Size) {
      e.Data.reset(new (std::nothrow) uint8_t[e.Size]);
      if (!e.Data) return E_OUTOFMEMORY;
      hr = ReadExact(source, e.Data.get(), e.Size);
      if (Failed(hr)) return hr;
    }
    index.emplace(e.ID, entries.size());  // keeps the first position of a duplicate ID
    entries.push_back(std::move(e));
  }
  FEntries = std::move(entries);
  FIndex = std::move(index);
  FModified = false;
  return S_OK;
}

HRESULT TCompoundStream::Save(IStream* target, int32_t clearDirty) {
  if (!target) return E_INVALIDARG;
  target->Seek(0, STREAM_SEEK_SET, nullptr);
  uint8_t header[kHeaderSize] = {};
  PutLE32(header, kMagic);
  PutLE32(header + 4, static_cast<uint32_t>(FEntries.size()));
  std::vector<uint8_t> directory(FEntries.size() * kRecordSize, 0);
  for (size_t i = 0; i < FEntries.size(); ++i) {
    uint8_t* rec = directory.data() + i * kRecordSize;
    PutLE32(rec, static_cast<uint32_t>(FEntries[i].ID));
    PutLE32(rec + 4, static_cast<uint32_t>(FEntries[i].Tag));
    PutLE32(rec + 8, FEntries[i].Size);
  }
  HRESULT hr = WriteExact(target, header, kHeaderSize);
  if (Failed(hr)) return hr;
  hr = WriteExact(target, directory.data(), static_cast<uint32_t>(directory.size()));
  if (Failed(hr)) return hr;
  for (const TEntry& e : FEntries) {
    hr = WriteExact(target, e.Data.get(), e.Size);
    if (Failed(hr)) return hr;
  }
  if (clearDirty) FModified = false;
  return S_OK;
}

HRESULT TCompoundStream::GetSizeMax(uint64_t* size) {
  if (!size) return E_INVALIDARG;
  uint64_t total = kHeaderSize + kRecordSize * static_cast<uint64_t>(FEntries.size());
  for (const TEntry& e : FEntries) total += e.Size;
  *size = total;
  return S_OK;
}

HRESULT TCompoundStream::Next(int32_t count, TCompoundEntry* buffer, int32_t* fetched) {
  if (count < 0 || (count > 1 && !fetched) || (count > 0 && !buffer)) return E_INVALIDARG;
  int32_t copied = 0;
  while (copied < count && FCursor >= 0 && static_cast<size_t>(FCursor) < FEntries.size()) {
    const TEntry& e = FEntries[static_cast<size_t>(FCursor)];
    buffer[copied++] = TCompoundEntry{e.ID, e.Tag, e.Data.get(), e.Size};
    ++FCursor;
  }
  if (fetched) *fetched = copied;
  return copied == count ? S_OK : S_FALSE;
}

HRESULT TCompoundStream::Skip(int32_t count) {
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
