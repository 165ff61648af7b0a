#include "uStratColEntry.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "qsID.h"
#include "uCodePage.h"
#include "uIniFile.h"
#include "uLanguage.h"
#include "uLineBatch.h"
#include "uPrintStratCol.h"
#include "uPropertiesDialogs.h"
#include "uSignNameTally.h"

namespace {

constexpr int32_t idSignCount = -40001;
constexpr int32_t idSignName = -40000;
constexpr int32_t idOffsetX = -37000;
constexpr int32_t idOffsetY = -36900;
constexpr int32_t idSpaceX = -36800;
constexpr int32_t idSpaceY = -36700;
constexpr int32_t idCountX = -36600;
constexpr int32_t idCountY = -36500;
constexpr int32_t idSignFlags = -36400;
constexpr int32_t idLineColor = 5632;
constexpr int32_t idLineStyle = 5633;
// The items a field holds inside itself (more go to a block of their own).
constexpr size_t kPrefetchItems = 3;
constexpr int32_t idLineWidth = 5634;

constexpr int kEditMode = 2;

double FiniteOr(double value, double def) { return std::isfinite(value) ? value : def; }

// An item's bytes zeroed by plain 16-byte stores: a memset of its fixed size
// is inlined as a string store, whose start-up took longer than its 304 bytes
// (three per layer of a column's load).
void ZeroItem(TStratPlacement* item) {
  using TChunk = uint64_t __attribute__((vector_size(16)));
  static_assert(sizeof(TStratPlacement) % sizeof(TChunk) == 0);
  auto* bytes = reinterpret_cast<unsigned char*>(item);
  const TChunk zero = {0, 0};
#pragma GCC unroll 32
  for (size_t at = 0; at < sizeof(TStratPlacement); at += sizeof zero) std::memcpy(bytes + at, &zero, sizeof zero);
}

}  // namespace

QString SignNameText(const TShortString& name) { return QString::fromStdString(Cp1251ToUtf8(ShortStringView(name))); }

TShortString SignNameBytes(const QString& name) {
  // Cut to what a short string holds.
  std::string bytes = Utf8ToCp1251(name.toStdString());
  if (bytes.size() > 255) bytes.resize(255);
  return MakeShortString(bytes);
}

TStratColEntry::TStratColEntry() { stratCreateField(FField.Put()); }

int TStratColEntry::SignCount() const { return FField ? FField->Count() : 0; }

HRESULT TStratColEntry::GetPlacement(int index, TStratPlacement* item) const {
  return FField ? FField->GetItem(index, item) : E_FAIL;
}

HRESULT TStratColEntry::SetPlacement(int index, const TStratPlacement& item) {
  const HRESULT hr = FField ? FField->SetItem(index, item) : E_FAIL;
  if (hr == S_OK) SetModified(true);
  return hr;
}

QString TStratColEntry::GetSignName(int index) const {
  if (!FField || index < 0 || index >= FField->Count()) return {};
  TShortString name{};
  FField->GetName(index, &name);
  return SignNameText(name);
}

HRESULT TStratColEntry::SetSignName(int index, const QString& name) {
  TStratPlacement item{};
  HRESULT hr = GetPlacement(index, &item);
  if (hr != S_OK) return hr;
  item.SignName = SignNameBytes(name);
  return SetPlacement(index, item);
}

void TStratColEntry::SetTopLine(const TBoundaryLine& line) {
  FTopLine = line;
  SetModified(true);
}

bool TStratColEntry::DeleteSign(int index) {
  if (!FField || FField->Delete(index) != S_OK) return false;
  SetModified(true);
  return true;
}

int TStratColEntry::AddSignName(const QString& name) {
  if (!FField || FField->Count() >= kMaxLayerSigns) return 0;
  const TShortString bytes = SignNameBytes(name);
  if (FField->Add(bytes) != S_OK) return 0;
  TComPtr<IStratSign> sign;
  if (FDataBase && FDataBase->FindByName(bytes, sign.Put()) == S_OK && sign) {
    TComPtr<IStratField> templates;
    TStratPlacement item{};
    if (sign->GetFields(templates.Put()) == S_OK && templates && templates->GetItem(0, &item) == S_OK)
      FField->SetItem(FField->Count() - 1, item);
  }
  SetModified(true);
  return 1;
}

