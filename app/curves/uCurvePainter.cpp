#include "uCurvePainter.h"

#include <QLine>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
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

// A polyline being collected; consecutive equal points are one point (a
// segment of no length adds nothing), and a polyline of one point draws nothing.
class TPolylineSink {
 public:
  explicit TPolylineSink(QPainter* dc) : FDC(dc) {}
  void Add(const QPoint& p) {
    if (FPoints.isEmpty() || FPoints.constLast() != p) FPoints.append(p);
  }
  void Break() {
    if (FPoints.size() >= 2) FDC->drawPolyline(FPoints);
    FPoints.clear();
  }

 private:
  QPainter* FDC;
  QPolygon FPoints;
};

// The hairline form of the same polyline: the segment into each row from the
// previous row's last point, and the span of the row.
class TLineSink {
 public:
  explicit TLineSink(QPainter* dc) : FDC(dc) { FLines.reserve(kLineBatch); }
  ~TLineSink() { Flush(); }
  void AddRow(int firstColumn, int lastColumn, int low, int high, int row) {
    const QPoint start(firstColumn, row);
    if (FContinues && FLast != start) Add(QLine(FLast, start));
    if (low < high) Add(QLine(low, row, high, row));
    FLast = QPoint(lastColumn, row);
    FContinues = true;
  }
  void Break() { FContinues = false; }
  void Flush() {
    if (!FLines.empty()) FDC->drawLines(FLines.data(), static_cast<int>(FLines.size()));
    FLines.clear();
  }

 private:
  void Add(const QLine& line) {
    FLines.push_back(line);
    if (FLines.size() >= kLineBatch) Flush();
  }
  QPainter* FDC;
  std::vector<QLine> FLines;
  QPoint FLast;
  bool FContinues = false;
};

// The last index of the row that index `i` (on row `row`) starts, at most `last`.
int64_t RowEnd(const TCurveSamples& s, int64_t i, int row, int64_t last) {
  int64_t low = i;  // on the row
  int64_t high;     // past the row, or last + 1
  for (int64_t step = 1;; step *= 2) {
    const int64_t probe = i + step;
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
  while (high - low > 1) {
    const int64_t middle = low + (high - low) / 2;
    if (s.Row(middle) == row)
      low = middle;
    else
      high = middle;
  }
  return low;
}

}  // namespace

void DrawCurveSamples(QPainter* dc, const TCurveSamples& samples, int64_t first, int64_t last, int64_t rows,
                      TCurveOutline* outline, TCurveDrawing mode) {
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

  const bool hairline = IsHairline(dc->pen());
  TPolylineSink polyline(dc);
  TLineSink lines(dc);
  const auto breakLine = [&] { hairline ? lines.Break() : polyline.Break(); };
  const auto addPoint = [&](int c, int row) {
    if (hairline)
      lines.AddRow(c, c, c, c, row);
    else
      polyline.Add(QPoint(c, row));
  };

  if (mode == TCurveDrawing::EverySample || last - first + 1 <= rows) {
    for (int64_t i = first; i <= last; ++i) {
      const double v = values[i];
      if (IsMissingSample(v, null))
        breakLine();
      else
        addPoint(column(SampleKey(v, log)), samples.Row(i));
    }
    polyline.Break();
    lines.Flush();
    return;
  }

  TCurveOutline local;
  if (!outline) outline = &local;
  if (!outline->Matches(values, samples.Count, null, log)) outline->Build(values, samples.Count, null, log);

  const auto addShape = [&](const TRunShape& shape, int row) {
    double keys[4];
    const int n = OutlineKeys(shape, keys);
    if (n == 0) return;
    if (hairline) {
      int low = column(keys[0]), high = low;
      for (int k = 1; k < n; ++k) {
        const int c = column(keys[k]);
        low = std::min(low, c);
        high = std::max(high, c);
      }
      lines.AddRow(column(keys[0]), column(keys[n - 1]), low, high, row);
    } else {
      for (int k = 0; k < n; ++k) polyline.Add(QPoint(column(keys[k]), row));
    }
  };

  for (int64_t i = first; i <= last;) {
    const int row = samples.Row(i);
    const int64_t end = RowEnd(samples, i, row, last);
    if (end - i + 1 <= kDirectRow) {
      for (int64_t k = i; k <= end; ++k) {
        const double v = values[k];
        if (IsMissingSample(v, null))
          breakLine();
        else
          addShape(PointShape(SampleKey(v, log)), row);
      }
    } else if (const TRunShape shape = outline->Shape(i, end); !shape.Broken) {
      addShape(shape, row);
    } else {
      // Missing samples within the row: each stretch between them is a run of its own.
      for (int64_t k = i; k <= end;) {
        if (IsMissingSample(values[k], null)) {
          breakLine();
          ++k;
          continue;
        }
        int64_t m = k;
        while (m < end && !IsMissingSample(values[m + 1], null)) ++m;
        addShape(outline->Shape(k, m), row);
        k = m + 1;
      }
    }
    i = end + 1;
  }
  polyline.Break();
  lines.Flush();
}
