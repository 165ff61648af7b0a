// Interfaces for bytes that lie whole in memory. IMemoryBytes is an extra
// interface of such streams (the memory stream, the view stream): a reader
// that wants every byte takes them in place instead of copying them out
// piece by piece through Read. Streams without it are read as any IStream.
// IPersistMemoryView is IPersistMemory's load without the copy.
#pragma once

#include <cstdint>

#include "uComBase.h"

inline constexpr GUID IID_IMemoryBytes = {0x50A0546D, 0x6F1E, 0x4442, {0x89, 0xB7, 0xBA, 0xCB, 0x92, 0x98, 0xC9, 0xE9}};

struct IMemoryBytes : IUnknown {
  // The stream's bytes from its start; valid until the stream is written,
  // resized or released.
  virtual HRESULT GetBytes(const uint8_t** data, uint64_t* size) = 0;
};

inline constexpr GUID IID_IPersistMemoryView = {
    0xFF381725, 0xA0B3, 0x4B59, {0x80, 0x4D, 0xDB, 0x4C, 0xA8, 0x1A, 0x3E, 0xAB}};

struct IPersistMemoryView : IUnknown {
  // Loads as IPersistMemory::Load but reads the values where they lie: the
  // caller keeps the `size` bytes at `data` alive and unchanged until the
  // object is loaded again or released, and never writes through the value
  // pointers the object hands out. Writes to the object go to its own memory.
  // For one reader going through many stored objects one after another: the
  // object's first reads may still build its tables, so it serves one thread.
  virtual HRESULT LoadView(const void* data, uint64_t size) = 0;
};