bool TStratColEntry::InsertSignName(int index, const QString& name) {
  if (!FField) return false;
  const int count = FField->Count();
  if (index < 0 || index > count + 1 || count >= kMaxLayerSigns) return false;
  if (FField->Add(SignNameBytes(name)) != S_OK) return false;
  for (int i = count; i > index; --i) FField->Exchange(i, i - 1);
  SetModified(true);
  return true;
}

bool TStratColEntry::AutoPlace() {
  if (!FField) return false;
  const bool placed = stratAdjuctField(FDataBase.Get(), FField.Get(), GetWidth(), GetHeight()) == S_OK;
  if (placed) SetModified(true);
  return placed;
}

void TStratColEntry::SetDataBase(IStratDataBase* database) {
  // A column attaches its database to every layer again after a load: the
  // same one costs no reference taken and dropped.
  if (FDataBase.Get() != database) FDataBase = TComPtr<IStratDataBase>(database);
}

QStringList TStratColEntry::SignNames() const {
  QStringList names;
  for (int i = 0; i < SignCount(); ++i) names << GetSignName(i);
  return names;
}

bool TStratColEntry::SignsKnown() const {
  if (!FField) return true;
  if (!FDataBase) return SignNames().join(QString()).isEmpty();
  return FField->CheckNames(FDataBase.Get()) == 1;
}

void TStratColEntry::DrawClipped(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0 || !context.Has(doBorders) || !context.DC) return;
  const TRect r = GetPixelRect(context);
  if (!r.Intersects(context.ClipRect) || !FDataBase || !FField) return;
  // The layer's own rectangle, white where no sign paints; nothing drawn
  // here leaves it. A clip keeps the signs as vectors in printed files.
  QPainter* dc = context.DC;
  const QRect rect = ToQRect(r);
  if (stratRasterPainter(dc)) {
    bool capture = false;
    if (const std::shared_ptr<TLayerImage> image = CutImage(context, r, &capture)) {
      dc->drawImage(rect.topLeft(), image->Image);
      return;
    }
    // On screens the signs' fills are cut to the layer instead: a clip set and restored per
    // layer costs more than the layer's fills.
    dc->fillRect(rect, Qt::white);
    const uint64_t played = stratPlayedBlocks();
    stratDrawFieldInside(FField.Get(), dc, r, r.Left, r.Top, 1, context.Zoom, FDataBase.Get());
    if (!capture) return;
    if (stratPlayedBlocks() == played)
      KeepCutImage(dc, rect);
    else
      FLook.Key.clear();  // played pictures may land differently elsewhere
    return;
  }
  dc->save();
  dc->setClipRect(rect, Qt::IntersectClip);
  dc->fillRect(rect, Qt::white);
  FField->Draw(dc, r.Left, r.Top, 1, context.Zoom, FDataBase.Get());
  dc->restore();
}

