#include "uStratField.h"

#include <atomic>
#include <new>
#include <utility>
#include <vector>

#include "uComPtr.h"
#include "uStratDraw.h"

namespace {
// Values of item i live under the 32-bit ID i * 65536 + n (n = 1..7, 16). Items
// 32768 and up take negative IDs, which hold nothing else of ours: the class
// identifier's -1 and the count's 17 are no item's value. Item 65536 would wrap
// onto item 0's IDs, so a field stores at most 65536 items.
constexpr int32_t kCountValue = 17;
constexpr int32_t kMaxStoredItems = 65536;
constexpr int32_t kOffsetX = 1, kOffsetY = 2, kSpaceX = 3, kSpaceY = 4, kCountX = 5, kCountY = 6, kFlags = 7,
                  kSignName = 16;

// The index in the upper half of the ID; from item 32768 on that is the sign bit.
int32_t ItemBase(size_t index) { return static_cast<int32_t>(static_cast<uint32_t>(index) << 16); }

std::atomic<uint64_t> gSignFieldChanges{1};
std::atomic<uint64_t> gDrawingChanges{1};

// Builds with AddressSanitizer take every field from the heap, so that each
// field's lifetime stays checked.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kKeepBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kKeepBlocks = false;
#else
constexpr bool kKeepBlocks = true;
#endif
#else
constexpr bool kKeepBlocks = true;
#endif

// The blocks of fields gone on this thread, up to a budget: enough for the
// layers of a large column (about 1 KB each).
constexpr size_t kMaxKeptBlocks = 8192;

struct TFreeBlock {
  TFreeBlock* Next;
};

struct TKeptBlocks {
  TFreeBlock* First = nullptr;
  size_t Count = 0;
  ~TKeptBlocks();
};

thread_local TKeptBlocks tKept;
// Set once the thread's blocks are gone (a field may still go later, as the
// thread or the program ends): its block then goes straight back.
thread_local bool tKeptGone = false;

TKeptBlocks::~TKeptBlocks() {
  tKeptGone = true;
  while (First) {
    TFreeBlock* next = First->Next;
    ::operator delete(First);
    First = next;
  }
  Count = 0;
}
}  // namespace

void* TStratField::operator new(size_t size, const std::nothrow_t&) noexcept {
  // Every block kept is of this class's size (the class is final).
  if (kKeepBlocks && size == sizeof(TStratField) && !tKeptGone) {
    TKeptBlocks& kept = tKept;
    if (TFreeBlock* block = kept.First) {
      kept.First = block->Next;
      --kept.Count;
      return block;
    }
  }
  return ::operator new(size, std::nothrow);
}

void TStratField::operator delete(void* block, size_t size) noexcept {
  if (!block) return;
  if (kKeepBlocks && size == sizeof(TStratField) && !tKeptGone && tKept.Count < kMaxKeptBlocks) {
    TKeptBlocks& kept = tKept;
    auto* free = static_cast<TFreeBlock*>(block);
    free->Next = kept.First;
    kept.First = free;
    ++kept.Count;
    return;
  }
  ::operator delete(block);
}

uint64_t StratSignFieldChanges() { return gSignFieldChanges.load(std::memory_order_relaxed); }

uint64_t StratDrawingChanges() { return gDrawingChanges.load(std::memory_order_relaxed); }

void NoteStratDrawingChange() { gDrawingChanges.fetch_add(1, std::memory_order_relaxed); }

KERNO_EXPORT uint64_t stratDrawingChanges() { return StratDrawingChanges(); }

void TStratField::NoteChange() {
  NoteStratDrawingChange();
  if (FSignsOwn) gSignFieldChanges.fetch_add(1, std::memory_order_relaxed);
}

void* TStratField::FindInterface(const GUID& iid) {
  if (iid == IID_IUnknown || iid == IID_IStratStream) return static_cast<IStratStream*>(this);
  if (iid == IID_IStratField) return static_cast<IStratField*>(this);
  return nullptr;
}

