#include "uStreamViewReader.h"

#include "uStorage.h"

TStreamViewReader::TStreamViewReader() {
  qsCreateCompoundStream(FQs.Put());
  if (FQs) FQs->QueryInterface(IID_IPersistMemoryView, reinterpret_cast<void**>(FPersist.Put()));
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
