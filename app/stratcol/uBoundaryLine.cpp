#include "uBoundaryLine.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "uDrawContext.h"
#include "uLineBatch.h"
#include "uNumbers.h"

namespace {

// A solid pen of p pixels; wide pens end round, as the platform's do, which is
// why the lines below stop half a width short of their ends.
QPen WidePen(int p, uint32_t color) {
  if (p <= 1) return GdiThinPen(0, color);
  return QPen(ColorRefToQColor(color), p, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

}  // namespace

QPen GdiThinPen(int32_t style, uint32_t color) {
  QPen pen(ColorRefToQColor(color), 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  switch (style) {
    case 1:
      pen.setDashPattern({18, 6});
      break;
    case 2:
      pen.setDashPattern({3, 3});
      break;
    case 3:
      pen.setDashPattern({9, 6, 3, 6});
      break;
    case 4:
      pen.setDashPattern({9, 3, 3, 3, 3, 3});
      break;
    case 5:
      pen.setStyle(Qt::NoPen);
      break;
    default:
      break;
  }
  return pen;
}

namespace {

bool Drawn(const QPainter* dc, const TBoundaryLine& line, double zoom) {
  return dc && dc->device() && zoom > 0 && line.LineWidth != 0 && !std::isnan(line.LineWidth);
}

// The line's width in device pixels.
int PenPixels(const QPainter* dc, const TBoundaryLine& line, double zoom) {
  const double dpi = dc->device()->logicalDpiY();
  return line.LineWidth > 0 ? RoundEven(zoom * dpi / 25.4 * line.LineWidth) : -RoundEven(line.LineWidth);
}

}  // namespace

bool BatchBoundaryLine(TLineBatch& batch, const QPainter* dc, int x1, int x2, const TBoundaryLine& line, double zoom,
                       int y) {
  if (!Drawn(dc, line, zoom)) return true;
  const int p = PenPixels(dc, line, zoom);
  // Wide pens and the patterns of wide lines are drawn one by one.
  if (p > 1 || (line.LineWidth > 0 && line.Style > 0 && line.Style <= 4)) return false;
  // A thin line starts and ends where its white under-line does (no half width to keep).
  const QPen pen = GdiThinPen(line.LineWidth < 0 ? line.Style : 0, static_cast<uint32_t>(line.Color));
  const QLine at(x1, y, x2, y);
  if (pen.style() == Qt::SolidLine && pen.dashPattern().isEmpty()) return batch.Add(pen, at);
  if (pen.style() != Qt::NoPen) return false;  // dashes: the white shows in their gaps
  return batch.Add(WidePen(p, 0xFFFFFF), at);
}

void DrawBoundaryLine(QPainter* dc, int x1, int x2, const TBoundaryLine& line, double zoom, int y) {
  if (!Drawn(dc, line, zoom)) return;
  const double dpi = dc->device()->logicalDpiY();
  const int p = PenPixels(dc, line, zoom);
  const int h = p / 2;
  const QPen old = dc->pen();

  // White under the line, so the gaps of dashed styles show white.
  dc->setPen(WidePen(p, 0xFFFFFF));
  dc->drawLine(x1 + h, y, x2 - h, y);

  const uint32_t color = static_cast<uint32_t>(line.Color);
  if (line.LineWidth < 0) {
    // Thin lines take the platform's own pen patterns; wider ones draw solid.
    dc->setPen(p <= 1 ? GdiThinPen(line.Style, color) : WidePen(p, color));
    dc->drawLine(x1, y, x2, y);
  } else if (line.Style <= 0 || line.Style > 4) {
    dc->setPen(WidePen(p, color));
    dc->drawLine(x1 + h, y, x2 - h, y);
  } else if (x1 < x2) {
    dc->setPen(WidePen(p, color));
    // Patterns in millimetres as (dash, gap) pairs, repeated from the start.
    static const double dash[] = {4, 2};
    static const double dot[] = {0, 1};
    static const double dashDot[] = {4, 2, 0, 2};
    static const double dashDotDot[] = {4, 2, 0, 2, 0, 2};
    const double* pattern = dash;
    int count = 2;
    switch (line.Style) {
      case 2:
        pattern = dot;
        break;
      case 3:
        pattern = dashDot;
        count = 4;
        break;
      case 4:
        pattern = dashDotDot;
        count = 6;
        break;
      default:
        break;
    }
    const double e = dpi * zoom / 25.4;
    int k = 0;
    int64_t x = x1 + h;
    while (x <= x2) {
      const int64_t from = x;
      x += RoundEven64(e * pattern[k]);
      if (x > x2) x = x2 - h;
      if (x == from)
        dc->drawPoint(static_cast<int>(x), y);  // a dot: the round pen's end cap alone
      else
        dc->drawLine(static_cast<int>(from), y, static_cast<int>(x), y);
      // At a tiny zoom a thin dot pattern rounds to no advance at all: always
      // step at least one pixel so the walk ends.
      x = std::max<int64_t>(x + p + RoundEven64(e * pattern[k + 1]), from + 1);
      k = (k + 2) % count;
    }
  }
  dc->setPen(old);
}
