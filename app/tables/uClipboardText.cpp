#include "uClipboardText.h"

#include "uPrintDeepTable.h"
#include "uPrintDesc.h"
#include "uPrintTable.h"
#include "uTableEdits.h"

namespace {

QString AllCells(const TStringTable& table) {
  if (table.RowCount() <= 0 || table.ColCount() <= 0) return {};
  return CopyTableRange(table, TCellRange{0, 0, table.ColCount() - 1, table.RowCount() - 1});
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
  QString caption;
  object->GetCaption(&caption);
  return caption;
}
