// Drawing: the page-to-pixel mapping, outlines, selection marks and the
// order in which lists draw, checked through the recording paint device.
#include <QImage>
#include <QPainter>
#include <climits>
#include <functional>
#include <vector>

#include "uDirectPixels.h"
#include "uModelTestEnv.h"
#include "uPrintObjectList.h"
#include "uRecordingDevice.h"

namespace {

// 254 dpi: exactly 10 pixels per millimetre.
TDrawContext Context(QPainter* painter, uint32_t options) {
  TDrawContext c;
  c.DC = painter;
  c.Options = options;
  c.ClipRect = {0, 0, 4000, 4000};
  return c;
}

}  // namespace

using DrawingTest = TModelTest;

TEST_F(DrawingTest, MappingRoundsTiesToEvenWithSinglePrecisionFactors) {
  TRecordingDevice device(QSize(100, 100), 254);
  QPainter painter(&device);
  TDrawContext c = Context(&painter, 0);
  EXPECT_EQ(c.PixelX(0.25), 2);
  EXPECT_EQ(c.PixelX(0.35), 4);
  EXPECT_EQ(c.PixelX(-0.25), -2);
  c.OriginX = 5;
  c.OriginY = -3;
  c.Zoom = 1.5f;
  EXPECT_EQ(c.PixelX(10), 75);
  EXPECT_EQ(c.PixelY(0), 45);
  EXPECT_DOUBLE_EQ(c.PageX(75), 10);
  // 96 dpi: kx is 96 / 25.4 taken in single precision.
  TRecordingDevice screen(QSize(100, 100), 96);
  QPainter p96(&screen);
  TDrawContext s = Context(&p96, 0);
  EXPECT_EQ(s.Kx(), static_cast<float>(96 / 25.4));
  EXPECT_EQ(s.PixelX(10), 38);
  TDrawContext none;
  EXPECT_EQ(none.DpiX(), 96);

  // Pixel edges of a damaged size (a depth of 1e300 mm maps to the int range's
  // end) make a Qt rectangle whose arithmetic stays within int.
  const QRect far = ToQRect(TRect{INT32_MIN, -5, INT32_MAX, INT32_MIN});
  EXPECT_EQ(far.left(), -(1 << 28));
  EXPECT_EQ(far.width(), 1 << 29);
  EXPECT_EQ(far.top(), -5);
  EXPECT_EQ(far.height(), -(1 << 28) + 5);
  EXPECT_EQ(ToQRect(TRect{3, 4, 13, 24}), QRect(3, 4, 10, 20));
}

TEST_F(DrawingTest, SelectionMarksSitOnCornersAndEdgeMidpoints) {
  TRecordingDevice device(QSize(1000, 1000), 254);
  QPainter painter(&device);
  painter.setPen(QPen(Qt::red, 0));
  TDrawContext c = Context(&painter, doSelection);
  TPrintObject o;
  o.SetBoundsRect({10, 20, 20.5, 30});  // pixels 100..205 x 200..300
  o.SetSelected(true);
  o.Draw(c);
  const auto rects = device.Rects();
  ASSERT_EQ(rects.size(), 8u) << device.Dump();
  // Midpoints by integer halving of the pixel width (105 / 2 = 52).
  for (QPoint p : {QPoint(100, 200), QPoint(152, 200), QPoint(205, 200), QPoint(205, 250), QPoint(205, 300),
                   QPoint(152, 300), QPoint(100, 300), QPoint(100, 250)})
    EXPECT_NE(device.FindRect(QRectF(p.x() - 2, p.y() - 2, 3, 3)), nullptr) << p.x() << "," << p.y() << "\n"
                                                                            << device.Dump();
  // The outline: right and bottom lines one pixel inside, dashed, black.
  const auto polygons = device.OfKind(TRecordKind::Polygon);
  ASSERT_EQ(polygons.size(), 1u) << device.Dump();
  const QPolygonF expected(
      {QPointF(100, 200), QPointF(204, 200), QPointF(204, 299), QPointF(100, 299), QPointF(100, 200)});
  EXPECT_EQ(polygons[0]->Polygon, expected);
  EXPECT_EQ(polygons[0]->State.PenStyle, Qt::DashLine);
  EXPECT_EQ(polygons[0]->State.PenColor, QColor(Qt::black));
  EXPECT_EQ(painter.pen().color(), QColor(Qt::red)) << "the previous pen is restored";
}

