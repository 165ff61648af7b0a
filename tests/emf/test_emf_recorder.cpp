// Round trips: what QPainter draws into the recorder plays back looking like the same drawing
// made directly into an image.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <functional>

#include "emfTestUtil.h"
#include "uEmfPlayer.h"
#include "uEmfRecorder.h"

namespace {

constexpr int kPx = 200;
const QSizeF kSizeMM(kPx * 25.4 / 96, kPx * 25.4 / 96);

using TDraw = std::function<void(QPainter&)>;

QImage Direct(const TDraw& draw, int px = kPx) {
  QImage img(px, px, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  draw(p);
  p.end();
  return img;
}

std::unique_ptr<TEmfDocument> Record(const TDraw& draw, QSizeF mm = kSizeMM) {
  TEmfRecorder rec(mm);
  QPainter p(&rec);
  draw(p);
  p.end();
  return rec.Finish();
}

QImage ViaEmf(const TDraw& draw, const QString& name) {
  auto doc = Record(draw);
  EXPECT_TRUE(doc) << name.toStdString();
  if (!doc) return {};
  bool ok = false;
  QImage img = Render(*doc, kPx, kPx, true, &ok);
  EXPECT_TRUE(ok) << name.toStdString();
  // Direct drawing on the left, through EMF on the right, for looking at.
  QImage pair(2 * kPx + 4, kPx, QImage::Format_RGB32);
  pair.fill(Qt::gray);
  QPainter pp(&pair);
  pp.drawImage(0, 0, Direct(draw));
  pp.drawImage(kPx + 4, 0, img);
  pp.end();
  pair.save(OutputDir() + "/roundtrip-" + name + ".png");
  return img;
}

}  // namespace

TEST(EmfRecorder, FrameAndSizeFollowTheRequest) {
  auto doc = Record([](QPainter& p) { p.fillRect(QRectF(10, 10, 20, 20), Qt::red); }, QSizeF(40, 25));
  ASSERT_TRUE(doc);
  EXPECT_NEAR(doc->NaturalSizeMM().width(), 40, 0.01);
  EXPECT_NEAR(doc->NaturalSizeMM().height(), 25, 0.01);
  EXPECT_EQ(doc->Header().FrameRight, 4000);
  // The bounds cover what was drawn (device pixels).
  EXPECT_LE(doc->Header().BoundsLeft, 10);
  EXPECT_GE(doc->Header().BoundsRight, 29);  // inclusive
  // A recorder still painting has nothing to hand out.
  TEmfRecorder rec(QSizeF(10, 10));
  QPainter p(&rec);
  EXPECT_EQ(rec.Finish(), nullptr);
  p.end();
  EXPECT_NE(rec.Finish(), nullptr);
}

// The recording's resolution changes its device units, not the picture: the same drawing
// recorded at 96 and at 300 dpi plays the same.
TEST(EmfRecorder, ResolutionDoesNotChangeThePicture) {
  auto draw = [](QPainter& p) {
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QBrush(Qt::blue, Qt::CrossPattern));
    p.drawEllipse(QRectF(20, 20, 160, 100));
    QFont f("Liberation Sans");
    f.setPixelSize(20);  // points would follow the device's dpi, as on any QPaintDevice
    p.setFont(f);
    p.drawText(QPointF(30, 170), "Dolomite");
  };
  std::unique_ptr<TEmfDocument> docs[2];
  int i = 0;
  for (int dpi : {96, 300}) {
    TEmfRecorder rec(kSizeMM, dpi);
    ASSERT_EQ(rec.WidthPx(), qRound(kPx * dpi / 96.0));
    QPainter p(&rec);
    p.scale(dpi / 96.0, dpi / 96.0);
    draw(p);
    p.end();
    docs[i] = rec.Finish();
    ASSERT_TRUE(docs[i]);
    EXPECT_NEAR(docs[i]->NaturalSizeMM().width(), kSizeMM.width(), 0.01);
    ++i;
  }
  QImage a = Render(*docs[0], kPx, kPx, true), b = Render(*docs[1], kPx, kPx, true);
  a.save(OutputDir() + "/dpi-96.png");
  b.save(OutputDir() + "/dpi-300.png");
  EXPECT_LT(MeanDifference(a, b), 3.0);
  EXPECT_LT(MeanDifference(a, Direct(draw)), 3.0);
}

