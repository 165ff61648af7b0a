#include "uStratDataBase.h"

#include <cstdint>
#include <limits>
#include <new>
#include <utility>

#include "qs.h"
#include "uMemoryStream.h"
#include "uStratBytes.h"
#include "uStratCategories.h"
#include "uStratField.h"
#include "uStratFile.h"
#include "uStratUpper.h"

namespace {
constexpr int32_t kCountValue = 65536;
constexpr int32_t kOptionsValue = 65537;
constexpr uint32_t kOldHeaderSize = 16;

TComPtr<IStratSignOld> OldOf(IStratSign* sign) {
  TComPtr<IStratSignOld> old;
  if (sign) sign->QueryInterface(IID_IStratSignOld, reinterpret_cast<void**>(old.Put()));
  return old;
}
}  // namespace

TStratDataBase* TStratDataBase::Create() {
  auto* database = new (std::nothrow) TStratDataBase();
  if (!database) return nullptr;
  if (CreateStratCategories(database->FCategories.Put()) != S_OK) {
    delete database;
    return nullptr;
  }
  return database;
}

void* TStratDataBase::FindInterface(const GUID& iid) {
  if (iid == IID_IUnknown || iid == IID_IStratStream) return static_cast<IStratStream*>(this);
  if (iid == IID_IStratDataBase) return static_cast<IStratDataBase*>(this);
  if (iid == IID_IStratDataBaseOld) return static_cast<IStratDataBaseOld*>(this);
  if (iid == IID_IStratFileName) return static_cast<IStratFileName*>(this);
  return nullptr;
}

HRESULT TStratDataBase::FindByName(const TShortString& name, IStratSign** sign) {
  if (!sign) return E_INVALIDARG;
  *sign = nullptr;
  const std::string_view wanted = ShortStringView(name);
  // A column looks up every sign of every layer it draws: through an index of the names,
  // made again after any change to the list or to any field (a sign's name lives in its own).
  if (FIndexedChanges != FChanges || FIndexedFields != StratSignFieldChanges() || FIndexedCount != FSigns.size())
    BuildIndex();
  TShortString own{};
  if (const auto it = FIndex.find(UpperCp1251(wanted)); it != FIndex.end()) {
    IStratSign* found = FSigns[it->second].Get();
    // Signs from elsewhere may be renamed behind the index's back: the name must still hold.
    found->GetName(&own);
    if (SameTextCp1251(ShortStringView(own), wanted)) {
      *sign = found;
      found->AddRef();
      return S_OK;
    }
  }
  // Not in the index: only a sign renamed behind its back can still have the name.
  for (const auto& candidate : FSigns) {
    candidate->GetName(&own);
    if (SameTextCp1251(ShortStringView(own), wanted)) {
      FIndexedCount = SIZE_MAX;  // made again on the next search
      *sign = candidate.Get();
      candidate->AddRef();
      return S_OK;
    }
  }
  return E_FAIL;
}

void TStratDataBase::BuildIndex() {
  FIndex.clear();
  for (size_t i = 0; i < FSigns.size(); ++i) {
    TShortString own{};
    FSigns[i]->GetName(&own);
    FIndex.try_emplace(UpperCp1251(ShortStringView(own)), i);  // the lowest index wins
  }
  FIndexedChanges = FChanges;
  FIndexedFields = StratSignFieldChanges();
  FIndexedCount = FSigns.size();
}

