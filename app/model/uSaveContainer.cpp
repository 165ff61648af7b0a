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
  FQs2 = std::move(spare.Qs2);
  // An object's save writes its values in a few batches, each through the helpers.
  if (FQs && FQs2) FLent.emplace(FQs.Get(), FQs2.Get());
}

TSaveContainer::~TSaveContainer() {
  FLent.reset();
  // Only a container this library can empty is kept; the values written go now.
  if (!FQs || !FBlock || qsEmptyCompoundStream(FQs.Get()) != S_OK) return;
  TSpare::Give({std::move(FQs), std::move(FBlock), std::move(FQs2)}, kMaxSpares);
}
