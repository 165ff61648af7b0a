#include "uCurveOutline.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
  FBlocks = 0;
  FBlockSpans.clear();
  FBlockSpans.shrink_to_fit();
  FLevels.clear();
  FLevels.shrink_to_fit();
  FMissingBefore.clear();
  FMissingBefore.shrink_to_fit();
}

bool TCurveOutline::Matches(const double* values, int64_t count, double nullValue, bool logarithmic) const {
  return FBuilt && FValues == values && FCount == count && FLogarithmic == logarithmic &&
         std::bit_cast<uint64_t>(FNull) == std::bit_cast<uint64_t>(nullValue);
}

namespace {

// The lowest and highest key of n values and whether one is missing,
// without branches on the values, so that the loop runs at memory speed: a
// missing sample is noted (v - v is not 0 for infinities and NaN) and spoils
// only low and high, which are then not used. Two lanes of two doubles each
// (SSE2 is part of every x86-64 processor); x < y ? x : y is what MINPD does.
template <bool Logarithmic>
[[gnu::always_inline]] inline void ScanValues(const double* v, int64_t n, double null, double* lowOut, double* highOut,
                                              bool* missingOut) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  double low = inf, high = -inf;
  bool missing = false;
  int64_t i = 0;
#if defined(__SSE2__)
  const __m128d nulls = _mm_set1_pd(null), zero = _mm_setzero_pd(), one = _mm_set1_pd(1.0);
  __m128d low0 = _mm_set1_pd(inf), low1 = low0, high0 = _mm_set1_pd(-inf), high1 = high0;
  __m128d bad = _mm_setzero_pd();
  const auto take = [&](__m128d x, __m128d& lo, __m128d& hi) {
    bad = _mm_or_pd(bad, _mm_or_pd(_mm_cmpeq_pd(x, nulls), _mm_cmpneq_pd(_mm_sub_pd(x, x), zero)));
    if constexpr (Logarithmic) {
      const __m128d positive = _mm_cmpgt_pd(x, zero);
      x = _mm_or_pd(_mm_and_pd(positive, x), _mm_andnot_pd(positive, one));
    }
    lo = _mm_min_pd(x, lo);
    hi = _mm_max_pd(x, hi);
  };
  for (; i + 4 <= n; i += 4) {
    take(_mm_loadu_pd(v + i), low0, high0);
    take(_mm_loadu_pd(v + i + 2), low1, high1);
  }
  double lows[2], highs[2];
  _mm_storeu_pd(lows, _mm_min_pd(low0, low1));
  _mm_storeu_pd(highs, _mm_max_pd(high0, high1));
  low = std::min(lows[0], lows[1]);
  high = std::max(highs[0], highs[1]);
  missing = _mm_movemask_pd(bad) != 0;
#endif
  for (; i < n; ++i) {
    const double x = v[i];
    missing |= (x == null) | !(x - x == 0);
    const double key = Logarithmic ? (x > 0 ? x : 1.0) : x;
    low = key < low ? key : low;
    high = key > high ? key : high;
  }
  *lowOut = low;
  *highOut = high;
  *missingOut = missing;
}

}  // namespace

TCurveOutline::TSpan TCurveOutline::ScanSpan(int64_t first, int64_t last) const {
  TSpan span{};
  if (FLogarithmic)
    ScanValues<true>(FValues + first, last - first + 1, FNull, &span.Low, &span.High, &span.Missing);
  else
    ScanValues<false>(FValues + first, last - first + 1, FNull, &span.Low, &span.High, &span.Missing);
  return span;
}

TRunShape TCurveOutline::ShapeOf(int64_t first, int64_t last, const TSpan& span) const {
  if (span.Missing) return BrokenShape();
  TRunShape s;
  s.Empty = false;
  s.First = SampleKey(FValues[first], FLogarithmic);
  s.Last = SampleKey(FValues[last], FLogarithmic);
  s.Low = span.Low;
  s.High = span.High;
  return s;
}

TRunShape TCurveOutline::ScanShape(int64_t first, int64_t last) const {
  if (!FValues || first > last || first < 0 || last >= FCount) return TRunShape();
  return ShapeOf(first, last, ScanSpan(first, last));
}

