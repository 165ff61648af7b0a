#include "uPrintDesc.h"

#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <unordered_set>

#include "qsID.h"
#include "uDistributeAlg.h"
#include "uFontEditing.h"
#include "uIniFile.h"
#include "uIntervalImport.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPrintTable.h"
#include "uPrintText.h"
#include "uPropertiesDialogs.h"
#include "uStringTable.h"
#include "uUiServices.h"

namespace {

constexpr int32_t idTextBorders = 22;
constexpr int32_t idLeftTick = 4104;
constexpr int32_t idRightTick = 4105;
constexpr int32_t idLeftIndent = 4108;
constexpr int32_t idRightIndent = 4109;

const QString kCrLf = QStringLiteral("\r\n");

double NumberOrNan(const QString& text) {
  return ReadNumber(text.trimmed().toStdString(), std::numeric_limits<double>::quiet_NaN());
}

// Table cells carry line breaks as the two characters "\n".
QString CellToText(const QString& cell) {
  QString text = cell;
  text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
  text.replace(kCrLf, QStringLiteral("\n"));
  text.replace(QChar('\r'), QChar('\n'));
  text.replace(QChar('\n'), kCrLf);
  return text;
}

QString TextToCell(const QString& text) {
  QString cell = text;
  cell.replace(kCrLf, QStringLiteral("\\n"));
  cell.replace(QChar('\r'), QStringLiteral("\\n"));
  cell.replace(QChar('\n'), QStringLiteral("\\n"));
  return cell;
}

QString DescText(const char* key, const char* def) {
  return TranslateGeneral(QString::fromLatin1(key), QString::fromUtf8(def));
}

}  // namespace

QString DescTextToCell(const QString& text) { return TextToCell(text); }
QString DescCellToText(const QString& cell) { return CellToText(cell); }

bool TTextMatch::Matches(const QString& text) const {
  const Qt::CaseSensitivity cs = CaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
  switch (Mode) {
    case Equals:
      return text.compare(Pattern, cs) == 0;
    case StartsWith:
      return text.startsWith(Pattern, cs);
    case NumberBetween: {
      const double x = NumberOrNan(text);
      return std::isfinite(x) && std::min(From, To) <= x && x <= std::max(From, To);
    }
    default:
      return text.contains(Pattern, cs);
  }
}

double DescTextNeed(const TPrintText& text) { return text.Font().SizeMM() + 0.8; }

TPrintDesc::TPrintDesc() {
  FBorder = true;
  // Texts are inserted with the mouse from the start, not only after the
  // column was saved and loaded (loading adds the flag as well).
  FFlags |= pfInsert;
  FChildFlags |= pfInsert | pfMoveY;
}

std::vector<TPrintText*> TPrintDesc::Texts() const {
  std::vector<TPrintText*> texts;
  texts.reserve(static_cast<size_t>(Count()));
  for (int i = 0; i < Count(); ++i)
    if (auto* t = dynamic_cast<TPrintText*>(GetChild(i))) texts.push_back(t);
  std::stable_sort(texts.begin(), texts.end(),
                   [](const TPrintText* a, const TPrintText* b) { return a->Top() < b->Top(); });
  return texts;
}

TPrintText* TPrintDesc::CreateText(double topDepth, double bottomDepth, const QString& text) {
  if (!std::isfinite(topDepth) || !std::isfinite(bottomDepth)) return nullptr;
  if (topDepth > bottomDepth) std::swap(topDepth, bottomDepth);
  auto made = std::make_unique<TPrintText>();
  TPrintText* t = made.get();
  t->SetText(CellToText(text));
  t->SetLeft(FLeft);
  t->SetWidth(GetWidth());
  const double top = DepthToPage(topDepth);
  t->SetTop(top);
  t->SetHeight(DepthToPage(bottomDepth) - top);
  t->IntervalTop = t->Top();
  t->IntervalBottom = t->BottomEdge();
  t->LeftTick = LeftTick;
  t->RightTick = RightTick;
  t->LeftIndent = LeftIndent;
  t->RightIndent = RightIndent;
  t->SetBorder(TextBorders);
  t->Bound = SmartBorder();
  t->Font().Assign(Font);
  if (AddChild(std::move(made)) < 0) return nullptr;
  return t;
}

