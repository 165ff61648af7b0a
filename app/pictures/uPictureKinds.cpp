#include "uPictureKinds.h"

#include "uPrintBitmap.h"
#include "uPrintVectorGraphic.h"

void RegisterPictureKinds() {
  RegisterKind(kindImage, []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintBitmap>(); });
  RegisterKind(kindVectorGraphic,
               []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintVectorGraphic>(); });
}
