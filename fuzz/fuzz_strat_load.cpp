// Fuzz target for the lithology library's readers: arbitrary bytes are loaded
// as a database (compound stream form or old raw form), as a sign's old raw
// record and as a category list. Whatever loads is walked, drawn once and must
// survive a save and reload unchanged.
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "strat.h"
#include "uComPtr.h"
#include "uStratCategories.h"

namespace {
void Check(bool condition) {
  if (!condition) std::abort();
}

template <class I>
TComPtr<I> As(IUnknown* object, const GUID& iid) {
  TComPtr<I> result;
  object->QueryInterface(iid, reinterpret_cast<void**>(result.Put()));
  return result;
}

std::vector<uint8_t> Saved(IStratStream* stream) {
  const int32_t size = stream->GetSize();
  Check(size > 0);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  Check(stream->SaveToBuffer(bytes.data(), size) == S_OK);
  return bytes;
}

void WalkSign(IStratSign* sign, QPainter* painter) {
  TShortString name{};
  sign->GetName(&name);
  Check(name.Length <= 255);
  TComPtr<IStratField> field;
  Check(sign->GetFields(field.Put()) == S_OK);
  for (int32_t i = 0; i < field->Count() && i < 64; ++i) {
    TStratPlacement item{};
    Check(field->GetItem(i, &item) == S_OK);
    // Stored counts and sizes are whatever the bytes say: drawing must cope.
    sign->Draw(painter, item, 0, 0, 1.0);
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);

  TComPtr<IStratDataBase> database;
  Check(stratCreateDataBase(database.Put()) == S_OK);
  auto stream = As<IStratStream>(database.Get(), IID_IStratStream);
  if (stream->LoadFromBuffer(data, static_cast<int32_t>(size)) == S_OK) {
    for (int32_t i = 0; i < database->SignCount(); ++i) {
      TComPtr<IStratSign> sign;
      Check(database->GetSign(i, sign.Put()) == S_OK);
      WalkSign(sign.Get(), &painter);
    }
    // Saved, reloaded and saved again: the same bytes, in both forms.
    const std::vector<uint8_t> saved = Saved(stream.Get());
    TComPtr<IStratDataBase> again;
    Check(stratCreateDataBase(again.Put()) == S_OK);
    auto againStream = As<IStratStream>(again.Get(), IID_IStratStream);
    Check(againStream->LoadFromBuffer(saved.data(), static_cast<int32_t>(saved.size())) == S_OK);
    Check(Saved(againStream.Get()) == saved);
    auto old = As<IStratDataBaseOld>(database.Get(), IID_IStratDataBaseOld);
    const int32_t oldSize = old->SaveToOldBuffer(nullptr, 0);
    Check(oldSize >= 32);
    std::vector<uint8_t> raw(static_cast<size_t>(oldSize));
    Check(old->SaveToOldBuffer(raw.data(), oldSize) == oldSize);
  }

  TComPtr<IStratSign> sign;
  Check(stratCreateSign(sign.Put()) == S_OK);
  auto signOld = As<IStratSignOld>(sign.Get(), IID_IStratSignOld);
  const int32_t used = signOld->LoadFromOldBuffer(data, static_cast<int32_t>(size));
  Check(used >= 0 && static_cast<size_t>(used) <= size);
  if (used > 0) WalkSign(sign.Get(), &painter);

  TComPtr<IStratCategories> categories;
  Check(CreateStratCategories(categories.Put()) == S_OK);
  const int32_t consumed = categories->LoadFromBuffer(data, static_cast<int32_t>(size));
  Check(consumed >= 0 && static_cast<size_t>(consumed) <= size);
  if (consumed > 0) {
    const int32_t need = categories->SaveToBuffer(nullptr, 0);
    std::vector<uint8_t> back(static_cast<size_t>(need));
    Check(categories->SaveToBuffer(back.data(), need) == need);
  }
  return 0;
}
