// Drawing curve plots: the polyline through the samples in view, broken at
// missing samples, with the pen of the curve's width, style and selection;
// and drawing by rows, which must paint exactly the pixels of drawing every
// sample with far fewer primitives.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <cmath>
#include <random>

#include "uCurveOutline.h"
#include "uCurvesTestEnv.h"
#include "uPdfPrintTarget.h"

namespace {

constexpr double N = kDefaultNullValue;

// A noisy log with missing stretches and single missing samples; on a
// logarithmic axis also values at and below zero and across decades.
std::vector<double> NoisyLog(int n, unsigned seed, bool logarithmic) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0, 1);
  std::vector<double> v(static_cast<size_t>(n));
  double x = 0;
  for (int i = 0; i < n; ++i) {
    x += noise(rng) * 0.02 + 0.002 * std::sin(i * 0.001);
    double value = logarithmic ? std::pow(10.0, 1 + x) : 60 + 10 * x;
    if (logarithmic && rng() % 40 == 0) value = -value * (rng() % 2);
    if (rng() % 4000 == 0) value = N;
    if (rng() % 9000 == 0) value = std::nan("");
    if (i > n / 6 && i < n / 6 + 700) value = N;
    v[static_cast<size_t>(i)] = value;
  }
  return v;
}

QImage Render(TPrintDiagramm* curve, TCurveDrawing mode, uint32_t options, QSize size, TRect clip) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  TDrawContext c;
  c.DC = &painter;
  c.Options = options;
  c.ClipRect = clip;
  c.OriginY = 1000;
  curve->SetDrawing(mode);
  curve->Draw(c);
  return image;
}

int Painted(const QImage& a) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != qRgb(255, 255, 255);
  return n;
}

int DifferentPixels(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

// Pixels painted in `a` (darker than mid grey) with no painted pixel of `b`
// at or beside them: a stroke drawn in one and not the other, not an edge
// drawn a pixel wider.
int StrayPixels(const QImage& a, const QImage& b) {
  const auto painted = [](const QImage& image, int x, int y) {
    return x >= 0 && y >= 0 && x < image.width() && y < image.height() && qGray(image.pixel(x, y)) < 128;
  };
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      if (!painted(a, x, y)) continue;
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy)
        for (int dx = -1; dx <= 1 && !near; ++dx) near = qGray(b.pixel(x, y)) < 255 || painted(b, x + dx, y + dy);
      n += !near;
    }
  return n;
}

}  // namespace

using CurveDrawTest = TCurvesTest;

// 20,000 samples in view over 760 rows: each row is drawn from its outline.
// Solid pens of every width paint what the polyline through every sample
// paints, on both axes, in a partial clip too.
TEST_F(CurveDrawTest, DrawingByRowsPaintsTheSamePixelsAsEverySample) {
  const struct {
    bool Log;
    double LineWidth;
    bool Selected;
    double Measure;
  } cases[] = {{false, 0, false, 5}, {false, 0.5, false, 20}, {false, 1.3, true, 8}, {false, 0, true, 500},
               {true, 0, false, 2},  {true, 0.55, false, 1},  {true, 1, true, 4},    {true, 2, false, 0.3}};
  const QSize size(800, 760);
  for (const auto& k : cases) {
    TTestBody body(200);  // 5 mm per metre; the view starts at page y 1000, depth 200
    const auto seed = static_cast<unsigned>(7 + k.Measure * 10);
    TPrintDiagramm* c = body.AddCurve(20, 195, 0.002, NoisyLog(60000, seed, k.Log));
    c->SetLogarithmic(k.Log);
    c->SetMeasure(k.Measure);
    c->SetLineWidth(k.LineWidth);
    c->SetSelected(k.Selected);
    for (const TRect clip : {TRect{0, 0, 800, 760}, TRect{0, 133, 800, 517}}) {
      const uint32_t options = doBorders | doSelection;
      const QImage rows = Render(c, TCurveDrawing::Auto, options, size, clip);
      const QImage every = Render(c, TCurveDrawing::EverySample, options, size, clip);
      EXPECT_EQ(DifferentPixels(rows, every), 0)
          << "log " << k.Log << " width " << k.LineWidth << " measure " << k.Measure << " clip " << clip.Top
          << " (images: " << SaveDebugPng(rows, "curve-rows").toStdString() << ", "
          << SaveDebugPng(every, "curve-every").toStdString() << ")";
      EXPECT_GT(Painted(rows), 500) << "log " << k.Log << " measure " << k.Measure << " clip " << clip.Top;
    }
    // The same rows on a new axis reuse their outlines; samples changed in
    // place (the gaps filled) do not.
    const TRect clip{0, 0, 800, 760};
    c->SetMeasure(k.Measure * 1.7);
    c->SetLeft(c->Left() + 3);
    EXPECT_EQ(DifferentPixels(Render(c, TCurveDrawing::Auto, doBorders, size, clip),
                              Render(c, TCurveDrawing::EverySample, doBorders, size, clip)),
              0)
        << "new axis, log " << k.Log;
    Render(c, TCurveDrawing::Auto, doBorders, size, clip);
    c->Interpolate();
    EXPECT_EQ(DifferentPixels(Render(c, TCurveDrawing::Auto, doBorders, size, clip),
                              Render(c, TCurveDrawing::EverySample, doBorders, size, clip)),
              0)
        << "interpolated, log " << k.Log;
  }
}

