// TStratField: an ordered list of placement items. Every sign keeps one as
// its templates; every layer of a lithology column keeps one as its content.
#pragma once

#include <vector>

#include "uStratStream.h"

class TStratField final : public TStratStream<IStratField> {
 public:
  int32_t Count() override { return static_cast<int32_t>(FItems.size()); }
  HRESULT Add(const TShortString& name) override;
  HRESULT Exchange(int32_t index1, int32_t index2) override;
  HRESULT Delete(int32_t index) override;
  HRESULT Clear() override;
  HRESULT GetItem(int32_t index, TStratPlacement* item) override;
  HRESULT SetItem(int32_t index, const TStratPlacement& item) override;
  void GetName(int32_t index, TShortString* result) override;
  HRESULT Draw(QPainter* dc, int32_t x0, int32_t y0, int32_t pass, double scale, IStratDataBase* database) override;
  int32_t CheckNames(IStratDataBase* database) override;

  HRESULT LoadFromQS(ICompoundStream* qs) override;
  HRESULT SaveToQS(ICompoundStream* qs) override;
  GUID ClassID() const override { return CLSID_StratField; }

 protected:
  void* FindInterface(const GUID& iid) override;

 private:
  bool InRange(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < FItems.size(); }
  std::vector<TStratPlacement> FItems;
};
