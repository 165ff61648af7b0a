// Fuzz target for the SQLite reader: arbitrary bytes written to a temporary
// file are opened as a database and every table read twice (uFuzzSheets.h).
#include "uFuzzSheets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsheets::ReadSheets(data, size, TSheetFileKind::Sqlite, ".sqlite");
  return 0;
}
