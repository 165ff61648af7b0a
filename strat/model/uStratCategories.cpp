#include "uStratCategories.h"

#include <limits>
#include <new>

#include "uStratBytes.h"

namespace {
constexpr uint32_t kHeaderSize = 16;
}

void* TStratCategories::FindInterface(const GUID& iid) {
  if (iid == IID_IUnknown || iid == IID_IStratCategories) return static_cast<IStratCategories*>(this);
  return nullptr;
}

int32_t TStratCategories::Add(const char* text) {
  if (!text) return -1;
  FNames.emplace_back(text);
  return static_cast<int32_t>(FNames.size() - 1);
}

bool TStratCategories::Delete(int32_t index) {
  if (!InRange(index)) return false;
  FNames.erase(FNames.begin() + index);
  return true;
}

void TStratCategories::GetName(int32_t index, TShortString* result) {
  if (!result) return;
  SetShortString(result, InRange(index) ? std::string_view(FNames[static_cast<size_t>(index)]) : std::string_view());
}

bool TStratCategories::SetName(int32_t index, const char* text) {
  if (!text || !InRange(index)) return false;
  FNames[static_cast<size_t>(index)] = text;
  return true;
}

int32_t TStratCategories::SaveToBuffer(void* buffer, int32_t length) {
  uint64_t total = kHeaderSize + 4ull * FNames.size();
  for (const auto& name : FNames) total += name.size();
  if (total > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return 0;
  if (!buffer) return static_cast<int32_t>(total);
  if (length < 0 || static_cast<uint64_t>(length) < total) return 0;
  auto* out = static_cast<uint8_t*>(buffer);
  PutLE32(out, static_cast<uint32_t>(total));
  PutLE32(out + 4, static_cast<uint32_t>(FNames.size()));
  PutLE32(out + 8, 0);
  PutLE32(out + 12, 0);
  uint8_t* p = out + kHeaderSize;
  for (const auto& name : FNames) {
    PutLE32(p, static_cast<uint32_t>(name.size()));
    p += 4;
  }
  for (const auto& name : FNames) {
    std::memcpy(p, name.data(), name.size());
    p += name.size();
  }
  return static_cast<int32_t>(total);
}

int32_t TStratCategories::LoadFromBuffer(const void* buffer, int32_t length) {
  if (!buffer || length < static_cast<int32_t>(kHeaderSize)) return 0;
  const TByteView in{static_cast<const uint8_t*>(buffer), static_cast<uint64_t>(length)};
  const uint32_t total = in.LE32(0);
  const uint32_t count = in.LE32(4);
  if (total < kHeaderSize || total > in.Size) return 0;
  // Everything the header announces must lie inside the stored total.
  const TByteView block{in.Data, total};
  if (!block.Has(kHeaderSize, 4ull * count)) return 0;
  uint64_t offset = kHeaderSize + 4ull * count;
  uint64_t characters = 0;
  for (uint32_t i = 0; i < count; ++i) characters += block.LE32(kHeaderSize + 4ull * i);
  if (!block.Has(offset, characters)) return 0;
  std::vector<std::string> names;
  try {
    names.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t n = block.LE32(kHeaderSize + 4ull * i);
      names.emplace_back(reinterpret_cast<const char*>(block.Data + offset), n);
      offset += n;
    }
  } catch (const std::bad_alloc&) {
    return 0;
  }
  FNames = std::move(names);
  return static_cast<int32_t>(total);
}

HRESULT CreateStratCategories(IStratCategories** result) {
  if (!result) return E_INVALIDARG;
  *result = nullptr;
  auto* list = new (std::nothrow) TStratCategories();
  if (!list) return E_OUTOFMEMORY;
  return list->QueryInterface(IID_IStratCategories, reinterpret_cast<void**>(result));
}
