#include "uLineBatch.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <optional>

namespace {

// The pixels a pen's horizontal line from x1 to x2 paints, as [x1 + First, x2 + Last] on its
// row; drawn as a fill of those pixels it costs a fraction of the stroker's pixel by pixel.
struct TSpan {
  int First, Last;
};

// Asks the raster engine once per cap and width: two lengths must give the same ends on one
// row, else the pen's lines are left to the stroker.
std::optional<TSpan> SpanOf(const QPen& pen) {
  struct TKnown {
    Qt::PenCapStyle Cap;
    qreal Width;
    bool Cosmetic;
    std::optional<TSpan> Span;
  };
  static std::mutex mutex;
  static std::vector<TKnown> known;
  const std::lock_guard lock(mutex);
  for (const TKnown& k : known)
    if (k.Cap == pen.capStyle() && k.Width == pen.widthF() && k.Cosmetic == pen.isCosmetic()) return k.Span;
  std::optional<TSpan> span;
  for (int length : {1, 2, 11}) {
    QImage probe(40, 5, QImage::Format_RGB32);
    probe.fill(Qt::white);
    {
      QPainter p(&probe);
      QPen black = pen;
      black.setColor(Qt::black);
      p.setPen(black);
      p.drawLine(10, 2, 10 + length, 2);
    }
    int first = -1, last = -1, count = 0;
    for (int y = 0; y < probe.height(); ++y)
      for (int x = 0; x < probe.width(); ++x)
        if (probe.pixel(x, y) != qRgb(255, 255, 255)) {
          if (y != 2) count = -1000;
          if (first < 0) first = x;
          last = x;
          ++count;
        }
    const TSpan found{first - 10, last - 10 - length};
    if (first < 0 || count != last - first + 1 || (span && (span->First != found.First || span->Last != found.Last))) {
      span.reset();
      break;
    }
    span = found;
  }
  known.push_back({pen.capStyle(), pen.widthF(), pen.isCosmetic(), span});
  return span;
}

}  // namespace

TLineBatch::TLineBatch(int firstRow, int lastRow)
    : FFirstRow(firstRow), FRowCount(lastRow >= firstRow ? lastRow - firstRow + 1 : 0) {}

bool TLineBatch::Usable(const QPainter* dc) {
  if (!dc || !dc->isActive()) return false;
  const QPaintEngine* engine = dc->paintEngine();
  if (!engine || engine->type() != QPaintEngine::Raster) return false;
  if (dc->testRenderHint(QPainter::Antialiasing) || dc->opacity() != 1.0 ||
      dc->compositionMode() != QPainter::CompositionMode_SourceOver)
    return false;
  const QTransform& t = dc->deviceTransform();
  return t.type() <= QTransform::TxTranslate && t.dx() == std::round(t.dx()) && t.dy() == std::round(t.dy());
}

bool TLineBatch::Batchable(const QPen& pen) {
  // Opaque solid colours paint a pixel the same whichever line gets there last.
  return pen.style() == Qt::SolidLine && pen.widthF() <= 1 && pen.brush().style() == Qt::SolidPattern &&
         pen.color().alpha() == 255;
}

bool TLineBatch::Near(const TGroup& group, int y) const { return group.Rows[static_cast<size_t>(y - FFirstRow)]; }

bool TLineBatch::Add(const QPen& pen, const QLine& line) {
  const int y = line.y1();
  // Only lines drawn left to right: the raster engine's stroker carries the direction of one
  // line of a call into the next, and a line turned the other way loses or gains its end pixel.
  if (line.y2() != y || line.x1() >= line.x2() || y < FFirstRow || y - FFirstRow >= FRowCount || !Batchable(pen))
    return false;
  // A one-pixel line paints its own row only; a row either side is kept clear all the same.
  size_t join = FGroups.size();
  for (size_t i = FGroups.size(); i-- > 0;) {
    if (FGroups[i].Pen == pen) {
      join = i;
      break;
    }
    if (Near(FGroups[i], y)) break;
  }
  if (join == FGroups.size()) {
    FGroups.push_back({pen, {}, std::vector<bool>(static_cast<size_t>(FRowCount), false)});
  }
  TGroup& group = FGroups[join];
  group.Lines.push_back(line);
  for (int r = std::max(y - 1, FFirstRow); r <= std::min(y + 1, FFirstRow + FRowCount - 1); ++r)
    group.Rows[static_cast<size_t>(r - FFirstRow)] = true;
  return true;
}

void TLineBatch::Flush(QPainter* dc) {
  if (FGroups.empty()) return;
  if (dc) {
    const QPen old = dc->pen();
    // Lines well inside the device become fills; the stroker cuts lines at the device's edge
    // in its own way, so those stay lines. One colour per group: the order within it is free.
    const QTransform& t = dc->deviceTransform();
    const int dx = static_cast<int>(t.dx()), dy = static_cast<int>(t.dy());
    const QPaintDevice* device = dc->device();
    const QRect inner = device ? QRect(2, 2, device->width() - 4, device->height() - 4) : QRect();
    std::vector<QLine> lines;
    for (const TGroup& group : FGroups) {
      lines.clear();
      const std::optional<TSpan> span = SpanOf(group.Pen);
      for (const QLine& l : group.Lines) {
        if (span && inner.contains(l.x1() + dx + span->First - 1, l.y1() + dy) &&
            inner.contains(l.x2() + dx + span->Last + 1, l.y1() + dy))
          dc->fillRect(QRect(QPoint(l.x1() + span->First, l.y1()), QPoint(l.x2() + span->Last, l.y1())),
                       group.Pen.color());
        else
          lines.push_back(l);
      }
      if (lines.empty()) continue;
      dc->setPen(group.Pen);
      dc->drawLines(lines.data(), static_cast<int>(lines.size()));
    }
    dc->setPen(old);
  }
  FGroups.clear();
}