// Each group of primitives must survive the trip (tolerant mean pixel difference).
TEST(EmfRecorder, PrimitivesRoundTrip) {
  struct TCase {
    const char* Name;
    TDraw Draw;
    double Bound;
  };
  QImage tile(8, 8, QImage::Format_RGB32);
  tile.fill(Qt::yellow);
  for (int i = 0; i < 8; ++i) tile.setPixel(i, i, qRgb(0, 0, 255));
  std::vector<TCase> cases = {
      {"shapes",
       [](QPainter& p) {
         p.setPen(QPen(Qt::black, 3));
         p.setBrush(QColor(200, 30, 30));
         p.drawRect(QRectF(20, 20, 70, 50));
         p.setBrush(QColor(30, 160, 30));
         p.drawEllipse(QRectF(110, 20, 70, 50));
         p.setPen(Qt::NoPen);
         p.setBrush(Qt::blue);
         p.drawPolygon(QPolygonF({QPointF(20, 180), QPointF(60, 100), QPointF(100, 180)}));
         p.setPen(QPen(Qt::darkMagenta, 0));
         p.setBrush(Qt::NoBrush);
         p.drawRoundedRect(QRectF(120, 110, 60, 60), 10, 10);
       },
       2.0},
      {"lines",
       [](QPainter& p) {
         QPen pen(Qt::black, 4, Qt::DashLine, Qt::FlatCap);
         p.setPen(pen);
         p.drawLine(QPointF(10, 20), QPointF(190, 20));
         pen.setStyle(Qt::DotLine);
         pen.setCapStyle(Qt::RoundCap);
         p.setPen(pen);
         p.drawLine(QPointF(10, 50), QPointF(190, 50));
         pen.setStyle(Qt::DashDotLine);
         pen.setCapStyle(Qt::FlatCap);
         pen.setColor(Qt::red);
         p.setPen(pen);
         p.drawPolyline(QPolygonF({QPointF(10, 80), QPointF(100, 120), QPointF(190, 80)}));
         pen = QPen(Qt::blue, 10, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
         p.setPen(pen);
         p.drawPolyline(QPolygonF({QPointF(20, 190), QPointF(60, 140), QPointF(100, 190)}));
         pen.setCapStyle(Qt::RoundCap);
         pen.setWidthF(8);
         p.setPen(pen);
         p.drawLine(QPointF(150, 160), QPointF(150, 160));  // a dot
         p.setPen(QPen(Qt::darkGreen, 0));
         p.drawLine(QPointF(120, 130), QPointF(190, 190));
       },
       2.5},
      {"paths",
       [](QPainter& p) {
         QPainterPath path;
         path.moveTo(20, 100);
         path.cubicTo(60, 0, 140, 200, 180, 100);
         path.closeSubpath();
         path.addEllipse(QRectF(80, 80, 40, 40));
         p.setPen(QPen(Qt::black, 2));
         p.setBrush(QColor(240, 180, 40));
         p.drawPath(path);
         p.translate(100, 160);
         p.rotate(30);
         p.setBrush(QColor(40, 40, 200));
         p.drawRect(QRectF(-30, -15, 60, 30));
       },
       2.0},
      {"hatches",
       [](QPainter& p) {
         p.setPen(Qt::NoPen);
         const Qt::BrushStyle styles[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                          Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
         for (int i = 0; i < 6; ++i) {
           p.setBrush(QBrush(Qt::black, styles[i]));
           p.drawRect(QRect(10 + (i % 3) * 64, 10 + (i / 3) * 90, 56, 80));
         }
       },
       3.0},
      {"text",
       [](QPainter& p) {
         QFont f("Liberation Sans");
         f.setPixelSize(28);
         p.setFont(f);
         p.setPen(Qt::black);
         p.drawText(QPointF(10, 40), "Sandstone 12");
         f.setBold(true);
         f.setItalic(true);
         p.setFont(f);
         p.setPen(Qt::darkRed);
         p.drawText(QPointF(10, 90), "Limestone");
         p.translate(40, 190);
         p.rotate(-30);
         f = QFont("Liberation Serif");
         f.setPixelSize(24);
         p.setFont(f);
         p.setPen(Qt::blue);
         p.drawText(QPointF(0, 0), "Shale");
       },
       4.0},
      {"images",
       [tile](QPainter& p) {
         p.drawImage(QRectF(10, 10, 80, 80), tile);
         QImage alpha(20, 20, QImage::Format_ARGB32);
         alpha.fill(QColor(255, 0, 0, 128));
         p.fillRect(QRectF(100, 100, 80, 80), Qt::green);
         p.drawImage(QRectF(120, 120, 40, 40), alpha);
         p.setBrush(QBrush(tile));
         p.setPen(Qt::NoPen);
         p.drawRect(QRectF(10, 110, 64, 64));
         p.translate(150, 50);
         p.rotate(30);
         p.drawImage(QRectF(-30, -20, 60, 40), tile);  // through a world transform
       },
       3.0},
      {"clip",
       [](QPainter& p) {
         p.setClipRect(QRectF(50, 50, 100, 100));
         p.fillRect(QRectF(0, 0, 200, 200), QColor(20, 120, 200));
         QPainterPath circle;
         circle.addEllipse(QRectF(20, 20, 80, 80));
         p.setClipPath(circle);
         p.fillRect(QRectF(0, 0, 200, 200), Qt::red);
         p.setClipping(false);
         p.fillRect(QRectF(160, 160, 30, 30), Qt::black);
       },
       2.0},
  };
  for (const TCase& c : cases) {
    QImage via = ViaEmf(c.Draw, c.Name);
    QImage direct = Direct(c.Draw);
    double diff = MeanDifference(direct, via);
    EXPECT_LT(diff, c.Bound) << c.Name;
    // Something was drawn at all (a blank picture would pass a loose bound on sparse cases).
    EXPECT_LT(Coverage(via, via.rect(), Qt::white, 8), 0.98) << c.Name;
  }
}

// The lithology patterns keep their look when turned into EMF through the recorder.
TEST(EmfRecorder, FgdcPatternsRoundTrip) {
  if (!HaveSharedData("patterns-fgdc")) GTEST_SKIP() << "shared data not present";
  QDir dir(SharedData("patterns-fgdc"));
  QStringList files = dir.entryList({"*.svg"}, QDir::Files);
  ASSERT_GT(files.size(), 100);
  // 256 px: at smaller sizes most strokes are thinner than a pixel and the painter's
  // antialiasing of such hairlines depends on the transform they were drawn under, not on
  // what the metafile holds.
  const int px = qEnvironmentVariableIntValue("FGDC_PX") > 0 ? qEnvironmentVariableIntValue("FGDC_PX") : 256;
  double worst = 0, total = 0;
  QString worstName;
  int shown = 0;
  for (const QString& f : files) {
    QSvgRenderer svg(dir.filePath(f));
    ASSERT_TRUE(svg.isValid()) << f.toStdString();
    TDraw draw = [&](QPainter& p) { svg.render(&p, QRectF(0, 0, px, px)); };
    QImage direct(px, px, QImage::Format_ARGB32_Premultiplied);
    direct.fill(Qt::white);
    {
      QPainter p(&direct);
      p.setRenderHint(QPainter::Antialiasing);
      draw(p);
    }
    auto doc = Record(draw, QSizeF(px * 25.4 / 96, px * 25.4 / 96));
    ASSERT_TRUE(doc) << f.toStdString();
    QImage via = Render(*doc, px, px, true);
    double diff = MeanDifference(direct, via);
    total += diff;
    if (diff > worst) worst = diff, worstName = f;
    if (f == "703.svg" || f == "717.svg" || f == "633.svg" || shown++ < 4) {
      // Direct rendering on the left, through EMF on the right.
      QImage pair(2 * px + 4, px, QImage::Format_RGB32);
      pair.fill(Qt::gray);
      QPainter pp(&pair);
      pp.drawImage(0, 0, direct);
      pp.drawImage(px + 4, 0, via);
      pp.end();
      pair.scaled(pair.size() * 3).save(OutputDir() + "/fgdc-" + QFileInfo(f).completeBaseName() + ".png");
    }
    EXPECT_LT(diff, 6.0) << f.toStdString();
  }
  double mean = total / files.size();
  EXPECT_LT(mean, 1.5);
  std::printf("FGDC round trip: mean difference %.2f, worst %.2f (%s)\n", mean, worst, qPrintable(worstName));
}
