// Helpers shared by the lithology library tests.
#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "qs.h"
#include "strat.h"
#include "uComPtr.h"
#include "uEmfDocument.h"
#include "uRect.h"
#include "uTestEmf.h"

namespace teststrat {

template <class I>
TComPtr<I> QueryAs(IUnknown* object, const GUID& iid) {
  TComPtr<I> result;
  if (object) object->QueryInterface(iid, reinterpret_cast<void**>(result.Put()));
  return result;
}

inline std::string NameOf(IStratSign* sign) {
  TShortString name{};
  sign->GetName(&name);
  return ShortStringText(name);
}

inline std::string ItemName(IStratField* field, int32_t index) {
  TShortString name{};
  field->GetName(index, &name);
  return ShortStringText(name);
}

inline std::unique_ptr<TEmfDocument> Picture(int32_t width001mm, int32_t height001mm) {
  const std::vector<uint8_t> bytes = MakeEmf(width001mm, height001mm);
  return TEmfDocument::FromBytes(bytes.data(), bytes.size());
}

// A sign named `name` with a picture of the given size (hundredths of a millimetre).
inline TComPtr<IStratSign> MakeSign(const std::string& name, int32_t width001mm = 1000, int32_t height001mm = 500) {
  TComPtr<IStratSign> sign;
  stratCreateSign(sign.Put());
  sign->SetName(MakeShortString(name));
  if (width001mm > 0) sign->SetMetafile(Picture(width001mm, height001mm).release());
  return sign;
}

inline TComPtr<IStratDataBase> MakeDataBase(const std::vector<std::string>& names) {
  TComPtr<IStratDataBase> database;
  stratCreateDataBase(database.Put());
  for (const auto& name : names) {
    TComPtr<IStratSign> sign = MakeSign(name);
    database->AddSign(QueryAs<IStratStream>(sign.Get(), IID_IStratStream).Get(), false);
  }
  return database;
}

inline std::vector<std::string> SignNames(IStratDataBase* database) {
  std::vector<std::string> names;
  for (int32_t i = 0; i < database->SignCount(); ++i) {
    TComPtr<IStratSign> sign;
    database->GetSign(i, sign.Put());
    names.push_back(NameOf(sign.Get()));
  }
  return names;
}

// The saved compound stream of any library object.
inline TComPtr<ICompoundStream> SavedForm(IUnknown* object) {
  TComPtr<ICompoundStream> parent, child;
  qsCreateCompoundStream(parent.Put());
  if (stratSaveToQS(0, object, parent.Get()) == S_OK) qsReadCompoundStream(parent.Get(), 0, child.Put());
  return child;
}

// Loads `qs` into `object` the way a parent stream hands it over.
inline HRESULT LoadForm(IUnknown* object, ICompoundStream* qs) {
  TComPtr<ICompoundStream> parent;
  qsCreateCompoundStream(parent.Put());
  qsWriteCompoundStream(parent.Get(), 0, qs);
  return stratLoadFromQS(0, object, parent.Get());
}

inline std::string PathIn(const QTemporaryDir& dir, const char* name) {
  return QDir(dir.path()).filePath(name).toStdString();
}

}  // namespace teststrat