HRESULT TStratField::Add(const TShortString& name) {
  try {
    FItems.push_back(DefaultPlacement(ShortStringView(name)));
    NoteChange();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT TStratField::AddItems(const TStratPlacement* items, int32_t count) {
  if (count < 0 || (count && !items)) return E_INVALIDARG;
  if (count == 0) return S_OK;
  try {
    // Exactly the room asked for: a loaded layer keeps its signs as they are.
    if (FItems.size() + static_cast<size_t>(count) > FItems.capacity())
      FItems.reserve(FItems.size() + static_cast<size_t>(count));
    // Noted before the items are copied in (the copy cannot fail now): the
    // counter's locked add waits for every store before it, and a layer's
    // load would wait for its items' cache lines to be written.
    NoteChange();
    FItems.append(items, static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT TStratField::GetItems(const TStratPlacement** items, int32_t* count) {
  if (!items || !count) return E_INVALIDARG;
  *items = FItems.data();
  *count = static_cast<int32_t>(FItems.size());
  return S_OK;
}

HRESULT TStratField::Exchange(int32_t index1, int32_t index2) {
  if (!InRange(index1) || !InRange(index2)) return E_INVALIDARG;
  std::swap(FItems[static_cast<size_t>(index1)], FItems[static_cast<size_t>(index2)]);
  NoteChange();
  return S_OK;
}

HRESULT TStratField::Delete(int32_t index) {
  if (!InRange(index)) return E_INVALIDARG;
  FItems.erase(static_cast<size_t>(index));
  NoteChange();
  return S_OK;
}

HRESULT TStratField::Clear() {
  FItems.clear();
  NoteChange();
  return S_OK;
}

HRESULT TStratField::GetItem(int32_t index, TStratPlacement* item) {
  if (!item || !InRange(index)) return E_INVALIDARG;
  *item = FItems[static_cast<size_t>(index)];
  return S_OK;
}

HRESULT TStratField::SetItem(int32_t index, const TStratPlacement& item) {
  if (!InRange(index)) return E_INVALIDARG;
  FItems[static_cast<size_t>(index)] = item;
  NoteChange();
  return S_OK;
}

void TStratField::GetName(int32_t index, TShortString* result) {
  if (!result) return;
  if (InRange(index))
    *result = FItems[static_cast<size_t>(index)].SignName;
  else
    result->Length = 0;
}

HRESULT TStratField::Draw(QPainter* dc, int32_t x0, int32_t y0, int32_t pass, double scale, IStratDataBase* database) {
  if (!database || scale == 0) return E_INVALIDARG;
  // The last item first, each copied before it is drawn and the index checked again: the walk
  // stays sound should a sign's drawing reach back into this field. Only the items of this
  // pass are copied (a layer draws twice and most of its items belong to one pass).
  for (size_t i = FItems.size(); i-- > 0;) {
    if (i >= FItems.size() || (FItems[i].Flags & 1) != pass) continue;
    const TStratPlacement item = FItems[i];
    DrawFieldItem(item, dc, x0, y0, scale, database);
  }
  return S_OK;
}

int32_t TStratField::CheckNames(IStratDataBase* database) {
  if (!database) return E_INVALIDARG;
  for (const TStratPlacement& item : FItems) {
    if (item.SignName.Length == 0) continue;
    TComPtr<IStratSign> sign;
    if (database->FindByName(item.SignName, sign.Put()) != S_OK) return 0;
  }
  return 1;
}

HRESULT TStratField::SaveToQS(ICompoundStream* qs) {
  HRESULT hr = TStratStreamCore::SaveToQS(qs);
  if (hr != S_OK) return hr;
  if (FItems.size() > static_cast<size_t>(kMaxStoredItems)) return E_FAIL;
  if (qs->WriteInteger(kCountValue, static_cast<int32_t>(FItems.size())) != S_OK) return E_FAIL;
  for (size_t i = 0; i < FItems.size(); ++i) {
    const TStratPlacement& item = FItems[i];
    const int32_t base = ItemBase(i);
    if (qs->WriteDouble(base + kOffsetX, item.OffsetX) != S_OK ||
        qs->WriteDouble(base + kOffsetY, item.OffsetY) != S_OK ||
        qs->WriteDouble(base + kSpaceX, item.SpaceX) != S_OK || qs->WriteDouble(base + kSpaceY, item.SpaceY) != S_OK ||
        qs->WriteInteger(base + kCountX, item.CountX) != S_OK ||
        qs->WriteInteger(base + kCountY, item.CountY) != S_OK || qs->WriteInteger(base + kFlags, item.Flags) != S_OK ||
        qs->WriteShortString(base + kSignName, item.SignName) != S_OK)
      return E_FAIL;
  }
  return S_OK;
}

HRESULT TStratField::LoadFromQS(ICompoundStream* qs) {
  HRESULT hr = TStratStreamCore::LoadFromQS(qs);
  if (hr != S_OK) return hr;
  int32_t count = 0;
  qs->ReadInteger(kCountValue, 0, 0, &count);
  // A count no save could have written is refused rather than allocated.
  if (count < 0 || count > kMaxStoredItems) return E_FAIL;
  std::vector<TStratPlacement> items;
  try {
    items.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  const TShortString empty{};
  for (size_t i = 0; i < items.size(); ++i) {
    TStratPlacement& item = items[i];
    const int32_t base = ItemBase(i);
    qs->ReadDouble(base + kOffsetX, 0, 0.0, &item.OffsetX);
    qs->ReadDouble(base + kOffsetY, 0, 0.0, &item.OffsetY);
    qs->ReadDouble(base + kSpaceX, 0, 0.0, &item.SpaceX);
    qs->ReadDouble(base + kSpaceY, 0, 0.0, &item.SpaceY);
    qs->ReadInteger(base + kCountX, 0, 1, &item.CountX);
    qs->ReadInteger(base + kCountY, 0, 1, &item.CountY);
    qs->ReadInteger(base + kFlags, 0, 0, &item.Flags);
    qs->ReadShortString(base + kSignName, 0, empty, &item.SignName);
  }
  try {
    FItems.assign(items.data(), items.size());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  NoteChange();
  return S_OK;
}
