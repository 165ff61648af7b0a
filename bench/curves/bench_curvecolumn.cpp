// A curve column of 10 curves of 1,000,000 samples: save and load through a
// structured storage beside decoding the packed samples alone, and one redraw
// at zoom 1 with the whole depth in view beside drawing as many line segments
// as the device has rows times curves. Then --fill of a 100,000-row, 20-curve
// LAS file into the curve log template and its PDF, broken down, beside the
// LAS import alone. Both sides of each ratio are timed with the thread's CPU
// clock in every iteration.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <random>
#include <vector>

#include "curvpress.h"
#include "qs.h"
#include "uCellStore.h"
#include "uComPtr.h"
#include "uDocumentKinds.h"
#include "uLasCurves.h"
#include "uLasFill.h"
#include "uLasImport.h"
#include "uPdfPrintTarget.h"
#include "uPrintDeepScale.h"
#include "uPrintDiagramm.h"
#include "uPrintDiagrams.h"
#include "uPrintDocument.h"
#include "uPrintHeader.h"
#include "uPrintText.h"
#include "uSettings.h"
#include "uStorage.h"
#include "uThreadClock.h"

namespace {

constexpr int kCurves = 10;
constexpr int32_t kCount = 1000000;
constexpr double kStep = 0.00025;  // 250 m: 500 mm at 1:500, 1890 rows at 96 dpi
constexpr uint16_t kScale = 500;
const QSize kDevice(1000, 1900);

std::vector<double> Wave(int seed) {
  std::vector<double> s(kCount);
  std::mt19937_64 rng(static_cast<uint64_t>(seed));
  std::normal_distribution<double> noise(0, 0.4);
  double v = 80;
  for (auto& x : s) x = v = std::clamp(v + noise(rng) + 0.2 * std::sin(v), 5.0, 150.0);
  return s;
}

class TBody : public TPrintDeepObject {
 public:
  uint16_t GetVertScale() const override { return kScale; }
};

struct TColumnScene {
  TBody Body;
  TPrintDiagrams* Column;
  TColumnScene() {
    auto column = std::make_unique<TPrintDiagrams>();
    Column = column.get();
    Body.AddChild(std::move(column));
    Column->SetBoundsRect({0, 0, 200, kCount * kStep * 1000 / kScale});
    for (int k = 0; k < kCurves; ++k) {
      TPrintDiagramm* c = Column->AddEmptyCurve(QStringLiteral("C%1").arg(k), kStep);
      c->SetSamples(0, kStep, Wave(k + 1));
      c->SetLeft(5 + 18 * k);
      c->SetMeasure(30);
      c->Changed();
    }
  }
};

void BM_ColumnSaveLoad(benchmark::State& state) {
  TColumnScene scene;
  // The baseline: the same samples packed (16-bit deltas), decoded alone.
  std::vector<TComPtr<ICompoundStream>> packed(kCurves);
  for (int k = 0; k < kCurves; ++k) {
    const std::vector<double>& s = scene.Column->Curves()[static_cast<size_t>(k)]->Samples();
    cpEncode(s.data(), kCount, cpDelta16, packed[static_cast<size_t>(k)].Put());
  }
  std::vector<double> decoded(kCount);
  double save = 0, load = 0, decode = 0;
  for (auto _ : state) {
    const auto t0 = TClock::now();
    std::vector<uint8_t> bytes;
    {
      auto storage = TStorage::CreateNew();
      scene.Column->SaveToStorage(storage.get());
      storage->SaveToBytes(&bytes);
    }
    const auto t1 = TClock::now();
    {
      auto storage = TStorage::OpenBytes(std::move(bytes));
      TPrintDiagrams column;
      column.LoadFromStorage(storage.get());
      benchmark::DoNotOptimize(column.Count());
    }
    const auto t2 = TClock::now();
    for (const auto& p : packed) cpDecode(p.Get(), decoded.data(), kCount);
    benchmark::ClobberMemory();
    const auto t3 = TClock::now();
    save += Seconds(t0, t1);
    load += Seconds(t1, t2);
    decode += Seconds(t2, t3);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["save_ms"] = 1e3 * save / n;
  state.counters["load_ms"] = 1e3 * load / n;
  state.counters["decode_ms"] = 1e3 * decode / n;
  state.counters["load_x_decode"] = load / decode;
}
BENCHMARK(BM_ColumnSaveLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ColumnRedraw(benchmark::State& state) {
  TColumnScene scene;
  QImage image(kDevice, QImage::Format_RGB32);
  QPainter painter(&image);
  TDrawContext c;
  c.DC = &painter;
  c.Options = doBorders;
  c.ClipRect = {0, 0, kDevice.width(), kDevice.height()};
  // The baseline: one segment per row for every curve.
  std::vector<QLine> rows;
  for (int k = 0; k < kCurves; ++k) {
    TPrintDiagramm* curve = scene.Column->Curves()[static_cast<size_t>(k)];
    const int64_t perRow = kCount / kDevice.height();
    for (int r = 0; r + 1 < kDevice.height(); ++r) {
      const double v0 = curve->Samples()[static_cast<size_t>(r * perRow)];
      const double v1 = curve->Samples()[static_cast<size_t>((r + 1) * perRow)];
      rows.emplace_back(c.PixelX(curve->ValueToX(v0)), r, c.PixelX(curve->ValueToX(v1)), r + 1);
    }
  }
  const QPen pen = scene.Column->Curves()[0]->CurvePen(c);
  scene.Column->Draw(c);  // the samples' outlines are built once
  double redraw = 0, segments = 0;
  for (auto _ : state) {
    image.fill(Qt::white);
    const auto t0 = TClock::now();
    scene.Column->Draw(c);
    const auto t1 = TClock::now();
    image.fill(Qt::white);
    const auto t2 = TClock::now();
    painter.setPen(pen);
    painter.drawLines(rows.data(), static_cast<int>(rows.size()));
    const auto t3 = TClock::now();
    redraw += Seconds(t0, t1);
    segments += Seconds(t2, t3);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["redraw_ms"] = 1e3 * redraw / n;
  state.counters["rows_ms"] = 1e3 * segments / n;
  state.counters["x_rows"] = redraw / segments;
}
BENCHMARK(BM_ColumnRedraw)->Unit(benchmark::kMillisecond);

// A LAS file of `rows` depths every 0.1 m from 1000 m with the template's
// curve names first, then others up to `curves`.
QString WriteLas(const QString& path, int rows, int curves) {
  static const char* const kNames[] = {"GR", "SP", "CALI", "ILD", "RT", "RHOB", "NPHI", "DT"};
  QByteArray out =
      "~Version\nVERS. 2.0 :\nWRAP. NO :\n~Well\nSTRT.M 1000 :\nSTEP.M 0.1 :\nNULL. -999.25 :\n"
      "WELL. B-1 :\n~Curve\nDEPT.M :\n";
  for (int k = 0; k < curves; ++k) out += (k < 8 ? QByteArray(kNames[k]) : "X" + QByteArray::number(k)) + ".U :\n";
  out += "~A\n";
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> value(1, 150);
  for (int r = 0; r < rows; ++r) {
    out += QByteArray::number(1000 + r * 0.1, 'f', 1);
    for (int k = 0; k < curves; ++k) out += ' ' + QByteArray::number(value(rng), 'f', 3);
    out += '\n';
  }
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(out);
  return path;
}

// The deflated streams of a PDF written by QPdfWriter, inflated (page
// contents, fonts, images).
std::vector<QByteArray> PdfStreams(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  const QByteArray pdf = file.readAll();
  std::vector<QByteArray> streams;
  static const QByteArray kStart = "/FlateDecode\n>>\nstream\n";
  for (qsizetype at = pdf.indexOf(kStart); at >= 0; at = pdf.indexOf(kStart, at)) {
    at += kStart.size();
    const qsizetype end = pdf.indexOf("endstream", at);
    if (end < 0) break;
    // qUncompress wants the size first; it grows a buffer that is too small.
    QByteArray packed(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(16 * (end - at)), packed.data());
    packed += pdf.mid(at, end - at);
    streams.push_back(qUncompress(packed));
  }
  return streams;
}

void BM_FillCurveLog(benchmark::State& state) {
  QTemporaryDir dir;
  const QString las = WriteLas(dir.filePath("big.las"), 100000, 20);
  QFile file(las);
  file.open(QIODevice::ReadOnly);
  const QByteArray bytes = file.readAll();
  double import = 0, read = 0, fill = 0, print = 0, pdfBytes = 0;
  for (auto _ : state) {
    const auto t0 = TClock::now();
    {
      TCellStore cells;
      QString error;
      ParseLas(bytes, &cells, &error);
      benchmark::DoNotOptimize(cells.RowCount());
    }
    const auto t1 = TClock::now();
    TLasData data;
    QString error;
    ReadLasCurves(las, &data, &error);
    const auto t2 = TClock::now();
    TPrintDocument document;
    document.LoadFromFile(QStringLiteral(KERNO_SOURCE_DIR "/resources/template/curve_log.knt"), &error);
    FillFromLas(&document, data);
    const auto t3 = TClock::now();
    {
      TPdfPrintTarget target(dir.filePath("big.pdf"), QPageSize(QPageSize::A4));
      document.Print(&target, 1, document.PageCount(TPageTiling::FromSettings(target.PageSizeMM())));
    }
    const auto t4 = TClock::now();
    pdfBytes = static_cast<double>(QFileInfo(dir.filePath("big.pdf")).size());
    import += Seconds(t0, t1);
    read += Seconds(t1, t2);
    fill += Seconds(t2, t3);
    print += Seconds(t3, t4);
  }
  // What deflating the same streams at zlib's default level costs alone (the
  // PDF engine compresses every stream so, with no setting to change it).
  double content = 0;
  const std::vector<QByteArray> streams = PdfStreams(dir.filePath("big.pdf"));
  const auto d0 = TClock::now();
  for (const QByteArray& s : streams) {
    content += static_cast<double>(s.size());
    benchmark::DoNotOptimize(qCompress(s).size());
  }
  const auto d1 = TClock::now();
  state.counters["content_mb"] = content / 1e6;
  state.counters["deflate_ms"] = 1e3 * Seconds(d0, d1);
  const double n = static_cast<double>(state.iterations());
  state.counters["las_import_ms"] = 1e3 * import / n;
  state.counters["read_grid_ms"] = 1e3 * read / n;
  state.counters["template_fill_ms"] = 1e3 * fill / n;
  state.counters["pdf_ms"] = 1e3 * print / n;
  state.counters["x_import"] = (read + fill + print) / import;
  state.counters["pdf_mb"] = pdfBytes / 1e6;
}
BENCHMARK(BM_FillCurveLog)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QTemporaryDir scratch;
  TSettings settings(scratch.filePath(QStringLiteral("Kerno.ini")));
  SetSettings(&settings);
  // The template's head files are found beside its folder, as in the program's.
  SetProgramDir(QStringLiteral(KERNO_SOURCE_DIR "/resources"));
  RegisterTextKinds();
  RegisterDepthScaleKinds();
  RegisterHeadKinds();
  RegisterDocumentKinds();
  RegisterCurvePlotKinds();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  SetSettings(nullptr);
  return 0;
}
