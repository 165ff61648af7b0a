// The document's store of spare blocks (heads and bodies) from which copies
// are inserted. Owned by the document but none of its children: it is never
// drawn and takes no part in the stacking.
#pragma once

#include "uPrintObjectList.h"

class TExtraBlocks : public TPrintObjectList {
 public:
  int GetKind() const override { return kindExtraBlocks; }
  std::unique_ptr<TPrintObject> CreateChild(int kind) override;
  void Draw(TDrawContext&) override {}
  bool EditProperties() override;
  void GetCaption(QString* text) override;
};
