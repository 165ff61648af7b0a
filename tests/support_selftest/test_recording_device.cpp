// The recording paint device is what drawing tests trust: if it put a
// primitive at the wrong device pixels or lost part of the state, every
// geometry test built on it would check the wrong thing.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include "uRecordingDevice.h"

namespace {
constexpr double kEps = 1e-6;
}

// Fault guarded: geometry recorded in logical coordinates, or with only the
// world transform and not the window/viewport mapping.
TEST(RecordingDevice, GeometryLandsOnDevicePixelsUnderTransforms) {
  TRecordingDevice dev(QSize(800, 600));
  {
    QPainter p(&dev);
    p.translate(10, 20);
    p.scale(2, 2);
    p.setPen(QPen(Qt::red, 1.5));
    p.drawLine(QLineF(0, 5, 50, 5));
    p.drawRect(QRectF(1, 2, 10, 20));
    p.drawEllipse(QRectF(0, 0, 4, 6));
    p.drawPoint(QPointF(3, 4));
    p.setPen(QPen(Qt::blue, 0));  // cosmetic hairline: not scaled
    p.drawLine(QLineF(0, 0, 0, 10));
    p.resetTransform();
    p.setWindow(0, 0, 400, 300);  // window/viewport mapping doubles everything
    p.drawLine(QLineF(10, 10, 20, 10));
  }
  ASSERT_EQ(dev.Items().size(), 6u) << dev.Dump();

  const TRecordedItem* line = dev.FindHorizontalLine(10, 110, 30);
  ASSERT_NE(line, nullptr) << dev.Dump();
  EXPECT_EQ(line->State.PenColor, QColor(Qt::red));
  EXPECT_NEAR(line->State.PenWidth, 1.5, kEps);
  EXPECT_NEAR(line->State.PenDeviceWidth, 3.0, kEps);
  EXPECT_FALSE(line->State.Cosmetic);

  const auto rects = dev.Rects();
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0]->Rect, QRectF(12, 24, 20, 40));
  ASSERT_EQ(rects[0]->Polygon.size(), 4);
  EXPECT_EQ(rects[0]->Polygon[2], QPointF(32, 64));

  EXPECT_EQ(dev.FindRect(QRectF(12.3, 24, 20, 40)), rects[0]);
  EXPECT_EQ(dev.FindRect(QRectF(13, 24, 20, 40)), nullptr);
  EXPECT_NE(dev.FindRect(QRectF(10, 20, 8, 12), 0.5, TRecordKind::Ellipse), nullptr);

  const auto ellipses = dev.OfKind(TRecordKind::Ellipse);
  ASSERT_EQ(ellipses.size(), 1u);
  EXPECT_EQ(ellipses[0]->Rect, QRectF(10, 20, 8, 12));

  const auto points = dev.OfKind(TRecordKind::Point);
  ASSERT_EQ(points.size(), 1u);
  EXPECT_EQ(points[0]->Point, QPointF(16, 28));

  const TRecordedItem* hair = dev.FindLine(QPointF(10, 40), QPointF(10, 20));  // either direction
  ASSERT_NE(hair, nullptr) << dev.Dump();
  EXPECT_TRUE(hair->State.Cosmetic);
  EXPECT_NEAR(hair->State.PenDeviceWidth, 1.0, kEps);

  EXPECT_NE(dev.FindHorizontalLine(20, 40, 20), nullptr) << dev.Dump();
  // The finder's tolerance is a real bound, not a match-anything.
  EXPECT_EQ(dev.FindHorizontalLine(20, 40, 21), nullptr);
  EXPECT_NE(dev.FindHorizontalLine(20, 40, 21, 1.0), nullptr);
}

