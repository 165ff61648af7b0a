// Playing every metafile of the shared EMF corpus into a 512 x 512 image, beside drawing the
// same number of plain filled rectangles into the same image (the baseline), timed in the
// same run; the ratio is reported as "ratio_to_rects".
#include <benchmark/benchmark.h>
#include <time.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <memory>
#include <vector>

#include "uEmfDocument.h"
#include "uEmfPlayer.h"
#include "uThreadClock.h"

namespace {

const std::vector<std::unique_ptr<TEmfDocument>>& Corpus() {
  static const std::vector<std::unique_ptr<TEmfDocument>> docs = [] {
    std::vector<std::unique_ptr<TEmfDocument>> d;
    QDir dir(QString(KERNO_SHARED_DATA) + "/emf");
    for (const QString& f : dir.entryList({"*.emf"}, QDir::Files))
      if (auto doc = TEmfDocument::FromFile(dir.filePath(f))) d.push_back(std::move(doc));
    return d;
  }();
  return docs;
}

void BM_PlayCorpusVsRects(benchmark::State& state) {
  const auto& docs = Corpus();
  if (docs.empty()) {
    state.SkipWithError("no EMF corpus");
    return;
  }
  QImage img(512, 512, QImage::Format_ARGB32_Premultiplied);
  double playSeconds = 0, rectSeconds = 0;
  for (auto _ : state) {
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    TClock::time_point t0 = TClock::now();
    for (const auto& doc : docs) PlayEmf(&p, *doc, QRectF(0, 0, 512, 512));
    TClock::time_point t1 = TClock::now();
    for (size_t i = 0; i < docs.size(); ++i) {
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(QColor(int(i * 37 % 256), 120, 200));
      p.drawRect(QRectF(10 + double(i % 8), 10, 480, 480));
    }
    TClock::time_point t2 = TClock::now();
    p.end();
    playSeconds += Seconds(t0, t1);
    rectSeconds += Seconds(t1, t2);
    benchmark::DoNotOptimize(img.constBits());
  }
  double n = double(state.iterations());
  state.counters["files"] = double(docs.size());
  state.counters["play_ms_per_corpus"] = playSeconds / n * 1e3;
  state.counters["rects_ms"] = rectSeconds / n * 1e3;
  state.counters["ratio_to_rects"] = rectSeconds > 0 ? playSeconds / rectSeconds : 0;
}
BENCHMARK(BM_PlayCorpusVsRects)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Text playback needs fonts, fonts need an application object.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
