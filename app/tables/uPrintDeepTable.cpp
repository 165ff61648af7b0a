#include "uPrintDeepTable.h"

#include <QFontMetrics>
#include <QJsonObject>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

#include "qsID.h"
#include "uFontEditing.h"
#include "uIniFile.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPageLines.h"
#include "uPrintTable.h"
#include "uPropertiesDialogs.h"
#include "uStatusDDLine.h"
#include "uStorage.h"
#include "uTableEdits.h"
#include "uUiServices.h"

namespace {

constexpr int32_t idStartColumn = 4608;
constexpr int32_t idEndColumn = 4609;
constexpr int32_t idSizeColumn = 4610;

constexpr int kInsertableKinds[] = {kindStatusDDLine, kindImage};

bool CellNumber(const TStringTable& table, int col, int row, double* value) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double v = ReadNumber(table.GetCell(col, row).toStdString(), nan);
  if (!std::isfinite(v)) return false;
  *value = v;
  return true;
}

}  // namespace

TPrintDeepTable::TPrintDeepTable() {
  FTable.AutoColumns = false;
  FFlags |= pfInsert;
}

double TPrintDeepTable::DataTopDepth() const {
  double top = std::numeric_limits<double>::quiet_NaN();
  for (const auto& i : FIntervals)
    if (i && std::isfinite(i->Top) && (std::isnan(top) || i->Top < top)) top = i->Top;
  return top;
}

bool TPrintDeepTable::ChildStandsOnPage(const TPrintObject* child) const {
  return child && child->GetKind() != kindStatusDDLine;
}

void TPrintDeepTable::ScaleChanged(uint16_t oldScale, uint16_t newScale) {
  if (oldScale > 0 && newScale > 0) KeepNoteDepths(static_cast<double>(oldScale) / newScale);
  TDataObject::ScaleChanged(oldScale, newScale);
}

void TPrintDeepTable::RebuildIntervals() {
  FIntervals.clear();
  FIntervals.reserve(static_cast<size_t>(FTable.RowCount()));
  double deepest = 0;
  bool any = false;
  for (int r = 0; r < FTable.RowCount(); ++r) {
    auto interval = std::make_unique<TInterval>();
    const double def = 0;
    interval->Top = ReadNumber(FTable.GetCell(StartColumn, r).toStdString(), def);
    interval->Bottom = ReadNumber(FTable.GetCell(EndColumn, r).toStdString(), def);
    if (!std::isfinite(interval->Top)) interval->Top = 0;
    if (!std::isfinite(interval->Bottom)) interval->Bottom = 0;
    const double bottom = std::max(interval->Top, interval->Bottom);
    if (!any || bottom > deepest) deepest = bottom;
    any = true;
    FTable.SetRowInterval(r, interval.get());
    FIntervals.push_back(std::move(interval));
  }
  FDeepest = any ? deepest : 0;
  if (any) {
    const double height = DepthToPage(FDeepest) - FTop;
    if (std::isfinite(height) && height >= 0) SetHeight(height);
  }
  // Status lines mark the rows' intervals over the table's whole height.
  for (int i = 0; i < Count(); ++i)
    if (auto* status = dynamic_cast<TStatusDDLine*>(GetChild(i))) {
      status->RebuildIntervals(FTable);
      status->SetTop(FTop);
      status->SetHeight(GetHeight());
    }
  Changed();
}

void TPrintDeepTable::FillFromIntervals(const TStringTable& intervals) {
  FillTableFromIntervals(&FTable, intervals, StartColumn, EndColumn);
  RebuildIntervals();
  SetModified(true);
}

HRESULT TPrintDeepTable::ImportWithIntervals() {
  const int cols = FTable.ColCount();
  FIntervals.clear();
  for (int r = 0; r < FTable.RowCount(); ++r) FTable.SetRowInterval(r, nullptr);
  const HRESULT hr = FTable.ImportWithDialog();
  // The table keeps its columns; one that has not yet the interval columns
  // (a new table has none) takes the file's, or every row would be dropped.
  if (cols > std::max(StartColumn, EndColumn)) FTable.SetColCount(cols);
  // A cancelled or failed import left the rows as they were: none of them is
  // the import's to drop.
  if (hr == S_OK)
    KeepTableRows(&FTable, [this](int row) {
      double v = 0;
      return CellNumber(FTable, StartColumn, row, &v) && CellNumber(FTable, EndColumn, row, &v);
    });
  RebuildIntervals();
  if (hr == S_OK) SetModified(true);
  return hr;
}

bool TPrintDeepTable::LoadFromQS(ICompoundStream* stream) {
  if (!TDataObject::LoadFromQS(stream)) return false;
  StartColumn = qsReadInteger(stream, idStartColumn, -1);
  EndColumn = qsReadInteger(stream, idEndColumn, -1);
  SizeColumn = qsReadInteger(stream, idSizeColumn, -1);
  return true;
}

bool TPrintDeepTable::SaveToQS(ICompoundStream* stream) {
  if (!TDataObject::SaveToQS(stream)) return false;
  return qsWriteInteger(stream, idStartColumn, StartColumn) && qsWriteInteger(stream, idEndColumn, EndColumn) &&
         qsWriteInteger(stream, idSizeColumn, SizeColumn);
}

