#include "uTableKinds.h"

#include "uPrintDeepTable.h"
#include "uPrintDesc.h"
#include "uPrintTable.h"

void RegisterTableKinds() {
  RegisterKind(kindTable, []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintTable>(); });
  RegisterKind(kindDeepTable, []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintDeepTable>(); });
  RegisterKind(kindTextDesc, []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintDesc>(); });
}
