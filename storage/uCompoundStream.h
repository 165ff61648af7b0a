// The container behind every compound stream interface. Clients never see
// this class; they hold it through ICompoundStream(2), IPersistStream and
// IEnumEntries, all counting on the one object.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "uCompoundStreamIntf.h"
#include "uUnknownImpl.h"

class TCompoundStream final : public TUnknownImpl<ICompoundStream2, IPersistStream, IEnumEntries> {
 public:
  TCompoundStream() = default;

  // ICompoundStream
  HRESULT ReadInteger(int32_t id, int32_t flags, int32_t def, int32_t* value) override;
  HRESULT WriteInteger(int32_t id, int32_t value) override;
  HRESULT ReadShortString(int32_t id, int32_t flags, const TShortString& def, TShortString* value) override;
  HRESULT WriteShortString(int32_t id, const TShortString& value) override;
  HRESULT ReadData(int32_t id, int32_t flags, void* buffer, uint32_t* size) override;
  HRESULT WriteBuffer(int32_t id, const void* buffer, int32_t size) override;
  HRESULT ReadStream(int32_t id, int32_t flags, IStream* target) override;
  HRESULT WriteStream(int32_t id, IStream* source, int32_t count) override;
  HRESULT ReadDouble(int32_t id, int32_t flags, double def, double* value) override;
  HRESULT WriteDouble(int32_t id, double value) override;
  HRESULT DeleteValue(int32_t id) override;
  HRESULT GetEntry(int32_t id, TCompoundEntry* entry) override;
  // ICompoundStream2
  HRESULT ReadString(int32_t id, char* buffer, uint32_t* length) override;
  HRESULT WriteString(int32_t id, const char* buffer, int32_t length) override;
  // IPersistStream
  HRESULT GetClassID(GUID* classId) override;
  HRESULT IsDirty() override;
  HRESULT Load(IStream* source) override;
  HRESULT Save(IStream* target, int32_t clearDirty) override;
  HRESULT GetSizeMax(uint64_t* size) override;
  // IEnumEntries
  HRESULT Next(int32_t count, TCompoundEntry* buffer, int32_t* fetched) override;
  HRESULT Skip(int32_t count) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumEntries** result) override;

 protected:
  void* FindInterface(const GUID& iid) override;

 private:
  struct TEntry {
    int32_t ID;
    int32_t Tag;
    std::unique_ptr<uint8_t[]> Data;
    uint32_t Size;
  };

  // Position of the first entry with the ID, or -1.
  int64_t Find(int32_t id) const;
  // Position of the entry with the ID, appending an empty one when absent.
  size_t FindOrAppend(int32_t id);
  HRESULT Put(int32_t id, int32_t tag, const void* data, uint32_t size);
  HRESULT TypedRead(int32_t id, int32_t flags, int32_t tag, void* out, uint32_t width);
  void Clear();

  std::vector<TEntry> FEntries;
  // ID -> position of its first entry. Entries are never removed, so positions stay valid.
  std::unordered_map<int32_t, size_t> FIndex;
  bool FModified = true;
  int32_t FCursor = 0;
};
