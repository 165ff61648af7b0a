#include "uMemoryStream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "uStreamOps.h"

namespace {
constexpr HRESULT STG_E_MEDIUMFULL = static_cast<HRESULT>(0x80030070);
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
  return streamops::Read(FData, &FPos, buffer, count, done);
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
  return streamops::Seek(FData.size(), &FPos, move, origin, newPosition);
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
  return streamops::CopyTo(FData, &FPos, target, count, read, written);
}

HRESULT TMemoryStream::Stat(STATSTG* stat, uint32_t) { return streamops::Stat(FData.size(), stat); }

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
