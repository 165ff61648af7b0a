// TStratField: an ordered list of placement items. Every sign keeps one as
// its templates; every layer of a lithology column keeps one as its content.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "uStratItems.h"
#include "uStratStream.h"

// Counts changes to the items of the fields that signs keep. A sign's name is item 0 of
// its own field, so whatever found signs by name stays valid while this number stays the same.
uint64_t StratSignFieldChanges();

// Counts changes to anything a field's drawing reads: the items of any field, the list of
// signs of any database, any sign's picture. Whatever keeps a drawing of fields (an image of a
// layer, the signs its names found) stays valid while this number stays the same.
uint64_t StratDrawingChanges();
void NoteStratDrawingChange();

class TStratField final : public TStratStream<IStratField> {
 public:
  // User-provided: a value-initialised field would zero its inline items first.
  TStratField() {}  // NOLINT(modernize-use-equals-default)
  // A field's memory comes from the blocks of fields gone on the same thread while there
  // are any: a column's layers are thousands of fields made and freed together, each
  // beyond the heap's per-thread cache, and the heap's general path for them was a tenth
  // of a column's load. Null instead of std::bad_alloc, as new (std::nothrow) gives.
  static void* operator new(size_t size, const std::nothrow_t&) noexcept;
  static void operator delete(void* block, size_t size) noexcept;
  static void operator delete(void* block, const std::nothrow_t&) noexcept {
    operator delete(block, sizeof(TStratField));
  }
  // Marks the field as a sign's own: its changes count in StratSignFieldChanges.
  void SetSignsOwn() { FSignsOwn = true; }
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
  HRESULT AddItems(const TStratPlacement* items, int32_t count) override;
  HRESULT GetItems(const TStratPlacement** items, int32_t* count) override;

  HRESULT LoadFromQS(ICompoundStream* qs) override;
  HRESULT SaveToQS(ICompoundStream* qs) override;
  GUID ClassID() const override { return CLSID_StratField; }

 protected:
  void* FindInterface(const GUID& iid) override;

 private:
  bool InRange(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < FItems.size(); }
  void NoteChange();

  // Before the items: a new field's constructor then writes only its first cache lines.
  bool FSignsOwn = false;
  TStratItems FItems;
};
