// COM-style base types shared by the program and the libraries: result codes,
// GUIDs and the interfaces whose slot order crosses library boundaries.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

using HRESULT = int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_PENDING = static_cast<HRESULT>(0x8000000A);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
// The platform's structured storage and stream results, which storages,
// memory streams and the libraries pass on unchanged.
constexpr HRESULT STG_E_INVALIDFUNCTION = static_cast<HRESULT>(0x80030001);
constexpr HRESULT STG_E_FILENOTFOUND = static_cast<HRESULT>(0x80030002);
constexpr HRESULT STG_E_PATHNOTFOUND = static_cast<HRESULT>(0x80030003);
constexpr HRESULT STG_E_ACCESSDENIED = static_cast<HRESULT>(0x80030005);
constexpr HRESULT STG_E_WRITEFAULT = static_cast<HRESULT>(0x8003001D);
constexpr HRESULT STG_E_READFAULT = static_cast<HRESULT>(0x8003001E);
constexpr HRESULT STG_E_FILEALREADYEXISTS = static_cast<HRESULT>(0x80030050);
constexpr HRESULT STG_E_MEDIUMFULL = static_cast<HRESULT>(0x80030070);
constexpr HRESULT STG_E_INVALIDHEADER = static_cast<HRESULT>(0x800300FB);
constexpr HRESULT STG_E_INVALIDNAME = static_cast<HRESULT>(0x800300FC);
// Program-level result: the user cancelled the action.
constexpr HRESULT R_CANCELLED = 1;

inline constexpr bool Succeeded(HRESULT hr) { return hr >= 0; }
inline constexpr bool Failed(HRESULT hr) { return hr < 0; }

// The platform's GUID memory layout: 16 bytes, no padding.
struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16);

// Inline: every QueryInterface compares a few of them.
inline bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional on input, any case).
bool ParseGuid(std::string_view text, GUID* result);
std::string FormatGuid(const GUID& g);

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID IID_ISequentialStream = {
    0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};
inline constexpr GUID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID IID_IPersist = {0x0000010C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID IID_IPersistStream = {0x00000109, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// The compound stream's entry enumerator answers under this identifier.
inline constexpr GUID IID_IEnumEntries = {0x00000100, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Interfaces: only pure virtual functions in slot order and no virtual destructor,
// so the vtable matches the platform's layout and a C caller can walk it.
struct IUnknown {
  virtual HRESULT QueryInterface(const GUID& iid, void** object) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;
};

struct ISequentialStream : IUnknown {
  virtual HRESULT Read(void* buffer, uint32_t count, uint32_t* done) = 0;
  virtual HRESULT Write(const void* buffer, uint32_t count, uint32_t* done) = 0;
};

enum : uint32_t { STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2 };

struct STATSTG {
  uint64_t cbSize;
  uint32_t type;
  uint32_t grfMode;
};

struct IStream : ISequentialStream {
  virtual HRESULT Seek(int64_t move, uint32_t origin, uint64_t* newPosition) = 0;
  virtual HRESULT SetSize(uint64_t newSize) = 0;
  virtual HRESULT CopyTo(IStream* target, uint64_t count, uint64_t* read, uint64_t* written) = 0;
  virtual HRESULT Commit(uint32_t flags) = 0;
  virtual HRESULT Revert() = 0;
  virtual HRESULT LockRegion(uint64_t offset, uint64_t count, uint32_t lockType) = 0;
  virtual HRESULT UnlockRegion(uint64_t offset, uint64_t count, uint32_t lockType) = 0;
  virtual HRESULT Stat(STATSTG* stat, uint32_t flags) = 0;
  virtual HRESULT Clone(IStream** result) = 0;
};

struct IPersist : IUnknown {
  virtual HRESULT GetClassID(GUID* classId) = 0;
};

struct IPersistStream : IPersist {
  virtual HRESULT IsDirty() = 0;
  virtual HRESULT Load(IStream* source) = 0;
  virtual HRESULT Save(IStream* target, int32_t clearDirty) = 0;
  virtual HRESULT GetSizeMax(uint64_t* size) = 0;
};
