// The automatic layout of description texts: blocks that need more room than
// their interval are centred on it and push their neighbours; touching and
// overlapping intervals, the column's ends, and columns that cannot hold all
// their texts (the layout still finishes and names the misfits).
#include <gtest/gtest.h>

#include <random>

#include "uDistributeAlg.h"

namespace {

TDistributeAlg Layout(std::vector<TDistributeEntry> entries, double minTop, double maxBottom) {
  TDistributeAlg alg;
  alg.Entries = std::move(entries);
  alg.MinTop = minTop;
  alg.MaxBottom = maxBottom;
  return alg;
}

// Every entry has its need, none overlaps its predecessor, all inside the limits.
void ExpectLaidOut(const TDistributeAlg& alg) {
  for (size_t i = 0; i < alg.Entries.size(); ++i) {
    const TDistributeEntry& e = alg.Entries[i];
    EXPECT_GE(e.Length(), e.Need - 1e-6) << "entry " << i;
    EXPECT_GE(e.Top, alg.MinTop - 1e-6) << "entry " << i;
    EXPECT_LE(e.Bottom, alg.MaxBottom + 1e-6) << "entry " << i;
    if (i > 0) {
      EXPECT_GE(e.Top, alg.Entries[i - 1].Bottom - 1e-6) << "entry " << i;
    }
  }
  EXPECT_TRUE(alg.Misfits().empty());
}

}  // namespace

TEST(DistributeAlg, AShortIntervalIsCentredAndPushesItsNeighbourUp) {
  TDistributeAlg alg = Layout({{0, 10, 4.3}, {10, 12, 4.3}}, 0, 100);
  ASSERT_TRUE(alg.Distribute());
  EXPECT_DOUBLE_EQ(alg.Entries[1].Top, 8.75);
  EXPECT_DOUBLE_EQ(alg.Entries[1].Bottom, 13.25);
  EXPECT_DOUBLE_EQ(alg.Entries[0].Bottom, 8.75);
  EXPECT_DOUBLE_EQ(alg.Entries[0].Top, 0);
  ExpectLaidOut(alg);
}

TEST(DistributeAlg, NothingToDoLeavesEntriesWhereTheyAre) {
  TDistributeAlg one = Layout({{5, 6, 4}}, 0, 100);
  EXPECT_FALSE(one.Distribute()) << "a single text is not laid out";
  EXPECT_FALSE(one.Failed());
  EXPECT_EQ(one.Entries[0].Top, 5);
  EXPECT_EQ(one.Entries[0].Bottom, 6);

  TDistributeAlg roomy = Layout({{0, 10, 4}, {10, 20, 4}, {25, 30, 4}}, 0, 100);
  ASSERT_TRUE(roomy.Distribute());
  EXPECT_EQ(roomy.Entries[1].Top, 10);
  EXPECT_EQ(roomy.Entries[2].Top, 25) << "a gap between texts stays";
  EXPECT_EQ(roomy.Entries[2].Bottom, 30);
}

TEST(DistributeAlg, OverlappingIntervalsMeetHalfWay) {
  // 0-12 and 8-20 overlap by 4 mm: both end at 10 before any push.
  TDistributeAlg alg = Layout({{0, 12, 3}, {8, 20, 3}}, 0, 100);
  ASSERT_TRUE(alg.Distribute());
  EXPECT_DOUBLE_EQ(alg.Entries[0].Bottom, 10);
  EXPECT_DOUBLE_EQ(alg.Entries[1].Top, 10);
  ExpectLaidOut(alg);
}

TEST(DistributeAlg, ARunOfShortTouchingIntervalsSpreadsBothWays) {
  // Ten 1 mm layers from 50 mm, each needing 4 mm, between roomy neighbours.
  std::vector<TDistributeEntry> entries{{0, 50, 4}};
  for (int i = 0; i < 10; ++i) entries.push_back({50.0 + i, 51.0 + i, 4});
  entries.push_back({60, 120, 4});
  TDistributeAlg alg = Layout(entries, 0, 120);
  ASSERT_TRUE(alg.Distribute());
  ExpectLaidOut(alg);
  EXPECT_LT(alg.Entries[0].Bottom, 50) << "the block grew upwards";
  EXPECT_GT(alg.Entries[11].Top, 60) << "and downwards";
  EXPECT_EQ(alg.Entries[0].Top, 0);
  EXPECT_EQ(alg.Entries[11].Bottom, 120);
}

