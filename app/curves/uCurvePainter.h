// Draws a curve's samples as a polyline in device pixels, broken at missing
// samples. When the samples outnumber the device rows they fall on, each row
// is drawn from a short outline of its samples (uCurveOutline.h): the same
// pixels as the polyline through every sample, in time that grows with the
// rows rather than with the samples.
#pragma once

#include <cstdint>
#include <functional>

class QPainter;
class TCurveOutline;

struct TCurveSamples {
  const double* Values = nullptr;
  int64_t Count = 0;
  double NullValue = 0;
  bool Logarithmic = false;  // keys of values <= 0 are 1 (uCurveOutline.h)
  // Device column of a sample key and device row of a sample index; both
  // monotonic, the row along the index and the column along the key.
  std::function<int(double key)> Column;
  std::function<int(int64_t index)> Row;
};

enum class TCurveDrawing {
  Auto,        // every sample while they are no more than the rows, else by rows
  EverySample  // the polyline through every sample (the reference of the row drawing)
};

// Device columns further than this from zero are drawn at this distance:
// far outside any device, and within what the raster engine takes.
inline constexpr int kCurveColumnLimit = 1 << 22;

// Draws samples first..last with the painter's pen. `rows` is the number of
// device rows the view shows; `outline` summarises the same samples (built on
// demand when the rows are drawn from it).
void DrawCurveSamples(QPainter* dc, const TCurveSamples& samples, int64_t first, int64_t last, int64_t rows,
                      TCurveOutline* outline, TCurveDrawing mode = TCurveDrawing::Auto);
