// Drawing a field of 2,000 blocks of a default-database sign, beside drawing
// the same number of plain rectangles on the same image (the baseline).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "strat.h"
#include "uComPtr.h"

namespace {

constexpr int kColumns = 50;
constexpr int kRows = 40;  // 2,000 blocks
constexpr int kDpi = 96;

QImage MakeImage() {
  // 50 x 40 blocks of 10 mm at 96 dpi, about 38 pixels each.
  QImage image(1900, 1520, QImage::Format_ARGB32_Premultiplied);
  image.setDotsPerMeterX(static_cast<int>(kDpi / 0.0254 + 0.5));
  image.setDotsPerMeterY(static_cast<int>(kDpi / 0.0254 + 0.5));
  image.fill(Qt::white);
  return image;
}

struct TDefaultSign {
  TComPtr<IStratDataBase> Database;
  TComPtr<IStratSign> Sign;
  TStratPlacement Item{};
};

TDefaultSign& DefaultSign(const char* code) {
  static TDefaultSign loaded = [code] {
    TDefaultSign s;
    stratCreateDataBase(s.Database.Put());
    const std::string path = std::string(KERNO_SOURCE_DIR) + "/resources/lsd/default.lsd";
    if (stratLoad(path.c_str(), s.Database.Get()) != S_OK ||
        s.Database->FindByName(MakeShortString(code), s.Sign.Put()) != S_OK) {
      std::fprintf(stderr, "bench_strat: %s has no sign %s\n", path.c_str(), code);
      std::exit(1);
    }
    s.Item = DefaultPlacement(code);
    s.Item.OffsetX = s.Item.OffsetY = s.Item.SpaceX = s.Item.SpaceY = 0;
    s.Item.CountX = kColumns;
    s.Item.CountY = kRows;
    return s;
  }();
  return loaded;
}

void BM_SignBlocks(benchmark::State& state) {
  TDefaultSign& s = DefaultSign("LST");
  QImage image = MakeImage();
  for (auto _ : state) {
    QPainter painter(&image);
    s.Sign->Draw(&painter, s.Item, 0, 0, 1.0);
  }
  state.SetItemsProcessed(state.iterations() * kColumns * kRows);
}

void BM_PlainRectangles(benchmark::State& state) {
  QImage image = MakeImage();
  const int w = static_cast<int>(10 * kDpi / 25.4 + 0.5);
  for (auto _ : state) {
    QPainter painter(&image);
    painter.setPen(Qt::black);
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kColumns; ++c) painter.drawRect(c * w, r * w, w, w);
  }
  state.SetItemsProcessed(state.iterations() * kColumns * kRows);
}

BENCHMARK(BM_PlainRectangles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SignBlocks)->Unit(benchmark::kMillisecond);

// Prints how many times slower a sign block is than a plain rectangle in this run.
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.benchmark_name() == "BM_PlainRectangles") FBase = run.GetAdjustedRealTime();
      if (run.benchmark_name() == "BM_SignBlocks") FSign = run.GetAdjustedRealTime();
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    if (FBase > 0 && FSign > 0)
      std::printf("sign blocks / plain rectangles: %.1f (2,000 blocks each)\n", FSign / FBase);
  }

 private:
  double FBase = 0, FSign = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
