// Kind 7 ("Picture"): a print object that reports its own kind and keeps the
// values of its stream that it does not interpret, so that a document holding
// one loads and saves it without loss. It draws as a plain print object.
#pragma once

#include "uComPtr.h"
#include "uPrintObject.h"

class TPrintPicture : public TPrintObject {
 public:
  TPrintPicture();
  ~TPrintPicture() override;

  bool LoadFromQS(ICompoundStream* stream) override;
  // The base values, then the kept ones the base did not write, in the order
  // they were loaded.
  bool SaveToQS(ICompoundStream* stream) override;
  int GetKind() const override { return kindPicture; }

 private:
  TComPtr<ICompoundStream> FKept;  // the stream as last loaded; null before any load
};
