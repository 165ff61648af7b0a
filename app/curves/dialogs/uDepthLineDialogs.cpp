#include "uDepthLineDialogs.h"

#include "uFColorLine.h"
#include "uFStatusDDLine.h"
#include "uPropertiesDialogs.h"

void RegisterDepthLineDialogs() {
  RegisterPropertiesDialog(QStringLiteral("TPrintColorLine"), &TFColorLine::Execute);
  RegisterPropertiesDialog(QStringLiteral("TStatusDDLine"), &TFStatusDDLine::Execute);
}
