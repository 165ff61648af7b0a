#include "uPrintTable.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>

#include "uComPtr.h"
#include "uFontEditing.h"
#include "uIniFile.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPageLines.h"
#include "uPropertiesDialogs.h"
#include "uStorage.h"
#include "uUiServices.h"

namespace {

QJsonArray Numbers(const std::vector<double>& values) {
  QJsonArray out;
  for (double v : values) out.append(v);
  return out;
}

}  // namespace

QJsonObject TableJson(const TStringTableEx& table) {
  QJsonObject json;
  json[QStringLiteral("colCount")] = table.ColCount();
  json[QStringLiteral("rowCount")] = table.RowCount();
  json[QStringLiteral("autoColumns")] = table.AutoColumns;
  json[QStringLiteral("fileName")] = table.FileName;
  json[QStringLiteral("defaultColWidth")] = table.DefaultColWidth;
  json[QStringLiteral("defaultRowHeight")] = table.DefaultRowHeight;
  json[QStringLiteral("colShifts")] = Numbers(table.ColShifts);
  json[QStringLiteral("colWidths")] = Numbers(table.ColWidths);
  json[QStringLiteral("rowShifts")] = Numbers(table.RowShifts);
  json[QStringLiteral("rowHeights")] = Numbers(table.RowHeights);
  json[QStringLiteral("font")] = FontToJson(table.Font);
  QJsonArray cells;
  QJsonArray data;
  for (int r = 0; r < table.RowCount(); ++r) {
    QJsonArray row;
    for (int c = 0; c < table.ColCount(); ++c) {
      row.append(table.GetCell(c, r));
      if (const int32_t d = table.GetCellData(c, r))
        data.append(QJsonArray{r, c, static_cast<qint64>(static_cast<uint32_t>(d))});
    }
    cells.append(row);
  }
  json[QStringLiteral("cells")] = cells;
  // Non-zero values only, as [row, column, value].
  json[QStringLiteral("cellData")] = data;
  return json;
}

bool LoadTableStream(TStorage* storage, TStringTableEx* table) {
  TComPtr<IStream> stream;
  if (!storage || storage->OpenStream(QString::fromLatin1(kTableStreamName), stream.Put()) != S_OK) return false;
  return table->LoadFromStream(stream.Get());
}

bool SaveTableStream(TStorage* storage, const TStringTableEx& table) {
  TComPtr<IStream> stream;
  if (!storage || storage->CreateStream(QString::fromLatin1(kTableStreamName), stream.Put()) != S_OK) return false;
  return table.SaveToStream(stream.Get());
}

TPrintTable::TPrintTable() {
  FTable.Font.Format |= DT_SINGLELINE;
  // A table added to a head or a body starts as one cell of the default size
  // to type into: one without columns is nothing to see, click or size, and
  // the new column dialog refused its zero width. A load replaces it.
  FTable.SetColCount(1);
  FTable.SetRowCount(1);
  FWidth = FTable.TotalWidth();
  FHeight = FTable.TotalHeight();
}

bool TPrintTable::LoadFromQS(ICompoundStream* stream) {
  if (!TDataObject::LoadFromQS(stream)) return false;
  FTable.Font.Format |= DT_SINGLELINE;
  return true;
}

bool TPrintTable::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TDataObject::LoadFromIni(ini, section, prefix)) return false;
  FTable.LoadFromIni(ini, section, prefix + QStringLiteral("TABLE."));
  FTable.Font.Format |= DT_SINGLELINE;
  Changed();
  return true;
}

bool TPrintTable::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TDataObject::SaveToIni(ini, section, prefix)) return false;
  return FTable.SaveToIni(ini, section, prefix + QStringLiteral("TABLE."));
}

bool TPrintTable::LoadFromStorage(TStorage* storage) {
  if (!TDataObject::LoadFromStorage(storage)) return false;
  // A table without its cells stream keeps the empty table of a new object.
  LoadTableStream(storage, &FTable);
  FTable.Font.Format |= DT_SINGLELINE;
  FModified = false;
  return true;
}

bool TPrintTable::SaveToStorage(TStorage* storage) {
  if (!TDataObject::SaveToStorage(storage)) return false;
  if (!SaveTableStream(storage, FTable)) {
    FModified = true;  // the save is not complete
    return false;
  }
  return true;
}

