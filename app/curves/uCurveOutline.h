// What a polyline through a run of curve samples looks like along one device
// row, kept small enough to merge: a curve of a million samples drawn into a
// few thousand rows needs only a handful of points per row to paint exactly
// the pixels that the polyline through every sample paints.
//
// Along one row a polyline only moves left and right. Its pixels are then the
// span between its extreme columns, the joins at its first and last point
// (which depend on the direction it leaves and enters them) and the joins
// where it turns back; the join of a turn lies inside the span and the join of
// the outermost turn of the same kind. So a run is drawn like the polyline
// through its first value, its outermost turning values (at most three, the
// kinds alternating as in the run) and its last value.
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
  double HighTurn = 0;  // the largest key where the run turns from rising to falling
  double LowTurn = 0;   // the smallest key where it turns from falling to rising
  int64_t Turns = 0;    // how many times the run turns back
  int8_t FirstDir = 0;  // direction of the first move that changes the key: -1, 0 or 1
  int8_t LastDir = 0;   // direction of the last such move
  bool HasHigh = false;
  bool HasLow = false;
  bool Empty = true;
  bool Broken = false;  // the run holds a missing sample; the other fields are void
};

// The shape of one key.
TRunShape PointShape(double key);
// The shape of `a` followed by `b`.
TRunShape JoinShapes(const TRunShape& a, const TRunShape& b);
// The keys of the short polyline that draws like the run: first, the turns
// (outermost of their kind, alternating), last. Returns their number (0 for
// an empty or broken run, else 1 to 5).
int OutlineKeys(const TRunShape& shape, double keys[5]);

// Whether a sample is missing: the curve's missing value, or not a number a
// position can be computed from.
bool IsMissingSample(double value, double nullValue);
// The key of a present sample.
inline double SampleKey(double value, bool logarithmic) { return logarithmic && !(value > 0) ? 1.0 : value; }

// Run shapes of every range of a curve's samples in logarithmic time: blocks
// of samples summarised once, and a tree of blocks above them.
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

 private:
  static constexpr int64_t kBlock = 64;

  const double* FValues = nullptr;
  int64_t FCount = 0;
  double FNull = 0;
  bool FLogarithmic = false;
  bool FBuilt = false;
  int64_t FLeaves = 0;  // power of two >= number of blocks
  std::vector<TRunShape> FTree;
};
