#include "uStreamViewReader.h"

#include <new>
#include <vector>

#include "uStorage.h"

namespace {

// Containers of readers gone, for the next readers of the thread. Only a
// view load ever reaches them, which replaces whatever they held.
struct TSpareContainer {
  TComPtr<ICompoundStream> Qs;
  TComPtr<IPersistMemoryView> Persist;
};
constexpr size_t kMaxSpares = 8;
thread_local std::vector<TSpareContainer> gSpares;

}  // namespace

TStreamViewReader::TStreamViewReader() {
  if (!gSpares.empty()) {
    FQs = std::move(gSpares.back().Qs);
    FPersist = std::move(gSpares.back().Persist);
    gSpares.pop_back();
    return;
  }
  qsCreateCompoundStream(FQs.Put());
  if (FQs) FQs->QueryInterface(IID_IPersistMemoryView, reinterpret_cast<void**>(FPersist.Put()));
}

TStreamViewReader::~TStreamViewReader() {
  if (!FQs || !FPersist || gSpares.size() >= kMaxSpares) return;
  try {
    gSpares.push_back({std::move(FQs), std::move(FPersist)});
  } catch (const std::bad_alloc&) {
    // Without room to keep it the container simply goes.
  }
}

ICompoundStream* TStreamViewReader::Read(TStorage* storage, std::u16string_view name) {
  std::span<const uint8_t> bytes;
  return FPersist && storage->ViewStream(name, &FScratch, &bytes) == S_OK ? Loaded(bytes) : nullptr;
}

ICompoundStream* TStreamViewReader::ReadAt(TStorage* storage, int position) {
  std::span<const uint8_t> bytes;
  return FPersist && storage->ViewStreamAt(static_cast<uint32_t>(position), &FScratch, &bytes) == S_OK ? Loaded(bytes)
                                                                                                       : nullptr;
}

ICompoundStream* TStreamViewReader::Loaded(std::span<const uint8_t> bytes) {
  return FPersist->LoadView(bytes.data(), bytes.size()) == S_OK ? FQs.Get() : nullptr;
}
