// What a polyline through a run of curve samples paints along one device
// row, kept small enough to merge: a curve of a million samples drawn into a
// few thousand rows needs only four points per row to paint exactly the
// pixels that the polyline through every sample paints.
//
// Along one row a polyline only moves left and right. A one-pixel pen paints
// the union of its segments, and a round pen that union widened by half its
// width, so the samples of a row paint what the path from the first through
// the lowest and the highest to the last paints; the segments into and out
// of the row stay as they are. (Dashed pens follow the length of the path and
// are not reproduced pixel for pixel.)
//
// Runs are summarised in "keys" that map to columns monotonically: the value
// itself on a linear axis; on a logarithmic axis every value <= 0 takes the
// key 1 (such values stand at the axis origin, where 1 stands).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct TRunShape {
  double First = 0;
  double Last = 0;
  double Low = 0;
  double High = 0;
  bool Empty = true;
  bool Broken = false;  // the run holds a missing sample; the other fields are void
};

// The shape of one key.
TRunShape PointShape(double key);
// The shape of `a` followed by `b`.
TRunShape JoinShapes(const TRunShape& a, const TRunShape& b);
// The keys of the short path that paints like the run: first, lowest,
// highest, last. Returns their number (0 for an empty or broken run, else 4).
int OutlineKeys(const TRunShape& shape, double keys[4]);

// Whether a sample is missing: the curve's missing value, or not a number a
// position can be computed from.
bool IsMissingSample(double value, double nullValue);
// The key of a present sample.
inline double SampleKey(double value, bool logarithmic) { return logarithmic && !(value > 0) ? 1.0 : value; }

// Run shapes of every range of a curve's samples in constant time: the
// lowest and highest key of blocks of samples, the same of every power-of-two
// run of superblocks (a sparse table), and a running count of blocks with a
// missing sample; first and last keys are read from the samples themselves.
// A range reads at most a block's samples and a superblock's blocks at each
// end, and two entries of the table between.
class TCurveOutline {
 public:
  // Summarises `values` (not copied: they must stay as they are until the
  // next Build or Clear). Built once per change of the samples or the axis.
  void Build(const double* values, int64_t count, double nullValue, bool logarithmic);
  void Clear();
  bool Built() const { return FBuilt; }
  bool Matches(const double* values, int64_t count, double nullValue, bool logarithmic) const;

  // The shape of samples first..last (inclusive, within the built samples).
  TRunShape Shape(int64_t first, int64_t last) const;
  // The shape of samples first..last computed by reading them one by one.
  TRunShape ScanShape(int64_t first, int64_t last) const;
  // Asks the processor to fetch what a range ending near sample `index` will
  // read: a drawing by rows walks the samples with long strides, each row
  // waiting on memory otherwise.
  void Prefetch(int64_t index) const;

 private:
  static constexpr int64_t kBlock = 16;  // samples
  static constexpr int64_t kSuper = 16;  // blocks
  // Lowest and highest key of a range, or its missing sample.
  struct TSpan {
    double Low;
    double High;
    bool Missing;
  };
  TSpan ScanSpan(int64_t first, int64_t last) const;
  // Blocks b1 .. b2 - 1 (their missing samples are counted separately).
  void AddBlocks(int64_t b1, int64_t b2, TSpan* span) const;
  TRunShape ShapeOf(int64_t first, int64_t last, const TSpan& span) const;

  const double* FValues = nullptr;
  int64_t FCount = 0;
  double FNull = 0;
  bool FLogarithmic = false;
  bool FBuilt = false;
  int64_t FBlocks = 0;
  std::vector<double> FBlockSpans;  // low, high of every block
  // Blocks with a missing sample among blocks 0 .. b - 1.
  std::vector<int32_t> FMissingBefore;
  // Level k holds, for every superblock s, the low and high of superblocks
  // s .. s + 2^k - 1.
  std::vector<std::vector<double>> FLevels;
};
