// Fuzz target for the zipped spreadsheet readers: the first byte chooses
// .xlsx (even) or .ods (odd), the rest is written to a temporary file, opened
// and every sheet read twice (uFuzzSheets.h).
#include "uFuzzSheets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool ods = data[0] & 1;
  fuzzsheets::ReadSheets(data + 1, size - 1, ods ? TSheetFileKind::Ods : TSheetFileKind::Xlsx, ods ? ".ods" : ".xlsx");
  return 0;
}
