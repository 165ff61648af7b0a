// A curve of 1,000,000 samples: loading it from its compound stream beside
// decoding its packed samples alone, and one redraw at zoom 1 with the whole
// depth in view beside drawing as many line segments as the device has rows,
// both sides timed with the thread's CPU clock in every iteration.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "curvpress.h"
#include "qs.h"
#include "uComPtr.h"
#include "uPrintDiagramm.h"
#include "uThreadClock.h"

namespace {

constexpr int32_t kCount = 1000000;
// 1,000,000 samples every 0.25 mm of depth: 250 m, 500 mm at 1:500, 1890
// rows of a 96-dpi device at zoom 1.
constexpr double kStep = 0.00025;
constexpr uint16_t kScale = 500;
const QSize kDevice(1000, 1900);

const std::vector<double>& Samples() {
  static const std::vector<double> samples = [] {
    std::vector<double> s(kCount);
    std::mt19937_64 rng(1);
    std::normal_distribution<double> noise(0, 0.4);
    double v = 80;
    for (auto& x : s) x = v = std::clamp(v + noise(rng) + 0.2 * std::sin(v), 5.0, 150.0);
    return s;
  }();
  return samples;
}

class TBody : public TPrintDeepObject {
 public:
  uint16_t GetVertScale() const override { return kScale; }
};

// A body holding one curve of the samples, left edge 10 mm, 5 units per cm.
struct TScene {
  TBody Body;
  TPrintDiagramm* Curve;
  explicit TScene(bool logarithmic) {
    auto curve = std::make_unique<TPrintDiagramm>();
    Curve = curve.get();
    Body.AddChild(std::move(curve));
    Curve->SetSamples(0, kStep, Samples());
    Curve->SetLeft(10);
    Curve->SetLogarithmic(logarithmic);
    Curve->SetMeasure(logarithmic ? 8 : 20);
    Curve->Changed();
  }
};

// The curve's stream with its samples packed as `type` under 5392.
TComPtr<ICompoundStream> PackedStream(int32_t type) {
  TPrintDiagramm curve;
  curve.SetName("GR");
  TComPtr<ICompoundStream> s;
  qsCreateCompoundStream(s.Put());
  curve.SaveToQS(s.Get());
  s->DeleteValue(5377);
  s->DeleteValue(5378);
  TComPtr<ICompoundStream> packed;
  cpEncode(Samples().data(), kCount, type, packed.Put());
  qsWriteCompoundStream(s.Get(), 5392, packed.Get());
  return s;
}

void BM_LoadPacked(benchmark::State& state) {
  const auto type = static_cast<int32_t>(state.range(0));
  TComPtr<ICompoundStream> stream = PackedStream(type);
  TComPtr<ICompoundStream> nested;
  qsReadCompoundStream(stream.Get(), 5392, nested.Put());
  std::vector<double> decoded(kCount);
  double load = 0, decode = 0;
  for (auto _ : state) {
    const auto t0 = TClock::now();
    {
      TPrintDiagramm curve;
      curve.LoadFromQS(stream.Get());
      benchmark::DoNotOptimize(curve.Samples().data());
    }
    const auto t1 = TClock::now();
    cpDecode(nested.Get(), decoded.data(), kCount);
    benchmark::ClobberMemory();
    const auto t2 = TClock::now();
    load += Seconds(t0, t1);
    decode += Seconds(t1, t2);
  }
  state.counters["load_ms"] = benchmark::Counter(1e3 * load / state.iterations());
  state.counters["decode_ms"] = benchmark::Counter(1e3 * decode / state.iterations());
  state.counters["x_decode"] = load / decode;
  state.SetLabel(cpGetcpetName(type));
}
BENCHMARK(BM_LoadPacked)->Arg(cpDelta8)->Arg(cpDelta16)->Arg(cpFloat32)->Arg(cpFloat64)->Unit(benchmark::kMillisecond);

// The form this program writes (plain doubles), beside copying their bytes.
void BM_LoadPlain(benchmark::State& state) {
  TPrintDiagramm source;
  source.SetSamples(0, kStep, Samples());
  TComPtr<ICompoundStream> stream;
  qsCreateCompoundStream(stream.Put());
  source.SaveToQS(stream.Get());
  std::vector<double> copy(kCount);
  double load = 0, memcpyTime = 0;
  for (auto _ : state) {
    const auto t0 = TClock::now();
    {
      TPrintDiagramm curve;
      curve.LoadFromQS(stream.Get());
      benchmark::DoNotOptimize(curve.Samples().data());
    }
    const auto t1 = TClock::now();
    std::memcpy(copy.data(), Samples().data(), kCount * sizeof(double));
    benchmark::ClobberMemory();
    const auto t2 = TClock::now();
    load += Seconds(t0, t1);
    memcpyTime += Seconds(t1, t2);
  }
  state.counters["load_ms"] = benchmark::Counter(1e3 * load / state.iterations());
  state.counters["x_memcpy"] = load / memcpyTime;
}
BENCHMARK(BM_LoadPlain)->Unit(benchmark::kMillisecond);

// One segment per device row through the curve's own columns: the least a
// drawing of this curve has to do, with the same pen on the same device.
std::vector<QLine> RowSegments(const TDrawContext& c, TPrintDiagramm* curve, int rows) {
  std::vector<QLine> lines;
  const int64_t perRow = kCount / rows;
  for (int r = 0; r + 1 < rows; ++r) {
    const double v0 = Samples()[static_cast<size_t>(r * perRow)];
    const double v1 = Samples()[static_cast<size_t>((r + 1) * perRow)];
    lines.emplace_back(c.PixelX(curve->ValueToX(v0)), r, c.PixelX(curve->ValueToX(v1)), r + 1);
  }
  return lines;
}

// Range: 0 linear, 1 logarithmic; second: line width in 0.1 mm; third: 0
// the same view again (a repaint), 1 the view moved by a millimetre in every
// iteration (the rows' outlines found again), 2 the samples changed in every
// iteration (their outline built again: the first redraw after a change).
void BM_Redraw(benchmark::State& state) {
  const bool logarithmic = state.range(0) != 0;
  const int64_t change = state.range(2);
  TScene scene(logarithmic);
  scene.Curve->SetLineWidth(static_cast<double>(state.range(1)) / 10);
  QImage image(kDevice, QImage::Format_RGB32);
  QPainter painter(&image);
  TDrawContext c;
  c.DC = &painter;
  c.Options = doBorders;
  c.ClipRect = {0, 0, kDevice.width(), kDevice.height()};
  const QPen pen = scene.Curve->CurvePen(c);
  const std::vector<QLine> baseline = RowSegments(c, scene.Curve, kDevice.height());
  QPolygon polyline;
  for (const QLine& l : baseline) polyline << l.p1();
  const bool hairline = pen.isCosmetic() && pen.widthF() <= 1;
  scene.Curve->Draw(c);  // builds the outline of the samples once
  double redraw = 0, segments = 0;
  for (auto _ : state) {
    image.fill(Qt::white);
    if (change == 1) c.OriginY = c.OriginY == 0 ? 1 : 0;
    if (change == 2) {  // the samples changed: their outline goes
      scene.Curve->SetNullValue(-1);
      scene.Curve->SetNullValue(kDefaultNullValue);
    }
    const auto t0 = TClock::now();
    scene.Curve->Draw(c);
    const auto t1 = TClock::now();
    image.fill(Qt::white);
    const auto t2 = TClock::now();
    painter.setPen(pen);
    if (hairline)
      painter.drawLines(baseline.data(), static_cast<int>(baseline.size()));
    else
      painter.drawPolyline(polyline);
    const auto t3 = TClock::now();
    redraw += Seconds(t0, t1);
    segments += Seconds(t2, t3);
  }
  state.counters["redraw_ms"] = benchmark::Counter(1e3 * redraw / state.iterations());
  state.counters["rows_ms"] = benchmark::Counter(1e3 * segments / state.iterations());
  state.counters["x_rows"] = redraw / segments;
  static const char* const kChanges[] = {"", ", view moved", ", samples changed"};
  state.SetLabel(std::string(logarithmic ? "log" : "linear") + (hairline ? ", 1 px" : ", wide") + kChanges[change]);
}
BENCHMARK(BM_Redraw)
    ->Args({0, 0, 0})
    ->Args({1, 0, 0})
    ->Args({0, 5, 0})
    ->Args({0, 0, 1})
    ->Args({1, 0, 1})
    ->Args({0, 5, 1})
    ->Args({0, 0, 2})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
