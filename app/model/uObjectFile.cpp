#include "uObjectFile.h"

#include <QFileInfo>

#include "uKinds.h"
#include "uPrintObjectList.h"
#include "uStorage.h"

std::unique_ptr<TPrintObjectList> LoadObjectFile(const QString& path, QString* error) {
  auto fail = [&](const QString& text) {
    if (error) *error = text;
    return nullptr;
  };
  HRESULT hr = S_OK;
  auto storage = TStorage::OpenFile(path, &hr);
  if (!storage) {
    if (hr == STG_E_FILENOTFOUND) return fail(QStringLiteral("%1: no such file").arg(path));
    if (hr == STG_E_INVALIDHEADER) return fail(QStringLiteral("%1: not a Compound File").arg(path));
    return fail(QStringLiteral("%1: cannot be read").arg(path));
  }
  CheckFileVersion(storage.get());
  const int kind = ReadStorageKind(storage.get());
  std::unique_ptr<TPrintObject> made = CreateKindObject(kind);
  auto* list = made ? made->AsObjectList() : nullptr;
  if (!list)
    return fail(
        QStringLiteral("%1: root kind %2 (%3) is not a known object list").arg(path).arg(kind).arg(KindName(kind)));
  made.release();
  std::unique_ptr<TPrintObjectList> object(list);
  if (!object->LoadFromStorage(storage.get()))
    return fail(QStringLiteral("%1: the root object cannot be loaded").arg(path));
  return object;
}

HRESULT SaveObjectFile(TPrintObjectList* object, const QString& path, QString* error) {
  auto fail = [&](HRESULT hr, const QString& text) {
    if (error) *error = text;
    return hr;
  };
  if (!object) return fail(E_INVALIDARG, QStringLiteral("nothing to save"));
  HRESULT hr = S_OK;
  auto storage = TStorage::CreateFile(path, &hr);
  if (!storage) return fail(hr, QStringLiteral("%1: the folder does not exist").arg(path));
  if (!object->SaveToStorage(storage.get()))
    return fail(E_FAIL, QStringLiteral("%1: the object could not be written").arg(path));
  hr = storage->Commit();
  if (hr != S_OK) return fail(hr, QStringLiteral("%1: the file could not be written").arg(path));
  return S_OK;
}
