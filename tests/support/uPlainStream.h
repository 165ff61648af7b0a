// Test helper (header only, no Qt; the fuzz targets use it too): a stream
// read only through IStream, which lends no bytes in place and may not be
// able to tell its size.
#pragma once

#include <cstddef>

#include "uComPtr.h"
#include "uMemoryStream.h"
#include "uUnknownImpl.h"

class TPlainStream final : public TUnknownImpl<IStream> {
 public:
  // Unsized: seeking to the end fails, as on a pipe.
  TPlainStream(const void* data, size_t size, bool sized = true)
      : FInner(MemoryStreamFrom(data, size)), FSized(sized) {}
  // As some streams of other callers do: a null buffer is refused even for no bytes.
  void RefuseNullBuffers() { FRefuseNull = true; }
  HRESULT Read(void* buffer, uint32_t count, uint32_t* done) override {
    if (!buffer && FRefuseNull) return E_POINTER;
    return FInner->Read(buffer, count, done);
  }
  HRESULT Write(const void* buffer, uint32_t count, uint32_t* done) override {
    if (!buffer && FRefuseNull) return E_POINTER;
    return FInner->Write(buffer, count, done);
  }
  HRESULT Seek(int64_t move, uint32_t origin, uint64_t* position) override {
    if (origin == STREAM_SEEK_END && !FSized) return E_FAIL;
    return FInner->Seek(move, origin, position);
  }
  HRESULT SetSize(uint64_t) override { return E_NOTIMPL; }
  HRESULT CopyTo(IStream*, uint64_t, uint64_t*, uint64_t*) override { return E_NOTIMPL; }
  HRESULT Commit(uint32_t) override { return S_OK; }
  HRESULT Revert() override { return E_NOTIMPL; }
  HRESULT LockRegion(uint64_t, uint64_t, uint32_t) override { return E_NOTIMPL; }
  HRESULT UnlockRegion(uint64_t, uint64_t, uint32_t) override { return E_NOTIMPL; }
  HRESULT Stat(STATSTG*, uint32_t) override { return E_NOTIMPL; }
  HRESULT Clone(IStream**) override { return E_NOTIMPL; }

 protected:
  void* FindInterface(const GUID& iid) override {
    return iid == IID_IUnknown || iid == IID_IStream ? static_cast<IStream*>(this) : nullptr;
  }

 private:
  TComPtr<IStream> FInner;
  bool FSized;
  bool FRefuseNull = false;
};
