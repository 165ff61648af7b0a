#include "uBlockCache.h"

#include <new>

namespace BlockCache {
namespace {

constexpr size_t kGranule = 16;  // sizes are kept in classes of this step
constexpr size_t kClasses = 32;  // up to 512 bytes

struct TFree {
  TFree* Next;
};

struct TCache {
  TFree* Lists[kClasses] = {};
  size_t Bytes = 0;
  ~TCache();
};

thread_local TCache tCache;
// Set once the thread's cache is gone (objects may still be destroyed later
// as the thread or the program ends): blocks then go straight back.
thread_local bool tCacheGone = false;

TCache::~TCache() {
  tCacheGone = true;
  for (TFree*& list : Lists)
    while (list) {
      TFree* next = list->Next;
      ::operator delete(list);
      list = next;
    }
  Bytes = 0;
}

size_t ClassOf(size_t size) { return size ? (size - 1) / kGranule : 0; }

}  // namespace

void* Allocate(size_t size) {
  const size_t c = ClassOf(size);
  if (c >= kClasses) return ::operator new(size);
  if (!tCacheGone) {
    TCache& cache = tCache;
    if (TFree* block = cache.Lists[c]) {
      cache.Lists[c] = block->Next;
      cache.Bytes -= (c + 1) * kGranule;
      return block;
    }
  }
  return ::operator new((c + 1) * kGranule);
}

void Release(void* block, size_t size) noexcept {
  if (!block) return;
  const size_t c = ClassOf(size);
  const size_t bytes = (c + 1) * kGranule;
  if (c >= kClasses || tCacheGone || tCache.Bytes + bytes > kBudget) {
    ::operator delete(block);
    return;
  }
  TCache& cache = tCache;
  auto* free = static_cast<TFree*>(block);
  free->Next = cache.Lists[c];
  cache.Lists[c] = free;
  cache.Bytes += bytes;
}

size_t CachedBytes() noexcept { return tCacheGone ? 0 : tCache.Bytes; }

}  // namespace BlockCache