// Fault guarded: a rotated text reported without its angle or at the wrong
// baseline, or a font resolved at the screen's dpi instead of the device's.
TEST(RecordingDevice, TextKeepsFontAngleAndBaselineAtDeviceDpi) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPointSizeF(10);
  font.setBold(true);
  font.setItalic(true);
  font.setStrikeOut(true);

  TRecordingDevice dev(QSize(3000, 3000), 254);
  EXPECT_EQ(dev.logicalDpiY(), 254);
  {
    QPainter p(&dev);
    p.setFont(font);
    p.translate(100, 200);
    p.rotate(-90);
    p.drawText(QPointF(0, 0), QStringLiteral("Depth"));
  }
  const TRecordedItem* text = dev.FindText(QStringLiteral("Depth"));
  ASSERT_NE(text, nullptr) << dev.Dump();
  EXPECT_NEAR(text->Angle, -90, 1e-6);
  EXPECT_NEAR(text->Baseline.x(), 100, kEps);
  EXPECT_NEAR(text->Baseline.y(), 200, kEps);
  EXPECT_EQ(text->TextPos, QPointF(0, 0));
  EXPECT_EQ(text->FontFamily, QStringLiteral("Liberation Sans"));
  EXPECT_EQ(text->FontPixelSize, -1);
  EXPECT_NEAR(text->FontPointSize, 10, kEps);
  EXPECT_NEAR(text->FontDevicePixels, 10 * 254 / 72.0, kEps);
  EXPECT_EQ(text->FontWeight, QFont::Bold);
  EXPECT_TRUE(text->Italic);
  EXPECT_TRUE(text->StrikeOut);
  EXPECT_FALSE(text->Underline);
  // Rotated by -90, the text runs upwards: its box lies above the baseline point.
  EXPECT_LT(text->Rect.top(), 200 - text->TextWidth + 1);
  EXPECT_NEAR(text->Rect.bottom(), 200, 1);

  // The same text at 96 dpi is narrower by the dpi ratio: the device's dpi
  // reached the font engine.
  TRecordingDevice screen(QSize(3000, 3000), 96);
  {
    QPainter p(&screen);
    p.setFont(font);
    p.drawText(QPointF(0, 0), QStringLiteral("Depth"));
  }
  const TRecordedItem* small = screen.FindText(QStringLiteral("Depth"));
  ASSERT_NE(small, nullptr) << screen.Dump();
  EXPECT_NEAR(small->Angle, 0, kEps);
  ASSERT_GT(small->TextWidth, 0);
  EXPECT_NEAR(text->TextWidth / small->TextWidth, 254 / 96.0, 0.15);
}

// Fault guarded: pixel-size fonts and a text drawn into a rectangle losing
// their size or position.
TEST(RecordingDevice, PixelSizedTextInRectangle) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(20);
  font.setUnderline(true);
  TRecordingDevice dev(QSize(400, 400));
  {
    QPainter p(&dev);
    p.setFont(font);
    p.scale(2, 2);
    p.drawText(QRectF(10, 10, 100, 50), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Top"));
  }
  const TRecordedItem* text = dev.FindText(QStringLiteral("Top"));
  ASSERT_NE(text, nullptr) << dev.Dump();
  EXPECT_EQ(text->FontPixelSize, 20);
  EXPECT_NEAR(text->FontDevicePixels, 40, kEps);
  EXPECT_TRUE(text->Underline);
  // Aligned to the top: the baseline is one ascent below the rectangle's top.
  EXPECT_NEAR(text->Baseline.x(), 20, 0.5);
  EXPECT_NEAR(text->Baseline.y() - text->Ascent, 20, 0.5);
  EXPECT_EQ(dev.TextsContaining(QStringLiteral("To")).size(), 1u);
}

