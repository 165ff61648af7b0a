#include "uExtraBlocks.h"

#include "uLanguage.h"
#include "uPropertiesDialogs.h"

std::unique_ptr<TPrintObject> TExtraBlocks::CreateChild(int kind) {
  return CreateKindObject(kind, {kindHead, kindBody});
}

bool TExtraBlocks::EditProperties() { return RunPropertiesDialog(QStringLiteral("TExtraBlocks"), this); }

void TExtraBlocks::GetCaption(QString* text) {
  if (text) *text = TranslateGeneral(QStringLiteral("ExtraBlocks"), QStringLiteral("Extra blocks"));
}
