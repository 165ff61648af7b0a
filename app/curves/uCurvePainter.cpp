#include "uCurvePainter.h"

#include <QLine>
#include <QPaintEngine>
#include <QPainter>
#include <QPolygon>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <vector>

#include "uCurveOutline.h"

namespace {

// Rows with at most this many samples are drawn sample by sample: their
// outline would not be shorter.
constexpr int64_t kDirectRow = 4;
// Lines collected before they are handed to the painter.
constexpr size_t kLineBatch = 4096;

// A one-pixel solid pen: its pixels are the union of its segments' pixels,
// so a row's samples paint exactly the span between their extreme columns.
bool IsHairline(const QPen& pen) { return pen.style() == Qt::SolidLine && pen.isCosmetic() && pen.widthF() <= 1; }

// A device that keeps the geometry it is given (a PDF or SVG file, a printer)
// rather than pixels. It is handed one polyline per unbroken stretch of the curve,
// each point named once: the hairline form names every inner point twice (the
// end of one segment and the start of the next) and adds a rectangle per row,
// and all of it is formatted and compressed into the file. Its rasteriser
// paints the polyline as the union of its segments, which is what the
// hairline form reproduces on raster devices.
bool KeepsGeometry(const QPainter* dc) {
  const QPaintEngine* engine = dc->paintEngine();
  return engine && (engine->type() == QPaintEngine::Pdf || engine->type() == QPaintEngine::SVG);
}

// Qt's SVG generator writes no clip paths: a curve cut at its track's edges
// must be cut before it is drawn there.
bool IgnoresClip(const QPainter* dc) {
  const QPaintEngine* engine = dc->paintEngine();
  return engine && engine->type() == QPaintEngine::SVG && dc->hasClipping();
}

// A polyline being collected; consecutive equal points are one point (a
// segment of no length adds nothing), a point passed on the way along a row
// is left out (the row's segments cover it), and a polyline of one point
// draws nothing. With a cut, only the parts of its segments between two
// columns are kept: a segment leaving them ends the polyline at the edge, one
// coming back starts a new one there.
class TPolylineSink {
 public:
  explicit TPolylineSink(QPainter* dc) : FDC(dc) {}
  void CutTo(int left, int right) {
    FCut = left <= right;
    FLeft = left;
    FRight = right;
  }
  void Add(const QPoint& p) {
    if (!FCut) {
      Append(p);
      return;
    }
    const bool inside = Inside(p);
    if (!FHasPrevious) {
      FHasPrevious = true;
      FPrevious = p;
      if (inside) Append(p);
      return;
    }
    const QPoint q = FPrevious;
    FPrevious = p;
    if (Inside(q) && inside) {
      Append(p);
      return;
    }
    // Both ends outside on the same side, or on one column outside: nothing shows.
    const int dx = p.x() - q.x();
    if (dx == 0) return;
    const double tLeft = static_cast<double>(FLeft - q.x()) / dx;
    const double tRight = static_cast<double>(FRight - q.x()) / dx;
    const double t0 = std::max(0.0, std::min(tLeft, tRight));
    const double t1 = std::min(1.0, std::max(tLeft, tRight));
    if (t0 > t1) return;
    const auto at = [&](double t) {
      const int x = std::clamp(static_cast<int>(std::lround(q.x() + t * dx)), FLeft, FRight);
      return QPoint(x, static_cast<int>(std::lround(q.y() + t * (p.y() - q.y()))));
    };
    if (!Inside(q)) Append(at(t0));
    Append(at(t1));
    if (!inside) Flush();
  }
  void Break() {
    Flush();
    FHasPrevious = false;
  }

 private:
  bool Inside(const QPoint& p) const { return p.x() >= FLeft && p.x() <= FRight; }
  void Flush() {
    if (FPoints.size() >= 2) FDC->drawPolyline(FPoints);
    FPoints.clear();
  }
  void Append(const QPoint& p) {
    const qsizetype n = FPoints.size();
    if (n > 0 && FPoints[n - 1] == p) return;
    if (n > 1 && FPoints[n - 1].y() == p.y() && FPoints[n - 2].y() == p.y()) {
      const int a = FPoints[n - 2].x(), b = FPoints[n - 1].x();
      if ((a <= b && b <= p.x()) || (a >= b && b >= p.x())) {
        FPoints[n - 1] = p;
        return;
      }
    }
    FPoints.append(p);
  }

