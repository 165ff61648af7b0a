#include "uDepthLineKinds.h"

#include "uPrintColorLine.h"
#include "uStatusDDLine.h"

void RegisterDepthLineKinds() {
  RegisterKind(kindStatusDDLine, []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TStatusDDLine>(); });
  RegisterKind(kindColorLine, []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintColorLine>(); });
}
