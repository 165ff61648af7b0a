// TStratCategories: the list of category names that only the old raw
// database form carries.
#pragma once

#include <string>
#include <vector>

#include "strat.h"
#include "uUnknownImpl.h"

class TStratCategories final : public TUnknownImpl<IStratCategories> {
 public:
  int32_t Add(const char* text) override;
  bool Delete(int32_t index) override;
  void GetName(int32_t index, TShortString* result) override;
  bool SetName(int32_t index, const char* text) override;
  int32_t Count() override { return static_cast<int32_t>(FNames.size()); }
  int32_t SaveToBuffer(void* buffer, int32_t length) override;
  int32_t LoadFromBuffer(const void* buffer, int32_t length) override;

 protected:
  void* FindInterface(const GUID& iid) override;

 private:
  bool InRange(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < FNames.size(); }
  std::vector<std::string> FNames;
};

// Creates an empty list; *result receives one reference.
HRESULT CreateStratCategories(IStratCategories** result);
