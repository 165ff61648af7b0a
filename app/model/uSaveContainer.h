// An empty compound stream container for one object's save, taken from the
// thread's spares and given back emptied, keeping its entry table and arena:
// a document's save writes thousands of objects, each into a container that
// would otherwise be made and freed with its memory. Several may be alive at
// once (an object's save may save another).
#pragma once

#include "qs.h"
#include "uComPtr.h"
#include "uMemoryBytes.h"

class TSaveContainer {
 public:
  TSaveContainer();
  ~TSaveContainer();
  TSaveContainer(const TSaveContainer&) = delete;
  TSaveContainer& operator=(const TSaveContainer&) = delete;

  // Null when no container could be made.
  ICompoundStream* Get() const { return FQs.Get(); }
  // Its stored form into a block of at least its GetSizeMax bytes; null
  // when the container offers none.
  IPersistBlock* Block() const { return FBlock.Get(); }

 private:
  TComPtr<ICompoundStream> FQs;
  TComPtr<IPersistBlock> FBlock;
};
