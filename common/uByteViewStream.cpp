#include "uByteViewStream.h"

#include "uStreamOps.h"

namespace {
constexpr HRESULT STG_E_ACCESSDENIED = static_cast<HRESULT>(0x80030005);
}  // namespace

void* TByteViewStream::FindInterface(const GUID& iid) {
  if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) return static_cast<IStream*>(this);
  if (iid == IID_IMemoryBytes) return static_cast<IMemoryBytes*>(this);
  return nullptr;
}

HRESULT TByteViewStream::GetBytes(const uint8_t** data, uint64_t* size) {
  if (!data || !size) return E_POINTER;
  *data = FBytes.data();
  *size = FBytes.size();
  return S_OK;
}

HRESULT TByteViewStream::Read(void* buffer, uint32_t count, uint32_t* done) {
  return streamops::Read(FBytes, &FPos, buffer, count, done);
}

HRESULT TByteViewStream::Write(const void*, uint32_t, uint32_t* done) {
  if (done) *done = 0;
  return STG_E_ACCESSDENIED;
}

HRESULT TByteViewStream::Seek(int64_t move, uint32_t origin, uint64_t* newPosition) {
  return streamops::Seek(FBytes.size(), &FPos, move, origin, newPosition);
}

HRESULT TByteViewStream::SetSize(uint64_t) { return STG_E_ACCESSDENIED; }

HRESULT TByteViewStream::CopyTo(IStream* target, uint64_t count, uint64_t* read, uint64_t* written) {
  return streamops::CopyTo(FBytes, &FPos, target, count, read, written);
}

HRESULT TByteViewStream::Stat(STATSTG* stat, uint32_t) { return streamops::Stat(FBytes.size(), stat); }

HRESULT TByteViewStream::Clone(IStream** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  return E_NOTIMPL;
}