void TPrintDesc::ApplyToTexts() {
  for (TPrintText* t : Texts()) {
    t->LeftTick = LeftTick;
    t->RightTick = RightTick;
    t->LeftIndent = LeftIndent;
    t->RightIndent = RightIndent;
    t->SetBorder(TextBorders);
    t->Bound = SmartBorder();
  }
}

void TPrintDesc::ApplyFontToTexts() {
  for (TPrintText* t : Texts()) t->Font().Assign(Font);
}

bool TPrintDesc::PlaceAutomatically(std::vector<TPrintText*>* misfits) {
  const std::vector<TPrintText*> texts = Texts();
  if (texts.size() <= 1) return false;
  TDistributeAlg alg;
  alg.Entries.reserve(texts.size());
  for (const TPrintText* t : texts) {
    TDistributeEntry e{t->Top(), t->BottomEdge(), DescTextNeed(*t)};
    if (e.Top > e.Bottom) std::swap(e.Top, e.Bottom);
    alg.Entries.push_back(e);
  }
  alg.MinTop = FTop;
  alg.MaxBottom = BottomEdge();
  if (!alg.Distribute()) {
    if (alg.Failed())
      Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Error")),
                   TranslateError(QStringLiteral("DistributeFailed"),
                                  QStringLiteral("Произошла ошибка распределения интервалов. Пожалуйста отправьте "
                                                 "исходные данные этой колонки разработчику, чтобы он смог устранить "
                                                 "ошибку в программе")),
                   mbOK);
    return false;
  }
  for (size_t i = 0; i < texts.size(); ++i) {
    const TDistributeEntry& e = alg.Entries[i];
    texts[i]->SetTop(e.Top);
    texts[i]->SetHeight(e.Bottom - e.Top);
  }
  const std::vector<int> out = alg.Misfits();
  if (misfits) misfits->clear();
  if (!out.empty()) {
    for (TPrintText* t : texts) t->SetSelected(false);
    for (int i : out) {
      texts[static_cast<size_t>(i)]->SetSelected(true);
      if (misfits) misfits->push_back(texts[static_cast<size_t>(i)]);
    }
  }
  Changed();
  SetModified(true);
  Invalidate(this);
  if (!out.empty()) {
    const TPrintText* first = texts[static_cast<size_t>(out.front())];
    Ui().Message(TMsgKind::Information, TranslateGeneral(QStringLiteral("PlaceAutomatically"), "Auto layout"),
                 SubstituteArgs(DescText("DescNotFit",
                                         "%s of %s texts do not fit into the column, the first at "
                                         "%s m; they are selected."),
                                {QString::number(out.size()), QString::number(texts.size()),
                                 QString::fromStdString(FormatGeneral(PageToDepth(first->Top())))}),
                 mbOK);
  }
  return true;
}

void TPrintDesc::UnplaceAutomatically() {
  for (TPrintText* t : Texts()) {
    t->SetTop(t->IntervalTop);
    t->SetHeight(t->IntervalBottom - t->IntervalTop);
  }
  Changed();
  SetModified(true);
  Invalidate(this);
}

int TPrintDesc::SelectMatching(const TTextMatch& match, bool add) {
  int found = 0;
  for (TPrintText* t : Texts()) {
    const bool hit = match.Matches(t->GetText());
    found += hit;
    if (hit)
      t->SetSelected(true);
    else if (!add)
      t->SetSelected(false);
  }
  Invalidate(this);
  return found;
}

int TPrintDesc::ApplyFontWhere(const TTextMatch& match, const TFontEx& font) {
  int changed = 0;
  for (TPrintText* t : Texts()) {
    if (!match.Matches(t->GetText())) continue;
    t->Font().Assign(font);
    ++changed;
  }
  if (changed > 0) {
    SetModified(true);
    Invalidate(this);
  }
  return changed;
}

