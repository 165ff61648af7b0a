// A whole well document: a head of 100 texts naming 200 parameters and 20
// bodies of 10 depth scales each (about 18 A4 pages). Load, save, Assign (the
// undo snapshot) and printing every page to PDF, each beside writing (and
// reading) the same bytes as one plain file in the same iterations; the ratio
// of the two thread CPU times is x_plain. Printing runs at 10 and 20 bodies,
// so that the time per page shows whether printing stays linear in the pages.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "uDocumentKinds.h"
#include "uPassportBody.h"
#include "uPdfPrintTarget.h"
#include "uPrintDeepScale.h"
#include "uPrintDocument.h"
#include "uPrintHeader.h"
#include "uPrintText.h"
#include "uSettings.h"
#include "uThreadClock.h"

namespace {

constexpr int kBodies = 20;
constexpr int kScalesPerBody = 10;
constexpr int kHeadTexts = 100;  // two parameters each
constexpr uint16_t kVertScale = 500;
constexpr double kBodyHeight = 250;  // mm: 125 m at 1:500

std::unique_ptr<TPrintHeader> MakeHead() {
  auto head = std::make_unique<TPrintHeader>();
  for (int i = 0; i < kHeadTexts; ++i) {
    auto text = std::make_unique<TPrintText>();
    const double x = (i % 10) * 19.0;
    const double y = (i / 10) * 8.0;
    text->SetBoundsRect({x, y, x + 19, y + 8});
    text->SetText(
        QStringLiteral("%P%1%: %P%2%").arg(2 * i, 3, 10, QLatin1Char('0')).arg(2 * i + 1, 3, 10, QLatin1Char('0')));
    text->Font().SetSize(6);
    head->AddChild(std::move(text));
  }
  head->SetHeight(80);
  head->CollectParameters();
  for (int i = 0; i < head->Parameters().Count(); ++i)
    head->Parameters().SetValueAt(i, QStringLiteral("value %1").arg(i));
  head->SubstituteParameters();
  return head;
}

std::unique_ptr<TPassportBody> MakeBody(int index) {
  auto body = std::make_unique<TPassportBody>();
  body->SetName(QStringLiteral("Body %1").arg(index));
  body->SetVertScale(kVertScale);
  body->SetStartDepth(index * kBodyHeight * kVertScale / 1000);
  for (int s = 0; s < kScalesPerBody; ++s) {
    auto scale = std::make_unique<TPrintDeepScale>();
    TRullerList rulers;
    for (const double step : {10.0, 5.0, 1.0}) {
      TRuller r;
      r.SetModulus(1000.0 / kVertScale);
      r.SetStep(step);
      r.SetMarkSize(step == 10 ? 5 : 2);
      if (step != 10) r.RemoveFont();
      rulers.push_back(r);
    }
    scale->SetRullers(rulers);
    scale->SetBoundsRect({s * 19.0, 0, s * 19.0 + 19, kBodyHeight});
    body->AddChild(std::move(scale));
  }
  body->SetHeight(kBodyHeight);
  body->Changed();
  return body;
}

std::unique_ptr<TPrintDocument> MakeDocument(int bodies) {
  auto document = std::make_unique<TPrintDocument>();
  document->AddChild(MakeHead());
  for (int b = 0; b < bodies; ++b) document->AddChild(MakeBody(b));
  document->Changed();
  return document;
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

struct TFixture {
  QTemporaryDir Dir;
  TSettings Settings{Dir.filePath(QStringLiteral("Kerno.ini"))};
  std::unique_ptr<TPrintDocument> Document;
  QString File = Dir.filePath(QStringLiteral("document.knd"));
  QString Plain = Dir.filePath(QStringLiteral("plain.bin"));
  QByteArray Bytes;
  TFixture() {
    // The default print settings (A4, no overlap), whatever the machine's say.
    SetSettings(&Settings);
    RegisterTextKinds();
    RegisterHeadKinds();
    RegisterDepthScaleKinds();
    RegisterDocumentKinds();
    Document = MakeDocument(kBodies);
    Document->SaveToFile(File);
    Bytes = ReadPlain(File);
  }
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
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

void ReportRatio(benchmark::State& state, double document, double plain) {
  if (plain > 0) state.counters["x_plain"] = document / plain;
}

void BM_SaveDocument(benchmark::State& state) {
  TFixture& fx = Fixture();
  double document = 0, plain = 0;
  for (auto _ : state) {
    plain += OutsideTimed(state, [&] { WritePlain(fx.Bytes, fx.Plain); });
    document += Timed([&] { benchmark::DoNotOptimize(fx.Document->SaveToFile(fx.File)); });
  }
  state.SetBytesProcessed(state.iterations() * fx.Bytes.size());
  ReportRatio(state, document, plain);
}

void BM_LoadDocument(benchmark::State& state) {
  TFixture& fx = Fixture();
  fx.Document->SaveToFile(fx.File);
  WritePlain(fx.Bytes, fx.Plain);
  std::unique_ptr<TPrintDocument> loaded;
  double document = 0, plain = 0;
  for (auto _ : state) {
    // Taking the previous document down is not part of a load.
    state.PauseTiming();
    loaded.reset();
    state.ResumeTiming();
    plain += OutsideTimed(state, [&] { benchmark::DoNotOptimize(ReadPlain(fx.Plain)); });
    document += Timed([&] {
      loaded = std::make_unique<TPrintDocument>();
      if (!loaded->LoadFromFile(fx.File) || loaded->Count() != kBodies + 1) state.SkipWithError("load failed");
    });
    benchmark::DoNotOptimize(loaded);
  }
  state.SetBytesProcessed(state.iterations() * fx.Bytes.size());
  ReportRatio(state, document, plain);
}

void BM_AssignDocument(benchmark::State& state) {
  TFixture& fx = Fixture();
  double document = 0, plain = 0;
  for (auto _ : state) {
    plain += OutsideTimed(state, [&] {
      WritePlain(fx.Bytes, fx.Plain);
      benchmark::DoNotOptimize(ReadPlain(fx.Plain));
    });
    document += Timed([&] {
      TPrintDocument copy;
      copy.Assign(fx.Document.get());
      benchmark::DoNotOptimize(copy.Count());
    });
  }
  state.SetBytesProcessed(state.iterations() * fx.Bytes.size());
  ReportRatio(state, document, plain);
}

// Every page of a document of range(0) bodies printed to PDF, beside writing
// the PDF's bytes as a plain file.
void BM_PrintToPdf(benchmark::State& state) {
  TFixture& fx = Fixture();
  const auto document = MakeDocument(static_cast<int>(state.range(0)));
  const QString pdf = fx.Dir.filePath(QStringLiteral("document.pdf"));
  const QString plainPdf = fx.Dir.filePath(QStringLiteral("plain.pdf"));
  QByteArray bytes;
  int pages = 0;
  double printing = 0, plain = 0;
  for (auto _ : state) {
    printing += Timed([&] {
      TPdfPrintTarget target(pdf, QPageSize(QPageSize::A4));
      if (!document->Print(&target, 1, 1 << 20)) state.SkipWithError("printing failed");
      pages = target.PagesWritten();
    });
    plain += OutsideTimed(state, [&] {
      if (bytes.isEmpty()) bytes = ReadPlain(pdf);
      WritePlain(bytes, plainPdf);
    });
  }
  state.counters["pages"] = pages;
  state.counters["ms_per_page"] = pages > 0 ? printing / static_cast<double>(state.iterations()) / pages * 1e3 : 0;
  state.counters["pdf_kb"] = static_cast<double>(bytes.size()) / 1024;
  ReportRatio(state, printing, plain);
}

void BM_SavePlainBaseline(benchmark::State& state) {
  TFixture& fx = Fixture();
  for (auto _ : state) WritePlain(fx.Bytes, fx.Plain);
  state.SetBytesProcessed(state.iterations() * fx.Bytes.size());
}

void BM_LoadPlainBaseline(benchmark::State& state) {
  TFixture& fx = Fixture();
  WritePlain(fx.Bytes, fx.Plain);
  for (auto _ : state) benchmark::DoNotOptimize(ReadPlain(fx.Plain));
  state.SetBytesProcessed(state.iterations() * fx.Bytes.size());
}

BENCHMARK(BM_SaveDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePlainBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPlainBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AssignDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintToPdf)->Arg(kBodies / 2)->Arg(kBodies)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Printing draws text: fonts need an application object, never a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