void TPrintTable::Draw(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0) return;
  QPainter* dc = context.DC;
  if (!dc) return;
  const QPen savedPen = dc->pen();
  if (!GetPixelRect(context).Intersects(context.ClipRect)) return;
  TDataObject::Draw(context);
  if (!context.Has(doBorders)) return;
  TFontEx& font = FTable.Font;
  font.SetResolution(RoundEven(context.DpiY() * static_cast<double>(context.Zoom)));
  font.SelectInto(dc);
  const QPen linePen = savedPen;
  for (int r = 0; r < FTable.RowCount(); ++r) {
    const double top = FTop + FTable.RowTop(r);
    const double bottom = top + FTable.RowHeights[static_cast<size_t>(r)];
    const int y0 = context.PixelY(top);
    const int y1 = context.PixelY(bottom);
    // Rows outside the repainted band cost nothing (a table of a million cells).
    if (y1 < context.ClipRect.Top || y0 > context.ClipRect.Bottom) continue;
    for (int k = 0; k < FTable.ColCount(); ++k) {
      const double left = FLeft + FTable.ColLeft(k);
      const TRect cell{context.PixelX(left), y0, context.PixelX(left + FTable.ColWidths[static_cast<size_t>(k)]), y1};
      if (cell.Right < context.ClipRect.Left || cell.Left > context.ClipRect.Right) continue;
      dc->setPen(linePen);
      DrawOutline(dc, cell);
      const QString text = FTable.GetCell(k, r);
      if (text.isEmpty()) continue;
      // The cell's value is its text colour; the font would otherwise put its own.
      const uint32_t fontColor = font.Color;
      font.Color = static_cast<uint32_t>(FTable.GetCellData(k, r));
      TPageLines sheets(context, top, bottom - top, y0);
      font.DrawFormatted(dc, ToQRect(cell), text, &sheets);
      font.Color = fontColor;
    }
  }
  font.UnselectFrom(dc);
  dc->setPen(savedPen);
}

bool TPrintTable::EditProperties() {
  if (!RunPropertiesDialog(QStringLiteral("TPrintTable"), this)) return false;
  Changed();
  SetModified(true);
  Invalidate(this);
  return true;
}

void TPrintTable::Changed() {
  if (FFilling) return;
  FWidth = FTable.TotalWidth();
  FHeight = FTable.TotalHeight();
  TPrintObject::Changed();
}

void TPrintTable::Assign(TPrintObject* source) {
  TDataObject::Assign(source);
  if (auto* table = dynamic_cast<TPrintTable*>(source)) {
    FTable.Assign(table->FTable);
    FTable.FileName = table->FTable.FileName;
  }
  Changed();
}

void TPrintTable::ClearData() {
  FTable.SetRowCount(0);
  FTable.SetColCount(0);
  SetModified(true);
  Changed();
}

void TPrintTable::GetMenuCommandCaption(int index, QString* text) {
  if (!text) return;
  switch (index) {
    case tcImport:
      *text = TranslateWord(QStringLiteral("Import"));
      break;
    case tcProperties:
      *text = TranslateWord(QStringLiteral("Properties"));
      break;
    case tcFont:
      *text = TranslateWord(QStringLiteral("Font"));
      break;
    default:
      *text = TranslateWord(QStringLiteral("Error"));
  }
}

bool TPrintTable::ExecuteMenuCommand(int index) {
  switch (index) {
    case tcImport: {
      const HRESULT hr = FTable.ImportWithDialog();
      if (hr == E_FAIL)
        Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Import")), FTable.LastError(), mbOK);
      if (hr != S_OK) return false;
      Changed();
      SetModified(true);
      Invalidate(this);
      return true;
    }
    case tcProperties:
      return EditProperties();
    case tcFont: {
      QString caption;
      GetMenuCommandCaption(tcFont, &caption);
      if (!EditFontWithDialog(&FTable.Font, caption)) return false;
      FTable.Font.Format |= DT_SINGLELINE;
      SetModified(true);
      Invalidate(this);
      return true;
    }
    default:
      return false;
  }
}

void TPrintTable::DumpProperties(QJsonObject* json) const {
  if (!json) return;
  TDataObject::DumpProperties(json);
  (*json)[QStringLiteral("table")] = TableJson(FTable);
}