HRESULT TStratDataBase::AddSign(IStratStream* sign, bool copy) {
  if (!sign) return E_INVALIDARG;
  TComPtr<IStratSign> added;
  if (copy) {
    HRESULT hr = stratCreateSign(added.Put());
    if (hr != S_OK) return hr;
    hr = stratCopy(sign, added.Get());
    if (hr != S_OK) return hr;
  } else {
    const HRESULT hr = sign->QueryInterface(IID_IStratSign, reinterpret_cast<void**>(added.Put()));
    if (hr != S_OK) return hr;
  }
  try {
    FSigns.push_back(std::move(added));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  ++FChanges;
  NoteStratDrawingChange();
  return S_OK;
}

HRESULT TStratDataBase::GetSign(int32_t index, IStratSign** sign) {
  if (!sign) return E_INVALIDARG;
  *sign = nullptr;
  if (!InRange(index)) return E_INVALIDARG;
  *sign = FSigns[static_cast<size_t>(index)].Get();
  (*sign)->AddRef();
  return S_OK;
}

bool TStratDataBase::DeleteSign(int32_t index) {
  if (!InRange(index)) return false;
  FSigns.erase(FSigns.begin() + index);
  ++FChanges;
  NoteStratDrawingChange();
  return true;
}

HRESULT TStratDataBase::ExchangeSigns(int32_t index1, int32_t index2) {
  if (!InRange(index1) || !InRange(index2)) return E_INVALIDARG;
  std::swap(FSigns[static_cast<size_t>(index1)], FSigns[static_cast<size_t>(index2)]);
  ++FChanges;
  NoteStratDrawingChange();
  return S_OK;
}

void TStratDataBase::GetFileName(TShortString* result) {
  if (result) *result = FFileName;
}

HRESULT TStratDataBase::SetFileName(const TShortString& name) {
  FFileName = name;
  return S_OK;
}

HRESULT TStratDataBase::SaveToQS(ICompoundStream* qs) {
  HRESULT hr = TStratStreamCore::SaveToQS(qs);
  if (hr != S_OK) return hr;
  hr = qs->WriteInteger(kCountValue, SignCount());
  if (hr != S_OK) return hr;
  qs->WriteInteger(kOptionsValue, FOptions);
  for (size_t i = 0; i < FSigns.size(); ++i) {
    hr = stratSaveToQS(static_cast<int32_t>(i), FSigns[i].Get(), qs);
    if (hr != S_OK) return hr;
  }
  return S_OK;
}

HRESULT TStratDataBase::LoadFromQS(ICompoundStream* qs) {
  HRESULT hr = TStratStreamCore::LoadFromQS(qs);
  if (hr != S_OK) return hr;
  FSigns.clear();
  ++FChanges;
  NoteStratDrawingChange();
  int32_t count = 0;
  qs->ReadInteger(kCountValue, 0, 0, &count);
  qs->ReadInteger(kOptionsValue, 0, 0, &FOptions);
  for (int32_t i = 0; i < count; ++i) {
    TComPtr<IStratSign> sign;
    hr = stratCreateSign(sign.Put());
    if (hr != S_OK) return hr;
    hr = stratLoadFromQS(i, sign.Get(), qs);
    if (hr != S_OK) {
      FSigns.clear();
      return hr;
    }
    try {
      FSigns.push_back(std::move(sign));
    } catch (const std::bad_alloc&) {
      FSigns.clear();
      return E_OUTOFMEMORY;
    }
  }
  return S_OK;
}

HRESULT TStratDataBase::LoadFromStreamImpl(IStream* stream) {
  if (!stream) return E_INVALIDARG;
  TComPtr<ICompoundStream> qs;
  if (qsCreateFromStream(stream, qs.Put()) == S_OK) return LoadFromQS(qs.Get());

  // Not a compound stream: the older raw form.
  uint64_t size = 0;
  HRESULT hr = stream->Seek(0, STREAM_SEEK_END, &size);
  if (hr != S_OK) return hr;
  hr = stream->Seek(0, STREAM_SEEK_SET, nullptr);
  if (hr != S_OK) return hr;
  if (size > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return E_OUTOFMEMORY;
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  uint32_t done = 0;
  if (size == 0 || stream->Read(bytes.data(), static_cast<uint32_t>(size), &done) != S_OK || done != size)
    return E_FAIL;
  return LoadOldForm(bytes.data(), static_cast<int32_t>(size), true) >= 1 ? S_OK : E_FAIL;
}

int32_t TStratDataBase::SaveToOldBuffer(void* buffer, int32_t length) {
  uint64_t size = kOldHeaderSize;
  std::vector<TComPtr<IStratSignOld>> olds;
  olds.reserve(FSigns.size());
  for (const auto& sign : FSigns) {
    olds.push_back(OldOf(sign.Get()));
    if (!olds.back()) return 0;
    const int32_t n = olds.back()->SaveToOldBuffer(nullptr, 0);
    if (n <= 0) return 0;
    size += static_cast<uint64_t>(n);
  }
  const int32_t categories = FCategories->SaveToBuffer(nullptr, 0);
  if (categories <= 0) return 0;
  size += static_cast<uint64_t>(categories);
  if (size > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return 0;
  if (!buffer) return static_cast<int32_t>(size);
  if (length < 0 || static_cast<uint64_t>(length) < size) return 0;

  auto* out = static_cast<uint8_t*>(buffer);
  PutLE32(out, static_cast<uint32_t>(size));
  PutLE32(out + 4, static_cast<uint32_t>(FSigns.size()));
  PutLE32(out + 8, 0);
  PutLE32(out + 12, 0);
  uint64_t offset = kOldHeaderSize;
  for (const auto& old : olds) {
    const int32_t n = old->SaveToOldBuffer(out + offset, static_cast<int32_t>(size - offset));
    if (n <= 0) return 0;
    offset += static_cast<uint64_t>(n);
  }
  const int32_t n = FCategories->SaveToBuffer(out + offset, static_cast<int32_t>(size - offset));
  if (n <= 0) return 0;
  return static_cast<int32_t>(size);
}

int32_t TStratDataBase::LoadFromOldBuffer(const void* buffer, int32_t length) {
  return LoadOldForm(buffer, length, false);
}

int32_t TStratDataBase::LoadOldForm(const void* buffer, int32_t length, bool acceptEmpty) {
  if (!buffer || length < static_cast<int32_t>(kOldHeaderSize)) return 0;
  const TByteView in{static_cast<const uint8_t*>(buffer), static_cast<uint64_t>(length)};
  const uint32_t total = in.LE32(0);
  const auto count = static_cast<int32_t>(in.LE32(4));
  if (total < kOldHeaderSize || total > in.Size) return 0;
  // Only the bytes the header declares belong to the database.
  const auto* data = in.Data;
  const uint64_t end = total;

  FSigns.clear();
  ++FChanges;
  NoteStratDrawingChange();
  uint64_t offset = kOldHeaderSize;
  for (int32_t i = 0; i < count; ++i) {
    TComPtr<IStratSign> sign;
    if (stratCreateSign(sign.Put()) != S_OK) return 0;
    TComPtr<IStratSignOld> old = OldOf(sign.Get());
    const int32_t n = old ? old->LoadFromOldBuffer(data + offset, static_cast<int32_t>(end - offset)) : 0;
    if (n <= 0) return 0;
    try {
      FSigns.push_back(std::move(sign));
    } catch (const std::bad_alloc&) {
      return 0;
    }
    offset += static_cast<uint64_t>(n);
  }
  if (count < 0 || (count == 0 && !acceptEmpty)) return 0;
  // With no sign to vouch for it, the bytes are a database only when a category block fills
  // exactly what the header declares (as SaveToOldBuffer writes an empty one).
  if (count == 0 && TByteView{data, end}.LE32(offset) != end - offset) return 0;
  const int32_t categories = FCategories->LoadFromBuffer(data + offset, static_cast<int32_t>(end - offset));
  if (count == 0 && categories <= 0) return 0;
  return static_cast<int32_t>(offset + static_cast<uint64_t>(categories));
}

HRESULT TStratDataBase::LoadFromOldFile(const char* path) {
  if (!path) return E_INVALIDARG;
  std::vector<uint8_t> bytes;
  switch (ReadWholeFile(path, &bytes)) {
    case TFileRead::Ok:
      break;
    case TFileRead::NoMemory:
      return E_OUTOFMEMORY;
    default:
      return E_INVALIDARG;
  }
  if (bytes.size() < kOldHeaderSize) return E_INVALIDARG;
  // A file that does not hold a database is reported, not taken as loaded; an empty one loads.
  if (LoadOldForm(bytes.data(), static_cast<int32_t>(bytes.size()), true) <= 0) return E_FAIL;
  SetShortString(&FFileName, path);
  return S_OK;
}

HRESULT TStratDataBase::SaveToOldFile(const char* path) {
  if (!path) return E_INVALIDARG;
  const int32_t size = SaveToOldBuffer(nullptr, 0);
  if (size <= 0) return E_FAIL;
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  if (SaveToOldBuffer(bytes.data(), size) != size) return E_FAIL;
  if (WriteWholeFile(path, bytes.data(), bytes.size()) != TFileWrite::Ok) return E_FAIL;
  SetShortString(&FFileName, path);
  return S_OK;
}
