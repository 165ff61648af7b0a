// Reads streams of a storage (a list's "index", its stream children, a depth
// scale's rulers) one after another through one compound stream container
// that reads them where they lie in the file image: a document holds
// thousands of such streams, and each would otherwise cost a copy of its
// bytes, a memory stream and a container of its own. What Read returns lasts
// until the next Read (the storage keeps the bytes until then); a reader of
// the values keeps no reference to the container. A reader gone leaves its
// container to the thread's next one: a load makes a reader for every list
// and depth scale, a few of them alive at once.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "qs.h"
#include "uComPtr.h"
#include "uMemoryBytes.h"

class TStorage;

class TStreamViewReader {
 public:
  TStreamViewReader();
  ~TStreamViewReader();
  TStreamViewReader(const TStreamViewReader&) = delete;
  TStreamViewReader& operator=(const TStreamViewReader&) = delete;

  // The stream `name` of `storage`; null when it is missing or not a compound stream.
  ICompoundStream* Read(TStorage* storage, std::u16string_view name);
  // The stream stored under a position in decimal, as children are.
  ICompoundStream* ReadAt(TStorage* storage, int position);

 private:
  ICompoundStream* Loaded(std::span<const uint8_t> bytes);

  TComPtr<ICompoundStream> FQs;
  TComPtr<IPersistMemoryView> FPersist;
  std::vector<uint8_t> FScratch;
};
