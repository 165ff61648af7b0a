// Fuzz target for delimited text import: arbitrary bytes are parsed into
// cells (never more rows than line breaks allow, every cell UTF-8), and the
// cells written back as tab- and semicolon-separated text must parse to the
// same cells (the export quotes what the import would otherwise split).
#include <QByteArray>
#include <QString>
#include <string_view>

#include "uCodePage.h"
#include "uFuzzSheets.h"
#include "uTableImport.h"

namespace {

QByteArray Export(const TCellStore& cells, std::string_view delimiter) {
  QByteArray text;
  for (int r = 0; r < cells.RowCount(); ++r) {
    for (int c = 0; c < cells.ColCount(); ++c) {
      if (c > 0) text.append(delimiter.data(), static_cast<qsizetype>(delimiter.size()));
      AppendDelimitedCell(&text, cells.Utf8(c, r), delimiter, r == 0, cells.ColCount() == 1);
    }
    text.append('\n');
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  TCellStore cells;
  Check(ParseDelimitedText(bytes, &cells));
  Check(cells.RowCount() <= bytes.count('\n') + bytes.count('\r') + 1);
  for (int r = 0; r < cells.RowCount(); ++r)
    for (int c = 0; c < cells.ColCount(); ++c) Check(IsValidUtf8(cells.Utf8(c, r)));
  for (const std::string_view delimiter : {std::string_view("\t"), std::string_view(";")}) {
    const QByteArray text = Export(cells, delimiter);
    TCellStore back;
    Check(ParseDelimitedText(text, &back));
    Check(back.RowCount() == cells.RowCount());
    // A table of no columns writes empty lines, which read back as one empty cell each.
    if (cells.ColCount() == 0) continue;
    Check(back.ColCount() == cells.ColCount());
    for (int r = 0; r < cells.RowCount(); ++r)
      for (int c = 0; c < cells.ColCount(); ++c) Check(back.Utf8(c, r) == cells.Utf8(c, r));
  }
  return 0;
}
