#include "uClipboardText.h"

#include <memory>

#include "uPrintDeepTable.h"
#include "uPrintDesc.h"
#include "uPrintDiagrams.h"
#include "uPrintTable.h"
#include "uTableEdits.h"

namespace {

QString AllCells(const TStringTable& table) {
  if (table.RowCount() <= 0 || table.ColCount() <= 0) return {};
  return CopyTableRange(table, TCellRange{0, 0, table.ColCount() - 1, table.RowCount() - 1});
}

// Beyond this many cells a copy would hold the clipboard up for seconds; the
// column's export to a file serves such logs.
constexpr double kMaxCurveCells = 1'000'000;

// "Depth" and the curves, from the first depth any curve has a value at to
// the last (the export's table starts at depth 0).
QString CurveColumnText(const TPrintDiagrams& column) {
  if (column.Curves().empty()) return {};
  const std::unique_ptr<TStringTable> table = column.ExportTable(kMaxCurveCells);
  if (!table || table->RowCount() < 2) return {};
  int first = -1;
  int last = -1;
  for (int r = 1; r < table->RowCount(); ++r)
    for (int c = 1; c < table->ColCount(); ++c)
      if (!table->GetCell(c, r).isEmpty()) {
        if (first < 0) first = r;
        last = r;
        break;
      }
  if (first < 0) return {};
  // Each range ends its lines itself.
  return CopyTableRange(*table, TCellRange{0, 0, table->ColCount() - 1, 0}) +
         CopyTableRange(*table, TCellRange{0, first, table->ColCount() - 1, last});
}

}  // namespace

QString ClipboardText(TPrintObject* object) {
  if (!object) return {};
  if (const auto* table = dynamic_cast<const TPrintTable*>(object)) return AllCells(table->Table());
  if (const auto* table = dynamic_cast<const TPrintDeepTable*>(object)) return AllCells(table->Table());
  if (const auto* desc = dynamic_cast<const TPrintDesc*>(object)) {
    TStringTable texts;
    desc->TextsToTable(&texts);
    return AllCells(texts);
  }
  if (const auto* column = dynamic_cast<const TPrintDiagrams*>(object))
    if (QString text = CurveColumnText(*column); !text.isEmpty()) return text;
  QString caption;
  object->GetCaption(&caption);
  return caption;
}