TEST_F(DrawingTest, NothingIsDrawnForZeroSizeUnselectedOrClippedObjects) {
  TRecordingDevice device(QSize(1000, 1000), 254);
  QPainter painter(&device);
  TDrawContext c = Context(&painter, doSelection | doFrames | doBorders);
  TPrintObject flat;
  flat.SetBoundsRect({10, 10, 30, 10});
  flat.SetSelected(true);
  flat.Draw(c);
  TPrintObject thin;
  thin.SetBoundsRect({10, 10, 10, 30});
  thin.SetSelected(true);
  thin.Draw(c);
  EXPECT_TRUE(device.Items().empty()) << "zero-size objects draw nothing, not even selection marks\n" << device.Dump();
  TPrintObject far;
  far.SetBoundsRect({10, 10, 20, 20});
  far.SetSelected(true);
  far.SetBorder(false);
  c.Options = doSelection;
  c.ClipRect = {500, 500, 600, 600};
  far.Draw(c);
  EXPECT_TRUE(device.Items().empty()) << "selection outside the repainted area";
}

TEST_F(DrawingTest, FramesAndBordersFollowTheOptions) {
  TRecordingDevice device(QSize(1000, 1000), 254);
  QPainter painter(&device);
  TPrintObject o;
  o.SetBoundsRect({1, 1, 2, 2});
  TDrawContext frames = Context(&painter, doFrames);
  o.Draw(frames);
  EXPECT_EQ(device.Count(TRecordKind::Polygon), 1u);
  device.Clear();
  TDrawContext borders = Context(&painter, doBorders);
  o.Draw(borders);
  EXPECT_EQ(device.Count(TRecordKind::Polygon), 1u);
  device.Clear();
  o.SetBorder(false);
  o.Draw(borders);
  EXPECT_TRUE(device.Items().empty());
}

TEST_F(DrawingTest, OutlineCoversTheRectanglesLastPixels) {
  QImage image(40, 40, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setPen(CosmeticPen(Qt::black));
    DrawOutline(&painter, {10, 10, 20, 25});
  }
  const QRgb black = qRgb(0, 0, 0);
  EXPECT_EQ(image.pixel(10, 10), black);
  EXPECT_EQ(image.pixel(19, 10), black);
  EXPECT_NE(image.pixel(20, 10), black) << "the right edge is exclusive";
  EXPECT_EQ(image.pixel(19, 24), black);
  EXPECT_NE(image.pixel(19, 25), black) << "the bottom edge is exclusive";
  EXPECT_EQ(image.pixel(10, 24), black);
  EXPECT_NE(image.pixel(15, 15), black);
}

// On a plain raster image the outline is filled, not stroked: the pixels must
// stay those of Qt's stroke of the same polyline, under a translation and a
// clip, for thin and degenerate rectangles alike.
TEST_F(DrawingTest, FilledOutlinesMatchQtsStrokeOnRasterImages) {
  const std::vector<TRect> rects = {{10, 10, 20, 25}, {5, 5, 6, 30},    {5, 5, 30, 6},    {7, 7, 9, 9},
                                    {3, 3, 4, 4},     {-5, 12, 70, 50}, {20, 30, 21, 31}, {0, 0, 60, 60}};
  const auto draw = [](const TRect& r, QImage::Format format, const QPen& pen, bool viaOutline) {
    QImage image(64, 64, format);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(3, -2);
    painter.setClipRect(QRect(0, 8, 50, 40));
    painter.setPen(pen);
    if (viaOutline) {
      DrawOutline(&painter, r);
    } else {
      const QPoint points[5] = {QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Top), QPoint(r.Right - 1, r.Bottom - 1),
                                QPoint(r.Left, r.Bottom - 1), QPoint(r.Left, r.Top)};
      painter.drawPolyline(points, 5);
    }
    painter.end();
    return image;
  };
  QPen wide(QColor(200, 30, 40), 1);
  wide.setCosmetic(true);
  for (const QPen& pen : {CosmeticPen(Qt::black), CosmeticPen(QColor(0, 128, 255)), wide})
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied})
      for (const TRect& r : rects)
        EXPECT_EQ(draw(r, format, pen, true), draw(r, format, pen, false))
            << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << " format " << format;
}