int TPrintDesc::CreateTextsFrom(const TStringTable& intervals) {
  int made = 0;
  FFilling = true;
  for (int r = 0; r < intervals.RowCount(); ++r) {
    const double from = NumberOrNan(intervals.GetCell(0, r));
    const double to = NumberOrNan(intervals.GetCell(1, r));
    if (!std::isfinite(from) || !std::isfinite(to)) continue;
    QStringList values;
    for (int c = 2; c < intervals.ColCount(); ++c)
      if (const QString v = intervals.GetCell(c, r); !v.isEmpty()) values << v;
    made += CreateText(from, to, values.join(QLatin1Char(' '))) != nullptr;
  }
  FFilling = false;
  if (made > 0) {
    Changed();
    SetModified(true);
  }
  return made;
}

void TPrintDesc::TextsToTable(TStringTable* table) const {
  const std::vector<TPrintText*> texts = Texts();
  table->AutoColumns = false;
  table->SetRowCount(0);
  table->SetColCount(3);
  table->SetRowCount(static_cast<int>(texts.size()));
  table->SetHeader(0, TranslateWord(QStringLiteral("From")));
  table->SetHeader(1, TranslateWord(QStringLiteral("To")));
  table->SetHeader(2, TranslateWord(QStringLiteral("Text")));
  for (size_t i = 0; i < texts.size(); ++i) {
    const int r = static_cast<int>(i);
    table->SetCell(0, r, QString::fromStdString(FormatGeneral(PageToDepth(texts[i]->IntervalTop))));
    table->SetCell(1, r, QString::fromStdString(FormatGeneral(PageToDepth(texts[i]->IntervalBottom))));
    table->SetCell(2, r, TextToCell(texts[i]->GetText()));
  }
}

std::vector<TDescEntry> TPrintDesc::Entries() const {
  std::vector<TDescEntry> out;
  for (TPrintText* t : Texts())
    out.push_back({PageToDepth(t->IntervalTop), PageToDepth(t->IntervalBottom), t->GetText(), t});
  return out;
}

void TPrintDesc::SetEntries(const std::vector<TDescEntry>& entries) {
  std::unordered_set<const TPrintObject*> kept;
  for (const TDescEntry& e : entries)
    if (e.Source) kept.insert(e.Source);
  FFilling = true;
  for (int i = Count() - 1; i >= 0; --i) {
    TPrintObject* c = GetChild(i);
    if (dynamic_cast<TPrintText*>(c) && !kept.contains(c)) DeleteChild(i);
  }
  for (const TDescEntry& e : entries) {
    if (!std::isfinite(e.TopDepth) || !std::isfinite(e.BottomDepth)) continue;
    const double topDepth = std::min(e.TopDepth, e.BottomDepth);
    const double bottomDepth = std::max(e.TopDepth, e.BottomDepth);
    if (!e.Source || IndexOf(e.Source) < 0) {
      CreateText(topDepth, bottomDepth, TextToCell(e.Text));
      continue;
    }
    TPrintText* t = e.Source;
    if (t->GetText() != e.Text) t->SetText(e.Text);
    const double top = DepthToPage(topDepth);
    const double bottom = DepthToPage(bottomDepth);
    // A text whose interval stays keeps the place the layout gave it.
    if (std::abs(top - t->IntervalTop) > 1e-9 || std::abs(bottom - t->IntervalBottom) > 1e-9) {
      t->IntervalTop = top;
      t->IntervalBottom = bottom;
      t->SetTop(top);
      t->SetHeight(bottom - top);
    }
  }
  FFilling = false;
  Changed();
  SetModified(true);
  Invalidate(this);
}

