// Fuzz target for the Access reader (mdbtools): arbitrary bytes written to a
// temporary .mdb file are opened and every table read twice (uFuzzSheets.h).
#include "uFuzzSheets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsheets::ReadSheets(data, size, TSheetFileKind::Access, ".mdb");
  return 0;
}
