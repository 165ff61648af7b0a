#include "uMemoryStream.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {
// A memory stream never grows past what a 32-bit size field can describe.
constexpr uint64_t kMaxSize = 0xFFFFFFFFull;
}  // namespace

void* TMemoryStream::FindInterface(const GUID& iid) {
  if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) return static_cast<IStream*>(this);
  if (iid == IID_IMemoryBytes) return static_cast<IMemoryBytes*>(this);
  return nullptr;
}

HRESULT TMemoryStream::GetBytes(const uint8_t** data, uint64_t* size) {
  if (!data || !size) return E_POINTER;
  *data = FData.data();
  *size = FData.size();
  return S_OK;
}

HRESULT TMemoryStream::Read(void* buffer, uint32_t count, uint32_t* done) {
  if (done) *done = 0;
  if (!buffer && count) return E_POINTER;
  const uint64_t available = FPos < FData.size() ? FData.size() - FPos : 0;
  const auto n = static_cast<uint32_t>(std::min<uint64_t>(count, available));
  if (n) std::memcpy(buffer, FData.data() + FPos, n);
  FPos += n;
  if (done) *done = n;
  return S_OK;
}

HRESULT TMemoryStream::Write(const void* buffer, uint32_t count, uint32_t* done) {
  if (done) *done = 0;
  if (!buffer && count) return E_POINTER;
  if (!count) return S_OK;
  const uint64_t end = FPos + count;
  if (end > kMaxSize) return STG_E_MEDIUMFULL;
  try {
    // Writers put many small pieces (a compound stream writes each entry's
    // header and data apart): start at a useful size so that a few hundred
    // bytes do not take half a dozen reallocations.
    if (end > FData.capacity()) FData.reserve(std::max<uint64_t>({end, FData.capacity() * 2, 256}));
    if (end > FData.size()) FData.resize(end);
  } catch (const std::bad_alloc&) {
    return STG_E_MEDIUMFULL;
  }
  std::memcpy(FData.data() + FPos, buffer, count);
  FPos = end;
  if (done) *done = count;
  return S_OK;
}

HRESULT TMemoryStream::Seek(int64_t move, uint32_t origin, uint64_t* newPosition) {
  int64_t base = 0;
  switch (origin) {
    case STREAM_SEEK_SET:
      break;
    case STREAM_SEEK_CUR:
      base = static_cast<int64_t>(FPos);
      break;
    case STREAM_SEEK_END:
      base = static_cast<int64_t>(FData.size());
      break;
    default:
      return STG_E_INVALIDFUNCTION;
  }
  // Neither before the start nor beyond what a position can hold.
  if (move < 0 ? move < -base : move > INT64_MAX - base) return STG_E_INVALIDFUNCTION;
  FPos = static_cast<uint64_t>(base + move);
  if (newPosition) *newPosition = FPos;
  return S_OK;
}

HRESULT TMemoryStream::SetSize(uint64_t newSize) {
  if (newSize > kMaxSize) return STG_E_MEDIUMFULL;
  try {
    FData.resize(newSize);
  } catch (const std::bad_alloc&) {
    return STG_E_MEDIUMFULL;
  }
  return S_OK;
}

HRESULT TMemoryStream::CopyTo(IStream* target, uint64_t count, uint64_t* read, uint64_t* written) {
  if (read) *read = 0;
  if (written) *written = 0;
  if (!target) return E_POINTER;
  const uint64_t available = FPos < FData.size() ? FData.size() - FPos : 0;
  const auto n = static_cast<uint32_t>(std::min<uint64_t>({count, available, kMaxSize}));
  uint32_t done = 0;
  // An empty stream's vector may have no memory: the target gets a valid pointer all the same.
  static const uint8_t kNoBytes = 0;
  const HRESULT hr = target->Write(n ? FData.data() + FPos : &kNoBytes, n, &done);
  FPos += n;
  if (read) *read = n;
  if (written) *written = done;
  return hr;
}

HRESULT TMemoryStream::Stat(STATSTG* stat, uint32_t) {
  if (!stat) return E_POINTER;
  stat->cbSize = FData.size();
  stat->type = 2;  // a stream
  stat->grfMode = 0;
  return S_OK;
}

HRESULT TMemoryStream::Clone(IStream** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  return E_NOTIMPL;
}

HRESULT CreateMemoryStream(IStream** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  auto* stream = new (std::nothrow) TMemoryStream();
  if (!stream) return E_OUTOFMEMORY;
  return stream->QueryInterface(IID_IStream, reinterpret_cast<void**>(result));
}

TComPtr<IStream> MemoryStreamFrom(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  auto* stream = new TMemoryStream(std::vector<uint8_t>(bytes, bytes + size));
  return TComPtr<IStream>(stream);
}

bool ReadWholeStream(IStream* stream, std::vector<uint8_t>* bytes) {
  bytes->clear();
  if (!stream) return false;
  uint64_t size = 0;
  if (Failed(stream->Seek(0, STREAM_SEEK_END, &size)) || size > kMaxSize) return false;
  if (Failed(stream->Seek(0, STREAM_SEEK_SET, nullptr))) return false;
  bytes->resize(size);
  uint32_t done = 0;
  if (size && (Failed(stream->Read(bytes->data(), static_cast<uint32_t>(size), &done)) || done != size)) return false;
  return true;
}