  QPainter* FDC;
  QPolygon FPoints;
  bool FCut = false;
  int FLeft = 0;
  int FRight = 0;
  bool FHasPrevious = false;
  QPoint FPrevious;
};

// The hairline form of the same polyline: the segments between rows, each
// with both its end pixels, and in each row the span between its extreme
// columns (a row of pixels filled with the pen's colour: the pixels of the
// row's segments).
class TLineSink {
 public:
  explicit TLineSink(QPainter* dc) : FDC(dc) {
    FLines.reserve(kLineBatch);
    FSpans.reserve(kLineBatch);
  }
  ~TLineSink() { Flush(); }
  void AddRow(int firstColumn, int lastColumn, int low, int high, int row) {
    const QPoint start(firstColumn, row);
    if (FContinues && FLast != start) FLines.emplace_back(FLast, start);
    if (low < high) FSpans.emplace_back(low, row, high - low + 1, 1);
    FLast = QPoint(lastColumn, row);
    FContinues = true;
    if (FLines.size() >= kLineBatch || FSpans.size() >= kLineBatch) Flush();
  }
  // A segment within a row, drawn as a line (the drawing of every sample).
  void AddSegment(const QPoint& to) {
    if (FContinues && FLast != to) FLines.emplace_back(FLast, to);
    FLast = to;
    FContinues = true;
    if (FLines.size() >= kLineBatch) Flush();
  }
  void Break() { FContinues = false; }
  void Flush() {
    if (!FLines.empty()) FDC->drawLines(FLines.data(), static_cast<int>(FLines.size()));
    if (!FSpans.empty()) {
      const QPen pen = FDC->pen();
      const QBrush brush = FDC->brush();
      FDC->setPen(Qt::NoPen);
      FDC->setBrush(pen.brush());
      FDC->drawRects(FSpans.data(), static_cast<int>(FSpans.size()));
      FDC->setBrush(brush);
      FDC->setPen(pen);
    }
    FLines.clear();
    FSpans.clear();
  }

 private:
  QPainter* FDC;
  std::vector<QLine> FLines;
  std::vector<QRect> FSpans;
  QPoint FLast;
  bool FContinues = false;
};

// The last index of the row that index `i` (on row `row`) starts, at most
// `last`. Rows of a regular grid hold about as many samples as the row
// before (`hint`): the search starts there and widens from it.
int64_t RowEnd(const TCurveSamples& s, int64_t i, int row, int64_t last, int64_t hint) {
  int64_t low = i;  // on the row
  int64_t high;     // past the row, or last + 1
  int64_t probe = std::min(i + std::max<int64_t>(hint, 1) - 1, last);
  if (probe > i && s.Row(probe) != row) {
    // Fewer than the hint: back from it until the row is reached.
    high = probe;
    for (int64_t step = 1;; step *= 2) {
      probe = high - step;
      if (probe <= low) break;
      if (s.Row(probe) == row) {
        low = probe;
        break;
      }
      high = probe;
    }
  } else {
    low = probe;
    for (int64_t step = 1;; step *= 2) {
      probe = low + step;
      if (probe > last) {
        high = last + 1;
        break;
      }
      if (s.Row(probe) != row) {
        high = probe;
        break;
      }
      low = probe;
    }
  }
  while (high - low > 1) {
    const int64_t middle = low + (high - low) / 2;
    if (s.Row(middle) == row)
      low = middle;
    else
      high = middle;
  }
  return low;
}

// The outline of every row of samples first..last.
void ComputeRowSteps(const TCurveSamples& samples, int64_t first, int64_t last, const TCurveOutline& outline,
                     std::vector<TCurveDrawCache::TRowStep>* steps) {
  steps->clear();
  const double* values = samples.Values;
  const double null = samples.NullValue;
  const bool log = samples.Logarithmic;
  bool broken = false;
  const auto add = [&](int row, const TRunShape& shape) {
    steps->push_back({row, broken, shape});
    broken = false;
  };
  int64_t hint = 1;
  for (int64_t i = first; i <= last;) {
    const int row = samples.Row(i);
    const int64_t end = RowEnd(samples, i, row, last, hint);
    hint = end - i + 1;
    outline.Prefetch(end + 2 * hint);
    if (end - i + 1 <= kDirectRow) {
      for (int64_t k = i; k <= end; ++k) {
        const double v = values[k];
        if (IsMissingSample(v, null))
          broken = true;
        else
          add(row, PointShape(SampleKey(v, log)));
      }
    } else if (const TRunShape shape = outline.Shape(i, end); !shape.Broken) {
      add(row, shape);
    } else {
      // Missing samples within the row: each stretch between them is a run of its own.
      for (int64_t k = i; k <= end;) {
        if (IsMissingSample(values[k], null)) {
          broken = true;
          ++k;
          continue;
        }
        int64_t m = k;
        while (m < end && !IsMissingSample(values[m + 1], null)) ++m;
        add(row, outline.Shape(k, m));
        k = m + 1;
      }
    }
    i = end + 1;
  }
}

}  // namespace

