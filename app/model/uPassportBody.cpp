#include "uPassportBody.h"

#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <limits>

#include "qsID.h"
#include "uIniFile.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPrintDocument.h"
#include "uPropertiesDialogs.h"
#include "uUiServices.h"

namespace {

constexpr int32_t idVertScale = 6;
constexpr int32_t idHorzScale = 13;
constexpr int32_t idDirection = 14;
constexpr int32_t idStartDepth = 21;
// Files written before the planned interval existed lack it.
constexpr int32_t idLength = 22;

constexpr int kInsertableKinds[] = {kindVectorGraphic, kindDeepScale, kindDiagrams,  kindStratCol,
                                    kindTextDesc,      kindColorLine, kindDeepTable, kindTable};

// A column's place in the left-to-right order, to 0.1 mm.
int64_t OrderKey(const TPrintObject* c) { return RoundEven64(c->Left() * 10); }

int NormalDirection(int value) { return value == bdHorizontal ? bdHorizontal : bdVertical; }

}  // namespace

QString ScaleText(uint16_t scale) { return QStringLiteral("1:") + QString::number(scale); }

TPassportBody::TPassportBody() {
  FFlags = (FFlags & ~pfDeletable) | pfInsert;
  FBorder = true;
}

void TPassportBody::SetVertScale(uint16_t value) {
  if (value == 0 || value == FVertScale) return;
  const uint16_t old = FVertScale;
  FVertScale = value;
  SetModified(true);
  for (int i = 0; i < Count(); ++i)
    if (auto* deep = dynamic_cast<TPrintDeepObject*>(GetChild(i))) deep->ScaleChanged(old, value);
  Changed();
  if (auto* document = dynamic_cast<TPrintDocument*>(Parent())) document->BodyScaleChanged(this, old, value);
}

void TPassportBody::SetHorzScale(uint16_t value) {
  if (value == 0 || value == FHorzScale) return;
  FHorzScale = value;
  SetModified(true);
}

void TPassportBody::SetStartDepth(double value) {
  if (!std::isfinite(value) || value == FStartDepth) return;
  const double old = FStartDepth;
  FStartDepth = value;
  // Curves and tables keep their depths by themselves; layers, texts and
  // the notes put beside curves stand on the page and are moved, or the logs
  // and the lithology would no longer agree.
  for (int i = 0; i < Count(); ++i)
    if (auto* deep = dynamic_cast<TPrintDeepObject*>(GetChild(i))) deep->KeepChildDepths(old, value);
  SetModified(true);
}

double TPassportBody::ShallowestData(bool placedOnly) const {
  double top = std::numeric_limits<double>::quiet_NaN();
  for (int i = 0; i < Count(); ++i)
    if (auto* deep = dynamic_cast<TPrintDeepObject*>(GetChild(i))) {
      const double t = placedOnly ? deep->PlacedTopDepth() : deep->DataTopDepth();
      if (std::isfinite(t) && (std::isnan(top) || t < top)) top = t;
    }
  return top;
}

double TPassportBody::PlacedContentDepth() const { return ShallowestData(true); }

double TPassportBody::DataTopDepth() const { return ShallowestData(false); }

double TPassportBody::DataBelowPlan(double dataTopBefore) const {
  const double top = DataTopDepth();
  const bool below = FLength > 0 && std::isfinite(top) && top >= FStartDepth + FLength - 1e-9;
  return std::isnan(dataTopBefore) && below ? top : std::numeric_limits<double>::quiet_NaN();
}

QString TPassportBody::StartDepthRefusal(double depth) const {
  const double placed = PlacedContentDepth();
  // A thousandth of a millimetre of the sheet: what rounding may leave.
  if (!std::isfinite(placed) || depth <= placed + FVertScale * 1e-6) return QString();
  return SubstituteArgs(
      TranslateError(QStringLiteral("StartBelowContent"),
                     QStringLiteral("The columns hold layers, texts, images or rulers from %s m: the sheet "
                                    "starts there or above (delete or move them to start at %s m)")),
      {DepthText(placed), DepthText(depth)});
}

void TPassportBody::SetIntervalLength(double metres) {
  if (!std::isfinite(metres) || metres < 0) metres = 0;
  metres = std::min(metres, kMaxIntervalLength);
  if (metres == FLength) return;
  FLength = metres;
  SetModified(true);
}

