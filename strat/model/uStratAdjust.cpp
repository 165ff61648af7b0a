// Automatic placement: fits the items of a field to a rectangle using the
// templates of the signs they name.
#include <climits>
#include <cmath>
#include <cstring>

#include "strat.h"
#include "uComPtr.h"
#include "uNumbers.h"

namespace {
// Whole blocks along one axis; a span that divides by zero (or by a negative
// pitch) keeps a single block rather than producing a meaningless count.
int32_t CountBlocks(double extent, double pitch, bool coverAll) {
  if (!(pitch > 0)) return 1;
  const double n = extent / pitch;
  if (coverAll) {
    const double up = std::ceil(n);
    return up >= static_cast<double>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(up);
  }
  return RoundEven(n);
}

bool SameBytes(const TShortString& a, const TShortString& b) {
  return a.Length == b.Length && std::memcmp(a.Chars, b.Chars, a.Length) == 0;
}

// The `k`-th item of `field` (from 0) named exactly `name`, appended when there are fewer.
int32_t TargetItem(IStratField* field, const TShortString& name, int32_t k) {
  int32_t seen = 0;
  const int32_t count = field->Count();
  for (int32_t j = 0; j < count; ++j) {
    TShortString own{};
    field->GetName(j, &own);
    if (SameBytes(own, name) && seen++ == k) return j;
  }
  if (field->Add(name) != S_OK) return -1;
  return field->Count() - 1;
}

void FitSign(IStratSign* sign, IStratField* field, double width, double height) {
  TComPtr<IStratField> templates;
  if (sign->GetFields(templates.Put()) != S_OK || !templates) return;
  TShortString name{};
  sign->GetName(&name);
  const double w = sign->Width();
  const double h = sign->Height();
  const int32_t templateCount = templates->Count();
  for (int32_t k = 0; k < templateCount; ++k) {
    const int32_t target = TargetItem(field, name, k);
    if (target < 0) return;
    TStratPlacement tpl{};
    if (templates->GetItem(k, &tpl) != S_OK) continue;
    TStratPlacement item{};
    item.SignName = name;
    item.Flags = tpl.Flags;
    item.OffsetX = tpl.OffsetX;
    item.OffsetY = tpl.OffsetY;
    item.SpaceX = tpl.SpaceX;
    item.SpaceY = tpl.SpaceY;
    if (tpl.Flags & kStratCutOutside) {
      item.CountX = CountBlocks(width, w + tpl.SpaceX, true);
      item.CountY = CountBlocks(height, h + tpl.SpaceY, true);
    } else {
      // A sign taller than the room left below its offset is centred vertically.
      if (h + item.OffsetY > height) item.OffsetY = height / 2 - h / 2;
      item.CountX = CountBlocks(width, w + tpl.SpaceX, false);
      item.CountY = CountBlocks(height, h + tpl.SpaceY, false);
    }
    field->SetItem(target, item);
  }
}
}  // namespace

KERNO_EXPORT HRESULT stratAdjuctField(IStratDataBase* database, IStratField* field, double width, double height) {
  if (!database || !field || !(width > 0) || !(height > 0)) return E_INVALIDARG;
  const int32_t n = field->Count();
  for (int32_t i = 0; i < n; ++i) {
    TShortString name{};
    field->GetName(i, &name);
    TComPtr<IStratSign> sign;
    if (database->FindByName(name, sign.Put()) != S_OK || !sign) continue;
    FitSign(sign.Get(), field, width, height);
  }
  return S_OK;
}