// Fault guarded: pen details (custom dashes, caps, joins) dropped, so a test
// could not tell a dashed boundary line from a solid one.
TEST(RecordingDevice, PenStyleDashesCapsAndJoinsAreKept) {
  TRecordingDevice dev;
  {
    QPainter p(&dev);
    QPen custom(QColor(10, 20, 30), 2);
    custom.setDashPattern({4, 2, 1, 2});
    custom.setCapStyle(Qt::FlatCap);
    custom.setJoinStyle(Qt::MiterJoin);
    p.setPen(custom);
    p.drawLine(0, 0, 100, 0);
    QPen dash(Qt::black, 1, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(dash);
    p.drawLine(0, 10, 100, 10);
    p.setPen(Qt::NoPen);
    p.drawLine(0, 20, 100, 20);
  }
  const auto lines = dev.Lines();
  ASSERT_EQ(lines.size(), 3u) << dev.Dump();
  EXPECT_EQ(lines[0]->State.PenStyle, Qt::CustomDashLine);
  EXPECT_EQ(lines[0]->State.DashPattern, (QList<qreal>{4, 2, 1, 2}));
  EXPECT_EQ(lines[0]->State.Cap, Qt::FlatCap);
  EXPECT_EQ(lines[0]->State.Join, Qt::MiterJoin);
  EXPECT_EQ(lines[0]->State.PenColor, QColor(10, 20, 30));
  EXPECT_EQ(lines[1]->State.PenStyle, Qt::DashLine);
  EXPECT_FALSE(lines[1]->State.DashPattern.isEmpty());
  EXPECT_EQ(lines[1]->State.Cap, Qt::RoundCap);
  EXPECT_EQ(lines[1]->State.Join, Qt::RoundJoin);
  EXPECT_EQ(lines[2]->State.PenStyle, Qt::NoPen);
  EXPECT_TRUE(lines[2]->State.DashPattern.isEmpty());
  EXPECT_NE(dev.Dump().find("dashes [4 2 1 2]"), std::string::npos) << dev.Dump();
}

// Fault guarded: clip missing, kept in logical coordinates, or not cleared
// when clipping is switched off.
TEST(RecordingDevice, ClipIsRecordedInDevicePixels) {
  TRecordingDevice dev;
  {
    QPainter p(&dev);
    p.translate(5, 5);
    p.setClipRect(QRect(0, 0, 100, 50));
    p.scale(2, 2);  // a later transform must not move the clip
    p.drawRect(QRectF(0, 0, 10, 10));
    p.setClipping(false);
    p.drawRect(QRectF(0, 0, 10, 10));
    p.resetTransform();
    p.setClipRegion(QRegion(0, 0, 10, 10) + QRegion(20, 0, 10, 10));
    p.drawLine(0, 0, 30, 0);
  }
  const auto items = dev.Items();
  ASSERT_EQ(items.size(), 3u) << dev.Dump();
  ASSERT_TRUE(items[0].State.Clipped);
  EXPECT_EQ(items[0].State.ClipRect, QRectF(5, 5, 100, 50));
  EXPECT_EQ(items[0].State.ClipRegion.boundingRect(), QRect(5, 5, 100, 50));
  EXPECT_EQ(items[0].Rect, QRectF(5, 5, 20, 20));
  EXPECT_FALSE(items[1].State.Clipped);
  ASSERT_TRUE(items[2].State.Clipped);
  EXPECT_EQ(items[2].State.ClipRect, QRectF(0, 0, 30, 10));
  EXPECT_TRUE(items[2].State.ClipRegion.contains(QPoint(5, 5)));
  EXPECT_FALSE(items[2].State.ClipRegion.contains(QPoint(15, 5)));
  EXPECT_TRUE(items[2].State.ClipPath.contains(QPointF(25, 5)));
  EXPECT_FALSE(items[2].State.ClipPath.contains(QPointF(15, 5)));
}

// Fault guarded: polylines reported as closed polygons, fill rules lost, or
// path elements not mapped to device pixels.
TEST(RecordingDevice, PolygonsPolylinesAndPaths) {
  TRecordingDevice dev;
  {
    QPainter p(&dev);
    p.translate(100, 0);
    const QPointF pts[3] = {{0, 0}, {10, 0}, {10, 10}};
    p.drawPolyline(pts, 3);
    p.drawPolygon(pts, 3, Qt::WindingFill);
    p.drawPolygon(pts, 3, Qt::OddEvenFill);
    QPainterPath path;
    path.moveTo(0, 0);
    path.lineTo(10, 0);
    path.cubicTo(20, 0, 20, 10, 10, 10);
    path.closeSubpath();
    path.moveTo(50, 50);
    path.lineTo(60, 60);
    path.setFillRule(Qt::WindingFill);
    p.drawPath(path);
  }
  const auto polys = dev.OfKind(TRecordKind::Polygon);
  ASSERT_EQ(polys.size(), 3u) << dev.Dump();
  EXPECT_FALSE(polys[0]->Closed);
  EXPECT_EQ(polys[0]->PolygonMode, QPaintEngine::PolylineMode);
  EXPECT_EQ(polys[0]->Polygon, QPolygonF({{100, 0}, {110, 0}, {110, 10}}));
  EXPECT_TRUE(polys[1]->Closed);
  EXPECT_EQ(polys[1]->FillRule, Qt::WindingFill);
  EXPECT_TRUE(polys[2]->Closed);
  EXPECT_EQ(polys[2]->FillRule, Qt::OddEvenFill);

  const auto paths = dev.OfKind(TRecordKind::Path);
  ASSERT_EQ(paths.size(), 1u) << dev.Dump();
  const TRecordedItem& path = *paths[0];
  EXPECT_EQ(path.FillRule, Qt::WindingFill);
  ASSERT_EQ(path.Polygons.size(), 2);
  EXPECT_TRUE(path.Polygons[0].isClosed());
  EXPECT_FALSE(path.Closed);  // the last subpath is open
  ASSERT_GE(path.PathElements.size(), 6u);
  EXPECT_EQ(path.PathElements[0].Type, QPainterPath::MoveToElement);
  EXPECT_EQ(path.PathElements[0].Point, QPointF(100, 0));
  EXPECT_EQ(path.PathElements[2].Type, QPainterPath::CurveToElement);
  EXPECT_EQ(path.PathElements[2].Point, QPointF(120, 0));
  EXPECT_EQ(path.PathElements.back().Point, QPointF(160, 60));
}

// Fault guarded: brush, background, composition mode, opacity or image
// placement not recorded.
TEST(RecordingDevice, BrushBackgroundCompositionOpacityAndImages) {
  TRecordingDevice dev;
  QImage image(40, 20, QImage::Format_ARGB32);
  image.fill(Qt::green);
  {
    QPainter p(&dev);
    // A solid pen and brush: with a pattern or dashes, QPainter itself splits
    // an opaque-background primitive into background and foreground paths.
    p.setBrush(QBrush(Qt::yellow));
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(QColor(1, 2, 3));
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    p.setOpacity(0.5);
    p.drawRect(0, 0, 10, 10);
    p.setBackgroundMode(Qt::TransparentMode);
    p.setBrush(QBrush(Qt::yellow, Qt::BDiagPattern));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setOpacity(1);
    p.scale(2, 2);
    p.drawImage(QRectF(10, 10, 20, 10), image, QRectF(0, 0, 40, 20));
    p.drawPixmap(QPointF(0, 50), QPixmap::fromImage(image));
  }
  ASSERT_EQ(dev.Items().size(), 3u) << dev.Dump();
  const TRecordedState& s = dev.Items()[0].State;
  EXPECT_EQ(s.BrushStyle, Qt::SolidPattern);
  EXPECT_EQ(s.BrushColor, QColor(Qt::yellow));
  EXPECT_EQ(s.BackgroundMode, Qt::OpaqueMode);
  EXPECT_EQ(s.BackgroundColor, QColor(1, 2, 3));
  EXPECT_EQ(s.Composition, QPainter::CompositionMode_Multiply);
  EXPECT_NEAR(s.Opacity, 0.5, kEps);

  const auto images = dev.OfKind(TRecordKind::Image);
  ASSERT_EQ(images.size(), 2u);
  EXPECT_FALSE(images[0]->Pixmap);
  EXPECT_EQ(images[0]->Rect, QRectF(20, 20, 40, 20));
  EXPECT_EQ(images[0]->SourceSize, QSizeF(40, 20));
  EXPECT_EQ(images[0]->ImageSize, QSize(40, 20));
  EXPECT_EQ(images[0]->State.BackgroundMode, Qt::TransparentMode);
  EXPECT_EQ(images[0]->State.BrushStyle, Qt::BDiagPattern);
  EXPECT_EQ(images[0]->State.Composition, QPainter::CompositionMode_SourceOver);
  EXPECT_NEAR(images[0]->State.Opacity, 1, kEps);
  EXPECT_TRUE(images[1]->Pixmap);
  EXPECT_EQ(images[1]->Rect, QRectF(0, 100, 80, 40));
}

// Fault guarded: metrics that do not follow the configured size and dpi, so
// code computing millimetres from the device would be tested at 96 dpi only.
TEST(RecordingDevice, MetricsFollowSizeAndDpi) {
  TRecordingDevice dev(QSize(2540, 1270), 254, 600);
  EXPECT_EQ(dev.width(), 2540);
  EXPECT_EQ(dev.height(), 1270);
  EXPECT_EQ(dev.logicalDpiX(), 254);
  EXPECT_EQ(dev.logicalDpiY(), 254);
  EXPECT_EQ(dev.physicalDpiX(), 600);
  EXPECT_EQ(dev.widthMM(), qRound(2540 * 25.4 / 600));
  EXPECT_EQ(dev.devicePixelRatio(), 1);
  dev.SetDpi(300);
  dev.SetSize(QSize(300, 600));
  EXPECT_EQ(dev.physicalDpiY(), 300);
  EXPECT_EQ(dev.heightMM(), 51);
}

// Fault guarded: a debug picture silently not written.
TEST(RecordingDevice, SaveDebugPngWritesIntoWorkingDirectory) {
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::white);
  const QString path = SaveDebugPng(image, QStringLiteral("support_selftest_debug"));
  ASSERT_FALSE(path.isEmpty());
  EXPECT_TRUE(path.endsWith(QStringLiteral("support_selftest_debug.png")));
  QImage back(path);
  EXPECT_EQ(back.size(), QSize(8, 8));
  QFile::remove(path);
}
