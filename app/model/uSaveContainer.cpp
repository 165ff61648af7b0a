#include "uSaveContainer.h"

#include <new>
#include <vector>

namespace {

struct TSpare {
  TComPtr<ICompoundStream> Qs;
  TComPtr<IPersistBlock> Block;
};
constexpr size_t kMaxSpares = 4;
thread_local std::vector<TSpare> gSpares;

}  // namespace

TSaveContainer::TSaveContainer() {
  if (!gSpares.empty()) {
    FQs = std::move(gSpares.back().Qs);
    FBlock = std::move(gSpares.back().Block);
    gSpares.pop_back();
    return;
  }
  qsCreateCompoundStream(FQs.Put());
  if (FQs) FQs->QueryInterface(IID_IPersistBlock, reinterpret_cast<void**>(FBlock.Put()));
}

TSaveContainer::~TSaveContainer() {
  // Only a container this library can empty is kept; the values written go now.
  if (!FQs || !FBlock || gSpares.size() >= kMaxSpares || qsEmptyCompoundStream(FQs.Get()) != S_OK) return;
  try {
    gSpares.push_back({std::move(FQs), std::move(FBlock)});
  } catch (const std::bad_alloc&) {
    // Without room to keep it the container simply goes.
  }
}
