#include "uPictureDialogs.h"

#include "uFVectorGraphic.h"
#include "uPropertiesDialogs.h"

void RegisterPictureDialogs() {
  RegisterPropertiesDialog(QStringLiteral("TPrintVectorGraphic"), &TFVectorGraphic::Execute);
}
