// Fuzz target for LAS import: arbitrary bytes are parsed as a LAS file; a
// refusal comes with a reason, a success with a header row of mnemonics over
// rows of a consistent width, every cell UTF-8.
#include <QByteArray>
#include <QString>

#include "uCodePage.h"
#include "uFuzzSheets.h"
#include "uLasImport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  TCellStore cells;
  QString error;
  if (!ParseLas(bytes, &cells, &error)) {
    Check(!error.isEmpty());
    return 0;
  }
  Check(cells.RowCount() >= 1 && cells.ColCount() >= 1);
  for (int r = 0; r < cells.RowCount(); ++r)
    for (int c = 0; c < cells.ColCount(); ++c) Check(IsValidUtf8(cells.Utf8(c, r)));
  return 0;
}
