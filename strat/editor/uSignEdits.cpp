#include "uSignEdits.h"

#include "uComPtr.h"
#include "uStratTexts.h"

namespace stratedit {

namespace {
TComPtr<IStratSignCaptions> CaptionsOf(IStratSign* sign) {
  TComPtr<IStratSignCaptions> captions;
  if (sign) sign->QueryInterface(IID_IStratSignCaptions, reinterpret_cast<void**>(captions.Put()));
  return captions;
}
}  // namespace

QString SignName(IStratSign* sign) {
  if (!sign) return {};
  TShortString name{};
  sign->GetName(&name);
  return TextOf(name);
}

HRESULT RenameSign(IStratSign* sign, const QString& name) {
  if (!sign) return E_INVALIDARG;
  const TShortString text = ShortOf(name);
  HRESULT hr = sign->SetName(text);
  if (hr != S_OK) return hr;
  TComPtr<IStratField> templates;
  hr = sign->GetFields(templates.Put());
  if (hr != S_OK) return hr;
  for (int32_t i = 1; i < templates->Count(); ++i) {
    TStratPlacement item{};
    if (templates->GetItem(i, &item) != S_OK) continue;
    item.SignName = text;
    templates->SetItem(i, item);
  }
  return S_OK;
}

QString SignCaption(IStratSign* sign, const QString& language, bool fallback) {
  TComPtr<IStratSignCaptions> captions = CaptionsOf(sign);
  TShortString caption{};
  if (captions) {
    captions->GetCaption(ToAnsi(language).c_str(), &caption);
    if (caption.Length == 0 && fallback) captions->GetCaption("en", &caption);
  }
  if (caption.Length == 0 && fallback) return SignName(sign);
  return TextOf(caption);
}

HRESULT SetSignCaption(IStratSign* sign, const QString& language, const QString& caption) {
  TComPtr<IStratSignCaptions> captions = CaptionsOf(sign);
  if (!captions) return E_NOINTERFACE;
  return captions->SetCaption(ToAnsi(language).c_str(), ShortOf(caption));
}

}  // namespace stratedit
