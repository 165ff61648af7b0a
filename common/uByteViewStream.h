// A read-only IStream over bytes it does not own: the way to hand bytes that
// already lie in memory (a stream of an opened file) to code that reads an
// IStream, without copying them. The bytes must outlive every read; Reset
// points the same stream at other bytes, so one object serves a whole loop.
#pragma once

#include <cstdint>
#include <span>

#include "uMemoryBytes.h"
#include "uUnknownImpl.h"

class TByteViewStream final : public TUnknownImpl<IStream, IMemoryBytes> {
 public:
  TByteViewStream() = default;
  explicit TByteViewStream(std::span<const uint8_t> bytes) : FBytes(bytes) {}

  // Views `bytes` from their start.
  void Reset(std::span<const uint8_t> bytes) {
    FBytes = bytes;
    FPos = 0;
  }

  HRESULT Read(void* buffer, uint32_t count, uint32_t* done) override;
  // The bytes are not this stream's to change.
  HRESULT Write(const void* buffer, uint32_t count, uint32_t* done) override;
  HRESULT Seek(int64_t move, uint32_t origin, uint64_t* newPosition) override;
  HRESULT SetSize(uint64_t newSize) override;
  HRESULT CopyTo(IStream* target, uint64_t count, uint64_t* read, uint64_t* written) override;
  HRESULT Commit(uint32_t) override { return S_OK; }
  HRESULT Revert() override { return E_NOTIMPL; }
  HRESULT LockRegion(uint64_t, uint64_t, uint32_t) override { return E_NOTIMPL; }
  HRESULT UnlockRegion(uint64_t, uint64_t, uint32_t) override { return E_NOTIMPL; }
  HRESULT Stat(STATSTG* stat, uint32_t flags) override;
  HRESULT Clone(IStream** result) override;
  // IMemoryBytes
  HRESULT GetBytes(const uint8_t** data, uint64_t* size) override;

 protected:
  void* FindInterface(const GUID& iid) override;

 private:
  std::span<const uint8_t> FBytes;
  uint64_t FPos = 0;
};
