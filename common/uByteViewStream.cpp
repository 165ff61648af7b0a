#include "uByteViewStream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
constexpr HRESULT STG_E_INVALIDFUNCTION = static_cast<HRESULT>(0x80030001);
constexpr HRESULT STG_E_ACCESSDENIED = static_cast<HRESULT>(0x80030005);
}  // namespace

void* TByteViewStream::FindInterface(const GUID& iid) {
  if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) return static_cast<IStream*>(this);
  return nullptr;
}

HRESULT TByteViewStream::Read(void* buffer, uint32_t count, uint32_t* done) {
  if (done) *done = 0;
  if (!buffer && count) return E_POINTER;
  const uint64_t available = FPos < FBytes.size() ? FBytes.size() - FPos : 0;
  const auto n = static_cast<uint32_t>(std::min<uint64_t>(count, available));
  if (n) std::memcpy(buffer, FBytes.data() + FPos, n);
  FPos += n;
  if (done) *done = n;
  return S_OK;
}

HRESULT TByteViewStream::Write(const void*, uint32_t, uint32_t* done) {
  if (done) *done = 0;
  return STG_E_ACCESSDENIED;
}

HRESULT TByteViewStream::Seek(int64_t move, uint32_t origin, uint64_t* newPosition) {
  int64_t base = 0;
  switch (origin) {
    case STREAM_SEEK_SET:
      break;
    case STREAM_SEEK_CUR:
      base = static_cast<int64_t>(FPos);
      break;
    case STREAM_SEEK_END:
      base = static_cast<int64_t>(FBytes.size());
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

HRESULT TByteViewStream::SetSize(uint64_t) { return STG_E_ACCESSDENIED; }

HRESULT TByteViewStream::CopyTo(IStream* target, uint64_t count, uint64_t* read, uint64_t* written) {
  if (read) *read = 0;
  if (written) *written = 0;
  if (!target) return E_POINTER;
  const uint64_t available = FPos < FBytes.size() ? FBytes.size() - FPos : 0;
  const auto n = static_cast<uint32_t>(std::min<uint64_t>({count, available, 0xFFFFFFFFull}));
  uint32_t done = 0;
  const HRESULT hr = target->Write(FBytes.data() + FPos, n, &done);
  FPos += n;
  if (read) *read = n;
  if (written) *written = done;
  return hr;
}

HRESULT TByteViewStream::Stat(STATSTG* stat, uint32_t) {
  if (!stat) return E_POINTER;
  stat->cbSize = FBytes.size();
  stat->type = 2;  // a stream
  stat->grfMode = 0;
  return S_OK;
}

HRESULT TByteViewStream::Clone(IStream** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  return E_NOTIMPL;
}