// A PDF page keeps the geometry (one polyline per stretch, each point once)
// and is rasterised by the reader: drawn by rows it prints, at the page's
// resolution, what drawing every sample prints, with a fraction of the points.
TEST_F(CurveDrawTest, PdfDrawnByRowsPrintsLikeEverySample) {
  const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
  if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm (poppler-utils) not installed: pages not compared";
  QTemporaryDir dir;
  const auto print = [&](TPrintDiagramm* c, TCurveDrawing mode, const QString& name) {
    const QString path = dir.filePath(name + ".pdf");
    // 60 x 40 mm at 600 dpi: 945 rows for 8 m of depth, about 8 samples a row.
    TPdfPrintTarget target(path, QPageSize(QSizeF(60, 40), QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
    EXPECT_TRUE(target.BeginJob(QStringLiteral("curve")));
    TDrawContext context;
    context.DC = target.Painter();
    context.OriginY = 1000;
    context.Options = doBorders;
    context.ClipRect = {0, 0, context.DC->device()->width(), context.DC->device()->height()};
    c->SetDrawing(mode);
    c->Draw(context);
    EXPECT_TRUE(target.EndJob()) << target.ErrorText().toStdString();
    QProcess p;
    p.start(pdftoppm, {"-r", "600", "-gray", "-png", "-singlefile", path, dir.filePath(name)});
    EXPECT_TRUE(p.waitForFinished(60000));
    return std::make_pair(QImage(dir.filePath(name + ".png")), QFileInfo(path).size());
  };
  const struct {
    bool Log;
    double LineWidth;
  } cases[] = {{false, 0}, {false, 0.3}, {true, 0}, {true, 0.5}};
  for (const auto& k : cases) {
    TTestBody body(200);  // 5 mm per metre; the page starts at page y 1000, depth 200
    TPrintDiagramm* c = body.AddCurve(5, 199, 0.001, NoisyLog(11000, 5 + k.Log, k.Log));
    c->SetLogarithmic(k.Log);
    c->SetMeasure(k.Log ? 1 : 20);
    c->SetLineWidth(k.LineWidth);
    const auto [rows, rowsSize] = print(c, TCurveDrawing::Auto, "rows");
    const auto [every, everySize] = print(c, TCurveDrawing::EverySample, "every");
    ASSERT_FALSE(rows.isNull());
    ASSERT_EQ(rows.size(), every.size());
    // A failure message is only built when its check fails, so the pictures
    // are written then alone: a passing run leaves nothing in the working folder.
    const std::string trace = "log " + std::to_string(k.Log) + " width " + std::to_string(k.LineWidth);
    const auto images = [&] {
      return " (images: " + SaveDebugPng(rows, "pdf-rows").toStdString() + ", " +
             SaveDebugPng(every, "pdf-every").toStdString() + ")";
    };
    if (k.LineWidth == 0) {
      // Hairlines are the union of their segments in any reader.
      EXPECT_EQ(DifferentPixels(rows, every), 0) << trace << images();
    } else {
      // The reader draws round joins as curves: where the two paths turn at
      // different angles, single pixels on the stroke's edge may differ.
      EXPECT_EQ(StrayPixels(rows, every) + StrayPixels(every, rows), 0) << trace << images();
      EXPECT_LT(DifferentPixels(rows, every) * 100, Painted(rows)) << trace << images();
    }
    EXPECT_GT(Painted(rows), 5000) << trace;
    EXPECT_LT(rowsSize, everySize) << "drawn by rows: " << trace;
  }
}

// The primitives drawn grow with the rows, not with the samples: a million
// samples in 500 rows take at most a segment into each row and its span.
TEST_F(CurveDrawTest, DrawingByRowsIsBoundedByTheRows) {
  TTestBody body(200);
  std::vector<double> values(1000000);
  for (size_t i = 0; i < values.size(); ++i) values[i] = 50 + 30 * std::sin(static_cast<double>(i) * 0.37);
  values[500000] = N;
  TPrintDiagramm* c = body.AddCurve(10, 0, 0.0001, std::move(values));  // 100 m: 500 mm
  TRecordingDevice device(QSize(400, 500), 254);
  QPainter painter(&device);
  TDrawContext context;
  context.DC = &painter;
  context.Zoom = 0.1f;  // 1 px per mm: one row per 0.2 m, 200 samples
  context.Options = doBorders;
  context.ClipRect = {0, 0, 400, 500};
  c->Draw(context);
  // A segment into each row and the span of the row (a one-pixel-high rectangle).
  const size_t lines = device.Lines().size(), spans = device.Count(TRecordKind::Rect);
  EXPECT_GT(lines, 400u);
  // 501 rows, and the row that the missing sample splits in two.
  EXPECT_LE(lines, 502u);
  EXPECT_LE(spans, 502u);
  EXPECT_EQ(device.Count(TRecordKind::Polygon) + device.Count(TRecordKind::Path), 0u);
}

TEST_F(CurveDrawTest, PolylineBreaksAtMissingSamplesAndNeedsTwoSamplesInView) {
  TTestBody body(200);
  TPrintDiagramm* c = body.AddCurve(10, 0, 1, {5, 10, N, 20, 25, 30, N, 40});
  c->SetMeasure(10);    // one unit per mm
  TRecordingPage page;  // 10 px per mm
  TDrawContext context = page.Context();
  c->Draw(context);
  // Every sample in view (fewer than the rows): pieces 0-1 and 3-5; sample 7 alone draws nothing.
  std::vector<std::vector<QPointF>> pieces;
  for (const TRecordedItem& item : page.Device.Items()) {
    if (item.Kind == TRecordKind::Polygon) pieces.push_back({item.Polygon.begin(), item.Polygon.end()});
    if (item.Kind == TRecordKind::Line) pieces.push_back({item.Line.p1(), item.Line.p2()});
  }
  // Hairlines are drawn as segments: 0-1, 3-4, 4-5.
  ASSERT_EQ(pieces.size(), 3u) << page.Device.Dump();
  EXPECT_EQ(pieces[0], (std::vector<QPointF>{{150, 0}, {200, 50}}));
  EXPECT_EQ(pieces[1], (std::vector<QPointF>{{300, 150}, {350, 200}}));
  EXPECT_EQ(pieces[2], (std::vector<QPointF>{{350, 200}, {400, 250}}));

  // A view of the rows around one sample draws the segments that cross it
  // (a page break or a repainted band must not cut the curve short)...
  page.Device.Clear();
  context.ClipRect = {0, 140, 3000, 160};
  c->Draw(context);
  ASSERT_EQ(page.Device.Items().size(), 1u) << page.Device.Dump();
  EXPECT_EQ(page.Device.Items()[0].Line, QLineF(300, 150, 350, 200));
  page.Device.Clear();
  context.ClipRect = {0, 160, 3000, 190};  // between samples 3 and 4: only their segment
  c->Draw(context);
  ASSERT_EQ(page.Device.Items().size(), 1u) << page.Device.Dump();
  EXPECT_EQ(page.Device.Items()[0].Line, QLineF(300, 150, 350, 200));
  // ... and a sample whose neighbours are missing draws nothing.
  page.Device.Clear();
  context.ClipRect = {0, 340, 3000, 360};
  c->Draw(context);
  EXPECT_TRUE(page.Device.Items().empty()) << page.Device.Dump();
  // Nor does a view above the body's start depth.
  TTestBody deeper(200, 5);
  TPrintDiagramm* d = deeper.AddCurve(10, 0, 1, {5, 10, 15, 20});
  page.Device.Clear();
  context.ClipRect = {0, 0, 3000, 3000};
  d->Draw(context);
  EXPECT_TRUE(page.Device.Items().empty()) << "depths 0-3 lie above the body's start at 5";
}

TEST_F(CurveDrawTest, PenFollowsWidthStyleSelectionAndOptions) {
  TTestBody body(200);
  TPrintDiagramm* c = body.AddCurve(10, 0, 1, {5, 10, 15});
  c->SetColor(0x0000FF);
  TRecordingPage page;  // 254 dpi
  const auto pen = [&](uint32_t options) -> const TRecordedState* {
    page.Device.Clear();
    TDrawContext context = page.Context(options);
    c->Draw(context);
    return page.Device.Items().empty() ? nullptr : &page.Device.Items().front().State;
  };
  const TRecordedState* s = pen(doBorders);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->PenColor, QColor(Qt::red));
  EXPECT_TRUE(s->Cosmetic);
  EXPECT_EQ(s->PenDeviceWidth, 1);
  EXPECT_EQ(pen(doFrames)->PenColor, QColor(Qt::black)) << "outline views draw black";
  EXPECT_EQ(pen(doSelection), nullptr) << "selection marks alone draw only selected curves";
  c->SetSelected(true);
  EXPECT_EQ(pen(doSelection)->PenDeviceWidth, 2);

  c->SetSelected(false);
  c->SetLineWidth(0.5);  // 5 px at 254 dpi
  EXPECT_EQ(pen(doBorders)->PenDeviceWidth, 5);
  c->SetLineStyle(psDash);
  s = pen(doBorders);
  EXPECT_FALSE(s->Cosmetic);
  EXPECT_EQ(s->PenStyle, Qt::DashLine);
  EXPECT_EQ(s->Cap, Qt::FlatCap);
  c->SetLineStyle(9);  // unknown styles draw solid
  EXPECT_EQ(pen(doBorders)->PenStyle, Qt::SolidLine);
  // A width from a damaged file does not make a pen of millions of pixels.
  c->SetLineWidth(1e12);
  EXPECT_LE(pen(doBorders)->PenDeviceWidth, 4096);

  c->SetWidth(0);
  EXPECT_EQ(pen(doBorders), nullptr) << "no width, no drawing";
}

// Shapes of runs merged from the tree of blocks are those of the run read
// sample by sample, whatever range is asked, missing samples included.
TEST_F(CurveDrawTest, RunShapesFromTheTreeMatchTheRunReadWhole) {
  std::mt19937 rng(3);
  for (int round = 0; round < 400; ++round) {
    const int n = 2 + static_cast<int>(rng() % 3000);
    std::vector<double> v(static_cast<size_t>(n));
    for (double& x : v) x = rng() % 5000 == 0 ? N : static_cast<double>(rng() % 1000) - 500;
    const bool logarithmic = round % 2 == 1;
    TCurveOutline outline;
    outline.Build(v.data(), n, N, logarithmic);
    const int64_t a = rng() % n, b = a + rng() % (n - a);
    const TRunShape whole = outline.ScanShape(a, b), tree = outline.Shape(a, b);
    ASSERT_EQ(whole.Broken, tree.Broken) << a << ".." << b;
    if (whole.Broken) continue;
    EXPECT_EQ(tree.First, SampleKey(v[a], logarithmic));
    EXPECT_EQ(tree.Last, SampleKey(v[b], logarithmic));
    EXPECT_EQ(tree.Low, whole.Low);
    EXPECT_EQ(tree.High, whole.High);
  }
  // On a logarithmic axis values at and below zero stand where 1 stands.
  std::vector<double> v{5, -3, 0.5, 0, 7};
  TCurveOutline outline;
  outline.Build(v.data(), 5, N, true);
  double keys[4];
  ASSERT_EQ(OutlineKeys(outline.Shape(0, 4), keys), 4);
  EXPECT_EQ((std::vector<double>(keys, keys + 4)), (std::vector<double>{5, 0.5, 7, 7}));
  outline.Build(v.data(), 5, N, false);
  ASSERT_EQ(OutlineKeys(outline.Shape(1, 3), keys), 4);
  EXPECT_EQ((std::vector<double>(keys, keys + 4)), (std::vector<double>{-3, -3, 0.5, 0}));
}