bool TPassportBody::SetDepthInterval(double top, double bottom) {
  if (!std::isfinite(top) || !std::isfinite(bottom) || !(bottom > top)) return false;
  MoveInterval(top, bottom - top);
  return true;
}

void TPassportBody::MoveInterval(double top, double length) {
  const double oldTop = FStartDepth;
  const double oldBottom = BottomDepth();
  SetStartDepth(top);
  SetIntervalLength(length);
  Changed();
  if (auto* document = dynamic_cast<TPrintDocument*>(Parent()))
    document->BodyIntervalChanged(this, oldTop, oldBottom, FStartDepth, BottomDepth());
}

void TPassportBody::SetDirection(int value) {
  value = NormalDirection(value);
  if (value == FDirection) return;
  FDirection = value;
  SetModified(true);
}

std::unique_ptr<TPrintObject> TPassportBody::CreateChild(int kind) {
  return CreateKindObject(kind, {kindVectorGraphic, kindDeepScale, kindDeepTable, kindDiagrams, kindStratCol,
                                 kindTextDesc, kindPicture, kindStatusDDLine, kindTable, kindColorLine});
}

int TPassportBody::GetInsertableKind(int index) {
  return index >= 0 && index < static_cast<int>(std::size(kInsertableKinds)) ? kInsertableKinds[index] : 0;
}

void TPassportBody::Changed() {
  if (FFilling) return;
  double height = 0;
  double width = 0;
  if (FDirection == bdHorizontal) {
    for (int i = 0; i < Count(); ++i) {
      TPrintObject* c = GetChild(i);
      TPrintObjectList* list = c ? c->AsObjectList() : nullptr;
      if (!list) continue;
      height = std::max(height, c->Top() + c->GetHeight() - FTop);
      width = std::max(width, list->GetChildrenWidth());
    }
    SetHeight(std::max(height, PlannedHeight()));
    SetWidth(width);
    for (int i = 0; i < Count(); ++i) {
      if (TPrintObject* c = GetChild(i)) {
        c->SetLeft(FLeft);
        c->SetWidth(GetWidth());
      }
    }
  } else {
    for (int i = 0; i < Count(); ++i) {
      TPrintObject* c = GetChild(i);
      TPrintObjectList* list = c ? c->AsObjectList() : nullptr;
      if (!list) continue;
      height = std::max(height, list->GetChildrenHeight());
      width = std::max(width, c->Left() + c->GetWidth() - FLeft);
    }
    height = std::max(height, PlannedHeight());
    // Columns that hold nothing yet in a body without a planned interval would
    // make it 0 mm high: nothing to click into, no scale drawn. Such a body
    // keeps the height its file gave it.
    if (height > 0) SetHeight(height);
    SetWidth(width);
    for (int i = 0; i < Count(); ++i) {
      if (TPrintObject* c = GetChild(i)) {
        c->SetTop(FTop);
        c->SetHeight(GetHeight());
      }
    }
  }
  if (FParent) FParent->Changed();
}

void TPassportBody::SortByTop() {
  std::vector<const TPrintObject*> before;
  for (int i = 0; i < Count(); ++i) before.push_back(GetChild(i));
  SortChildren([](const TPrintObject* a, const TPrintObject* b) { return OrderKey(a) < OrderKey(b); });
  for (int i = 0; i < Count(); ++i)
    if (GetChild(i) != before[static_cast<size_t>(i)]) {
      SetModified(true);  // the order is stored
      break;
    }
  NameChanged();
}

void TPassportBody::ShiftColumnsFrom(double left, double dx, const TPrintObject* except) {
  if (dx == 0) return;
  for (int i = 0; i < Count(); ++i) {
    TPrintObject* c = GetChild(i);
    if (!c || c == except) continue;
    if (RoundEven64((c->Left() - left) * 10) >= 0) c->SetLeft(c->Left() + dx);
  }
}

