// A lithology column of 5,000 layers with three signs each on the shipped
// database: saving it into a document storage and loading it back from the
// stored bytes, each beside copying those bytes; one redraw of a 300 mm view beside
// filling as many rectangles as the view shows signs (a repaint of the same
// view, one after an edit elsewhere, and the first paint with no layer image
// kept, of these layers and of layers none of which share an image). Both sides of each ratio are timed with the
// thread's CPU clock in every iteration.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstring>
#include <memory>
#include <vector>

#include "uLayerImages.h"
#include "uPrintStratCol.h"
#include "uStorage.h"
#include "uStratColEntry.h"
#include "uThreadClock.h"

namespace {

constexpr int kLayers = 5000;
constexpr double kLayerMetres = 0.2;  // 1 mm at 1:200: the column is 5,000 mm tall
constexpr double kViewMM = 300;

class TBody : public TPrintDeepObject {
 public:
  uint16_t GetVertScale() const override { return 200; }
  std::unique_ptr<TPrintObject> CreateChild(int kind) override { return CreateKindObject(kind, {kindStratCol}); }
};

struct TScene {
  TBody Body;
  TPrintStratCol* Column;
  TScene() {
    auto made = std::make_unique<TPrintStratCol>();
    Column = made.get();
    Body.AddChild(std::move(made));
    Column->SetBoundsRect({10, 0, 40, kLayers * kLayerMetres * 5});
    Column->LoadDataBase(QStringLiteral(KERNO_SOURCE_DIR "/resources/lsd/default.lsd"));
    const QStringList signs[] = {{"SST", "LST", "CLY"}, {"SLT", "DOL", "ANH"}, {"SH", "MRL", "COAL"}};
    for (int i = 0; i < kLayers; ++i) Column->AddLayer(i * kLayerMetres, (i + 1) * kLayerMetres, signs[i % 3]);
    Column->AutoPlaceAll();
  }
};

TScene& Scene() {
  static TScene scene;
  return scene;
}

std::vector<uint8_t> Saved(TPrintStratCol* column) {
  std::unique_ptr<TStorage> storage = TStorage::CreateNew();
  column->SaveToStorage(storage.get());
  std::vector<uint8_t> bytes;
  storage->SaveToBytes(&bytes);
  return bytes;
}

void BM_Save(benchmark::State& state) {
  TPrintStratCol* column = Scene().Column;
  const std::vector<uint8_t> reference = Saved(column);
  std::vector<uint8_t> copy(reference.size());
  double save = 0, plain = 0;
  for (auto _ : state) {
    const auto t0 = TClock::now();
    benchmark::DoNotOptimize(Saved(column).data());
    const auto t1 = TClock::now();
    std::memcpy(copy.data(), reference.data(), reference.size());
    benchmark::ClobberMemory();
    const auto t2 = TClock::now();
    save += Seconds(t0, t1);
    plain += Seconds(t1, t2);
  }
  state.counters["save_ms"] = benchmark::Counter(1e3 * save / state.iterations());
  state.counters["bytes"] = static_cast<double>(reference.size());
  state.counters["x_memcpy"] = save / plain;
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

void BM_Load(benchmark::State& state) {
  const std::vector<uint8_t> bytes = Saved(Scene().Column);
  std::vector<uint8_t> copy(bytes.size());
  double load = 0, plain = 0;
  int layers = 0;
  for (auto _ : state) {
    // The storage takes its image over, as a file's load reads the file
    // straight into it: the copy for this iteration is made untimed.
    std::vector<uint8_t> image = bytes;
    const auto t0 = TClock::now();
    {
      TBody body;
      auto made = std::make_unique<TPrintStratCol>();
      TPrintStratCol* column = made.get();
      body.AddChild(std::move(made));
      std::unique_ptr<TStorage> storage = TStorage::OpenBytes(std::move(image));
      column->LoadFromStorage(storage.get());
      layers = column->Count();
    }
    const auto t1 = TClock::now();
    std::memcpy(copy.data(), bytes.data(), bytes.size());
    benchmark::ClobberMemory();
    const auto t2 = TClock::now();
    load += Seconds(t0, t1);
    plain += Seconds(t1, t2);
  }
  state.counters["load_ms"] = benchmark::Counter(1e3 * load / state.iterations());
  state.counters["layers"] = layers;
  state.counters["x_memcpy"] = load / plain;
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

// What a redraw finds kept from the redraw before it.
enum TKept {
  kAll,             // layer images and their keys: a repaint of an unchanged view
  kImagesOnly,      // an edit elsewhere came between: every layer looks its signs up again
  kNothing,         // an edit and no image kept: the first paint of a view
  kNothingDistinct  // the same with no two layers alike, so that none shares another's image
};

// A 300 mm view in the middle of the column at 96 dpi.
void Redraw(benchmark::State& state, TKept kept) {
  TPrintStratCol* column = Scene().Column;
  const QSize device(200, static_cast<int>(kViewMM * 96 / 25.4));
  QImage image(device, QImage::Format_RGB32);
  QPainter painter(&image);
  TDrawContext c;
  c.DC = &painter;
  c.Options = doBorders;
  c.OriginX = 5;
  c.OriginY = 2000;
  c.ClipRect = {0, 0, device.width(), device.height()};
  // The baseline: a filled rectangle for every sign of every layer in view.
  std::vector<QRect> rects;
  for (TStratColEntry* e : column->Layers()) {
    const TRect r = e->GetPixelRect(c);
    if (!r.Intersects(c.ClipRect)) continue;
    for (int k = 0; k < e->SignCount(); ++k) rects.push_back(ToQRect(r));
  }
  TStratColEntry* far = column->Layers().front();
  TStratPlacement placement{};
  far->GetPlacement(0, &placement);
  // Layers told apart by offsets that round to the same pixels: the same drawing, no image shared.
  const auto shift = [&](double step) {
    int i = 0;
    for (TStratColEntry* e : column->Layers()) {
      TStratPlacement p{};
      e->GetPlacement(0, &p);
      p.OffsetX += step * ++i;
      e->SetPlacement(0, p);
    }
  };
  if (kept == kNothingDistinct) shift(1e-7);
  double redraw = 0, fills = 0;
  for (auto _ : state) {
    image.fill(Qt::white);
    if (kept != kAll) far->SetPlacement(0, placement);
    if (kept >= kNothing) TLayerImages::Shared().Clear();
    const auto t0 = TClock::now();
    column->Draw(c);
    const auto t1 = TClock::now();
    image.fill(Qt::white);
    const auto t2 = TClock::now();
    for (const QRect& r : rects) painter.fillRect(r, Qt::gray);
    const auto t3 = TClock::now();
    redraw += Seconds(t0, t1);
    fills += Seconds(t2, t3);
  }
  if (kept == kNothingDistinct) shift(-1e-7);
  state.counters["redraw_ms"] = benchmark::Counter(1e3 * redraw / state.iterations());
  state.counters["rects"] = static_cast<double>(rects.size());
  state.counters["x_rects"] = redraw / fills;
}
void BM_Redraw(benchmark::State& state) { Redraw(state, kAll); }
BENCHMARK(BM_Redraw)->Unit(benchmark::kMillisecond);
void BM_RedrawAfterEdit(benchmark::State& state) { Redraw(state, kImagesOnly); }
BENCHMARK(BM_RedrawAfterEdit)->Unit(benchmark::kMillisecond);
void BM_RedrawFirst(benchmark::State& state) { Redraw(state, kNothing); }
BENCHMARK(BM_RedrawFirst)->Unit(benchmark::kMillisecond);
void BM_RedrawFirstDistinct(benchmark::State& state) { Redraw(state, kNothingDistinct); }
BENCHMARK(BM_RedrawFirstDistinct)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  RegisterStratColKinds();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
