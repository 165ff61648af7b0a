#include "uLanguageObject.h"

#include <QFile>
#include <new>

#include "uCodePage.h"
#include "uLanguage.h"
#include "uUnknownImpl.h"

namespace {
QString FromAnsi(const char* text) { return text ? QString::fromStdString(Cp1251ToUtf8(text)) : QString(); }

class TLanguageObject final : public TUnknownImpl<ILanguage> {
 public:
  HRESULT Load(const char* path) override {
    if (!path) return E_INVALIDARG;
    return LoadLanguage(QFile::decodeName(path)) ? S_OK : E_FAIL;
  }

  HRESULT Lookup(const char* section, const char* key, const char* def, TShortString* text) override {
    if (!text) return E_INVALIDARG;
    const QString found = Translate(FromAnsi(section), FromAnsi(key), FromAnsi(def));
    SetShortString(text, Utf8ToCp1251(found.toStdString()));
    return S_OK;
  }

 protected:
  void* FindInterface(const GUID& iid) override {
    if (iid == IID_IUnknown || iid == IID_ILanguage) return static_cast<ILanguage*>(this);
    return nullptr;
  }
};
}  // namespace

TComPtr<ILanguage> CreateLanguageObject() {
  auto* object = new (std::nothrow) TLanguageObject();
  return TComPtr<ILanguage>(object);
}