std::shared_ptr<TLayerImage> TStratColEntry::CutImage(const TDrawContext& context, const TRect& r, bool* capture) {
  TLayerImages& images = TLayerImages::Shared();
  const int32_t width = r.Right - r.Left, height = r.Bottom - r.Top;
  const int64_t pixels = int64_t{width} * height;
  if (images.Capacity() == 0 || pixels > TLayerImages::kMaxImagePixels) return nullptr;
  const TLayerImageTarget target = TLayerImageTarget::Of(context.DC, context.Zoom);
  if (!target.Valid()) return nullptr;
  const uint64_t changes = stratDrawingChanges();
  if (FLook.Changes != changes || FLook.DataBase != FDataBase.Get() || FLook.Width != width || FLook.Height != height ||
      !(FLook.Target == target)) {
    FLook.Changes = changes;
    FLook.DataBase = FDataBase.Get();
    FLook.Width = width;
    FLook.Height = height;
    FLook.Target = target;
    FLook.Image.reset();
    TLayerImages::KeyOf(FField.Get(), FDataBase.Get(), width, height, target, &FLook.Key);
  } else if (std::shared_ptr<TLayerImage> kept = FLook.Image.lock()) {
    images.Touch(*kept);
    return kept;
  }
  if (FLook.Key.empty()) return nullptr;
  if (std::shared_ptr<TLayerImage> found = images.Find(FLook.Key)) {
    FLook.Image = found;
    return found;
  }
  // Wholly on the device and inside the clip, the layer's drawing there is its image.
  QPainter* dc = context.DC;
  const QRect rect = ToQRect(r);
  const QTransform& t = dc->deviceTransform();
  const QRect onDevice = rect.translated(static_cast<int>(t.dx()), static_cast<int>(t.dy()));
  if (QRect(QPoint(0, 0), QSize(dc->device()->width(), dc->device()->height())).contains(onDevice)) {
    if (!dc->hasClipping()) {
      *capture = true;
      return nullptr;
    }
    const QRegion clip = dc->clipRegion();
    if (clip.rectCount() == 1 && clip.boundingRect().contains(rect)) {
      *capture = true;
      return nullptr;
    }
  }
  // A tall layer mostly out of view is drawn sign by sign until more of it shows.
  const int64_t shownW = std::min(r.Right, context.ClipRect.Right) - std::max(r.Left, context.ClipRect.Left);
  const int64_t shownH = std::min(r.Bottom, context.ClipRect.Bottom) - std::max(r.Top, context.ClipRect.Top);
  if (pixels > (int64_t{1} << 16) && std::max<int64_t>(shownW, 0) * std::max<int64_t>(shownH, 0) * 8 < pixels)
    return nullptr;
  bool played = false;
  std::shared_ptr<TLayerImage> image = images.Get(FLook.Key, [&] {
    QImage made(width, height, target.Format);
    if (made.isNull()) return made;
    made.setDotsPerMeterX(target.DotsPerMeterX);
    made.setDotsPerMeterY(target.DotsPerMeterY);
    made.fill(Qt::white);
    const HRESULT hr = stratDrawFieldImage(FField.Get(), &made, 1, context.Zoom, FDataBase.Get(), target.Hints);
    // Played pictures may land differently elsewhere: such a layer keeps its own drawing.
    played = hr != S_OK;
    return played ? QImage() : made;
  });
  if (played) FLook.Key.clear();
  FLook.Image = image;
  return image;
}

void TStratColEntry::KeepCutImage(const QPainter* dc, const QRect& rect) {
  const auto* device = static_cast<const QImage*>(dc->device());  // CutImage made sure
  const QTransform& t = dc->deviceTransform();
  QImage image = device->copy(rect.translated(static_cast<int>(t.dx()), static_cast<int>(t.dy())));
  if (image.isNull()) return;
  image.setDotsPerMeterX(FLook.Target.DotsPerMeterX);
  image.setDotsPerMeterY(FLook.Target.DotsPerMeterY);
  FLook.Image = TLayerImages::Shared().Get(FLook.Key, [&] { return std::move(image); });
}

bool TStratColEntry::HasOpenItems() const {
  const uint64_t changes = stratDrawingChanges();
  if (FOpenChanges == changes) return FHasOpen;
  FHasOpen = false;
  TStratPlacement item{};
  for (int i = 0; i < SignCount() && !FHasOpen; ++i)
    FHasOpen = FField->GetItem(i, &item) == S_OK && (item.Flags & 1) == 0;
  FOpenChanges = changes;
  return FHasOpen;
}

