#include "uStreamOps.h"

#include <algorithm>
#include <cstring>

namespace streamops {
namespace {
constexpr HRESULT STG_E_INVALIDFUNCTION = static_cast<HRESULT>(0x80030001);
}  // namespace

HRESULT Read(std::span<const uint8_t> bytes, uint64_t* pos, void* buffer, uint32_t count, uint32_t* done) {
  if (done) *done = 0;
  if (!buffer && count) return E_POINTER;
  const uint64_t available = *pos < bytes.size() ? bytes.size() - *pos : 0;
  const auto n = static_cast<uint32_t>(std::min<uint64_t>(count, available));
  if (n) std::memcpy(buffer, bytes.data() + *pos, n);
  *pos += n;
  if (done) *done = n;
  return S_OK;
}

HRESULT Seek(uint64_t size, uint64_t* pos, int64_t move, uint32_t origin, uint64_t* newPosition) {
  int64_t base = 0;
  switch (origin) {
    case STREAM_SEEK_SET:
      break;
    case STREAM_SEEK_CUR:
      base = static_cast<int64_t>(*pos);
      break;
    case STREAM_SEEK_END:
      base = static_cast<int64_t>(size);
      break;
    default:
      return STG_E_INVALIDFUNCTION;
  }
  if (move < 0 ? move < -base : move > INT64_MAX - base) return STG_E_INVALIDFUNCTION;
  *pos = static_cast<uint64_t>(base + move);
  if (newPosition) *newPosition = *pos;
  return S_OK;
}

HRESULT CopyTo(std::span<const uint8_t> bytes, uint64_t* pos, IStream* target, uint64_t count, uint64_t* read,
               uint64_t* written) {
  if (read) *read = 0;
  if (written) *written = 0;
  if (!target) return E_POINTER;
  const uint64_t available = *pos < bytes.size() ? bytes.size() - *pos : 0;
  const auto n = static_cast<uint32_t>(std::min<uint64_t>({count, available, 0xFFFFFFFFull}));
  uint32_t done = 0;
  const HRESULT hr = target->Write(bytes.data() + *pos, n, &done);
  *pos += n;
  if (read) *read = n;
  if (written) *written = done;
  return hr;
}

HRESULT Stat(uint64_t size, STATSTG* stat) {
  if (!stat) return E_POINTER;
  stat->cbSize = size;
  stat->type = 2;  // a stream
  stat->grfMode = 0;
  return S_OK;
}

}  // namespace streamops