bool TPrintDesc::LoadFromQS(ICompoundStream* stream) {
  if (!TDataObject::LoadFromQS(stream)) return false;
  Font.LoadFromQS(stream);
  TextBorders = qsReadBool(stream, idTextBorders, false);
  LeftTick = qsReadInteger(stream, idLeftTick, 0);
  RightTick = qsReadInteger(stream, idRightTick, 0);
  const double left = qsReadDouble(stream, idLeftIndent, 1.0);
  const double right = qsReadDouble(stream, idRightIndent, 1.0);
  LeftIndent = std::isfinite(left) ? left : 1.0;
  RightIndent = std::isfinite(right) ? right : 1.0;
  FFlags |= pfInsert;
  return true;
}

bool TPrintDesc::SaveToQS(ICompoundStream* stream) {
  if (!TDataObject::SaveToQS(stream)) return false;
  return Font.SaveToQS(stream) && qsWriteBool(stream, idTextBorders, TextBorders) &&
         qsWriteInteger(stream, idLeftTick, RoundEven(LeftTick)) &&
         qsWriteInteger(stream, idRightTick, RoundEven(RightTick)) && qsWriteDouble(stream, idLeftIndent, LeftIndent) &&
         qsWriteDouble(stream, idRightIndent, RightIndent);
}

bool TPrintDesc::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TDataObject::LoadFromIni(ini, section, prefix)) return false;
  Font.LoadFromIni(ini, section, prefix + QStringLiteral("FONT."));
  TextBorders = ini->ReadBool(section, prefix + QStringLiteral("TEXTBORDERS"), TextBorders);
  LeftTick = ini->ReadFloat(section, prefix + QStringLiteral("LEFTTICK"), LeftTick);
  RightTick = ini->ReadFloat(section, prefix + QStringLiteral("RIGHTTICK"), RightTick);
  LeftIndent = ini->ReadFloat(section, prefix + QStringLiteral("LEFTINDENT"), LeftIndent);
  RightIndent = ini->ReadFloat(section, prefix + QStringLiteral("RIGHTINDENT"), RightIndent);
  ApplyToTexts();
  return true;
}

bool TPrintDesc::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TDataObject::SaveToIni(ini, section, prefix)) return false;
  bool ok = Font.SaveToIni(ini, section, prefix + QStringLiteral("FONT."));
  ok = ini->WriteBool(section, prefix + QStringLiteral("TEXTBORDERS"), TextBorders) && ok;
  ok = ini->WriteFloat(section, prefix + QStringLiteral("LEFTTICK"), LeftTick) && ok;
  ok = ini->WriteFloat(section, prefix + QStringLiteral("RIGHTTICK"), RightTick) && ok;
  ok = ini->WriteFloat(section, prefix + QStringLiteral("LEFTINDENT"), LeftIndent) && ok;
  ok = ini->WriteFloat(section, prefix + QStringLiteral("RIGHTINDENT"), RightIndent) && ok;
  return ok;
}

bool TPrintDesc::LoadFromStorage(TStorage* storage) {
  if (!TDataObject::LoadFromStorage(storage)) return false;
  // Texts do not store their ticks and indents: the column gives them.
  const bool modified = FModified;
  for (TPrintText* t : Texts()) {
    t->LeftTick = LeftTick;
    t->RightTick = RightTick;
    t->LeftIndent = LeftIndent;
    t->RightIndent = RightIndent;
  }
  FModified = modified;
  return true;
}

void TPrintDesc::Assign(TPrintObject* source) {
  TDataObject::Assign(source);
  for (TPrintText* t : Texts()) {
    t->LeftTick = LeftTick;
    t->RightTick = RightTick;
    t->LeftIndent = LeftIndent;
    t->RightIndent = RightIndent;
  }
}

bool TPrintDesc::EditProperties() {
  if (!RunPropertiesDialog(QStringLiteral("TPrintDesc"), this)) return false;
  Invalidate(this);
  return true;
}

