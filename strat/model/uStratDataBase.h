// TStratDataBase: an ordered collection of signs, the palette a lithology
// column draws from. Stored as a compound stream or in the older raw form.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "uComPtr.h"
#include "uStratStream.h"

class TStratDataBase final : public TStratStream<IStratDataBase, IStratDataBaseOld, IStratFileName> {
 public:
  // An empty database with its empty category list; nullptr when that list cannot be made.
  static TStratDataBase* Create();

  HRESULT FindByName(const TShortString& name, IStratSign** sign) override;
  HRESULT AddSign(IStratStream* sign, bool copy) override;
  HRESULT GetSign(int32_t index, IStratSign** sign) override;
  int32_t SignCount() override { return static_cast<int32_t>(FSigns.size()); }
  bool DeleteSign(int32_t index) override;
  HRESULT ExchangeSigns(int32_t index1, int32_t index2) override;
  int32_t GetOptions() override { return FOptions; }
  void SetOptions(int32_t options) override { FOptions = options; }

  void GetFileName(TShortString* result) override;
  HRESULT SetFileName(const TShortString& name) override;

  int32_t LoadFromOldBuffer(const void* buffer, int32_t length) override;
  int32_t SaveToOldBuffer(void* buffer, int32_t length) override;
  HRESULT LoadFromOldFile(const char* path) override;
  HRESULT SaveToOldFile(const char* path) override;

  HRESULT LoadFromQS(ICompoundStream* qs) override;
  HRESULT SaveToQS(ICompoundStream* qs) override;
  GUID ClassID() const override { return CLSID_StratDataBase; }
  HRESULT LoadFromStreamImpl(IStream* stream) override;

 protected:
  void* FindInterface(const GUID& iid) override;

 private:
  TStratDataBase() = default;
  bool InRange(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < FSigns.size(); }
  // The old raw form: bytes consumed, 0 when refused. A buffer without signs counts only for
  // the file and stream readers (acceptEmpty), which must read back what an empty database saves.
  int32_t LoadOldForm(const void* buffer, int32_t length, bool acceptEmpty);

  // Names (upper case) to the index of the first sign of that name.
  void BuildIndex();

  std::vector<TComPtr<IStratSign>> FSigns;
  uint64_t FChanges = 0;  // changes to the list of signs
  std::unordered_map<std::string, size_t> FIndex;
  uint64_t FIndexedChanges = 0, FIndexedFields = 0;
  size_t FIndexedCount = SIZE_MAX;  // none made yet
  TComPtr<IStratCategories> FCategories;
  TShortString FFileName{};
  int32_t FOptions = 31;
};
