#include "uCurveOutline.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

TRunShape BrokenShape() {
  TRunShape s;
  s.Empty = false;
  s.Broken = true;
  return s;
}

}  // namespace

bool IsMissingSample(double value, double nullValue) { return value == nullValue || !std::isfinite(value); }

TRunShape PointShape(double key) {
  TRunShape s;
  s.First = s.Last = s.Low = s.High = key;
  s.Empty = false;
  return s;
}

TRunShape JoinShapes(const TRunShape& a, const TRunShape& b) {
  if (a.Empty) return b;
  if (b.Empty) return a;
  if (a.Broken || b.Broken) return BrokenShape();
  TRunShape r = a;
  r.Last = b.Last;
  r.Low = std::min(a.Low, b.Low);
  r.High = std::max(a.High, b.High);
  return r;
}

int OutlineKeys(const TRunShape& shape, double keys[4]) {
  if (shape.Empty || shape.Broken) return 0;
  keys[0] = shape.First;
  keys[1] = shape.Low;
  keys[2] = shape.High;
  keys[3] = shape.Last;
  return 4;
}

void TCurveOutline::Clear() {
  FValues = nullptr;
  FCount = 0;
  FBuilt = false;
  FLeaves = 0;
  FTree.clear();
  FTree.shrink_to_fit();
}

bool TCurveOutline::Matches(const double* values, int64_t count, double nullValue, bool logarithmic) const {
  return FBuilt && FValues == values && FCount == count && FLogarithmic == logarithmic &&
         std::bit_cast<uint64_t>(FNull) == std::bit_cast<uint64_t>(nullValue);
}

TRunShape TCurveOutline::ScanShape(int64_t first, int64_t last) const {
  TRunShape s;
  if (!FValues || first > last || first < 0 || last >= FCount) return s;
  if (IsMissingSample(FValues[first], FNull)) return BrokenShape();
  s = PointShape(SampleKey(FValues[first], FLogarithmic));
  for (int64_t i = first + 1; i <= last; ++i) {
    const double v = FValues[i];
    if (IsMissingSample(v, FNull)) return BrokenShape();
    const double key = SampleKey(v, FLogarithmic);
    s.Low = std::min(s.Low, key);
    s.High = std::max(s.High, key);
  }
  s.Last = SampleKey(FValues[last], FLogarithmic);
  return s;
}

void TCurveOutline::Build(const double* values, int64_t count, double nullValue, bool logarithmic) {
  Clear();
  FValues = values;
  FCount = values ? std::max<int64_t>(count, 0) : 0;
  FNull = nullValue;
  FLogarithmic = logarithmic;
  const int64_t blocks = (FCount + kBlock - 1) / kBlock;
  FLeaves = 1;
  while (FLeaves < blocks) FLeaves *= 2;
  FTree.assign(static_cast<size_t>(2 * FLeaves), TRunShape());
  for (int64_t b = 0; b < blocks; ++b)
    FTree[static_cast<size_t>(FLeaves + b)] = ScanShape(b * kBlock, std::min(FCount, (b + 1) * kBlock) - 1);
  for (int64_t i = FLeaves - 1; i >= 1; --i)
    FTree[static_cast<size_t>(i)] =
        JoinShapes(FTree[static_cast<size_t>(2 * i)], FTree[static_cast<size_t>(2 * i + 1)]);
  FBuilt = true;
}

TRunShape TCurveOutline::Shape(int64_t first, int64_t last) const {
  if (!FBuilt || first > last || first < 0 || last >= FCount) return TRunShape();
  const int64_t b1 = first / kBlock;
  const int64_t b2 = last / kBlock;
  if (b2 - b1 < 2) return ScanShape(first, last);
  // Partial blocks at both ends are read; the whole blocks between come from the tree.
  TRunShape left = ScanShape(first, (b1 + 1) * kBlock - 1);
  TRunShape right = ScanShape(b2 * kBlock, last);
  int64_t l = FLeaves + b1 + 1;
  int64_t r = FLeaves + b2;  // exclusive
  TRunShape middleLeft, middleRight;
  while (l < r) {
    if (l & 1) middleLeft = JoinShapes(middleLeft, FTree[static_cast<size_t>(l++)]);
    if (r & 1) middleRight = JoinShapes(FTree[static_cast<size_t>(--r)], middleRight);
    l /= 2;
    r /= 2;
  }
  return JoinShapes(JoinShapes(left, JoinShapes(middleLeft, middleRight)), right);
}
