// The document area on the shipped curve log template filled from the shipped
// LAS sample (head texts, a depth scale, seven curves over a 500 mm body):
// a full redraw of the window at zoom 1 and 5, beside copying the window's
// pixels once (x_blit); one mouse move of a drag, which draws the outline
// over the rendered document, beside a full redraw in the same iterations
// (x_cheaper: how many moves cost one redraw; renders_per_move must stay 0);
// and frames per second scrolling down a 5 m long sheet of depth scales.
// A move and a redraw each include painting what they changed into the
// window (the pending update requests handled, as the event loop does next).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWidget>
#include <cstring>
#include <string>
#include <typeinfo>

#include "uDocumentArea.h"
#include "uDocumentCommands.h"
#include "uDocumentInput.h"
#include "uKernoChild.h"
#include "uPassportBody.h"
#include "uPrintDocument.h"
#include "uRegistration.h"
#include "uSettings.h"
#include "uThreadClock.h"

namespace {

// A well log sheet: the shipped head and a body of `height` mm at 1:200
// with four depth scales (labels every 10 m, marks every metre).
QByteArray Sheet(int height) {
  QByteArray body = "[Body_1]\nNAME=Logs\nCHILDFLAGS=101\nHEIGHT=" + QByteArray::number(height) + "\n";
  QByteArray scales;
  for (int i = 0; i < 4; ++i) {
    const QByteArray n = QByteArray::number(i + 1);
    body += "OBJECT" + n + "=Scale_" + n + " 2\n";
    scales += "[Scale_" + n + "]\nLEFT=" + QByteArray::number(i * 45) + "\nWIDTH=25\n" +
              "RULLER1=STEP=10 KOEF=5 MARKSIZE=4 RIGHT=1 FONT=1\nRULLER2=STEP=1 KOEF=5 MARKSIZE=1.5 RIGHT=1 FONT=0\n";
  }
  return "[PASSPORT]\nOBJECT1=Head_1 273\nOBJECT2=Body_1 274\n[Head_1]\nNAME=Well\nFILE=well_log.hdr\n" + body + scales;
}

struct TFixture {
  QTemporaryDir Dir;
  TSettings Settings{Dir.filePath(QStringLiteral("Kerno.ini"))};
  TFixture() {
    SetProgramDir(QStringLiteral(KERNO_PROGRAM_DIR));  // the shipped head files
    SetSettings(&Settings);
    RegisterKinds();
  }
  // A document window of 1200 x 900 pixels on the sheet.
  std::unique_ptr<TKernoChild> Window(int height) {
    const QString path = Dir.filePath(QStringLiteral("sheet%1.knt").arg(height));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(Sheet(height));
    f.close();
    return Open(path);
  }
  // A document window on the curve log filled from the LAS sample.
  std::unique_ptr<TKernoChild> CurveLog() {
    const QString path = Dir.filePath(QStringLiteral("curve_log.knd"));
    if (!QFile::exists(path)) {
      QString out, err;
      QTextStream outStream(&out), errStream(&err);
      const QString las = QStringLiteral(KERNO_PROGRAM_DIR "/samples/curve_log_sample.las");
      if (RunFill({QStringLiteral("curve_log.knt"), QStringLiteral("--las"), las, path}, outStream, errStream) != 0)
        return nullptr;
    }
    return Open(path);
  }
  std::unique_ptr<TKernoChild> Open(const QString& path) {
    auto child = std::make_unique<TKernoChild>();
    child->resize(1240, 940);
    child->show();
    QCoreApplication::processEvents();
    if (!child->LoadFile(path)) return nullptr;
    QCoreApplication::processEvents();
    return child;
  }
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

double Timed(const std::function<void()>& work) {
  const TClock::time_point start = TClock::now();
  work();
  return Seconds(start, TClock::now());
}

template <class Work>
double OutsideTimed(benchmark::State& state, Work work) {
  state.PauseTiming();
  const double seconds = Timed(work);
  state.ResumeTiming();
  return seconds;
}

// Copies the rendered pixels once, as showing them in the window does.
void Blit(TDocumentArea* area, QImage* copy) {
  const QImage& buffer = area->Buffer();
  std::memcpy(copy->bits(), buffer.constBits(), static_cast<size_t>(buffer.sizeInBytes()));
}

void SendMove(TDocumentArea* area, QPoint p) {
  QMouseEvent event(QEvent::MouseMove, QPointF(p), area->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(area, &event);
}

// Paints what the last changes left to paint in every window (the area, its
// rulers), as the event loop does after an input event.
void PaintPending() { QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest); }

// Counts the pixels the area, and every widget of its window (the rulers, the
// window's own background), are asked to paint.
class TPaintCounter final : public QObject {
 public:
  explicit TPaintCounter(QWidget* area) : FArea(area) { QCoreApplication::instance()->installEventFilter(this); }
  ~TPaintCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
  double AreaPixels = 0;
  double WindowPixels = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint || !watched->isWidgetType()) return false;
    if (static_cast<QWidget*>(watched)->window() != FArea->window()) return false;
    double pixels = 0;
    for (const QRect& r : static_cast<QPaintEvent*>(event)->region()) pixels += r.width() * r.height();
    WindowPixels += pixels;
    if (watched == FArea) AreaPixels += pixels;
    return false;
  }

 private:
  QWidget* FArea;
};

