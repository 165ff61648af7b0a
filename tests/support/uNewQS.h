// A fresh, empty compound stream, for tests that save objects into one or
// build damaged ones by hand.
// Header only, over the compound stream library (qs).
#pragma once

#include "qs.h"
#include "uComPtr.h"

inline TComPtr<ICompoundStream> NewQS() {
  TComPtr<ICompoundStream> qs;
  qsCreateCompoundStream(qs.Put());
  return qs;
}
