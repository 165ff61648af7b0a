// An extra interface of streams whose bytes lie whole in memory (the memory
// stream, the view stream): a reader that wants every byte takes them in
// place instead of copying them out piece by piece through Read. Streams
// without it are read as any IStream.
#pragma once

#include <cstdint>

#include "uComBase.h"

inline constexpr GUID IID_IMemoryBytes = {0x50A0546D, 0x6F1E, 0x4442, {0x89, 0xB7, 0xBA, 0xCB, 0x92, 0x98, 0xC9, 0xE9}};

struct IMemoryBytes : IUnknown {
  // The stream's bytes from its start; valid until the stream is written,
  // resized or released.
  virtual HRESULT GetBytes(const uint8_t** data, uint64_t* size) = 0;
};