TEST(DistributeAlg, TheColumnEndsPushBlocksBackInside) {
  // A short text at the very bottom: centring would run past 30 mm.
  TDistributeAlg bottom = Layout({{0, 29, 4}, {29, 30, 4}}, 0, 30);
  ASSERT_TRUE(bottom.Distribute());
  EXPECT_DOUBLE_EQ(bottom.Entries[1].Bottom, 30);
  EXPECT_DOUBLE_EQ(bottom.Entries[1].Top, 26);
  EXPECT_DOUBLE_EQ(bottom.Entries[0].Bottom, 26);
  ExpectLaidOut(bottom);

  // And one at the very top, against MinTop = 10.
  TDistributeAlg top = Layout({{10, 11, 4}, {11, 40, 4}}, 10, 40);
  ASSERT_TRUE(top.Distribute());
  EXPECT_DOUBLE_EQ(top.Entries[0].Top, 10);
  EXPECT_DOUBLE_EQ(top.Entries[0].Bottom, 14);
  EXPECT_DOUBLE_EQ(top.Entries[1].Top, 14);
  ExpectLaidOut(top);
}

TEST(DistributeAlg, TextsThatCannotFitFinishAndAreNamed) {
  // Twenty texts of 4 mm in a 20 mm column.
  std::vector<TDistributeEntry> entries;
  for (int i = 0; i < 20; ++i) entries.push_back({double(i), i + 1.0, 4});
  TDistributeAlg alg = Layout(entries, 0, 20);
  alg.Distribute();
  EXPECT_FALSE(alg.Misfits().empty());
  for (const TDistributeEntry& e : alg.Entries) {
    EXPECT_TRUE(std::isfinite(e.Top));
    EXPECT_TRUE(std::isfinite(e.Bottom));
  }
}

// Bad input of every sort at scale: reversed intervals, zero lengths,
// intervals piled onto each other, a column far too short. The layout ends,
// with a result or a failure, never a hang or a stack overflow.
TEST(DistributeAlg, HostileColumnsOfAHundredThousandEntriesEnd) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> pos(0, 500);
  std::vector<TDistributeEntry> entries;
  for (int i = 0; i < 100000; ++i) {
    const double a = pos(random), b = pos(random);
    entries.push_back({std::min(a, b), std::max(a, b), 4.3});
  }
  std::sort(entries.begin(), entries.end(), [](auto& x, auto& y) { return x.Top < y.Top; });
  TDistributeAlg piled = Layout(entries, 0, 500);
  piled.Distribute();
  EXPECT_FALSE(piled.Misfits().empty()) << "430 m of text cannot fit 500 mm";

  // One long chain: every push walks the whole column.
  std::vector<TDistributeEntry> chain;
  for (int i = 0; i < 100000; ++i) chain.push_back({i * 0.01, (i + 1) * 0.01, 5});
  TDistributeAlg pushed = Layout(chain, 0, 1000);
  pushed.Distribute();
  EXPECT_FALSE(pushed.Misfits().empty());
}

TEST(DistributeAlg, ManyClustersAlongAColumnThatHasRoomAllFit) {
  // Intervals of 0.1 to 0.9 mm needing 0.45 mm: about half are short.
  std::mt19937 random(11);
  std::uniform_real_distribution<double> length(0.1, 0.9);
  std::vector<TDistributeEntry> entries;
  double y = 0;
  for (int i = 0; i < 20000; ++i) {
    const double l = length(random);
    entries.push_back({y, y + l, 0.45});
    y += l;
  }
  TDistributeAlg alg = Layout(entries, 0, y);
  ASSERT_TRUE(alg.Distribute());
  EXPECT_TRUE(alg.Misfits().empty());
}