// The body of the document and a column of it wider than 10 mm.
TPassportBody* Body(TPrintDocument* document) {
  for (int i = 0; i < document->Count(); ++i)
    if (auto* body = dynamic_cast<TPassportBody*>(document->GetChild(i))) return body;
  return nullptr;
}

TPrintObject* Column(TPassportBody* body) {
  for (int i = 0; body && i < body->Count(); ++i)
    if (TPrintObject* c = body->GetChild(i); c && c->GetWidth() > 10) return c;
  return nullptr;
}

void BM_ScreenRedraw(benchmark::State& state) {
  auto child = Fixture().CurveLog();
  if (!child) return state.SkipWithError("the curve log did not load");
  TDocumentArea* area = child->Area();
  area->SetZoom(state.range(0) / 100.0);
  area->SetOrigin(0, 60);
  QImage copy = area->Buffer().copy();
  PaintPending();
  double redraw = 0, blit = 0;
  for (auto _ : state) {
    blit += OutsideTimed(state, [&] { Blit(area, &copy); });
    redraw += Timed([&] {
      area->Repaint();
      PaintPending();
    });
  }
  state.counters["x_blit"] = blit > 0 ? redraw / blit : 0;
  state.counters["pixels"] = area->ViewRect().width() * area->ViewRect().height();
}

void BM_DragOutlineMove(benchmark::State& state) {
  auto child = Fixture().CurveLog();
  // The redraws to compare with run in a window of their own: a redraw here
  // would clear the outline's state between moves, as no real drag does.
  auto other = Fixture().CurveLog();
  if (!child || !other) return state.SkipWithError("the curve log did not load");
  other->Area()->SetOrigin(0, 60);
  TDocumentArea* area = child->Area();
  area->SetOrigin(0, 60);
  TPassportBody* body = Body(child->Document());
  TPrintObject* column = Column(body);
  if (!column) return state.SkipWithError("the body has no column");
  const double y = body->Top() + 60;
  const QPoint from = area->PageToScreen(QPointF(column->Left() + column->GetWidth() / 2, y));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(from), area->mapToGlobal(QPointF(from)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(area, &press);
  if (!child->Selected() || child->Selected() == body) return state.SkipWithError("no column under the mouse");
  PaintPending();
  const int rendered = area->RenderCount();
  TPaintCounter painted(area);
  double move = 0, redraw = 0, inputs = 0, paints = 0;
  int step = 0;
  for (auto _ : state) {
    redraw += OutsideTimed(state, [&] {
      other->Area()->Repaint();
      PaintPending();
    });
    const QPoint to = from + QPoint(++step % 40, 0);
    const double input = Timed([&] { SendMove(area, to); });
    const double paint = Timed(PaintPending);
    inputs += input;
    paints += paint;
    move += input + paint;
  }
  const int renders = area->RenderCount() - rendered;
  const double moves = static_cast<double>(state.iterations());
  state.counters["x_cheaper"] = move > 0 ? redraw / move : 0;
  state.counters["area_px_per_move"] = painted.AreaPixels / moves;
  state.counters["window_px_per_move"] = painted.WindowPixels / moves;
  // Where a move's time goes: the mouse event itself, then the painting.
  state.counters["input_us"] = inputs / moves * 1e6;
  state.counters["paint_us"] = paints / moves * 1e6;
  // The same moves in a row, as a drag makes them, with nothing drawn
  // between: beside the redraws above they show what the other window's
  // redraw before each move costs the move (its rows pushed out of the caches).
  double inRow = 0;
  constexpr int kInRow = 200;
  const int renderedBefore = area->RenderCount();
  for (int i = 0; i < kInRow; ++i) {
    const QPoint to = from + QPoint(++step % 40, 0);
    inRow += Timed([&] {
      SendMove(area, to);
      PaintPending();
    });
  }
  state.counters["renders_per_move"] = (renders + area->RenderCount() - renderedBefore) / (moves + kInRow);
  state.counters["in_row_us"] = inRow / kInRow * 1e6;
  state.counters["x_cheaper_in_row"] = inRow > 0 ? redraw / moves / (inRow / kInRow) : 0;
  const auto* list = dynamic_cast<TPrintObjectList*>(column);
  state.SetLabel(typeid(*column).name() + std::string(" with ") + std::to_string(list ? list->Count() : 0) +
                 " children");
}

void BM_ScrollFiveMetres(benchmark::State& state) {
  auto child = Fixture().Window(5000);
  if (!child) return state.SkipWithError("the sheet did not load");
  TDocumentArea* area = child->Area();
  QImage copy = area->Buffer().copy();
  double frames = 0, seconds = 0, blit = 0;
  for (auto _ : state) {
    // One pass down the whole document, a wheel notch (10 mm) per frame.
    area->SetOrigin(0, area->MinOriginY());
    PaintPending();
    const TClock::time_point start = TClock::now();
    for (int y = area->MinOriginY(); y <= area->MaxOriginY(); y += 10) {
      area->SetOriginY(y);
      PaintPending();
      ++frames;
    }
    seconds += Seconds(start, TClock::now());
    blit += OutsideTimed(state, [&] { Blit(area, &copy); });
  }
  state.counters["fps"] = seconds > 0 ? frames / seconds : 0;
  state.counters["frames"] = frames / static_cast<double>(state.iterations());
  state.counters["x_blit"] = blit > 0 ? seconds / frames / (blit / static_cast<double>(state.iterations())) : 0;
}

BENCHMARK(BM_ScreenRedraw)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragOutlineMove)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollFiveMetres)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  SetSettings(nullptr);
  return 0;
}
