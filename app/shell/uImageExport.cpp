#include "uImageExport.h"

#include "uLanguage.h"
#include "uUiServices.h"

bool ExportObjectImage(TPrintObject* object, QWidget* parent) {
  (void)parent;
  if (!object) return false;
  Ui().Message(TMsgKind::Information, TranslateFileTitle(QStringLiteral("image")),
               TranslateError(QStringLiteral("ExportNotAvailable"), QStringLiteral("Picture export is not available")),
               mbOK);
  return false;
}