bool TPrintDeepTable::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TDataObject::LoadFromIni(ini, section, prefix)) return false;
  FTable.LoadFromIni(ini, section, prefix);
  StartColumn = ini->ReadInteger(section, prefix + QStringLiteral("INT.START"), -1);
  EndColumn = ini->ReadInteger(section, prefix + QStringLiteral("INT.END"), -1);
  SizeColumn = ini->ReadInteger(section, prefix + QStringLiteral("INT.SIZE"), -1);
  Changed();
  return true;
}

bool TPrintDeepTable::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TDataObject::SaveToIni(ini, section, prefix)) return false;
  // The reading side's keys, so that a template made from a document keeps
  // its depth tables' columns.
  bool ok = FTable.SaveToIni(ini, section, prefix);
  ok = ini->WriteInteger(section, prefix + QStringLiteral("INT.START"), StartColumn) && ok;
  ok = ini->WriteInteger(section, prefix + QStringLiteral("INT.END"), EndColumn) && ok;
  ok = ini->WriteInteger(section, prefix + QStringLiteral("INT.SIZE"), SizeColumn) && ok;
  return ok;
}

bool TPrintDeepTable::LoadFromStorage(TStorage* storage) {
  if (!TDataObject::LoadFromStorage(storage)) return false;
  LoadTableStream(storage, &FTable);
  FTable.AutoColumns = false;
  RebuildIntervals();
  FModified = false;
  return true;
}

bool TPrintDeepTable::SaveToStorage(TStorage* storage) {
  if (!TDataObject::SaveToStorage(storage)) return false;
  if (!SaveTableStream(storage, FTable)) {
    FModified = true;
    return false;
  }
  return true;
}

void TPrintDeepTable::Draw(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0) return;
  QPainter* dc = context.DC;
  const TRect rect = GetPixelRect(context);
  if (!dc || !rect.Intersects(context.ClipRect)) return;
  if (!context.Has(doBorders)) {
    TDataObject::Draw(context);
    return;
  }
  const QPen savedPen = dc->pen();
  // The L-shaped line: up the left edge, along the top.
  const QPoint corner[3] = {{rect.Left, rect.Bottom}, {rect.Left, rect.Top}, {rect.Right, rect.Top}};
  dc->drawPolyline(corner, 3);

  if (FTable.RowCount() > 0) {
    // The visible band in page mm; rows that do not meet it are skipped.
    const double bandTop = std::max(FTop, context.PageY(context.ClipRect.Top));
    const double bandBottom = std::min(FTop + GetHeight(), context.PageY(context.ClipRect.Bottom));
    TFontEx& font = FTable.Font;
    font.SetResolution(RoundEven(context.DpiY() * static_cast<double>(context.Zoom)));
    font.SelectInto(dc);
    for (int r = 0; r < FTable.RowCount(); ++r) {
      const TInterval* interval = FTable.GetRowInterval(r);
      if (!interval) continue;
      const double top = DepthToPage(std::min(interval->Top, interval->Bottom));
      const double bottom = DepthToPage(std::max(interval->Top, interval->Bottom));
      if (bottom < bandTop || top > bandBottom) continue;
      const int y0 = context.PixelY(top);
      const int y1 = context.PixelY(bottom);
      for (int k = 0; k < FTable.ColCount(); ++k) {
        const double left = FLeft + FTable.ColLeft(k);
        const TRect box{context.PixelX(left), y0, context.PixelX(left + FTable.ColWidths[static_cast<size_t>(k)]), y1};
        dc->setPen(savedPen);
        dc->drawLine(box.Left, box.Top, box.Left, box.Bottom);
        dc->drawLine(box.Left, box.Bottom, box.Right, box.Bottom);
        dc->drawLine(box.Right, box.Bottom, box.Right, box.Top);
        dc->drawLine(box.Right, box.Top, box.Left, box.Top);
        const QString text = FTable.GetCell(k, r);
        if (text.isEmpty()) continue;
        dc->setPen(ColorRefToQColor(static_cast<uint32_t>(FTable.GetCellData(k, r))));
        TRect textBox = box;
        if (TPageLines sheets(context, top, bottom - top, y0); sheets.Active()) {
          // Printed across two sheets, the line goes whole onto the one that holds it.
          const int lineHeight = QFontMetrics(dc->font(), dc->device()).height();
          const std::optional<int32_t> row = sheets.PlaceSingleLine(lineHeight, TPageLines::Centred);
          if (!row) continue;
          textBox.Top = *row;
          textBox.Bottom = *row + lineHeight;
        }
        DrawTextFormatted(dc, &textBox, QLatin1Char(' ') + text + QLatin1Char(' '),
                          dtCenter | dtVCenter | dtSingleLine | dtNoClip | dtNoPrefix);
      }
    }
    font.UnselectFrom(dc);
  }
  dc->setPen(savedPen);
  if ((context.Options & (doFrames | doBorders)) == (doFrames | doBorders)) DrawOutline(dc, rect);
  for (int i = 0; i < Count(); ++i)
    if (TPrintObject* c = GetChild(i); c && c != context.Skip) c->Draw(context);
  DrawSelection(context);
}

