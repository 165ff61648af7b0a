// Lists that hold the model's own kinds (256-259 and 7), as the document's
// list classes hold theirs; a plain list's factory makes none. Model tests and
// benchmarks build their trees from these in place of blocks and columns.
// Header only, over kernocore.
#pragma once

#include <memory>

#include "uDataObject.h"
#include "uKinds.h"
#include "uPrintDeepObject.h"
#include "uPrintObjectList.h"

template <class TBase>
class TOpenList : public TBase {
 public:
  std::unique_ptr<TPrintObject> CreateChild(int kind) override {
    return CreateKindObject(kind, {kindPicture, kindObject, kindObjectList, kindDataObject, kindDeepObject});
  }
};
using TTestList = TOpenList<TPrintObjectList>;
using TTestData = TOpenList<TDataObject>;
using TTestDeep = TOpenList<TPrintDeepObject>;

// Makes the registered classes of the list kinds the open ones (true), so
// that a file or a copy recreates open lists, or the program's own (false).
inline void RegisterOpenLists(bool open) {
  if (open) {
    RegisterKind(kindObjectList, [] { return std::unique_ptr<TPrintObject>(std::make_unique<TTestList>()); });
    RegisterKind(kindDataObject, [] { return std::unique_ptr<TPrintObject>(std::make_unique<TTestData>()); });
    RegisterKind(kindDeepObject, [] { return std::unique_ptr<TPrintObject>(std::make_unique<TTestDeep>()); });
  } else {
    RegisterKind(kindObjectList, [] { return std::unique_ptr<TPrintObject>(std::make_unique<TPrintObjectList>()); });
    RegisterKind(kindDataObject, [] { return std::unique_ptr<TPrintObject>(std::make_unique<TDataObject>()); });
    RegisterKind(kindDeepObject, [] { return std::unique_ptr<TPrintObject>(std::make_unique<TPrintDeepObject>()); });
  }
}