bool TPassportBody::InsertNewChildAt(double x0, double, double x, double) {
  std::vector<int> kinds;
  QStringList names;
  for (int i = 0;; ++i) {
    const int kind = GetInsertableKind(i);
    if (kind == 0) break;
    // Only what this program can make: column kinds arrive with their subsystems.
    if (!IsKindRegistered(kind)) continue;
    kinds.push_back(kind);
    names << TranslateKindName(kind);
  }
  if (kinds.empty()) return false;
  const int choice = Ui().ChooseFromList(TranslateGeneral(QStringLiteral("ColumnKind"), QStringLiteral("Column kind")),
                                         QString(), names, 0);
  if (choice < 0 || choice >= static_cast<int>(kinds.size())) return false;
  std::unique_ptr<TPrintObject> column = CreateChild(kinds[static_cast<size_t>(choice)]);
  if (!column) return false;
  const double left = std::min(x0, x);
  column->SetLeft(left);
  column->SetWidth(std::max(x0, x) - left);
  column->SetTop(FTop);
  column->SetHeight(GetHeight());
  // Name, left and right side of the new column.
  if (!RunPropertiesDialog(QStringLiteral("TPassportBody.NewColumn"), column.get())) return false;
  ShiftColumnsFrom(column->Left(), column->GetWidth());
  TPrintObject* made = column.get();
  AddChild(std::move(column));
  SortByTop();
  made->EditProperties();
  Changed();
  Invalidate(this);
  return true;
}

bool TPassportBody::RemoveChild(TPrintObject* child) {
  const int index = IndexOf(child);
  if (index < 0) return false;
  ShiftColumnsFrom(child->Left(), -child->GetWidth(), child);
  return DeleteChild(index);
}

bool TPassportBody::LoadFromQS(ICompoundStream* stream) {
  // Read first, so that laying out the loaded columns does not keep an
  // interval this body had before the load.
  const double length = qsReadDouble(stream, idLength, std::numeric_limits<double>::quiet_NaN());
  FLength = std::isfinite(length) && length >= 0 ? std::min(length, kMaxIntervalLength) : 0;
  if (!TRootDataObject::LoadFromQS(stream)) return false;
  // A scale of 0 has no mapping: the current one stays.
  FVertScale = ValidScale(qsReadInteger(stream, idVertScale, FVertScale), FVertScale);
  FHorzScale = ValidScale(qsReadInteger(stream, idHorzScale, FHorzScale), FHorzScale);
  FDirection = NormalDirection(qsReadInteger(stream, idDirection, FDirection));
  const double start = qsReadDouble(stream, idStartDepth, FStartDepth);
  if (std::isfinite(start)) FStartDepth = start;
  // An older file planned the interval it was saved with.
  if (!std::isfinite(length)) FLength = std::min(MetresOf(GetHeight()), kMaxIntervalLength);
  SetModified(false);
  return true;
}

bool TPassportBody::SaveToQS(ICompoundStream* stream) {
  if (!TRootDataObject::SaveToQS(stream)) return false;
  if (!qsWriteInteger(stream, idVertScale, FVertScale)) return false;
  if (!qsWriteInteger(stream, idHorzScale, FHorzScale)) return false;
  if (!qsWriteInteger(stream, idDirection, FDirection)) return false;
  return qsWriteDouble(stream, idStartDepth, FStartDepth) && qsWriteDouble(stream, idLength, FLength);
}

bool TPassportBody::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!ini || section.isEmpty()) return false;
  const QString direction = ini->ReadString(section, prefix + QStringLiteral("DIRECTION"), QString()).trimmed();
  SetDirection(direction.compare(QLatin1String("HORZ"), Qt::CaseInsensitive) == 0 ? bdHorizontal : bdVertical);
  const uint16_t vert =
      ValidScale(ini->ReadInteger(section, prefix + QStringLiteral("VERTSCALE"), kDefaultVertScale), kDefaultVertScale);
  if (vert != FVertScale) {
    FVertScale = vert;
    SetModified(true);
  }
  SetHorzScale(ValidScale(ini->ReadInteger(section, prefix + QStringLiteral("HORZSCALE"), kDefaultHorzScale),
                          kDefaultHorzScale));
  // A template plans the interval of the height it gives the body, unless it
  // names the length itself.
  const double height = ini->ReadFloat(section, prefix + QStringLiteral("HEIGHT"), 0);
  const double length = ini->ReadFloat(section, prefix + QStringLiteral("LENGTH"), MetresOf(height));
  FLength = 0;
  if (!TRootDataObject::LoadFromIni(ini, section, prefix)) return false;
  SetIntervalLength(length);
  Changed();
  return true;
}

