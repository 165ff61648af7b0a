// Table import and the compound stream round trip, each beside reading the
// same number of bytes from the file (the baseline of the same run).
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

void ReadBytes(benchmark::State& state, const QString& file) {
  for (auto _ : state) {
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    benchmark::DoNotOptimize(f.readAll());
  }
}

void Import(benchmark::State& state, const QString& file) {
  TScriptedUi ui;
  TScopedUi scope(&ui);
  for (auto _ : state) {
    TStringTable table;
    if (table.ImportFile(file) != S_OK) state.SkipWithError("import failed");
    benchmark::DoNotOptimize(table.RowCount());
  }
}

void BM_CsvReadBytes(benchmark::State& state) { ReadBytes(state, Files().Csv); }
void BM_CsvImport200kx10(benchmark::State& state) { Import(state, Files().Csv); }
void BM_LasReadBytes(benchmark::State& state) { ReadBytes(state, Files().Las); }
void BM_LasImport100kx10(benchmark::State& state) { Import(state, Files().Las); }

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
    if (!back.LoadFromStream(bytes.Get())) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(back.RowCount());
  }
  state.counters["cells"] = static_cast<double>(state.range(0));
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
}

}  // namespace

BENCHMARK(BM_CsvReadBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CsvImport200kx10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LasReadBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LasImport100kx10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamBytesCopy)->Arg(500000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamRoundTrip)->Arg(500000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
