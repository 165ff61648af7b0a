// A 300 mm body holding a 6,000 x 40,000 pixel colour JPEG scan drawn at
// zoom 1, beside decoding the JPEG once at full size in the same run: thread
// CPU time and the peak resident memory each step adds. The scan is written
// once, row by row, into a temporary file; loading it keeps it reduced to the
// picture limit (1/2: 3,000 x 20,000), the first drawing decodes that into a
// copy of the drawn size, and every later repaint draws the copy.
#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "uPassportBody.h"
#include "uPictureKinds.h"
#include "uPrintBitmap.h"
#include "uThreadClock.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 40000;
constexpr int kRedraws = 20;

// Resident memory high-water mark (VmHWM) in MB; ResetPeak starts it again
// from what is resident now.
double PeakMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}
double ResidentMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}
void ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

// A scan-like picture: bands and a gradient, compressed as a scanner would.
QString WriteScan(const QTemporaryDir& dir) {
  const QString path = dir.filePath("scan.jpg");
  FILE* out = std::fopen(path.toLocal8Bit().constData(), "wb");
  jpeg_compress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, out);
  info.image_width = kWidth;
  info.image_height = kHeight;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 85, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(kWidth * 3);
  while (info.next_scanline < info.image_height) {
    const int y = static_cast<int>(info.next_scanline);
    for (int x = 0; x < kWidth; ++x) {
      row[x * 3] = static_cast<uint8_t>((y / 37) % 2 ? 200 : 120 + x % 50);
      row[x * 3 + 1] = static_cast<uint8_t>(x * 255 / kWidth);
      row[x * 3 + 2] = static_cast<uint8_t>((x ^ y) & 0x3F);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(out);
  return path;
}

// The baseline: the whole scan decoded at full size into one buffer.
size_t DecodeFull(const QByteArray& file) {
  jpeg_decompress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(file.constData()),
               static_cast<unsigned long>(file.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  const size_t stride = size_t(info.output_width) * 3;
  std::vector<uint8_t> pixels(stride * info.output_height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[1] = {pixels.data() + stride * info.output_scanline};
    jpeg_read_scanlines(&info, rows, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  benchmark::DoNotOptimize(pixels.data());
  return pixels.size();
}

void BM_RedrawBesideDecode(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = WriteScan(dir);
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  const QByteArray file = f.readAll();
  f.close();
  // The window of a 300 mm body at zoom 1 on a 96 dpi screen.
  QImage window(400, 1200, QImage::Format_RGB32);
  for (auto _ : state) {
    // The drawing path first: the heap keeps what a step frees (uBenchHeap),
    // so each peak is measured where nothing freed is resident yet.
    TPassportBody body;
    body.SetBoundsRect({0, 0, 100, 300});
    auto made = std::make_unique<TPrintBitmap>();
    TPrintBitmap* image = made.get();
    body.AddChild(std::move(made));
    ResetPeak();
    double base = ResidentMb();
    auto t0 = TClock::now();
    image->LoadPictureFile(path);
    auto t1 = TClock::now();
    const double load = Seconds(t0, t1);
    image->SetBoundsRect({10, 0, 55, 300});  // the scan's proportions over the body's 300 mm
    QPainter painter(&window);
    TDrawContext context;
    context.DC = &painter;
    context.Options = doBorders;
    context.ClipRect = {0, 0, window.width(), window.height()};
    t0 = TClock::now();
    image->Draw(context);
    t1 = TClock::now();
    const double first = Seconds(t0, t1);
    t0 = TClock::now();
    for (int i = 0; i < kRedraws; ++i) image->Draw(context);
    t1 = TClock::now();
    painter.end();
    const double redraw = Seconds(t0, t1) / kRedraws;
    const double pathPeak = PeakMb() - base;

    ResetPeak();
    base = ResidentMb();
    t0 = TClock::now();
    DecodeFull(file);
    t1 = TClock::now();
    const double decode = Seconds(t0, t1);
    const double decodePeak = PeakMb() - base;

    state.counters["decode_ms"] = decode * 1e3;
    state.counters["load_ms"] = load * 1e3;
    state.counters["first_redraw_ms"] = first * 1e3;
    state.counters["redraw_ms"] = redraw * 1e3;
    state.counters["redraw_x_decode"] = redraw / decode;
    state.counters["first_x_decode"] = first / decode;
    state.counters["decode_peak_MB"] = decodePeak;
    state.counters["load_draw_peak_MB"] = pathPeak;
    state.counters["stored_MB"] = image->Picture().size() / (1024.0 * 1024.0);
    state.counters["copy_px"] = image->ScaledCopySize().width() * image->ScaledCopySize().height();
  }
}
// One repetition per run: peaks need a heap that has not held the scan yet.
BENCHMARK(BM_RedrawBesideDecode)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  RegisterPictureKinds();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
