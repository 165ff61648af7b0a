// Reference-counted base implementing slots 0-2 (QueryInterface, AddRef, Release)
// for an object that answers one or more interfaces.
#pragma once

#include <atomic>

#include "uComBase.h"

template <class... Interfaces>
class TUnknownImpl : public Interfaces... {
 public:
  TUnknownImpl() = default;
  TUnknownImpl(const TUnknownImpl&) = delete;
  TUnknownImpl& operator=(const TUnknownImpl&) = delete;
  virtual ~TUnknownImpl() = default;

  HRESULT QueryInterface(const GUID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    void* found = FindInterface(iid);
    if (!found) return E_NOINTERFACE;
    AddRef();
    *object = found;
    return S_OK;
  }
  uint32_t AddRef() override { return FRefCount.fetch_add(1, std::memory_order_relaxed) + 1; }
  uint32_t Release() override {
    const uint32_t left = FRefCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }

 protected:
  // The pointer of the interface named by iid (without a new reference), or nullptr.
  virtual void* FindInterface(const GUID& iid) = 0;

 private:
  std::atomic<uint32_t> FRefCount{0};
};
