// Memory-backed IStream that frees itself with its last reference
// (the stand-in for a global-memory stream with delete-on-release).
#pragma once

#include <cstdint>
#include <vector>

#include "uComPtr.h"
#include "uMemoryBytes.h"
#include "uUnknownImpl.h"

class TMemoryStream final : public TUnknownImpl<IStream, IMemoryBytes> {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : FData(std::move(bytes)) {}

  HRESULT Read(void* buffer, uint32_t count, uint32_t* done) override;
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

  const std::vector<uint8_t>& Bytes() const { return FData; }
  uint64_t Position() const { return FPos; }

 protected:
  void* FindInterface(const GUID& iid) override;

 private:
  std::vector<uint8_t> FData;
  uint64_t FPos = 0;
};

// Creates an empty memory stream; *result receives one reference.
HRESULT CreateMemoryStream(IStream** result);
// A memory stream holding a copy of the bytes, positioned at 0.
TComPtr<IStream> MemoryStreamFrom(const void* data, size_t size);
// Every byte of any stream (position afterwards unspecified); false on a failed read.
bool ReadWholeStream(IStream* stream, std::vector<uint8_t>* bytes);
