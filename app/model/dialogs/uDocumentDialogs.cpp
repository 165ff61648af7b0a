#include "uDocumentDialogs.h"

#include "uFBodyInterval.h"
#include "uFExtraBlocks.h"
#include "uFNewColumn.h"
#include "uFPassportBody.h"
#include "uFStructure.h"
#include "uPropertiesDialogs.h"

void RegisterDocumentDialogs() {
  RegisterPropertiesDialog(QStringLiteral("TPassportBody"), &TFPassportBody::Execute);
  RegisterPropertiesDialog(QStringLiteral("TPassportBody.NewColumn"), &TFNewColumn::Execute);
  RegisterPropertiesDialog(QStringLiteral("TPassportBody.Interval"), &TFBodyInterval::Execute);
  RegisterPropertiesDialog(QStringLiteral("TExtraBlocks"), &TFExtraBlocks::Execute);
  RegisterPropertiesDialog(QStringLiteral("TPrintDocument"), &TfStructure::Execute);
}