void TCurveOutline::Build(const double* values, int64_t count, double nullValue, bool logarithmic) {
  Clear();
  FValues = values;
  FCount = values ? std::max<int64_t>(count, 0) : 0;
  FNull = nullValue;
  FLogarithmic = logarithmic;
  FBlocks = (FCount + kBlock - 1) / kBlock;
  const auto blocks = static_cast<size_t>(FBlocks);
  FBlockSpans.resize(2 * blocks);
  FMissingBefore.assign(blocks + 1, 0);
  const auto scanBlocks = [&]<bool Logarithmic>() {
    for (int64_t b = 0; b < FBlocks; ++b) {
      const int64_t first = b * kBlock;
      TSpan span{};
      ScanValues<Logarithmic>(FValues + first, std::min(FCount - first, kBlock), FNull, &span.Low, &span.High,
                              &span.Missing);
      FBlockSpans[static_cast<size_t>(2 * b)] = span.Low;
      FBlockSpans[static_cast<size_t>(2 * b + 1)] = span.High;
      FMissingBefore[static_cast<size_t>(b + 1)] = FMissingBefore[static_cast<size_t>(b)] + (span.Missing ? 1 : 0);
    }
  };
  if (FLogarithmic)
    scanBlocks.operator()<true>();
  else
    scanBlocks.operator()<false>();
  const auto supers = static_cast<size_t>((FBlocks + kSuper - 1) / kSuper);
  std::vector<double> level(2 * supers);
  for (size_t u = 0; u < supers; ++u) {
    TSpan span{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), false};
    AddBlocks(static_cast<int64_t>(u) * kSuper, std::min<int64_t>(FBlocks, static_cast<int64_t>(u + 1) * kSuper),
              &span);
    level[2 * u] = span.Low;
    level[2 * u + 1] = span.High;
  }
  FLevels.push_back(std::move(level));
  for (size_t width = 2; width <= supers; width *= 2) {
    const std::vector<double>& below = FLevels.back();
    std::vector<double> next(2 * (supers - width + 1));
    for (size_t u = 0; u + width <= supers; ++u) {
      const size_t other = u + width / 2;
      next[2 * u] = std::min(below[2 * u], below[2 * other]);
      next[2 * u + 1] = std::max(below[2 * u + 1], below[2 * other + 1]);
    }
    FLevels.push_back(std::move(next));
  }
  FBuilt = true;
}

void TCurveOutline::Prefetch(int64_t index) const {
  if (!FBuilt || index < 0 || index >= FCount) return;
  const int64_t start = index - index % kBlock;
  __builtin_prefetch(FValues + start);
  __builtin_prefetch(FValues + std::min(FCount - 1, start + kBlock - 1));
  const int64_t block = index / kBlock;
  const int64_t from = std::max<int64_t>(0, block - block % kSuper);
  for (int64_t b = from; b < std::min(FBlocks, from + kSuper); b += 4) __builtin_prefetch(FBlockSpans.data() + 2 * b);
  __builtin_prefetch(FMissingBefore.data() + block);
}

void TCurveOutline::AddBlocks(int64_t b1, int64_t b2, TSpan* span) const {
  for (int64_t b = b1; b < b2; ++b) {
    span->Low = std::min(span->Low, FBlockSpans[static_cast<size_t>(2 * b)]);
    span->High = std::max(span->High, FBlockSpans[static_cast<size_t>(2 * b + 1)]);
  }
}

TRunShape TCurveOutline::Shape(int64_t first, int64_t last) const {
  if (!FBuilt || first > last || first < 0 || last >= FCount) return TRunShape();
  const int64_t b1 = first / kBlock + 1;  // the whole blocks b1 .. b2 - 1
  const int64_t b2 = last / kBlock;
  if (b2 <= b1) return ScanShape(first, last);
  // Samples of the partial blocks at both ends are read, then the blocks up
  // to the whole superblocks, then those from two overlapping power-of-two
  // runs of the table.
  TSpan span = ScanSpan(first, b1 * kBlock - 1);
  const TSpan right = ScanSpan(b2 * kBlock, last);
  span.Low = std::min(span.Low, right.Low);
  span.High = std::max(span.High, right.High);
  span.Missing = span.Missing || right.Missing ||
                 FMissingBefore[static_cast<size_t>(b2)] != FMissingBefore[static_cast<size_t>(b1)];
  if (span.Missing) return BrokenShape();
  const int64_t u1 = (b1 + kSuper - 1) / kSuper;  // the whole superblocks u1 .. u2 - 1
  const int64_t u2 = b2 / kSuper;
  if (u2 <= u1) {
    AddBlocks(b1, b2, &span);
  } else {
    AddBlocks(b1, u1 * kSuper, &span);
    AddBlocks(u2 * kSuper, b2, &span);
    const auto n = static_cast<uint64_t>(u2 - u1);
    const int k = std::bit_width(n) - 1;
    const std::vector<double>& level = FLevels[static_cast<size_t>(k)];
    const auto a = static_cast<size_t>(u1), b = static_cast<size_t>(u2 - (int64_t{1} << k));
    span.Low = std::min({span.Low, level[2 * a], level[2 * b]});
    span.High = std::max({span.High, level[2 * a + 1], level[2 * b + 1]});
  }
  return ShapeOf(first, last, span);
}
