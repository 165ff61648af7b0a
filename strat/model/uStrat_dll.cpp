// The library's exports: creation, copying, compound streams and files.
// Objects use these same functions for their own work, so the exported and
// the internal behaviour are one.
#include <QFileInfo>
#include <QString>
#include <new>
#include <vector>

#include "qs.h"
#include "strat.h"
#include "uEmfDocument.h"
#include "uFImportDB.h"
#include "uMemoryStream.h"
#include "uStratDataBase.h"
#include "uStratField.h"
#include "uStratFile.h"
#include "uStratSign.h"

namespace {
template <class I>
TComPtr<I> Query(IUnknown* object, const GUID& iid) {
  TComPtr<I> result;
  if (object) object->QueryInterface(iid, reinterpret_cast<void**>(result.Put()));
  return result;
}

// Hands `object` out as `iid`; an object that does not answer is destroyed.
template <class T>
HRESULT HandOut(T* object, const GUID& iid, void** out) {
  if (!object) return E_OUTOFMEMORY;
  object->AddRef();
  const HRESULT hr = object->QueryInterface(iid, out);
  object->Release();  // the last reference when the query failed
  return hr;
}
}  // namespace

KERNO_EXPORT HRESULT stratCreateSign(IStratSign** sign) {
  if (!sign) return E_INVALIDARG;
  *sign = nullptr;
  return HandOut(TStratSign::Create(), IID_IStratSign, reinterpret_cast<void**>(sign));
}

KERNO_EXPORT HRESULT stratCreateField(IStratField** field) {
  if (!field) return E_INVALIDARG;
  *field = nullptr;
  // Handed out as the interface it is, with its one reference: every layer of a
  // column makes one, and a query would take and drop two more (locked counts).
  auto* made = new (std::nothrow) TStratField();
  if (!made) return E_OUTOFMEMORY;
  made->AddRef();
  *field = made;
  return S_OK;
}

KERNO_EXPORT HRESULT stratCreateDataBase(IStratDataBase** database) {
  if (!database) return E_INVALIDARG;
  *database = nullptr;
  return HandOut(TStratDataBase::Create(), IID_IStratDataBase, reinterpret_cast<void**>(database));
}

KERNO_EXPORT HRESULT stratCreateDataBaseold(IStratDataBaseOld** database) {
  if (!database) return E_INVALIDARG;
  *database = nullptr;
  return HandOut(TStratDataBase::Create(), IID_IStratDataBaseOld, reinterpret_cast<void**>(database));
}

KERNO_EXPORT HRESULT stratCreate(const GUID* classId, void** object) {
  if (!object) return E_INVALIDARG;
  *object = nullptr;
  if (!classId) return E_INVALIDARG;
  if (*classId == CLSID_StratField) return stratCreateField(reinterpret_cast<IStratField**>(object));
  if (*classId == CLSID_StratSign) return stratCreateSign(reinterpret_cast<IStratSign**>(object));
  if (*classId == CLSID_StratDataBase) return stratCreateDataBase(reinterpret_cast<IStratDataBase**>(object));
  return E_NOTIMPL;
}

KERNO_EXPORT HRESULT stratCopy(IUnknown* source, IUnknown* target) {
  if (!source || !target) return E_INVALIDARG;
  TComPtr<IStratStream> from, to;
  HRESULT hr = source->QueryInterface(IID_IStratStream, reinterpret_cast<void**>(from.Put()));
  if (hr != S_OK) return hr;
  hr = target->QueryInterface(IID_IStratStream, reinterpret_cast<void**>(to.Put()));
  if (hr != S_OK) return hr;
  TComPtr<IStream> memory;
  hr = CreateMemoryStream(memory.Put());
  if (hr != S_OK) return hr;
  hr = from->SaveToStream(memory.Get());
  if (hr != S_OK) return hr;
  return to->LoadFromStream(memory.Get());
}

KERNO_EXPORT HRESULT stratSaveToQS(int32_t id, IUnknown* object, ICompoundStream* qs) {
  if (!object || !qs) return E_INVALIDARG;
  TComPtr<IStream> memory;
  HRESULT hr = CreateMemoryStream(memory.Put());
  if (hr != S_OK) return hr;
  TComPtr<IStratStream> stream;
  hr = object->QueryInterface(IID_IStratStream, reinterpret_cast<void**>(stream.Put()));
  if (hr != S_OK) return hr;
  hr = stream->SaveToStream(memory.Get());
  if (hr != S_OK) return hr;
  return qs->WriteStream(id, memory.Get(), -1);
}

