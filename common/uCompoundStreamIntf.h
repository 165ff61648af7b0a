// The compound stream interfaces: a flat dictionary of typed values under
// 32-bit IDs, answered by the qs library's container object.
#pragma once

#include <cstdint>

#include "uComBase.h"
#include "uShortString.h"

// Value kinds of an entry.
enum TCompoundTag : int32_t {
  qsEmpty = 0,
  qsInteger = 1,
  qsString = 2,
  qsDouble = 3,
  qsBinary = 4,
};

// Flags bit 0: the value is required, no default applies.
constexpr int32_t qsRequired = 1;

// One entry as GetEntry and the enumerator hand it out; Data is borrowed and
// stays valid until the value is replaced or deleted or the container dies.
// Data has no alignment (a loaded value lies at its offset in the stream's
// bytes): copy values out with memcpy, never cast the pointer.
struct TCompoundEntry {
  int32_t ID;
  int32_t Tag;
  void* Data;
  uint32_t Size;
};

inline constexpr GUID IID_ICompoundStream = {
    0x43755B40, 0xFC2E, 0x11D9, {0x9E, 0x0F, 0xB8, 0x92, 0x92, 0xF6, 0xED, 0x11}};
inline constexpr GUID IID_ICompoundStream2 = {
    0x853567E2, 0xE45D, 0x4B54, {0x99, 0x8E, 0x8D, 0x22, 0xDF, 0x5A, 0x48, 0x2E}};

struct ICompoundStream : IUnknown {
  virtual HRESULT ReadInteger(int32_t id, int32_t flags, int32_t def, int32_t* value) = 0;
  virtual HRESULT WriteInteger(int32_t id, int32_t value) = 0;
  virtual HRESULT ReadShortString(int32_t id, int32_t flags, const TShortString& def, TShortString* value) = 0;
  virtual HRESULT WriteShortString(int32_t id, const TShortString& value) = 0;
  virtual HRESULT ReadData(int32_t id, int32_t flags, void* buffer, uint32_t* size) = 0;
  virtual HRESULT WriteBuffer(int32_t id, const void* buffer, int32_t size) = 0;
  virtual HRESULT ReadStream(int32_t id, int32_t flags, IStream* target) = 0;
  virtual HRESULT WriteStream(int32_t id, IStream* source, int32_t count) = 0;
  virtual HRESULT ReadDouble(int32_t id, int32_t flags, double def, double* value) = 0;
  virtual HRESULT WriteDouble(int32_t id, double value) = 0;
  virtual HRESULT DeleteValue(int32_t id) = 0;
  virtual HRESULT GetEntry(int32_t id, TCompoundEntry* entry) = 0;
};

struct ICompoundStream2 : ICompoundStream {
  // Strings of any length; call with a null buffer first to learn the length.
  virtual HRESULT ReadString(int32_t id, char* buffer, uint32_t* length) = 0;
  virtual HRESULT WriteString(int32_t id, const char* buffer, int32_t length) = 0;
  // An object's values in one call each way, the same as the calls one by one
  // in order. WriteEntries writes values[i].Size bytes at values[i].Data (the
  // stored form: little-endian) under values[i].ID as values[i].Tag: qsInteger
  // of 4 bytes, qsDouble of 8, qsString or qsBinary of any size (Data may be
  // null only for none); it stops at the first value refused (E_INVALIDARG)
  // or not written, those before it written.
  virtual HRESULT WriteEntries(const TCompoundEntry* values, int32_t count) = 0;
  // Fills entries[i] as GetEntry(ids[i]) would, and with {ids[i], qsEmpty,
  // nullptr, 0} for an absent ID; S_FALSE when some ID was absent.
  virtual HRESULT GetEntries(const int32_t* ids, int32_t count, TCompoundEntry* entries) = 0;
};

// Walks the entry table; records are TCompoundEntry.
struct IEnumEntries : IUnknown {
  virtual HRESULT Next(int32_t count, TCompoundEntry* buffer, int32_t* fetched) = 0;
  virtual HRESULT Skip(int32_t count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumEntries** result) = 0;
};
