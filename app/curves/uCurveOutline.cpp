#include "uCurveOutline.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

int8_t Direction(double from, double to) { return to > from ? 1 : (to < from ? -1 : 0); }

// Records a turn at `at` after moving in direction `before`.
void AddTurn(TRunShape* s, int8_t before, double at) {
  ++s->Turns;
  if (before > 0) {
    if (!s->HasHigh || at > s->HighTurn) s->HighTurn = at;
    s->HasHigh = true;
  } else {
    if (!s->HasLow || at < s->LowTurn) s->LowTurn = at;
    s->HasLow = true;
  }
}

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
  s.First = s.Last = key;
  s.Empty = false;
  return s;
}

TRunShape JoinShapes(const TRunShape& a, const TRunShape& b) {
  if (a.Empty) return b;
  if (b.Empty) return a;
  if (a.Broken || b.Broken) return BrokenShape();
  TRunShape r = a;
  r.Last = b.Last;
  r.Turns = a.Turns + b.Turns;
  if (b.HasHigh && (!r.HasHigh || b.HighTurn > r.HighTurn)) r.HighTurn = b.HighTurn;
  if (b.HasLow && (!r.HasLow || b.LowTurn < r.LowTurn)) r.LowTurn = b.LowTurn;
  r.HasHigh = a.HasHigh || b.HasHigh;
  r.HasLow = a.HasLow || b.HasLow;
  // The junction: the move from a's last key to b's first, then b's first move.
  int8_t previous = a.LastDir;
  const int8_t step = Direction(a.Last, b.First);
  if (step != 0) {
    if (previous != 0 && previous != step) AddTurn(&r, previous, a.Last);
    previous = step;
  }
  if (b.FirstDir != 0 && previous != 0 && previous != b.FirstDir) AddTurn(&r, previous, b.First);
  r.FirstDir = a.FirstDir != 0 ? a.FirstDir : (step != 0 ? step : b.FirstDir);
  r.LastDir = b.LastDir != 0 ? b.LastDir : (step != 0 ? step : a.LastDir);
  return r;
}

int OutlineKeys(const TRunShape& shape, double keys[5]) {
  if (shape.Empty || shape.Broken) return 0;
  int n = 0;
  keys[n++] = shape.First;
  // The turns alternate in kind, starting with the kind the first move leads
  // to; the run ends after a turn of the same kind as its last one. One turn
  // of each kind in that order stands for all of them, and a third when the
  // run ends after a turn of its first kind.
  const int64_t kept = shape.Turns < 3 ? shape.Turns : (shape.Turns % 2 == 0 ? 2 : 3);
  bool high = shape.FirstDir > 0;
  for (int64_t t = 0; t < kept; ++t, high = !high) keys[n++] = high ? shape.HighTurn : shape.LowTurn;
  keys[n++] = shape.Last;
  return n;
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
  for (int64_t i = first; i <= last; ++i) {
    const double v = FValues[i];
    if (IsMissingSample(v, FNull)) return BrokenShape();
    const double key = SampleKey(v, FLogarithmic);
    if (s.Empty) {
      s = PointShape(key);
      continue;
    }
    if (key == s.Last) continue;
    const int8_t dir = key > s.Last ? 1 : -1;
    if (s.LastDir != 0 && dir != s.LastDir) AddTurn(&s, s.LastDir, s.Last);
    if (s.FirstDir == 0) s.FirstDir = dir;
    s.LastDir = dir;
    s.Last = key;
  }
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