void DrawCurveSamples(QPainter* dc, const TCurveSamples& samples, int64_t first, int64_t last, int64_t rows,
                      TCurveDrawCache* cache, TCurveDrawing mode) {
  if (!dc || !samples.Values || !samples.Column || !samples.Row) return;
  first = std::max<int64_t>(first, 0);
  last = std::min<int64_t>(last, samples.Count - 1);
  if (last <= first) return;  // a polyline needs two samples
  const double* values = samples.Values;
  const double null = samples.NullValue;
  const bool log = samples.Logarithmic;
  const auto column = [&](double key) {
    return std::clamp(samples.Column(key), -kCurveColumnLimit, kCurveColumnLimit);
  };

  const bool hairline = IsHairline(dc->pen()) && !KeepsGeometry(dc);
  TPolylineSink polyline(dc);
  if (IgnoresClip(dc)) {
    const QRectF clip = dc->clipBoundingRect();
    polyline.CutTo(static_cast<int>(std::floor(clip.left())), static_cast<int>(std::ceil(clip.right())) - 1);
  }
  TLineSink lines(dc);
  const auto breakLine = [&] { hairline ? lines.Break() : polyline.Break(); };

  if (mode == TCurveDrawing::EverySample || last - first + 1 <= rows) {
    for (int64_t i = first; i <= last; ++i) {
      const double v = values[i];
      if (IsMissingSample(v, null)) {
        breakLine();
        continue;
      }
      const QPoint p(column(SampleKey(v, log)), samples.Row(i));
      if (hairline)
        lines.AddSegment(p);
      else
        polyline.Add(p);
    }
    polyline.Break();
    lines.Flush();
    return;
  }

  TCurveDrawCache local;
  if (!cache) cache = &local;
  if (!cache->Outline.Matches(values, samples.Count, null, log)) {
    cache->Outline.Build(values, samples.Count, null, log);
    cache->StepsValid = false;
  }
  if (!cache->StepsValid || cache->First != first || cache->Last != last || cache->RowKey != samples.RowKey) {
    ComputeRowSteps(samples, first, last, cache->Outline, &cache->Steps);
    cache->First = first;
    cache->Last = last;
    cache->RowKey = samples.RowKey;
    cache->StepsValid = true;
  }

  for (const TCurveDrawCache::TRowStep& step : cache->Steps) {
    if (step.BreakBefore) breakLine();
    double keys[4];
    const int n = OutlineKeys(step.Shape, keys);
    if (n == 0) continue;
    if (hairline) {
      const int a = column(keys[0]);
      const int b = n == 1 ? a : column(keys[n - 1]);
      int low = std::min(a, b), high = std::max(a, b);
      for (int k = 1; k + 1 < n; ++k) {
        const int c = column(keys[k]);
        low = std::min(low, c);
        high = std::max(high, c);
      }
      lines.AddRow(a, b, low, high, step.Row);
    } else {
      for (int k = 0; k < n; ++k) polyline.Add(QPoint(column(keys[k]), step.Row));
    }
  }
  polyline.Break();
  lines.Flush();
}