KERNO_EXPORT HRESULT stratLoadFromQS(int32_t id, IUnknown* object, ICompoundStream* qs) {
  if (!object || !qs) return E_INVALIDARG;
  TComPtr<IStream> memory;
  HRESULT hr = CreateMemoryStream(memory.Put());
  if (hr != S_OK) return hr;
  TComPtr<IStratStream> stream;
  hr = object->QueryInterface(IID_IStratStream, reinterpret_cast<void**>(stream.Put()));
  if (hr != S_OK) return hr;
  hr = qs->ReadStream(id, 0, memory.Get());
  if (hr != S_OK) return hr;
  return stream->LoadFromStream(memory.Get());
}

KERNO_EXPORT HRESULT stratLoad(const char* path, IUnknown* object) {
  if (!path || !object) return E_INVALIDARG;
  if (QFileInfo(QFile::decodeName(path)).suffix().toUpper() == QLatin1String("CSV")) {
    TComPtr<IStratDataBase> database = Query<IStratDataBase>(object, IID_IStratDataBase);
    if (!database) return E_INVALIDARG;
    // A rock-code list: its signs are built from the pictures it names.
    return stratedit::ImportRockCodeList(QFile::decodeName(path), database.Get());
  }
  TComPtr<IStratStream> stream;
  HRESULT hr = object->QueryInterface(IID_IStratStream, reinterpret_cast<void**>(stream.Put()));
  if (hr != S_OK) return hr;
  std::vector<uint8_t> bytes;
  switch (ReadWholeFile(path, &bytes)) {
    case TFileRead::Ok:
      break;
    case TFileRead::NoMemory:
    case TFileRead::ShortRead:
      return E_OUTOFMEMORY;
    default:
      return E_FAIL;  // missing, unreadable or empty
  }
  hr = stream->LoadFromBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  if (hr != S_OK) return hr;
  // Only databases keep a file name; other objects load all the same.
  stratSetFileName(object, MakeShortString(path));
  return S_OK;
}

KERNO_EXPORT HRESULT stratSave(const char* path, IUnknown* object) {
  if (!path || !object) return E_INVALIDARG;
  TComPtr<IStratStream> stream;
  HRESULT hr = object->QueryInterface(IID_IStratStream, reinterpret_cast<void**>(stream.Put()));
  if (hr != S_OK) return hr;
  const int32_t size = stream->GetSize();
  if (size <= 0) return E_FAIL;
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  hr = stream->SaveToBuffer(bytes.data(), size);
  if (hr != S_OK) return hr;
  switch (WriteWholeFile(path, bytes.data(), bytes.size())) {
    case TFileWrite::Ok:
      break;
    case TFileWrite::CannotCreate:
      return E_FAIL;
    case TFileWrite::ShortWrite:
      return STG_E_WRITEFAULT;
  }
  stratSetFileName(object, MakeShortString(path));
  return S_OK;
}

KERNO_EXPORT void stratGetCurrentFileName(TShortString* name, IUnknown* object) {
  if (!name) return;
  name->Length = 0;
  if (auto files = Query<IStratFileName>(object, IID_IStratFileName)) files->GetFileName(name);
}

KERNO_EXPORT HRESULT stratSetFileName(IUnknown* object, const TShortString& name) {
  if (!object) return E_INVALIDARG;
  TComPtr<IStratFileName> files;
  const HRESULT hr = object->QueryInterface(IID_IStratFileName, reinterpret_cast<void**>(files.Put()));
  if (hr != S_OK) return hr;
  return files->SetFileName(name);
}

KERNO_EXPORT HRESULT stratSetMetaFile(IStratSign* sign, const char* path) {
  if (!sign || !path || !FileExists(path)) return E_INVALIDARG;
  std::unique_ptr<TEmfDocument> picture = TEmfDocument::FromFile(QFile::decodeName(path));
  if (!picture) return E_FAIL;
  return sign->SetMetafile(picture.release());
}

KERNO_EXPORT HRESULT stratSaveMetafile(IStratSign* sign, const char* path) {
  if (!sign || !path) return E_INVALIDARG;
  TEmfDocument* picture = sign->GetMetafile();
  if (!picture) return E_PENDING;
  return picture->SaveToFile(QFile::decodeName(path)) ? S_OK : E_FAIL;
}
