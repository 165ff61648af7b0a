#include "uSample.h"

#include "uPrintObjectList.h"

std::unique_ptr<TPrintObjectList> MakeSampleDocument() {
  // A page-sized list with the children's flags a document gives its blocks.
  // A plain list holds no children of its own kinds, so it stays empty until
  // the document's block classes exist.
  auto root = std::make_unique<TPrintObjectList>();
  root->SetBoundsRect({10, 10, 200, 287});
  root->SetChildFlags(pfDefault | pfMoveX | pfMoveY | pfSizeX | pfSizeY);
  return root;
}