void TStratColEntry::DrawOpen(TDrawContext& context, TLineBatch* batch) {
  if (GetWidth() <= 0 || GetHeight() <= 0) return;
  const TRect r = GetPixelRect(context);
  QPainter* dc = context.DC;
  if (context.Has(doBorders) && dc && r.Intersects(context.ClipRect) && FDataBase && FField) {
    if (!batch) {
      DrawBoundaryLine(dc, r.Left, r.Right, FTopLine, context.Zoom, r.Top);
      dc->drawLine(r.Left, r.Bottom, r.Right, r.Bottom);
      FField->Draw(dc, r.Left, r.Top, 0, context.Zoom, FDataBase.Get());
    } else {
      if (!BatchBoundaryLine(*batch, dc, r.Left, r.Right, FTopLine, context.Zoom, r.Top)) {
        batch->Flush(dc);
        DrawBoundaryLine(dc, r.Left, r.Right, FTopLine, context.Zoom, r.Top);
      }
      if (!batch->Add(dc->pen(), QLine(r.Left, r.Bottom, r.Right, r.Bottom))) {
        batch->Flush(dc);
        dc->drawLine(r.Left, r.Bottom, r.Right, r.Bottom);
      }
      if (HasOpenItems()) {
        batch->Flush(dc);
        FField->Draw(dc, r.Left, r.Top, 0, context.Zoom, FDataBase.Get());
      }
    }
  }
  if (batch && Selected() && context.Has(doSelection)) batch->Flush(dc);
  DrawSelection(context);
}

void TStratColEntry::Draw(TDrawContext& context) {
  DrawClipped(context);
  DrawOpen(context);
  TPrintDeepObject::Draw(context);
}

bool TStratColEntry::LoadSigns(ICompoundStream* stream, int count, TSignNameTally* names) {
  // Each sign value is taken from the first entry of its ID, as a read finds
  // it, and only when that entry has the value's type. The signs are asked
  // for in batches, each in one call and in stored order (sign by sign, the
  // top line after the last), so that a container finds each value where the
  // last one ended: a small one from its stored records, without building an
  // entry table, a larger one at its index's guess.
  // Group 0 holds the names, groups 1-7 the placement values, 100 IDs apart.
  constexpr int kGroupCount = 8;
  constexpr int kTopLine = 3;
  static_assert(idOffsetY - idOffsetX == 100 && idSignFlags - idOffsetX == 600 && kMaxLayerSigns <= 100);
  // The items go to the field in batches too, each copied in once.
  constexpr int kBatch = 8;
  int32_t ids[kBatch * kGroupCount + kTopLine];
  TCompoundEntry values[kBatch * kGroupCount + kTopLine];
  TStratPlacement items[kBatch];
  for (int first = 0; first == 0 || first < count; first += kBatch) {
    const int batched = std::min(count - first, kBatch);
    int32_t* id = ids;
    for (int i = first; i < first + batched; ++i) {
      *id++ = idSignName + i;
      for (int group = 1; group < kGroupCount; ++group) *id++ = idOffsetX + (group - 1) * 100 + i;
    }
    const bool last = first + kBatch >= count;
    if (last) {
      *id++ = idLineColor;
      *id++ = idLineStyle;
      *id++ = idLineWidth;
    }
    qsGetEntries(stream, ids, static_cast<int32_t>(id - ids), values);
    for (int k = 0; k < batched; ++k) {
      const TCompoundEntry* v = values + k * kGroupCount;
      // The item as DefaultPlacement makes it, filled in place.
      TStratPlacement& item = items[k];
      ZeroItem(&item);
      if (v[0].Tag == qsString) {
        SetShortString(&item.SignName,
                       std::string_view(static_cast<const char*>(v[0].Data), std::min<uint32_t>(v[0].Size, 255)));
        if (names && item.SignName.Length) names->Add(ShortStringView(item.SignName));
      }
      item.OffsetX = FiniteOr(qsEntryDouble(v[1], 1.0), 1.0);
      item.OffsetY = FiniteOr(qsEntryDouble(v[2], 1.0), 1.0);
      item.SpaceX = FiniteOr(qsEntryDouble(v[3], 5.0), 5.0);
      item.SpaceY = FiniteOr(qsEntryDouble(v[4], 5.0), 5.0);
      item.CountX = qsEntryInteger(v[5], 1);
      item.CountY = qsEntryInteger(v[6], 1);
      item.Flags = qsEntryInteger(v[7], 1);
    }
    if (batched > 0 && FField->AddItems(items, batched) != S_OK) return false;
    if (last) {
      const TCompoundEntry* line = values + batched * kGroupCount;
      FTopLine.Color = qsEntryInteger(line[0], 0);
      FTopLine.Style = qsEntryInteger(line[1], 0);
      FTopLine.LineWidth = FiniteOr(qsEntryDouble(line[2], -1.0), -1.0);
    }
  }
  return true;
}

