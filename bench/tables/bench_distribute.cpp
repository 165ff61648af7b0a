// The description column's automatic layout (TDistributeAlg) beside sorting
// the same entries by their tops, both timed with the thread's CPU clock in
// every iteration:
// - 10,000 entries in a column 5 m (5,000 mm) long: intervals of 0.1 to
//   0.9 mm in a random order of lengths, each needing 0.45 mm, so about half
//   of them need more room than they have and clusters form all along the
//   column, while the whole still fits. Target: within 50x the sort.
// - The same density at 10,000, 30,000 and 100,000 entries (the column grows
//   with them): "per_entry_ns" and the ratio to the sort (itself n log n)
//   show whether the layout grows faster than n log n.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "uDistributeAlg.h"
#include "uThreadClock.h"

namespace {

struct TColumn {
  std::vector<TDistributeEntry> Entries;
  double Bottom = 0;
};

// `n` touching intervals averaging 0.5 mm from the top of the column.
TColumn MakeColumn(int n) {
  std::mt19937 random(20261209);
  std::uniform_real_distribution<double> length(0.1, 0.9);
  TColumn c;
  c.Entries.reserve(static_cast<size_t>(n));
  double y = 0;
  for (int i = 0; i < n; ++i) {
    const double l = length(random);
    c.Entries.push_back({y, y + l, 0.45});
    y += l;
  }
  c.Bottom = y;
  return c;
}

void BM_DistributeBesideSort(benchmark::State& state) {
  const TColumn column = MakeColumn(static_cast<int>(state.range(0)));
  // The sort's input: the entries shuffled, as a column's children may be.
  std::vector<TDistributeEntry> shuffled = column.Entries;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
  double layout = 0;
  double sort = 0;
  size_t misfits = 0;
  for (auto _ : state) {
    std::vector<TDistributeEntry> toSort = shuffled;
    const auto s0 = TClock::now();
    std::sort(toSort.begin(), toSort.end(),
              [](const TDistributeEntry& a, const TDistributeEntry& b) { return a.Top < b.Top; });
    const auto s1 = TClock::now();
    benchmark::DoNotOptimize(toSort.data());

    TDistributeAlg alg;
    alg.Entries = column.Entries;
    alg.MinTop = 0;
    alg.MaxBottom = column.Bottom;
    const auto d0 = TClock::now();
    const bool ok = alg.Distribute();
    const auto d1 = TClock::now();
    if (!ok) state.SkipWithError("the layout failed");
    misfits = alg.Misfits().size();
    sort += Seconds(s0, s1);
    layout += Seconds(d0, d1);
  }
  const double n = static_cast<double>(state.range(0));
  state.counters["layout_ms"] = benchmark::Counter(1e3 * layout / static_cast<double>(state.iterations()));
  state.counters["sort_ms"] = benchmark::Counter(1e3 * sort / static_cast<double>(state.iterations()));
  state.counters["x_sort"] = layout / sort;
  state.counters["per_entry_ns"] = benchmark::Counter(1e9 * layout / static_cast<double>(state.iterations()) / n);
  state.counters["misfits"] = static_cast<double>(misfits);
}

// A column that cannot hold its texts (10,000 entries of 4.3 mm in 5 m): the
// layout ends within its bound and reports what did not fit.
void BM_DistributeOverfull(benchmark::State& state) {
  std::vector<TDistributeEntry> entries;
  for (int i = 0; i < 10000; ++i) entries.push_back({i * 0.5, (i + 1) * 0.5, 4.3});
  double layout = 0;
  size_t misfits = 0;
  bool failed = false;
  for (auto _ : state) {
    TDistributeAlg alg;
    alg.Entries = entries;
    alg.MaxBottom = 5000;
    const auto d0 = TClock::now();
    alg.Distribute();
    const auto d1 = TClock::now();
    failed = alg.Failed();
    misfits = alg.Misfits().size();
    layout += Seconds(d0, d1);
  }
  state.counters["layout_ms"] = benchmark::Counter(1e3 * layout / static_cast<double>(state.iterations()));
  state.counters["misfits"] = static_cast<double>(misfits);
  state.counters["failed"] = failed ? 1 : 0;
}

}  // namespace

BENCHMARK(BM_DistributeBesideSort)->Arg(10000)->Arg(30000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DistributeOverfull)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
