#include "uDocumentKinds.h"

#include "uExtraBlocks.h"
#include "uFixedRuller.h"
#include "uPassportBody.h"
#include "uPrintDocument.h"

namespace {
template <class T>
std::unique_ptr<TPrintObject> Make() {
  return std::make_unique<T>();
}
}  // namespace

void RegisterDocumentKinds() {
  RegisterKind(kindBody, &Make<TPassportBody>);
  RegisterKind(kindDocument, &Make<TPrintDocument>);
  RegisterKind(kindFixedRuller, &Make<TFixedRuller>);
  RegisterKind(kindExtraBlocks, &Make<TExtraBlocks>);
}
