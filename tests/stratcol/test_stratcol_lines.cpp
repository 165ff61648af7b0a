// Lines of a column's layers batched per pen on raster devices: the pixels must be those of
// drawing every line in turn, whatever the pens and however the lines overlap.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <random>

#include "uBoundaryLine.h"
#include "uLineBatch.h"

namespace {

struct TOp {
  QPen Pen;
  QLine Line;
};

QImage Blank() {
  QImage image(80, 60, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

QImage OneByOne(const std::vector<TOp>& ops, QPoint shift = {}) {
  QImage image = Blank();
  QPainter p(&image);
  p.translate(shift);
  for (const TOp& op : ops) {
    p.setPen(op.Pen);
    p.drawLine(op.Line);
  }
  return image;
}

QImage Batched(const std::vector<TOp>& ops, int* groups, QPoint shift = {}) {
  QImage image = Blank();
  QPainter p(&image);
  p.translate(shift);
  EXPECT_TRUE(TLineBatch::Usable(&p));
  TLineBatch batch(0, 59);
  *groups = 0;
  for (const TOp& op : ops) {
    if (batch.Add(op.Pen, op.Line)) continue;
    *groups += batch.GroupCount();
    batch.Flush(&p);
    p.setPen(op.Pen);
    p.drawLine(op.Line);
  }
  *groups += batch.GroupCount();
  batch.Flush(&p);
  return image;
}

}  // namespace

// Random lines close together in thin pens of three colours and two caps, with dashed, wide
// and translucent pens among them, lines drawn right to left and lines outside the batch's
// rows (all of which are drawn alone); some lines run past the image's edges.
TEST(LineBatch, PaintsWhatLinesDrawnInTurnPaint) {
  std::mt19937 random(7);
  const QPen pens[] = {GdiThinPen(0, 0x0000FF), GdiThinPen(0, 0x00FF00),   QPen(Qt::black), GdiThinPen(2, 0xFF0000),
                       QPen(Qt::blue, 3),       QPen(QColor(0, 0, 0, 90)), GdiThinPen(5, 0)};
  for (int round = 0; round < 200; ++round) {
    std::vector<TOp> ops;
    for (int i = 0; i < 60; ++i) {
      const int y = static_cast<int>(random() % 64) - 2;
      int x1 = static_cast<int>(random() % 90) - 5, x2 = static_cast<int>(random() % 90) - 5;
      if (x1 > x2 && random() % 8 != 0) std::swap(x1, x2);  // mostly left to right, as a column draws
      // Mostly the thin solid pens, which batch; now and then one that does not.
      const size_t pen = random() % 10;
      ops.push_back({pens[pen < 8 ? pen % 3 : 3 + random() % 4], QLine(x1, y, x2, y)});
    }
    int groups = 0;
    const QPoint shift = round % 2 ? QPoint(3, -2) : QPoint();  // a view scrolled by whole pixels
    EXPECT_EQ(Batched(ops, &groups, shift), OneByOne(ops, shift)) << "round " << round;
  }
}

// A column's pattern, a boundary at each layer's top and a bottom line at the next layer's
// top, 4 px apart: two pens, a handful of calls instead of one per line.
TEST(LineBatch, LayersShareCalls) {
  std::vector<TOp> ops;
  for (int layer = 0; layer < 14; ++layer) {
    ops.push_back({GdiThinPen(0, 0x0000FF), QLine(3, 2 + 4 * layer, 70, 2 + 4 * layer)});
    ops.push_back({QPen(Qt::black), QLine(3, 6 + 4 * layer, 70, 6 + 4 * layer)});
  }
  int groups = 0;
  EXPECT_EQ(Batched(ops, &groups), OneByOne(ops));
  EXPECT_LE(groups, 3);

  TLineBatch batch(0, 10);
  EXPECT_FALSE(batch.Add(QPen(Qt::black), QLine(0, 11, 5, 11)));  // outside its rows
  EXPECT_FALSE(batch.Add(QPen(Qt::black), QLine(0, 1, 5, 2)));    // not horizontal
  EXPECT_EQ(batch.GroupCount(), 0);
}

// Boundary lines put in a batch paint what DrawBoundaryLine paints, the white under-line
// left out where the line covers it; wide and dashed lines are left to DrawBoundaryLine.
TEST(LineBatch, BoundaryLinesMatchTheirDrawing) {
  struct TCase {
    TBoundaryLine Line;
    bool Batched;
  };
  const TCase cases[] = {{{0, 0x0000FF, -1.0}, true}, {{5, 0, -1.0}, true},    {{0, 0x00FF00, 0.2}, true},
                         {{7, 0x123456, -1.0}, true}, {{2, 0, -1.0}, false},   {{1, 0, 0.2}, false},
                         {{0, 0, 1.0}, false},        {{3, 0xFF, -3.0}, false}};
  for (const TCase& c : cases) {
    const TBoundaryLine& line = c.Line;
    QImage drawn = Blank(), batched = Blank();
    // A black ground: the white under-line shows wherever it is drawn.
    drawn.fill(Qt::black);
    batched.fill(Qt::black);
    {
      QPainter p(&drawn);
      DrawBoundaryLine(&p, 5, 70, line, 1.0, 30);
    }
    QPainter p(&batched);
    TLineBatch batch(0, 59);
    const bool taken = BatchBoundaryLine(batch, &p, 5, 70, line, 1.0, 30);
    if (taken)
      batch.Flush(&p);
    else
      DrawBoundaryLine(&p, 5, 70, line, 1.0, 30);
    p.end();
    EXPECT_EQ(batched, drawn) << line.Style << " " << line.LineWidth;
    EXPECT_EQ(taken, c.Batched) << line.Style << " " << line.LineWidth;
  }
}
