// Compound stream containers kept by a thread between uses, each with a second
// interface of its own (the one its user works through): a document's load or
// save goes through thousands of objects, and a container made and freed for
// each would cost its entry table and arena every time. Several users may be
// alive at once (an object's save may save another), so a few are kept.
#pragma once

#include <new>
#include <utility>
#include <vector>

#include "qs.h"
#include "uComPtr.h"

template <class Second>
struct TSpareContainer {
  TComPtr<ICompoundStream> Qs;
  TComPtr<Second> Other;

  // A kept container when there is one, else a new one with `iid` asked for.
  static TSpareContainer Take(const GUID& iid) {
    std::vector<TSpareContainer>& spares = Spares();
    if (!spares.empty()) {
      TSpareContainer spare = std::move(spares.back());
      spares.pop_back();
      return spare;
    }
    TSpareContainer made;
    qsCreateCompoundStream(made.Qs.Put());
    if (made.Qs) made.Qs->QueryInterface(iid, reinterpret_cast<void**>(made.Other.Put()));
    return made;
  }

  // Keeps `spare` for the thread's next user unless `max` are kept already.
  static void Give(TSpareContainer spare, size_t max) {
    std::vector<TSpareContainer>& spares = Spares();
    if (!spare.Qs || !spare.Other || spares.size() >= max) return;
    try {
      spares.push_back(std::move(spare));
    } catch (const std::bad_alloc&) {
      // Without room to keep it the container simply goes.
    }
  }

 private:
  static std::vector<TSpareContainer>& Spares() {
    thread_local std::vector<TSpareContainer> spares;
    return spares;
  }
};
