// The placement items of a field: up to kInline of them inside the field
// itself, more in a block of their own. A lithology column's layers hold a
// few signs each: their items then cost no heap block besides the field's,
// and lie beside its count where a save or a draw looks for them first.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "uStratPlacement.h"

class TStratItems {
 public:
  // Three items and the field around them stay within the allocator's
  // per-thread cache (about 1 KB).
  static constexpr size_t kInline = 3;

  TStratItems() {}  // NOLINT(modernize-use-equals-default): = default would zero the inline items
  ~TStratItems() {
    if (FData != FInline) delete[] FData;
  }
  TStratItems(const TStratItems&) = delete;
  TStratItems& operator=(const TStratItems&) = delete;

  size_t size() const { return FSize; }
  size_t capacity() const { return FCapacity; }
  TStratPlacement* data() { return FData; }
  const TStratPlacement* data() const { return FData; }
  TStratPlacement* begin() { return FData; }
  TStratPlacement* end() { return FData + FSize; }
  const TStratPlacement* begin() const { return FData; }
  const TStratPlacement* end() const { return FData + FSize; }
  TStratPlacement& operator[](size_t i) { return FData[i]; }
  const TStratPlacement& operator[](size_t i) const { return FData[i]; }

  // Room for n items; throws std::bad_alloc, the items unchanged.
  void reserve(size_t n) { Grow(n, nullptr, 0); }
  // Appends `count` items, which may lie among these; throws std::bad_alloc,
  // the items unchanged.
  void append(const TStratPlacement* items, size_t count) {
    if (count == 0) return;
    if (FSize + count > FCapacity) {
      Grow(std::max(FSize + count, 2 * FCapacity), items, count);
      return;
    }
    std::memmove(FData + FSize, items, count * sizeof(TStratPlacement));
    FSize += count;
  }
  void push_back(const TStratPlacement& item) { append(&item, 1); }
  void erase(size_t index) {
    std::memmove(FData + index, FData + index + 1, (FSize - index - 1) * sizeof(TStratPlacement));
    --FSize;
  }
  void clear() { FSize = 0; }
  // The items replaced by `count` others (not among these); throws
  // std::bad_alloc, the items unchanged.
  void assign(const TStratPlacement* items, size_t count) {
    if (count > FCapacity) reserve(count);
    if (count) std::memcpy(FData, items, count * sizeof(TStratPlacement));
    FSize = count;
  }

 private:
  // Moves the items to a block of n, with `count` more from `extra` after
  // them (read before the old block goes, so they may lie in it).
  void Grow(size_t n, const TStratPlacement* extra, size_t count) {
    if (n <= FCapacity && count == 0) return;
    auto* grown = new TStratPlacement[n];
    if (FSize) std::memcpy(grown, FData, FSize * sizeof(TStratPlacement));
    if (count) std::memcpy(grown + FSize, extra, count * sizeof(TStratPlacement));
    if (FData != FInline) delete[] FData;
    FData = grown;
    FCapacity = n;
    FSize += count;
  }

  TStratPlacement* FData = FInline;
  size_t FSize = 0;
  size_t FCapacity = kInline;
  TStratPlacement FInline[kInline];
};
