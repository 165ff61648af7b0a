// Draws a curve's samples as a polyline in device pixels, broken at missing
// samples. When the samples outnumber the device rows they fall on, each row
// is drawn from a short outline of its samples (uCurveOutline.h): the same
// pixels as the polyline through every sample, in time that grows with the
// rows rather than with the samples.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "uCurveOutline.h"

class QPainter;

struct TCurveSamples {
  const double* Values = nullptr;
  int64_t Count = 0;
  double NullValue = 0;
  bool Logarithmic = false;  // keys of values <= 0 are 1 (uCurveOutline.h)
  // Device column of a sample key and device row of a sample index; both
  // monotonic, the row along the index and the column along the key.
  std::function<int(double key)> Column;
  std::function<int(int64_t index)> Row;
  // The numbers Row depends on (depth grid, depth mapping, vertical pixel
  // mapping): equal numbers give equal rows.
  std::array<double, 8> RowKey{};
};

// What a curve keeps between drawings: the outline of its samples (built
// once per change of the samples or the axis) and the outline of every row
// of the last view drawn by rows, which a drawing of the same rows reuses
// (the view's columns may differ: a new axis, scroll or width).
struct TCurveDrawCache {
  struct TRowStep {
    int Row;
    bool BreakBefore;  // a missing sample precedes this run
    TRunShape Shape;
  };
  TCurveOutline Outline;
  int64_t First = -1;
  int64_t Last = -1;
  std::array<double, 8> RowKey{};
  std::vector<TRowStep> Steps;
  bool StepsValid = false;
  void Clear() {
    Outline.Clear();
    Steps.clear();
    StepsValid = false;
  }
};

enum class TCurveDrawing {
  Auto,        // every sample while they are no more than the rows, else by rows
  EverySample  // the polyline through every sample (the reference of the row drawing)
};

// Device columns further than this from zero are drawn at this distance:
// far outside any device, and within what the raster engine takes.
inline constexpr int kCurveColumnLimit = 1 << 22;

// Draws samples first..last with the painter's pen. `rows` is the number of
// device rows the view shows; `cache` belongs to the same samples (filled on
// demand when the rows are drawn from outlines; may be null).
void DrawCurveSamples(QPainter* dc, const TCurveSamples& samples, int64_t first, int64_t last, int64_t rows,
                      TCurveDrawCache* cache, TCurveDrawing mode = TCurveDrawing::Auto);