TEST_F(DrawingTest, ListsDrawThemselvesThenChildrenInOrder) {
  TRecordingDevice device(QSize(1000, 1000), 254);
  QPainter painter(&device);
  TDrawContext c = Context(&painter, doFrames);
  TPrintObjectList list;
  for (int i = 0; i < 3; ++i) {
    auto o = std::make_unique<TPrintObject>();
    o->SetBoundsRect({10.0 + i * 10, 10, 15.0 + i * 10, 15});
    list.AddChild(std::move(o));
  }
  list.Changed();
  list.Draw(c);
  const auto polygons = device.OfKind(TRecordKind::Polygon);
  ASSERT_EQ(polygons.size(), 4u);
  EXPECT_EQ(polygons[0]->Polygon.first(), QPointF(0, 0)) << "the list grew from the origin";
  EXPECT_EQ(polygons[0]->Polygon[2], QPointF(349, 149));
  EXPECT_EQ(polygons[1]->Polygon.first(), QPointF(100, 100));
  EXPECT_EQ(polygons[2]->Polygon.first(), QPointF(200, 100));
  EXPECT_EQ(polygons[3]->Polygon.first(), QPointF(300, 100));
}

TEST_F(DrawingTest, GdiPensBrushesAndText) {
  // Simple pens wider than a pixel draw solid, as the platform's do.
  EXPECT_EQ(CosmeticPen(Qt::black, psDot, 1).style(), Qt::DotLine);
  EXPECT_EQ(CosmeticPen(Qt::black, psDot, 3).style(), Qt::SolidLine);
  EXPECT_EQ(CosmeticPen(Qt::black, psClear, 3).style(), Qt::NoPen);
  EXPECT_EQ(GeometricPen(Qt::black, psDashDot, 4).style(), Qt::DashDotLine);
  EXPECT_EQ(GeometricPen(Qt::black, psDashDot, 4).widthF(), 4);
  EXPECT_EQ(GdiBrush(Qt::red, bsHatched, hsDiagCross).style(), Qt::DiagCrossPattern);
  EXPECT_EQ(GdiBrush(Qt::red, bsClear).style(), Qt::NoBrush);
  EXPECT_EQ(DrawTextQtFlags(dtCenter | dtVCenter | dtSingleLine | dtNoPrefix),
            int(Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine));
  TRecordingDevice device(QSize(400, 400), 96);
  QPainter painter(&device);
  TextOutAt(&painter, 20, 30, "Top-left");
  const TRecordedItem* text = device.FindText("Top-left");
  ASSERT_NE(text, nullptr);
  EXPECT_NEAR(text->Baseline.y(), 30 + painter.fontMetrics().ascent(), 0.01);
  EXPECT_NEAR(text->Baseline.x(), 20, 0.01);
}

