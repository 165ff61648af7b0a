#include "uStreamViewReader.h"

#include <vector>

#include "uSpareContainers.h"
#include "uStorage.h"

namespace {

// Containers of readers gone, for the next readers of the thread. Only a
// view load ever reaches them, which replaces whatever they held.
using TSpare = TSpareContainer<IPersistMemoryView>;
constexpr size_t kMaxSpares = 8;

}  // namespace

TStreamViewReader::TStreamViewReader() {
  TSpare spare = TSpare::Take(IID_IPersistMemoryView);
  FQs = std::move(spare.Qs);
  FPersist = std::move(spare.Other);
}

TStreamViewReader::~TStreamViewReader() { TSpare::Give({std::move(FQs), std::move(FPersist)}, kMaxSpares); }

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
