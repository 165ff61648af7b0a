#include "uAreaPainting.h"

#include <QFont>
#include <QPainter>
#include <cmath>

#include "uDrawContext.h"
#include "uLanguage.h"
#include "uPrintDocument.h"
#include "uPrintTarget.h"

namespace {

const QColor kBackgroundGrey(0xC8, 0xC8, 0xC8);
const QColor kEdgeGrey(0x80, 0x80, 0x80);
const QColor kShadowGrey(0x60, 0x60, 0x60);

// Multiples of `step` mm whose pixel lies within [from, to) along one axis.
template <class ToPixel, class Line>
void ForEachMultiple(double firstMm, double lastMm, double step, ToPixel toPixel, int from, int to, Line line) {
  const double first = std::ceil(firstMm / step);
  const double last = std::floor(lastMm / step);
  for (double k = first; k <= last; k += 1) {
    const int p = toPixel(k * step);
    if (p >= from && p < to) line(p);
  }
}

}  // namespace

double GridStep(double snap, double zoom) {
  double step = snap > 0 && std::isfinite(snap) ? snap : 1.0;
  const double least = 3.0 / std::max(zoom, 1e-3);
  while (step < least) step *= 2;
  return step;
}

void DrawPageBackground(QPainter* dc, const QRect& page, const QRect& view) {
  if (!dc || view.isEmpty()) return;
  const QRect paper = page.adjusted(-2, -2, 2, 2);
  const QRect white = paper.intersected(view);
  if (white.isEmpty()) {
    dc->fillRect(view, kBackgroundGrey);
    return;
  }
  // Grey only where the paper is not, so the white is painted once.
  const QRegion grey = QRegion(view).subtracted(QRegion(white));
  for (const QRect& r : grey) dc->fillRect(r, kBackgroundGrey);
  dc->fillRect(white, Qt::white);

  dc->save();
  dc->setClipRect(view);
  dc->setPen(CosmeticPen(kEdgeGrey));
  const int left = paper.left() - 1;
  const int top = paper.top() - 1;
  const int right = paper.right() + 1;
  const int bottom = paper.bottom() + 1;
  // Edges outside the view fall to the clip.
  dc->drawLine(left, top, left, bottom);
  dc->drawLine(left, top, right, top);
  dc->drawLine(right, top, right, bottom);
  dc->drawLine(left, bottom, right, bottom);
  // The shadow: 4 pixels wide, 2 pixels off the edge, starting 6 pixels along it.
  dc->fillRect(QRect(QPoint(right + 2, top + 6), QPoint(right + 5, bottom + 5)), kShadowGrey);
  dc->fillRect(QRect(QPoint(left + 6, bottom + 2), QPoint(right + 5, bottom + 5)), kShadowGrey);
  dc->restore();
}

void DrawGrid(const TDrawContext& context, const QRect& area, double step) {
  QPainter* dc = context.DC;
  if (!dc || area.isEmpty() || !(step > 0)) return;
  const double mmLeft = context.PageX(area.left());
  const double mmRight = context.PageX(area.right() + 1);
  const double mmTop = context.PageY(area.top());
  const double mmBottom = context.PageY(area.bottom() + 1);
  const auto toX = [&](double mm) { return context.PixelX(mm); };
  const auto toY = [&](double mm) { return context.PixelY(mm); };
  const QPen previous = dc->pen();
  for (const auto& [every, rgb] : {std::pair{step, kGridFineRgb}, std::pair{step * 5, kGridCoarseRgb}}) {
    dc->setPen(CosmeticPen(QColor::fromRgb(rgb)));
    ForEachMultiple(mmLeft, mmRight, every, toX, area.left(), area.right() + 1,
                    [&](int x) { dc->drawLine(x, area.top(), x, area.bottom()); });
    ForEachMultiple(mmTop, mmBottom, every, toY, area.top(), area.bottom() + 1,
                    [&](int y) { dc->drawLine(area.left(), y, area.right(), y); });
  }
  dc->setPen(previous);
}

void DrawPageBoundaries(const TDrawContext& context, const TPrintDocument& document, const TPageTiling& tiling) {
  QPainter* dc = context.DC;
  if (!dc || tiling.PageWidth <= 0 || tiling.PageHeight <= 0) return;
  const int across = document.PagesAcross(tiling);
  const int down = document.PagesDown(tiling);
  if (across <= 0 || down <= 0) return;
  const double x0 = document.Left() - tiling.ShiftX;
  const double y0 = document.Top() - tiling.ShiftY;
  const int stepX = tiling.StepX();
  const int stepY = tiling.StepY();
  const int left = context.PixelX(x0);
  const int right = context.PixelX(x0 + (across - 1) * stepX + tiling.PageWidth);
  const int top = context.PixelY(y0);
  const int bottom = context.PixelY(y0 + (down - 1) * stepY + tiling.PageHeight);
  const QRect clip = ToQRect(context.ClipRect);
  dc->save();
  dc->setClipRect(clip);
  dc->setPen(CosmeticPen(QColor::fromRgb(kPageBoundaryRgb), psDash));
  dc->setBrush(Qt::NoBrush);
  for (int r = 0; r < down; ++r) {
    const double y = y0 + r * stepY;
    for (const double edge : {y, y + tiling.PageHeight}) {
      const int py = context.PixelY(edge);
      if (py >= clip.top() && py <= clip.bottom()) dc->drawLine(left, py, right, py);
    }
  }
  for (int c = 0; c < across; ++c) {
    const double x = x0 + c * stepX;
    for (const double edge : {x, x + tiling.PageWidth}) {
      const int px = context.PixelX(edge);
      if (px >= clip.left() && px <= clip.right()) dc->drawLine(px, top, px, bottom);
    }
  }
  QFont font = dc->font();
  font.setPointSize(24);
  dc->setFont(font);
  dc->setPen(QColor::fromRgb(kPageBoundaryRgb));
  const QString word = TranslateWord(QStringLiteral("page"));
  for (int c = 0; c < across; ++c) {
    for (int r = 0; r < down; ++r) {
      const QRect cell(QPoint(context.PixelX(x0 + c * stepX), context.PixelY(y0 + r * stepY)),
                       QPoint(context.PixelX(x0 + (c + 1) * stepX) - 1, context.PixelY(y0 + (r + 1) * stepY) - 1));
      if (!cell.intersects(clip)) continue;
      dc->drawText(cell, Qt::AlignCenter, word + QLatin1Char(' ') + QString::number(c * down + r + 1));
    }
  }
  dc->restore();
}
