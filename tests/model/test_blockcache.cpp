// The per-thread cache of object memory: blocks come back by size class,
// within the budget, from any thread, and a thread's cache goes with it.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "uBlockCache.h"
#include "uDataObject.h"
#include "uPrintObjectList.h"

TEST(BlockCache, BlocksComeBackBySizeClass) {
  void* a = BlockCache::Allocate(100);
  std::memset(a, 0xAB, 100);
  const size_t before = BlockCache::CachedBytes();
  BlockCache::Release(a, 100);
  EXPECT_EQ(BlockCache::CachedBytes(), before + 112);
  // Another size of the same class of 16 bytes takes it; the usable size is the class's.
  void* b = BlockCache::Allocate(112);
  EXPECT_EQ(b, a);
  EXPECT_EQ(BlockCache::CachedBytes(), before);
  std::memset(b, 0xCD, 112);
  BlockCache::Release(b, 112);
  void* c = BlockCache::Allocate(120);  // the next class
  EXPECT_NE(c, a);
  BlockCache::Release(c, 120);
  // Large blocks, and empty requests' blocks of one class, never pile up.
  const size_t now = BlockCache::CachedBytes();
  void* large = BlockCache::Allocate(100000);
  std::memset(large, 1, 100000);
  BlockCache::Release(large, 100000);
  EXPECT_EQ(BlockCache::CachedBytes(), now);
  void* empty = BlockCache::Allocate(0);
  ASSERT_NE(empty, nullptr);
  BlockCache::Release(empty, 0);
  BlockCache::Release(nullptr, 64);
}

TEST(BlockCache, AThreadKeepsNoMoreThanItsBudget) {
  std::thread([] {
    std::vector<void*> blocks;
    for (size_t i = 0; i < BlockCache::kBudget / 512 + 100; ++i) blocks.push_back(BlockCache::Allocate(512));
    for (void* b : blocks) BlockCache::Release(b, 512);
    EXPECT_LE(BlockCache::CachedBytes(), BlockCache::kBudget);
    EXPECT_GT(BlockCache::CachedBytes(), BlockCache::kBudget - 512);
  }).join();  // its blocks go back to the heap with it
}

TEST(BlockCache, BlocksGoBackFromAnyThread) {
  std::vector<void*> blocks;
  for (int i = 0; i < 1000; ++i) blocks.push_back(BlockCache::Allocate(48));
  std::thread([&] {
    for (void* b : blocks) BlockCache::Release(b, 48);
    EXPECT_EQ(BlockCache::CachedBytes(), 1000u * 48);
  }).join();
}

// Objects give their memory back by their own size, whatever class they are
// destroyed through, and take it again (builds with AddressSanitizer take
// objects from the heap and keep nothing).
TEST(BlockCache, ObjectsGiveBackTheirOwnSize) {
  std::thread([] {
    const auto rounded = [](size_t n) { return (n + 15) / 16 * 16; };
    const size_t perRound =
        100 * (rounded(sizeof(TPrintObject)) + rounded(sizeof(TPrintObjectList)) + rounded(sizeof(TDataObject)));
    for (int round = 0; round < 3; ++round) {
      std::vector<std::unique_ptr<TPrintObject>> objects;
      for (int i = 0; i < 100; ++i) {
        objects.push_back(std::make_unique<TPrintObject>());
        objects.push_back(std::make_unique<TPrintObjectList>());
        objects.push_back(std::make_unique<TDataObject>());
      }
      EXPECT_EQ(BlockCache::CachedBytes(), 0u) << "round " << round << " takes back what the last gave";
      for (auto& o : objects) o->SetLeft(o->Left() + 1);
      objects.clear();
      EXPECT_EQ(BlockCache::CachedBytes(), BlockCache::kForObjects ? perRound : 0);
    }
  }).join();
}
