// A curve plot of samples on a regular depth grid: sample i belongs to depth
// StartDepth + i * DepthStep; samples equal to NullValue are missing and
// break the line.
#pragma once

#include <vector>

#include "uCurveOutline.h"
#include "uCurvePainter.h"
#include "uPrintDiagrammBase.h"

class TStringTable;

class TPrintDiagramm : public TPrintDiagrammBase {
 public:
  int GetKind() const override { return kindDiagramm; }
  // The samples between the rows being repainted (at least two of them),
  // broken at missing samples; values beyond the column are not clipped.
  void DrawData(TDrawContext& context) override;
  // The largest present sample, 0 when there is none above 0.
  double MaxValue() const override;
  // Children first (in list order); then the curve when x lies within 3 mm
  // of the segment from the sample one step above the depth at y to the
  // sample at it. Missing samples take no part.
  uint32_t HitTest(double x, double y, TPrintObject** target) override;
  // Layout update: the height reaches EndDepth (while there are samples),
  // children other than markers move to the curve's left, the width is
  // refitted; then the parent follows.
  void Changed() override;
  // A stream whose samples are damaged loads an empty curve and says so
  // (Ui().Message); so does one with a step that is not positive.
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  void DumpProperties(QJsonObject* json) const override;

  const std::vector<double>& Samples() const { return FSamples; }
  int64_t SampleCount() const { return static_cast<int64_t>(FSamples.size()); }
  double StartDepth() const { return FStartDepth; }
  void SetStartDepth(double value);
  // Steps that are not positive and finite are refused (false).
  double DepthStep() const { return FDepthStep; }
  bool SetDepthStep(double value);
  double NullValue() const { return FNullValue; }
  void SetNullValue(double value);
  // Replaces the grid and the samples; false (nothing changed) for a step
  // that is not positive and finite or more than kMaxCurveSamples values.
  bool SetSamples(double startDepth, double depthStep, std::vector<double> values);

  // nint((depth - StartDepth) / DepthStep), ties to even, saturated.
  int64_t IndexOfDepth(double depth) const;
  double DepthOfIndex(int64_t index) const { return static_cast<double>(index) * FDepthStep + FStartDepth; }
  double EndDepth() const { return DepthOfIndex(SampleCount() - 1); }
  // The sample at the index of `depth`; NullValue outside the samples.
  double ValueAt(double depth) const;
  // From StartDepth on: the samples end at `depth` (longer or shorter), new
  // ones missing. False (and nothing changed) above StartDepth or beyond
  // kMaxCurveSamples.
  bool ExtendTo(double depth);
  // Fills every gap between two present samples along the straight line
  // between them; gaps before the first and after the last stay.
  void Interpolate();
  // Samples from a table: depths in column 0, values in column `column`, rows
  // firstRow..lastRow. StartDepth becomes the smallest depth and the grid
  // reaches the largest (DepthStep stays); each row's value goes to the
  // index of its depth (the later row wins); unreadable values are missing,
  // rows with unreadable depths are skipped. Then the height, the user
  // defaults of the name, the name caption and the scale header. False, and
  // nothing changed, for a bad column or row range or too many samples.
  bool ImportColumn(const TStringTable* table, int column, int firstRow, int lastRow);

  // How DrawData draws: by rows when the samples outnumber them (the same
  // pixels), or every sample (to compare with).
  void SetDrawing(TCurveDrawing mode) { FDrawing = mode; }

 private:
  void SamplesChanged();
  bool IsMissing(double value) const { return IsMissingSample(value, FNullValue); }
  void ReportDamage();

  std::vector<double> FSamples;
  double FStartDepth = 0;
  double FDepthStep = 1;
  double FNullValue = kDefaultNullValue;
  TCurveDrawing FDrawing = TCurveDrawing::Auto;
  mutable TCurveDrawCache FDrawCache;
  mutable double FMaxValue = 0;
  mutable bool FMaxValid = false;
};
