#include "uStratStream.h"

#include <cstring>

#include "qs.h"
#include "uComPtr.h"
#include "uMemoryStream.h"

namespace {
constexpr int32_t kClassIdValue = -1;
}

HRESULT TStratStreamCore::SaveToQS(ICompoundStream* qs) {
  if (!qs) return E_INVALIDARG;
  const GUID id = ClassID();
  return qs->WriteBuffer(kClassIdValue, &id, sizeof id) == S_OK ? S_OK : E_FAIL;
}

HRESULT TStratStreamCore::LoadFromQS(ICompoundStream* qs) {
  if (!qs) return E_INVALIDARG;
  GUID stored{};
  uint32_t size = sizeof stored;
  if (qs->ReadData(kClassIdValue, 0, &stored, &size) != S_OK || size != sizeof stored) return E_PENDING;
  return stored == ClassID() ? S_OK : E_PENDING;
}

HRESULT TStratStreamCore::LoadFromStreamImpl(IStream* stream) {
  if (!stream) return E_INVALIDARG;
  TComPtr<ICompoundStream> qs;
  const HRESULT hr = qsCreateFromStream(stream, qs.Put());
  if (hr != S_OK) return hr;
  return LoadFromQS(qs.Get());
}

HRESULT TStratStreamCore::SaveToStreamImpl(IStream* stream) {
  if (!stream) return E_INVALIDARG;
  TComPtr<ICompoundStream> qs;
  qsCreateCompoundStream(qs.Put());
  if (!qs || SaveToQS(qs.Get()) != S_OK) return E_FAIL;
  return qsSaveToStream(qs.Get(), stream);
}

int32_t TStratStreamCore::GetSizeImpl() {
  TComPtr<ICompoundStream> qs;
  qsCreateCompoundStream(qs.Put());
  if (!qs) return 0;
  SaveToQS(qs.Get());
  uint64_t size = 0;
  if (qsGetSize(qs.Get(), &size) != S_OK) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(size));
}

HRESULT TStratStreamCore::SaveToBufferImpl(void* buffer, int32_t length) {
  if (!buffer || length <= 0) return E_INVALIDARG;
  TComPtr<IStream> memory;
  HRESULT hr = CreateMemoryStream(memory.Put());
  if (hr != S_OK) return hr;
  hr = SaveToStreamImpl(memory.Get());
  if (hr != S_OK) return hr;
  hr = memory->Seek(0, STREAM_SEEK_SET, nullptr);
  if (hr != S_OK) return hr;
  // A buffer smaller than the saved form receives only its first `length` bytes.
  return memory->Read(buffer, static_cast<uint32_t>(length), nullptr);
}

HRESULT TStratStreamCore::LoadFromBufferImpl(const void* buffer, int32_t length) {
  if (!buffer || length <= 0) return E_INVALIDARG;
  TComPtr<IStream> memory;
  HRESULT hr = CreateMemoryStream(memory.Put());
  if (hr != S_OK) return hr;
  memory->Seek(0, STREAM_SEEK_SET, nullptr);
  hr = memory->Write(buffer, static_cast<uint32_t>(length), nullptr);
  if (hr != S_OK) return hr;
  return LoadFromStreamImpl(memory.Get());
}
