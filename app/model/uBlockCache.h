// Memory for the model's objects. Opening a document creates thousands of
// small objects and closing it destroys them together; the general heap then
// spends a good part of the next load on its bookkeeping for them. Each
// thread keeps the blocks its objects gave back, by size, for the next ones:
// up to a budget, beyond which (and for large sizes) blocks go back to the heap.
#pragma once

#include <cstddef>

namespace BlockCache {

// A block of at least `size` bytes, aligned as operator new aligns; throws
// std::bad_alloc as operator new does.
void* Allocate(size_t size);
// Gives back a block from Allocate(size); any thread may give it back.
void Release(void* block, size_t size) noexcept;
// The bytes this thread keeps for reuse.
size_t CachedBytes() noexcept;
// What a thread keeps at most.
inline constexpr size_t kBudget = 32u << 20;

// Whether print objects take their memory from here. Builds with
// AddressSanitizer take it from the heap each time, so that every object's
// lifetime stays checked.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kForObjects = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kForObjects = false;
#else
inline constexpr bool kForObjects = true;
#endif
#else
inline constexpr bool kForObjects = true;
#endif

}  // namespace BlockCache
