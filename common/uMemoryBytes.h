// Interfaces for bytes that lie whole in memory. IMemoryBytes is an extra
// interface of such streams (the memory stream, the view stream): a reader
// that wants every byte takes them in place instead of copying them out
// piece by piece through Read. Streams without it are read as any IStream.
// IPersistBlock and IPersistMemoryView persist an object into and from a
// block of memory. They are this system's own: their slots differ from any
// platform interface, so they answer only under identifiers of their own.
#pragma once

#include <cstdint>

#include "uComBase.h"

inline constexpr GUID IID_IMemoryBytes = {0x50A0546D, 0x6F1E, 0x4442, {0x89, 0xB7, 0xBA, 0xCB, 0x92, 0x98, 0xC9, 0xE9}};

struct IMemoryBytes : IUnknown {
  // The stream's bytes from its start; valid until the stream is written,
  // resized or released.
  virtual HRESULT GetBytes(const uint8_t** data, uint64_t* size) = 0;
};

inline constexpr GUID IID_IPersistBlock = {
    0x4AD2F2AF, 0x60BE, 0x4A05, {0x8D, 0x1C, 0x98, 0xC2, 0x54, 0xEE, 0x1E, 0x19}};

// IPersistStream's persistence over a block of memory: loads read `size`
// bytes at `data` (the object copies what it keeps of them); saves need a
// block of at least GetSizeMax bytes.
struct IPersistBlock : IPersist {
  virtual HRESULT IsDirty() = 0;
  virtual HRESULT Load(const void* data, uint64_t size) = 0;
  virtual HRESULT Save(void* target, int32_t clearDirty, uint64_t size) = 0;
  virtual HRESULT GetSizeMax(uint64_t* size) = 0;
};

inline constexpr GUID IID_IPersistMemoryView = {
    0x6A3AB69A, 0x62CD, 0x4ED4, {0xA6, 0xB9, 0x00, 0xBC, 0x2B, 0x02, 0x7F, 0x1E}};

struct IPersistMemoryView : IUnknown {
  // Loads as IPersistBlock::Load but reads the values where they lie: the
  // caller keeps the `size` bytes at `data` alive and unchanged until the
  // object is loaded again or released, and never writes through the value
  // pointers the object hands out. Writes to the object go to its own memory.
  // For one reader going through many stored objects one after another: the
  // object's first reads may still build its tables, so it serves one thread.
  virtual HRESULT LoadView(const void* data, uint64_t size) = 0;
};
