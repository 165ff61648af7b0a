// Saving, loading and copying (the undo snapshot) of a tree of 5,000 objects
// in 50 lists, each beside the same number of bytes written to and read from
// one plain file in the same run. Each tree benchmark also does the plain
// file's work in every iteration, outside its timed part, and reports the
// ratio of the two thread CPU times as x_plain: both sides see the machine
// in the same state.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "uObjectFile.h"
#include "uOpenLists.h"
#include "uPrintObjectList.h"
#include "uThreadClock.h"

namespace {

constexpr int kLists = 50;
constexpr int kPerList = 100;

std::unique_ptr<TPrintObjectList> MakeTree() {
  // A loaded file's lists must make the stored kinds again.
  RegisterOpenLists(true);
  auto root = std::make_unique<TTestList>();
  for (int l = 0; l < kLists; ++l) {
    auto list = std::make_unique<TTestList>();
    for (int i = 0; i < kPerList; ++i) {
      auto o = std::make_unique<TPrintObject>();
      o->SetBoundsRect({l * 4.0 + 0.5, i * 2.0 + 0.25, l * 4.0 + 3.5, i * 2.0 + 1.75});
      list->AddChild(std::move(o));
    }
    list->Changed();
    root->AddChild(std::move(list));
  }
  root->Changed();
  return root;
}

struct TFixture {
  QTemporaryDir Dir;
  std::unique_ptr<TPrintObjectList> Tree = MakeTree();
  QString Document = Dir.filePath("tree.knd");
  QString Plain = Dir.filePath("plain.bin");
  QByteArray Bytes;
  TFixture() {
    SaveObjectFile(Tree.get(), Document);
    QFile f(Document);
    f.open(QIODevice::ReadOnly);
    Bytes = f.readAll();
  }
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

void WritePlain(const QByteArray& bytes, const QString& path) {
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(bytes);
}

QByteArray ReadPlain(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

// The thread CPU time of `work`, done while the benchmark's clock is paused.
template <class Work>
double OutsideTimed(benchmark::State& state, Work work) {
  state.PauseTiming();
  const TClock::time_point start = TClock::now();
  work();
  const double seconds = Seconds(start, TClock::now());
  state.ResumeTiming();
  return seconds;
}

// The thread CPU time of `work`, done within the timed part.
template <class Work>
double Timed(Work work) {
  const TClock::time_point start = TClock::now();
  work();
  return Seconds(start, TClock::now());
}

void ReportRatio(benchmark::State& state, double tree, double plain) {
  if (plain > 0) state.counters["x_plain"] = tree / plain;
}

void BM_SaveTree(benchmark::State& state) {
  TFixture& fx = Fixture();
  double tree = 0, plain = 0;
  for (auto _ : state) {
    plain += OutsideTimed(state, [&] { WritePlain(fx.Bytes, fx.Plain); });
    tree += Timed([&] { benchmark::DoNotOptimize(SaveObjectFile(fx.Tree.get(), fx.Document)); });
  }
  state.SetBytesProcessed(state.iterations() * fx.Bytes.size());
  ReportRatio(state, tree, plain);
}

void BM_SavePlainBaseline(benchmark::State& state) {
  TFixture& fx = Fixture();
  for (auto _ : state) WritePlain(fx.Bytes, fx.Plain);
  state.SetBytesProcessed(state.iterations() * fx.Bytes.size());
}

void BM_LoadTree(benchmark::State& state) {
  TFixture& fx = Fixture();
  WritePlain(fx.Bytes, fx.Plain);
  QString error;
  std::unique_ptr<TPrintObjectList> tree;
  double treeSeconds = 0, plain = 0;
  for (auto _ : state) {
    // Taking the previous tree down is not part of a load.
    state.PauseTiming();
    tree.reset();
    state.ResumeTiming();
    plain += OutsideTimed(state, [&] { benchmark::DoNotOptimize(ReadPlain(fx.Plain)); });
    treeSeconds += Timed([&] { tree = LoadObjectFile(fx.Document, &error); });
    if (!tree || tree->Count() != kLists) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(tree);
  }
  state.SetBytesProcessed(state.iterations() * fx.Bytes.size());
  ReportRatio(state, treeSeconds, plain);
}

void BM_LoadPlainBaseline(benchmark::State& state) {
  TFixture& fx = Fixture();
  WritePlain(fx.Bytes, fx.Plain);
  for (auto _ : state) benchmark::DoNotOptimize(ReadPlain(fx.Plain));
  state.SetBytesProcessed(state.iterations() * fx.Bytes.size());
}

void BM_AssignTree(benchmark::State& state) {
  TFixture& fx = Fixture();
  double tree = 0, plain = 0;
  for (auto _ : state) {
    plain += OutsideTimed(state, [&] {
      WritePlain(fx.Bytes, fx.Plain);
      benchmark::DoNotOptimize(ReadPlain(fx.Plain));
    });
    tree += Timed([&] {
      TTestList copy;
      copy.Assign(fx.Tree.get());
      benchmark::DoNotOptimize(copy.Count());
    });
  }
  state.SetBytesProcessed(state.iterations() * fx.Bytes.size());
  ReportRatio(state, tree, plain);
}

void BM_AssignPlainBaseline(benchmark::State& state) {
  TFixture& fx = Fixture();
  for (auto _ : state) {
    WritePlain(fx.Bytes, fx.Plain);
    benchmark::DoNotOptimize(ReadPlain(fx.Plain));
  }
  state.SetBytesProcessed(state.iterations() * fx.Bytes.size());
}

}  // namespace

BENCHMARK(BM_SaveTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePlainBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPlainBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AssignTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AssignPlainBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
