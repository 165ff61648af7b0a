// TStratStream: the persistence protocol shared by signs, fields and
// databases. Each saves a class identifier under ID -1 of its compound stream
// and checks it on loading, so an object never loads another class's values.
#pragma once

#include <cstdint>

#include "strat.h"
#include "uUnknownImpl.h"

// The class-independent part of the protocol. Its four virtual operations
// are the ones subclasses override: LoadFromQS and SaveToQS (calling the base
// first), ClassID, and (only the database) LoadFromStreamImpl.
class TStratStreamCore {
 public:
  virtual ~TStratStreamCore() = default;

  // Checks the stored class identifier: S_OK, or E_PENDING for a missing or other one.
  virtual HRESULT LoadFromQS(ICompoundStream* qs);
  // Stores the class identifier under ID -1.
  virtual HRESULT SaveToQS(ICompoundStream* qs);
  virtual GUID ClassID() const = 0;
  // Opens the stream as a compound stream and loads from it.
  virtual HRESULT LoadFromStreamImpl(IStream* stream);

 protected:
  int32_t GetSizeImpl();
  HRESULT SaveToBufferImpl(void* buffer, int32_t length);
  HRESULT LoadFromBufferImpl(const void* buffer, int32_t length);
  HRESULT SaveToStreamImpl(IStream* stream);
};

template <class... Extra>
class TStratStream : public TUnknownImpl<IStratStream, Extra...>, public TStratStreamCore {
 public:
  int32_t GetSize() override { return GetSizeImpl(); }
  HRESULT SaveToBuffer(void* buffer, int32_t length) override { return SaveToBufferImpl(buffer, length); }
  HRESULT LoadFromBuffer(const void* buffer, int32_t length) override { return LoadFromBufferImpl(buffer, length); }
  HRESULT LoadFromStream(IStream* stream) override { return LoadFromStreamImpl(stream); }
  HRESULT SaveToStream(IStream* stream) override { return SaveToStreamImpl(stream); }
  HRESULT GetClassID(GUID* id) override {
    if (!id) return E_INVALIDARG;
    *id = ClassID();
    return S_OK;
  }
};