bool TStratColEntry::LoadFromStorage(TStorage* storage) {
  // The signs' items go into the field's own memory, unused since fields of an
  // earlier load went: its lines are asked for now and arrive while the
  // layer's stream is found and read. Written cold, the items' stores would
  // be pending when the next locked count (a reference taken) waits for them.
  const TStratPlacement* items = nullptr;
  int32_t stored = 0;
  if (FField && FField->GetItems(&items, &stored) == S_OK && stored == 0 && items)
    for (size_t at = 0; at < kPrefetchItems * sizeof(TStratPlacement); at += 64)
      __builtin_prefetch(reinterpret_cast<const char*>(items) + at, 1);
  const bool loaded = TPrintDeepObject::LoadFromStorage(storage);
  if (TAbstractPrintObjectList* parent = Parent(); parent && parent->GetKind() == kindStratCol)
    if (auto* column = static_cast<TPrintStratCol*>(parent); column->LoadingNames()) column->AttachLoadedLayer(this);
  return loaded;
}

bool TStratColEntry::LoadFromQS(ICompoundStream* stream) {
  if (!TPrintDeepObject::LoadFromQS(stream)) return false;
  // A damaged count must not run on: the IDs of sign 100 are another group's.
  const int n = FField ? std::clamp(qsReadInteger(stream, idSignCount, 0), 0, kMaxLayerSigns) : 0;
  // A column loading its storage gathers the names for its check of unknown
  // signs, and fits the layer now that its size has loaded.
  TSignNameTally* names = nullptr;
  if (TAbstractPrintObjectList* parent = Parent(); parent && parent->GetKind() == kindStratCol) {
    auto* column = static_cast<TPrintStratCol*>(parent);
    names = column->LoadingNames();
    if (names) column->FitLoadedLayer(this);
  }
  return LoadSigns(stream, n, names);
}

bool TStratColEntry::SaveToQS(ICompoundStream* stream) {
  // Read where the field keeps them: only a few of each item's 304 bytes are
  // written. A column's fields lie apart in memory: the lines holding those
  // bytes are asked for first and arrive while the base values are written.
  const int n = std::min(SignCount(), kMaxLayerSigns);
  const TStratPlacement* items = nullptr;
  int32_t stored = 0;
  if (n > 0 && (FField->GetItems(&items, &stored) != S_OK || stored < n)) return false;
  for (int i = 0; i < n; ++i) {
    __builtin_prefetch(&items[i]);
    __builtin_prefetch(&items[i].SignName);
    __builtin_prefetch(&items[i].Flags);
  }
  if (!TPrintDeepObject::SaveToQS(stream)) return false;
  // The values go in batches, one call each (a layer's in one).
  constexpr int kBatch = 8 * 8 + 4;
  TCompoundEntry values[kBatch];
  int batched = 0;
  values[batched++] = qsIntegerEntry(idSignCount, n);
  for (int i = 0; i < n; ++i) {
    const TStratPlacement& item = items[i];
    // Signs without a name are counted but not written.
    if (item.SignName.Length == 0) continue;
    if (batched + 8 > kBatch - 3) {
      if (!qsWriteEntries(stream, values, batched)) return false;
      batched = 0;
    }
    // The name goes as the short string it is, without a copy through text.
    values[batched++] = {idSignName + i, qsString, const_cast<char*>(item.SignName.Chars), item.SignName.Length};
    values[batched++] = qsDoubleEntry(idOffsetX + i, item.OffsetX);
    values[batched++] = qsDoubleEntry(idOffsetY + i, item.OffsetY);
    values[batched++] = qsDoubleEntry(idSpaceX + i, item.SpaceX);
    values[batched++] = qsDoubleEntry(idSpaceY + i, item.SpaceY);
    values[batched++] = qsIntegerEntry(idCountX + i, item.CountX);
    values[batched++] = qsIntegerEntry(idCountY + i, item.CountY);
    values[batched++] = qsIntegerEntry(idSignFlags + i, item.Flags);
  }
  values[batched++] = qsIntegerEntry(idLineColor, FTopLine.Color);
  values[batched++] = qsIntegerEntry(idLineStyle, FTopLine.Style);
  values[batched++] = qsDoubleEntry(idLineWidth, FTopLine.LineWidth);
  return qsWriteEntries(stream, values, batched);
}

