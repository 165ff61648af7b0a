// Styled horizontal lines by geometry.
#include <gtest/gtest.h>

#include <QPainter>

#include "uBoundaryLine.h"
#include "uRecordingDevice.h"

// Dash-dot in millimetres at 254 dpi (10 px/mm), 0.3 mm wide (3 px, half 1):
// dashes of 40 px, dots (round pen points), gaps of 20 px plus the pen width, the last
// dash cut half a pen width before the end, all over a white under-line.
TEST(FontsBoundaryLine, DashDotGeometryInMillimetres) {
  TRecordingDevice dev(QSize(400, 100), 254);
  QPainter p(&dev);
  TBoundaryLine line;
  line.Style = 3;
  line.Color = 0x0000FF;
  line.LineWidth = 0.3;
  DrawBoundaryLine(&p, 0, 200, line, 1.0, 50);
  const auto& items = dev.Items();
  ASSERT_EQ(items.size(), 6u) << dev.Dump();
  EXPECT_EQ(items[0].Line, QLineF(1, 50, 199, 50));
  EXPECT_EQ(items[0].State.PenColor, QColor(Qt::white));
  EXPECT_DOUBLE_EQ(items[0].State.PenWidth, 3);
  // The walk stops once the position passes the right end: five pieces.
  EXPECT_EQ(items[1].Line, QLineF(1, 50, 41, 50));
  EXPECT_EQ(items[2].Kind, TRecordKind::Point);
  EXPECT_EQ(items[2].Point, QPointF(64, 50));
  EXPECT_EQ(items[3].Line, QLineF(87, 50, 127, 50));
  EXPECT_EQ(items[4].Point, QPointF(150, 50));
  EXPECT_EQ(items[5].Line, QLineF(173, 50, 199, 50));
  for (size_t i = 1; i < items.size(); ++i) {
    EXPECT_EQ(items[i].State.PenColor, QColor(255, 0, 0)) << i;
    EXPECT_DOUBLE_EQ(items[i].State.PenWidth, 3);
  }
  // The painter's pen is handed back.
  EXPECT_EQ(p.pen().color(), QColor(Qt::black));
}

// Width -1 is one device pixel in the pen's own style at any zoom; width 0 draws nothing.
TEST(FontsBoundaryLine, PixelWidthsAndNoLine) {
  TRecordingDevice dev(QSize(400, 100), 96);
  QPainter p(&dev);
  TBoundaryLine line;
  line.Style = 1;
  line.LineWidth = -1;
  DrawBoundaryLine(&p, 10, 300, line, 3.0, 20);
  auto lines = dev.Lines();
  ASSERT_EQ(lines.size(), 2u) << dev.Dump();
  EXPECT_EQ(lines[1]->Line, QLineF(10, 20, 300, 20));
  EXPECT_DOUBLE_EQ(lines[1]->State.PenDeviceWidth, 1);
  EXPECT_EQ(lines[1]->State.DashPattern, QList<qreal>({18, 6}));
  dev.Clear();
  line.LineWidth = 0;
  DrawBoundaryLine(&p, 10, 300, line, 1.0, 20);
  line.LineWidth = 1;
  DrawBoundaryLine(&p, 10, 300, line, 0.0, 20);  // no zoom
  DrawBoundaryLine(nullptr, 10, 300, line, 1.0, 20);
  EXPECT_TRUE(dev.Items().empty());
}

// A dotted pattern whose steps round to nothing at a tiny zoom must still end.
TEST(FontsBoundaryLine, TinyZoomDotPatternTerminates) {
  TRecordingDevice dev(QSize(400, 100), 96);
  QPainter p(&dev);
  TBoundaryLine line;
  line.Style = 2;
  line.LineWidth = 0.1;
  DrawBoundaryLine(&p, 0, 50, line, 0.01, 5);
  EXPECT_LE(dev.Items().size(), 52u);
  EXPECT_GE(dev.Items().size(), 2u);
}

// Solid wide lines stop half a width short of each end (their round caps reach the ends).
TEST(FontsBoundaryLine, SolidWideLine) {
  TRecordingDevice dev(QSize(400, 100), 254);
  QPainter p(&dev);
  TBoundaryLine line;
  line.LineWidth = 0.5;  // 5 px, half 2
  DrawBoundaryLine(&p, 0, 100, line, 1.0, 10);
  const auto lines = dev.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1]->Line, QLineF(2, 10, 98, 10));
  EXPECT_EQ(lines[1]->State.Cap, Qt::RoundCap);
}
