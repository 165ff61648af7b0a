// The histogram (kind 12): a curve plot of depth intervals, each with one
// value, drawn as a step line whose vertical segments stand at the value's
// position across the column.
#pragma once

#include <vector>

#include "uPrintDiagrammBase.h"

class TStringTable;

// One interval, also its stored form: three little-endian doubles.
struct THistInterval {
  double TopDepth = 0;
  double BottomDepth = 0;
  double Value = 0;
  bool operator==(const THistInterval&) const = default;
};

class TPrintHistogramm : public TPrintDiagrammBase {
 public:
  int GetKind() const override { return kindHistogramm; }
  // The largest value, never below 0.
  double MaxValue() const override;
  // Intervals in stored order; an interval whose top row is where the
  // previous one ended joins it with a horizontal step.
  void DrawData(TDrawContext& context) override;
  // Children first; then the histogram when x lies within 5 mm of the value
  // of the interval at the depth of y.
  uint32_t HitTest(double x, double y, TPrintObject** target) override;
  // The page position of the last interval's bottom (of depth 0 without
  // intervals) less Top.
  double GetChildrenHeight() const override;
  void Changed() override;
  // A count the stored bytes cannot hold loads no intervals and says so.
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  void DumpProperties(QJsonObject* json) const override;

  const std::vector<THistInterval>& Intervals() const { return FIntervals; }
  void SetIntervals(std::vector<THistInterval> intervals);
  // The first interval with TopDepth <= depth <= BottomDepth, or -1.
  int FindInterval(double depth) const;
  // Name from the value column's header; one interval per row whose three
  // texts are numbers; then the user defaults of the name, the name caption
  // and the scale header.
  void ImportIntervalColumn(const TStringTable& table, int fromColumn, int valueColumn, int toColumn);

 private:
  std::vector<THistInterval> FIntervals;
};
