#include "uSample.h"

#include "uDataObject.h"
#include "uPrintDeepObject.h"
#include "uPrintObjectList.h"

namespace {

template <class T>
T* Add(TPrintObjectList* list, double l, double t, double r, double b) {
  auto o = std::make_unique<T>();
  T* p = o.get();
  list->AddChild(std::move(o));
  p->SetBoundsRect({l, t, r, b});
  return p;
}

}  // namespace

std::unique_ptr<TPrintObjectList> MakeSampleDocument() {
  auto root = std::make_unique<TPrintObjectList>();
  root->SetBoundsRect({10, 10, 200, 287});
  root->SetChildFlags(pfDefault | pfMoveX | pfMoveY | pfSizeX | pfSizeY);
  auto* head = Add<TDataObject>(root.get(), 15, 15, 195, 60);
  head->SetName(QStringLiteral("Head"));
  Add<TPrintObject>(head, 20, 20, 100, 35);
  Add<TPrintObject>(head, 110, 20, 190, 55);
  auto* body = Add<TPrintDeepObject>(root.get(), 15, 65, 195, 280);
  auto* scale = Add<TDataObject>(body, 15, 65, 40, 280);
  scale->SetName(QStringLiteral("Depth"));
  auto* column = Add<TPrintObjectList>(body, 45, 65, 120, 280);
  Add<TPrintObject>(column, 50, 80, 115, 120);
  Add<TPrintObject>(column, 50, 130, 115, 200);
  Add<TPrintObject>(body, 125, 65, 195, 280)->SetBorder(false);
  root->Changed();
  return root;
}