void TStratColEntry::PrefetchForSave() const {
  // A field keeps its count and up to three items within its own block of
  // about a kilobyte; prefetches past its end are harmless.
  constexpr size_t kFieldLines = 16;
  const auto* field = reinterpret_cast<const char*>(FField.Get());
  if (!field) return;
  for (size_t line = 0; line < kFieldLines; ++line) __builtin_prefetch(field + 64 * line);
}

bool TStratColEntry::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TPrintDeepObject::LoadFromIni(ini, section, prefix)) return false;
  for (int i = 1; i <= kMaxLayerSigns; ++i) {
    const QString name = ini->ReadString(section, prefix + QStringLiteral("SIGN") + QString::number(i), QString());
    if (name.isEmpty()) break;
    AddSignName(name);
  }
  return true;
}

bool TStratColEntry::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TPrintDeepObject::SaveToIni(ini, section, prefix)) return false;
  bool ok = true;
  int n = 0;
  for (const QString& name : SignNames())
    if (!name.isEmpty())
      ok = ini->WriteString(section, prefix + QStringLiteral("SIGN") + QString::number(++n), name) && ok;
  return ok;
}

void TStratColEntry::GetCommandCaption(QString* text) {
  if (text) *text = TranslateGeneral(QStringLiteral("PlaceAutomatically"), QStringLiteral("Place automatically"));
}

bool TStratColEntry::ExecuteCommand() {
  const bool placed = AutoPlace();
  Invalidate(this);
  return placed;
}

bool TStratColEntry::ClickAt(int code, double, double y) {
  if (code != kEditMode || !(FTop < y && y < FTop + GetHeight())) return false;
  auto* list = dynamic_cast<TPrintObjectList*>(Parent());
  if (!list) return false;
  auto made = std::make_unique<TStratColEntry>();
  TStratColEntry* lower = made.get();
  lower->Assign(this);
  if (list->AddChild(std::move(made)) < 0) return false;
  const double h0 = GetHeight();
  SetHeight(y - FTop);
  lower->SetTop(y);
  lower->SetHeight(FTop + h0 - y);
  AutoPlace();
  lower->AutoPlace();
  list->SortByTop();
  Invalidate(this);
  return true;
}

void TStratColEntry::Assign(TPrintObject* source) {
  if (!source || source == this) return;
  if (FField) FField->Clear();
  TPrintDeepObject::Assign(source);
}

bool TStratColEntry::EditProperties() {
  const bool ok = RunPropertiesDialog(QStringLiteral("TStratColEntry"), this);
  if (ok) SetModified(true);
  Invalidate(this);
  return ok;
}

void TStratColEntry::GetCaption(QString* text) {
  if (!text) return;
  for (int i = 0; i < SignCount(); ++i)
    if (const QString name = GetSignName(i); !name.isEmpty()) {
      *text = name;
      return;
    }
  *text = TranslateGeneral(QStringLiteral("LCSign"), QStringLiteral("Stratological sign"));
}

void TStratColEntry::DumpProperties(QJsonObject* json) const {
  if (!json) return;
  TPrintDeepObject::DumpProperties(json);
  (*json)[QStringLiteral("topDepth")] = TopDepth();
  (*json)[QStringLiteral("bottomDepth")] = BottomDepth();
  (*json)[QStringLiteral("signCount")] = SignCount();
  (*json)[QStringLiteral("signs")] = QJsonArray::fromStringList(SignNames());
  QJsonObject line;
  line[QStringLiteral("style")] = FTopLine.Style;
  line[QStringLiteral("color")] = FTopLine.Color;
  line[QStringLiteral("lineWidth")] = FTopLine.LineWidth;
  (*json)[QStringLiteral("topLine")] = line;
}