// On a raster image the dashed outline is copied from strips of dashes: it
// must cover the pixels of the solid outline and no others, dashed along
// every edge as Qt's own dashes are (4 on, 2 off), only within the clip, and
// at the same place under a translated painter.
TEST_F(DrawingTest, DashedOutlinesLieOnTheOutlineDashedAndClipped) {
  const auto draw = [](const std::function<void(QPainter*)>& paint) {
    QImage image(300, 5000, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(&painter);
    return image;
  };
  const TRect r{20, 30, 120, 4600};  // taller than one strip of dashes
  const TRect all{0, 0, 300, 5000};
  const QImage solid = draw([&](QPainter* p) {
    p->setPen(CosmeticPen(Qt::black));
    DrawOutline(p, r);
  });
  const QImage dashed = draw([&](QPainter* p) { DrawDashedOutline(p, r, all, Qt::black); });
  const QImage stroked = draw([&](QPainter* p) {
    p->setPen(CosmeticPen(Qt::black, psDash, 1));
    DrawOutline(p, r);
  });
  const auto dark = [](const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; };
  int onOutline = 0, strokedCount = 0;
  for (int y = 0; y < 5000; ++y)
    for (int x = 0; x < 300; ++x) {
      if (dark(dashed, x, y)) {
        ASSERT_TRUE(dark(solid, x, y)) << "a dash off the outline at " << x << "," << y;
        ++onOutline;
      }
      strokedCount += dark(stroked, x, y);
    }
  // Two thirds of the outline, as the stroked dashes cover.
  int outline = 0;
  for (int y = 0; y < 5000; ++y)
    for (int x = 0; x < 300; ++x) outline += dark(solid, x, y);
  EXPECT_NEAR(onOutline, outline * 2 / 3, 8);
  EXPECT_NEAR(onOutline, strokedCount, 8);
  // Along the left edge (its pattern counted from the corner, which the top
  // edge drew): runs of 4 pixels, gaps of 2.
  int run = 0, gap = 0, dashes = 0;
  for (int y = r.Top + 4; y < r.Bottom - 1; ++y) {
    if (dark(dashed, r.Left, y)) {
      EXPECT_TRUE(gap == 0 || gap == 2) << "a gap of " << gap << " ending at " << y;
      gap = 0;
      ASSERT_LE(++run, 4) << "a dash longer than 4 pixels ending at " << y;
    } else {
      EXPECT_TRUE(run == 0 || run == 4) << "a dash of " << run << " ending at " << y;
      dashes += run > 0;
      run = 0;
      ++gap;
    }
  }
  EXPECT_GT(dashes, 700);

  // Only within the clip; a translation moves the painter, not the clip.
  const TRect clip{0, 100, 300, 200};
  const QImage clipped = draw([&](QPainter* p) {
    p->translate(5, 7);
    DrawDashedOutline(p, {15, 23, 115, 4593}, clip, Qt::black);
  });
  for (int y = 0; y < 5000; ++y)
    for (int x = 0; x < 300; ++x) {
      const bool inside = y >= clip.Top && y < clip.Bottom;
      ASSERT_EQ(dark(clipped, x, y), inside && dark(dashed, x, y)) << x << "," << y;
    }
}

// Pixels are written straight into an image only where Qt would have given
// the same: never into pixels another image shares, nor under scaling,
// antialiasing, another composition or a clip of several rectangles.
TEST_F(DrawingTest, DirectPixelsOnlyWhereQtsPixelsAreCertain) {
  QImage image(40, 40, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    const QImage sharer = image;  // shares the pixels until one is written
    QPainter painter(&image);
    const TDirectPixels pixels(&painter);
    pixels.Column(1, 0, 39, qRgb(0, 0, 0));
    painter.end();
    EXPECT_EQ(sharer.pixel(1, 1), qRgb(255, 255, 255)) << "the write reached the image sharing the pixels";
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0));
    image.fill(Qt::white);
  }
  const auto valid = [&](const std::function<void(QPainter*)>& set) {
    QPainter painter(&image);
    set(&painter);
    return TDirectPixels(&painter).Valid();
  };
  EXPECT_TRUE(valid([](QPainter*) {}));
  EXPECT_TRUE(valid([](QPainter* p) {
    p->translate(3, 4);
    p->setClipRect(QRect(0, 0, 10, 10));
  }));
  EXPECT_FALSE(valid([](QPainter* p) { p->scale(2, 2); }));
  EXPECT_FALSE(valid([](QPainter* p) { p->translate(0.5, 0); }));
  EXPECT_FALSE(valid([](QPainter* p) { p->setRenderHint(QPainter::Antialiasing); }));
  EXPECT_FALSE(valid([](QPainter* p) { p->setCompositionMode(QPainter::CompositionMode_Xor); }));
  EXPECT_FALSE(valid([](QPainter* p) { p->setClipRegion(QRegion(0, 0, 5, 5) + QRegion(20, 20, 5, 5)); }));
  QPainter other;
  EXPECT_FALSE(TDirectPixels(&other).Valid()) << "an inactive painter";

  // Runs stay within the painter's clip, in its coordinates.
  QPainter painter(&image);
  painter.translate(3, 4);
  painter.setClipRect(QRect(0, 0, 10, 10));
  const TDirectPixels pixels(&painter);
  pixels.Column(2, -5, 30, qRgb(0, 0, 0));
  pixels.DashedRow(5, -5, 30, 0, qRgb(255, 0, 0));
  painter.end();
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool column = x == 5 && y >= 4 && y <= 13;
      const bool row = y == 9 && x >= 3 && x <= 12 && ((x - 3) % 6) < 4;  // drawn last
      const QRgb expected = row ? qRgb(255, 0, 0) : column ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
      ASSERT_EQ(image.pixel(x, y), expected) << x << "," << y;
    }
}