bool TPrintDeepTable::EditProperties() {
  if (!RunPropertiesDialog(QStringLiteral("TPrintDeepTable"), this)) return false;
  RebuildIntervals();
  SetModified(true);
  Invalidate(this);
  return true;
}

void TPrintDeepTable::Changed() {
  if (FFilling) return;
  // A table without columns keeps the width its column was given: a column
  // 0 mm wide could not be clicked to fill it.
  const double width = FTable.TotalWidth();
  if (width > 0) FWidth = width;
  if (auto* parent = FParent) {
    const double right = FLeft + GetWidth();
    if (parent->Left() + parent->GetWidth() < right) parent->SetWidth(right - parent->Left());
    parent->Changed();
  }
}

void TPrintDeepTable::Assign(TPrintObject* source) {
  TDataObject::Assign(source);
  if (auto* table = dynamic_cast<TPrintDeepTable*>(source)) {
    FTable.Assign(table->FTable);
    FTable.FileName = table->FTable.FileName;
    FTable.AutoColumns = false;
  }
  RebuildIntervals();
}

void TPrintDeepTable::ClearData() {
  FTable.SetRowCount(0);
  RebuildIntervals();
  SetModified(true);
}

std::unique_ptr<TPrintObject> TPrintDeepTable::CreateChild(int kind) {
  return CreateKindObject(kind, {kindText, kindStatusDDLine, kindImage});
}

int TPrintDeepTable::GetInsertableKind(int index) {
  return index >= 0 && index < static_cast<int>(std::size(kInsertableKinds)) ? kInsertableKinds[index] : 0;
}

bool TPrintDeepTable::InsertNewChildAt(double x0, double y0, double x, double y) {
  const int chosen = ChooseInsertableKind();
  if (!chosen) return false;
  std::unique_ptr<TPrintObject> made = CreateChild(chosen);
  if (!made) return false;
  made->SetBoundsRect({std::min(x0, x), std::min(y0, y), std::max(x0, x), std::max(y0, y)});
  // A status line is a narrow strip of its own width; the pop-up proposes a
  // column's width at the click.
  if (chosen == kindStatusDDLine) made->SetWidth(TStatusDDLine::kNewWidth);
  // A picture is chosen before it joins the table and then fitted into it:
  // joined first, its file's size would widen the table and the sheet.
  const bool picture = chosen == kindImage;
  if (picture && !made->EditProperties()) return false;
  FitChildInside(made.get());
  TPrintObject* child = made.get();
  if (AddChild(std::move(made)) < 0) return false;
  RebuildIntervals();
  if (!picture && !child->EditProperties()) {
    DeleteChild(IndexOf(child));
    return false;
  }
  Invalidate(this);
  return true;
}

double TPrintDeepTable::GetChildrenHeight() const {
  if (FIntervals.empty()) return 0;
  return std::max(DepthToPage(FDeepest) - FTop, 0.0);
}

void TPrintDeepTable::GetMenuCommandCaption(int index, QString* text) {
  if (!text) return;
  switch (index) {
    case dtcImport:
      *text = TranslateWord(QStringLiteral("Import"));
      break;
    case dtcEdit:
      *text = TranslateWord(QStringLiteral("Edit"));
      break;
    case dtcExport:
      *text = TranslateWord(QStringLiteral("Export"));
      break;
    case 3:
      *text = QStringLiteral("-");
      break;
    case dtcFont:
      *text = TranslateWord(QStringLiteral("Font"));
      break;
    default:
      *text = QStringLiteral("<Error!>");
  }
}

bool TPrintDeepTable::ExecuteMenuCommand(int index) {
  switch (index) {
    case dtcImport: {
      const HRESULT hr = ImportWithIntervals();
      if (hr == E_FAIL)
        Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Import")), FTable.LastError(), mbOK);
      if (hr != S_OK) return false;
      Invalidate(this);
      return true;
    }
    case dtcEdit:
      return EditProperties();
    case dtcExport: {
      const HRESULT hr = FTable.ExportWithDialog();
      if (hr == E_FAIL)
        Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Export")), FTable.LastError(), mbOK);
      return hr == S_OK;
    }
    case dtcFont: {
      QString caption;
      GetMenuCommandCaption(dtcFont, &caption);
      if (!EditFontWithDialog(&FTable.Font, caption)) return false;
      SetModified(true);
      Invalidate(this);
      return true;
    }
    default:
      return false;
  }
}

void TPrintDeepTable::DumpProperties(QJsonObject* json) const {
  if (!json) return;
  TDataObject::DumpProperties(json);
  (*json)[QStringLiteral("table")] = TableJson(FTable);
  (*json)[QStringLiteral("startColumn")] = StartColumn;
  (*json)[QStringLiteral("endColumn")] = EndColumn;
  (*json)[QStringLiteral("sizeColumn")] = SizeColumn;
}