void TPrintDesc::AdjustChildBounds(TPrintObject* child, const TBoundsRect& start, TBoundsRect* bounds) {
  TDataObject::AdjustChildBounds(child, start, bounds);
  if (!child || !bounds || !SmartBorder()) return;
  const std::vector<TPrintText*> texts = Texts();
  const auto it = std::find(texts.begin(), texts.end(), child);
  if (it == texts.end()) return;
  double upper = FTop;
  double lower = BottomEdge();
  // The neighbours as they stood before the drag.
  for (const TPrintText* t : texts) {
    if (t == child) continue;
    if (t->BottomEdge() <= start.Top + 1e-9) upper = std::max(upper, t->BottomEdge());
    if (t->Top() >= start.Bottom - 1e-9) lower = std::min(lower, t->Top());
  }
  TBoundsRect b = *bounds;
  b.Left = start.Left;
  b.Right = start.Right;
  b.Top = std::max(b.Top, upper);
  b.Bottom = std::min(b.Bottom, lower);
  if (b.Bottom - b.Top < 1) b = start;  // no room: the text stays
  *bounds = b;
}

void TPrintDesc::ClearData() {
  Clear();
  SetModified(true);
}

std::unique_ptr<TPrintObject> TPrintDesc::CreateChild(int kind) {
  std::unique_ptr<TPrintObject> made = CreateKindObject(kind, {kindText, kindStatusDDLine});
  if (auto* t = dynamic_cast<TPrintText*>(made.get())) {
    t->LeftTick = LeftTick;
    t->RightTick = RightTick;
    t->LeftIndent = LeftIndent;
    t->RightIndent = RightIndent;
  }
  return made;
}

bool TPrintDesc::InsertNewChildAt(double, double y0, double, double y) {
  double topDepth = PageToDepth(std::min(y0, y));
  double bottomDepth = PageToDepth(std::max(y0, y));
  if (std::abs(y0 - y) < 1) std::tie(topDepth, bottomDepth) = ClickDepths(y);  // a click: no range to take
  TPrintText* t = CreateText(topDepth, bottomDepth, QString());
  if (!t) return false;
  Changed();
  if (!t->EditProperties()) {
    DeleteChild(IndexOf(t));
    Changed();
    return false;
  }
  SetModified(true);
  Invalidate(this);
  return true;
}

void TPrintDesc::ScaleChanged(uint16_t oldScale, uint16_t newScale) {
  if (oldScale > 0 && newScale > 0 && oldScale != newScale) RescaleChildren(static_cast<double>(oldScale) / newScale);
  TDataObject::ScaleChanged(oldScale, newScale);
}

void TPrintDesc::SetTop(double value) {
  const double diff = value - FTop;
  TDataObject::SetTop(value);
  if (diff == 0 || !std::isfinite(diff)) return;
  for (TPrintText* t : Texts()) {
    t->IntervalTop += diff;
    t->IntervalBottom += diff;
  }
}

void TPrintDesc::GetMenuCommandCaption(int index, QString* text) {
  if (!text) return;
  switch (index) {
    case dcImport:
      *text = TranslateWord(QStringLiteral("Import"));
      break;
    case dcExport:
      *text = TranslateWord(QStringLiteral("Export"));
      break;
    case 2:
    case 6:
    case 9:
    case 12:
      *text = QStringLiteral("-");
      break;
    case dcTextBorders:
      *text = TextBorders ? DescText("DeleteTextBorders", "Delete text borders")
                          : DescText("CreateTextBorders", "Create text borders");
      break;
    case dcMainBorder:
      *text =
          Border() ? DescText("HideMainBorder", "Hide main border") : DescText("ShowMainBorder", "Show Main border");
      break;
    case dcSmartBorder:
      *text =
          SmartBorder() ? DescText("SmartBorderOff", "Smart border Off") : DescText("SmartBorderOn", "Smart border On");
      break;
    case dcMarkSize:
      *text = DescText("MarkSize", "Mark size");
      break;
    case dcMarginSizes:
      *text = DescText("MarginSizes", "Margin sizes");
      break;
    case dcPlace:
      *text = DescText("PlaceAutomatically", "Auto layout");
      break;
    case dcUnplace:
      *text = DescText("UnPlaceAutomatically", "Cancel Auto layout");
      break;
    case dcFindAndSelect:
      *text = DescText("FindAndSelect", "Find and select");
      break;
    case dcFontByValue:
      *text = DescText("FontByValue", "Select font by value");
      break;
    case dcFont:
      *text = TranslateWord(QStringLiteral("Font"));
      break;
    case dcProperties:
      *text = TranslateWord(QStringLiteral("Properties"));
      break;
    default:
      *text = TranslateWord(QStringLiteral("Error"));
  }
}

