#include "uModelDialogs.h"

#include "uFObjectList.h"
#include "uFObjectPos.h"
#include "uPropertiesDialogs.h"

void RegisterModelDialogs() {
  RegisterPropertiesDialog(QStringLiteral("TPrintObject"), &TFObjectPos::Execute);
  RegisterPropertiesDialog(QStringLiteral("TPrintObjectList"), &TFObjectList::Execute);
}
