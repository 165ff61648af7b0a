// Table import and the compound stream round trip, each beside a baseline of
// the same run:
// - CSV (200,000 rows x 10) and LAS (100,000 depths x 10 curves) import beside
//   reading the same whole file into memory with the same code the import
//   opens it with (QFile::readAll); the target is import <= 30 x read.
// - The compound stream round trip (save a table to a byte stream, load it
//   back) at 250k, 500k and 1M cells beside copying the saved bytes; both
//   report time per cell ("per_cell"), which stays flat when time is linear.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "qs.h"
#include "uComPtr.h"
#include "uMemoryStream.h"
#include "uScriptedUi.h"
#include "uStringTableEx.h"

namespace {

struct TFiles {
  QTemporaryDir Dir;
  QString Csv, Las;
  TFiles() {
    Csv = Dir.filePath("big.csv");
    Las = Dir.filePath("big.las");
    QFile csv(Csv);
    csv.open(QIODevice::WriteOnly);
    QByteArray line;
    for (int r = 0; r < 200000; ++r) {
      line.clear();
      for (int c = 0; c < 10; ++c) {
        if (c) line += ';';
        line += QByteArray::number(r * 0.5 + c * 1.25, 'f', 3);
      }
      line += '\n';
      csv.write(line);
    }
    QFile las(Las);
    las.open(QIODevice::WriteOnly);
    las.write(
        "~Version\n VERS. 2.0 : v\n WRAP. NO : one line\n~Well\n NULL. -999.25 : null\n~Curve\n DEPT.M : depth\n");
    for (int c = 1; c < 10; ++c) las.write(QByteArray(" C") + QByteArray::number(c) + ".U : curve\n");
    las.write("~A\n");
    for (int r = 0; r < 100000; ++r) {
      line = QByteArray::number(1000 + r * 0.1, 'f', 2);
      for (int c = 1; c < 10; ++c)
        line += "  " + (c == 5 && r % 7 == 0 ? QByteArray("-999.25") : QByteArray::number(r % 1000 * 0.37 + c, 'f', 4));
      line += '\n';
      las.write(line);
    }
  }
};

TFiles& Files() {
  static TFiles files;
  return files;
}

// Seconds per item, from the items done in each iteration.
benchmark::Counter PerItem(double items) {
  return benchmark::Counter(items, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The baseline: the whole file into memory, as the imports read it.
void ReadBytes(benchmark::State& state, const QString& file) {
  qint64 size = 0;
  for (auto _ : state) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) state.SkipWithError("open failed");
    const QByteArray bytes = f.readAll();
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.constData());
  }
  state.counters["bytes"] = static_cast<double>(size);
  state.counters["per_byte"] = PerItem(static_cast<double>(size));
}

void Import(benchmark::State& state, const QString& file, int expectedRows) {
  TScriptedUi ui;
  TScopedUi scope(&ui);
  int64_t cells = 0;
  for (auto _ : state) {
    TStringTable table;
    if (table.ImportFile(file) != S_OK || table.RowCount() != expectedRows || table.ColCount() != 10)
      state.SkipWithError("import failed");
    cells = static_cast<int64_t>(table.RowCount()) * table.ColCount();
    benchmark::DoNotOptimize(table.RowCount());
  }
  state.counters["per_cell"] = PerItem(static_cast<double>(cells));
}

void BM_CsvReadBytes(benchmark::State& state) { ReadBytes(state, Files().Csv); }
void BM_CsvImport200kx10(benchmark::State& state) { Import(state, Files().Csv, 200000); }
void BM_LasReadBytes(benchmark::State& state) { ReadBytes(state, Files().Las); }
void BM_LasImport100kx10(benchmark::State& state) { Import(state, Files().Las, 100001); }  // + the curve names

// A table of `cells` cells in rows of 10, filled like an imported log.
void Fill(TStringTableEx* t, int64_t cells) {
  t->SetColCount(10);
  t->SetRowCount(static_cast<int>(cells / 10));
  for (int r = 0; r < t->RowCount(); ++r)
    for (int c = 0; c < 10; ++c) t->SetCell(c, r, QString::number(r * 0.5 + c, 'f', 2));
}

void BM_StreamRoundTrip(benchmark::State& state) {
  TStringTableEx table;
  Fill(&table, state.range(0));
  for (auto _ : state) {
    TComPtr<IStream> bytes;
    CreateMemoryStream(bytes.Put());
    if (!table.SaveToStream(bytes.Get())) state.SkipWithError("save failed");
    uint64_t pos = 0;
    bytes->Seek(0, 0, &pos);
    TStringTableEx back;
    if (!back.LoadFromStream(bytes.Get()) || back.RowCount() != table.RowCount()) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(back.RowCount());
  }
  state.counters["per_cell"] = PerItem(static_cast<double>(state.range(0)));
}

// Baseline: copying the serialised bytes of the same table.
void BM_StreamBytesCopy(benchmark::State& state) {
  TStringTableEx table;
  Fill(&table, state.range(0));
  TComPtr<IStream> bytes;
  CreateMemoryStream(bytes.Put());
  table.SaveToStream(bytes.Get());
  std::vector<uint8_t> data;
  ReadWholeStream(bytes.Get(), &data);
  for (auto _ : state) {
    std::vector<uint8_t> copy(data);
    benchmark::DoNotOptimize(copy.data());
  }
  state.counters["bytes"] = static_cast<double>(data.size());
  state.counters["per_cell"] = PerItem(static_cast<double>(state.range(0)));
}

}  // namespace

BENCHMARK(BM_CsvReadBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CsvImport200kx10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LasReadBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LasImport100kx10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamBytesCopy)->Arg(250000)->Arg(500000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamRoundTrip)->Arg(250000)->Arg(500000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