bool TPrintDesc::ImportTexts() {
  QString error;
  const std::unique_ptr<TStringTable> intervals = ImportIntervalsFor(this, &error);
  if (!intervals) {
    if (!error.isEmpty()) Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Import")), error, mbOK);
    return false;
  }
  if (CreateTextsFrom(*intervals) == 0) return false;
  Invalidate(this);
  return true;
}

bool TPrintDesc::ExportTexts() {
  TStringTable table;
  TextsToTable(&table);
  const HRESULT hr = table.ExportWithDialog();
  if (hr == E_FAIL) Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Export")), table.LastError(), mbOK);
  return hr == S_OK;
}

bool TPrintDesc::ExecuteMenuCommand(int index) {
  switch (index) {
    case dcImport:
      return ImportTexts();
    case dcExport:
      return ExportTexts();
    case dcTextBorders:
      TextBorders = !TextBorders;
      for (TPrintText* t : Texts()) t->SetBorder(TextBorders);
      break;
    case dcMainBorder:
      SetBorder(!Border());
      NameChanged();
      break;
    case dcSmartBorder: {
      const bool on = !SmartBorder();
      SetChildFlags(on ? (ChildFlags() & ~pfMoveY) | kDescSmartBorder : (ChildFlags() & ~kDescSmartBorder) | pfMoveY);
      for (TPrintText* t : Texts()) t->Bound = on;
      NameChanged();
      break;
    }
    case dcMarkSize:
      if (!RunPropertiesDialog(QStringLiteral("TPrintDesc.MarkSize"), this)) return false;
      ApplyToTexts();
      break;
    case dcMarginSizes:
      if (!RunPropertiesDialog(QStringLiteral("TPrintDesc.MarginSizes"), this)) return false;
      ApplyToTexts();
      break;
    case dcPlace:
      return PlaceAutomatically();
    case dcUnplace:
      UnplaceAutomatically();
      return true;
    case dcFindAndSelect: {
      if (!RunPropertiesDialog(QStringLiteral("TPrintDesc.FindAndSelect"), this)) return false;
      if (SelectMatching(FindRule, FindAddsToSelection) == 0)
        Ui().Message(TMsgKind::Information, DescText("FindAndSelect", "Find and select"),
                     DescText("NothingFound", "No text matches."), mbOK);
      return true;
    }
    case dcFontByValue: {
      if (!RunPropertiesDialog(QStringLiteral("TPrintDesc.FontByValue"), this)) return false;
      if (ApplyFontWhere(FontRule, RuleFont) == 0) {
        Ui().Message(TMsgKind::Information, DescText("FontByValue", "Select font by value"),
                     DescText("NothingFound", "No text matches."), mbOK);
        return false;
      }
      return true;
    }
    case dcFont: {
      QString caption;
      GetMenuCommandCaption(dcFont, &caption);
      if (!EditFontWithDialog(&Font, caption)) return false;
      ApplyFontToTexts();
      break;
    }
    case dcProperties:
      return EditProperties();
    default:
      return false;
  }
  SetModified(true);
  Invalidate(this);
  return true;
}

void TPrintDesc::DumpProperties(QJsonObject* json) const {
  if (!json) return;
  TDataObject::DumpProperties(json);
  (*json)[QStringLiteral("font")] = FontToJson(Font);
  (*json)[QStringLiteral("textBorders")] = TextBorders;
  (*json)[QStringLiteral("leftTick")] = LeftTick;
  (*json)[QStringLiteral("rightTick")] = RightTick;
  (*json)[QStringLiteral("leftIndent")] = LeftIndent;
  (*json)[QStringLiteral("rightIndent")] = RightIndent;
  (*json)[QStringLiteral("smartBorder")] = SmartBorder();
}
