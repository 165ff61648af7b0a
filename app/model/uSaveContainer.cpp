#include "uSaveContainer.h"

#include "uSpareContainers.h"

namespace {

using TSpare = TSpareContainer<IPersistBlock>;
constexpr size_t kMaxSpares = 4;

}  // namespace

TSaveContainer::TSaveContainer() {
  TSpare spare = TSpare::Take(IID_IPersistBlock);
  FQs = std::move(spare.Qs);
  FBlock = std::move(spare.Other);
}

TSaveContainer::~TSaveContainer() {
  // Only a container this library can empty is kept; the values written go now.
  if (!FQs || !FBlock || qsEmptyCompoundStream(FQs.Get()) != S_OK) return;
  TSpare::Give({std::move(FQs), std::move(FBlock)}, kMaxSpares);
}