bool TPassportBody::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!ini || section.isEmpty()) return false;
  // Written too, so that a body saved to a section reads back the same.
  ini->WriteString(section, prefix + QStringLiteral("DIRECTION"),
                   FDirection == bdHorizontal ? QStringLiteral("HORZ") : QStringLiteral("VERT"));
  ini->WriteInteger(section, prefix + QStringLiteral("VERTSCALE"), FVertScale);
  ini->WriteInteger(section, prefix + QStringLiteral("HORZSCALE"), FHorzScale);
  ini->WriteFloat(section, prefix + QStringLiteral("LENGTH"), FLength);
  return TRootDataObject::SaveToIni(ini, section, prefix);
}

bool TPassportBody::EditProperties() { return RunPropertiesDialog(QStringLiteral("TPassportBody"), this); }

void TPassportBody::DumpProperties(QJsonObject* json) const {
  TRootDataObject::DumpProperties(json);
  if (!json) return;
  (*json)[QStringLiteral("direction")] = FDirection;
  (*json)[QStringLiteral("intervalLength")] = FLength;
}

void TPassportBody::GetMenuCommandCaption(int index, QString* text) {
  if (!text) return;
  switch (index) {
    case bcProperties:
      *text = TranslateGeneral(QStringLiteral("Properties"), QStringLiteral("Properties"));
      break;
    case bcScale:
      *text =
          TranslateGeneral(QStringLiteral("Zoom"), QStringLiteral("Zoom")) + QLatin1Char(' ') + ScaleText(FVertScale);
      break;
    case bcStartDepth:
      *text = TranslateGeneral(QStringLiteral("StartDepth"), QStringLiteral("Start depth"));
      break;
    case bcInterval:
      *text = TranslateGeneral(QStringLiteral("DepthInterval"), QStringLiteral("Depth interval"));
      break;
    case bcLoadObject:
      *text = TranslateGeneral(QStringLiteral("LoadObject"), QStringLiteral("Load object"));
      break;
    case bcSaveObject:
      *text = TranslateGeneral(QStringLiteral("SaveObject"), QStringLiteral("Save object"));
      break;
    default:
      TRootDataObject::GetMenuCommandCaption(index, text);
  }
}

uint16_t TPassportBody::ChooseScale() const {
  QStringList items;
  int current = -1;
  for (size_t i = 0; i < kBodyScales.size(); ++i) {
    items << ScaleText(kBodyScales[i]);
    if (kBodyScales[i] == FVertScale) current = static_cast<int>(i);
  }
  const int choice =
      Ui().ChooseFromList(TranslateGeneral(QStringLiteral("Zoom"), QStringLiteral("Zoom")), QString(), items, current);
  return choice >= 0 && choice < static_cast<int>(kBodyScales.size()) ? kBodyScales[static_cast<size_t>(choice)] : 0;
}

bool TPassportBody::ExecuteMenuCommand(int index) {
  switch (index) {
    case bcProperties:
      return EditProperties();
    case bcScale: {
      const uint16_t scale = ChooseScale();
      if (scale == 0) return false;
      SetVertScale(scale);
      NameChanged();
      Invalidate(this);
      return true;
    }
    case bcStartDepth: {
      QString text = QString::fromStdString(FormatGeneral(FStartDepth));
      if (!Ui().PromptText(TranslateGeneral(QStringLiteral("StartDepth"), QStringLiteral("Start depth")),
                           TranslateGeneral(QStringLiteral("EnterTopDepth"), QStringLiteral("Enter top depth")), &text))
        return false;
      // Text that is no number keeps the old depth, and says so: nothing
      // changed, so it is no edit to undo.
      const double depth = ReadNumber(text.trimmed().toStdString(), std::numeric_limits<double>::quiet_NaN());
      if (!std::isfinite(depth)) {
        Ui().Message(TMsgKind::Error, TranslateGeneral(QStringLiteral("StartDepth"), QStringLiteral("Start depth")),
                     NotADepthText(text), mbOK);
        return false;
      }
      if (const QString why = StartDepthRefusal(depth); !why.isEmpty()) {
        Ui().Message(TMsgKind::Error, TranslateGeneral(QStringLiteral("StartDepth"), QStringLiteral("Start depth")),
                     why, mbOK);
        return false;
      }
      MoveInterval(depth, FLength);
      Invalidate(this);
      return true;
    }
    case bcInterval:
      if (!RunPropertiesDialog(QStringLiteral("TPassportBody.Interval"), this)) return false;
      Invalidate(this);
      return true;
    case bcLoadObject:
      return LoadObjectFromFile() == S_OK;
    case bcSaveObject:
      return SaveObjectToFile() == S_OK;
    default:
      return false;
  }
}
