// Fuzz target for the .xls reader (our Compound File reader, then FreeXL on a
// clean copy): arbitrary bytes written to a temporary file are opened as a
// workbook and every sheet read twice (uFuzzSheets.h).
#include "uFuzzSheets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsheets::ReadSheets(data, size, TSheetFileKind::Xls, ".xls");
  return 0;
}
