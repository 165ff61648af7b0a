// Owning smart pointer for COM-style interfaces: releases its reference once.
#pragma once

#include <utility>

#include "uComBase.h"

template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  TComPtr(std::nullptr_t) {}
  // Takes an extra reference on p.
  explicit TComPtr(T* p) : FPtr(p) {
    if (FPtr) FPtr->AddRef();
  }
  TComPtr(const TComPtr& other) : TComPtr(other.FPtr) {}
  TComPtr(TComPtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
  ~TComPtr() { Reset(); }
  TComPtr& operator=(const TComPtr& other) {
    TComPtr(other).Swap(*this);
    return *this;
  }
  TComPtr& operator=(TComPtr&& other) noexcept {
    TComPtr(std::move(other)).Swap(*this);
    return *this;
  }

  // Adopts a reference the caller already owns (no AddRef).
  static TComPtr Attach(T* p) {
    TComPtr r;
    r.FPtr = p;
    return r;
  }
  T* Detach() { return std::exchange(FPtr, nullptr); }
  void Reset() {
    if (T* p = std::exchange(FPtr, nullptr)) p->Release();
  }
  void Swap(TComPtr& other) noexcept { std::swap(FPtr, other.FPtr); }
  // Releases the current reference and yields the address for an out argument.
  T** Put() {
    Reset();
    return &FPtr;
  }
  T* Get() const { return FPtr; }
  T* operator->() const { return FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }

  // QueryInterface into another smart pointer; empty on failure.
  template <class U>
  TComPtr<U> As(const GUID& iid) const {
    TComPtr<U> r;
    if (FPtr) FPtr->QueryInterface(iid, reinterpret_cast<void**>(r.Put()));
    return r;
  }

 private:
  T* FPtr = nullptr;
};
