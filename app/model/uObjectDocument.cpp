#include "uObjectDocument.h"

#include "uKinds.h"
#include "uLanguage.h"
#include "uObjectClipboard.h"
#include "uPrintDocument.h"

bool PutBlockIntoDocument(TPrintDocument* document, TPrintObjectList* object, QString* error) {
  if (!document || !object) return false;
  const int kind = object->GetKind();
  if (kind != kindHead && kind != kindBody) {
    if (error)
      *error = SubstituteArgs(
          TranslateError(QStringLiteral("ObjectFileNotABlock"),
                         QStringLiteral("The file holds a %s, not a head or a body: open a document, right-click a %s "
                                        "and choose Load object")),
          {TranslateKindName(kind), TranslateKindName(kind)});
    return false;
  }
  const QByteArray bytes = CopyObjectBytes(object, error);
  return !bytes.isEmpty() && PasteObjectBytes(bytes, document, error) != nullptr;
}
