#include "uPrintDiagramm.h"

#include <QJsonObject>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

#include "qsID.h"
#include "uCurveSamples.h"
#include "uIniFile.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPrintDiagrams.h"
#include "uStringTable.h"
#include "uUiServices.h"

namespace {

constexpr int32_t idNullValue = 5382;
constexpr int32_t idDepthStep = 5379;
constexpr int32_t idStartDepth = 5391;

// Half the width of the band around the curve that answers a hit test (mm).
constexpr double kHitReach = 3;

// How far from a sample's index a depth still counts as the sample's own
// (the body's start depth given in a file is rounded).
constexpr double kIndexTolerance = 1e-6;

bool ValidStep(double step) { return step > 0 && std::isfinite(step); }

double CellNumber(const TStringTable& table, int column, int row, double def) {
  const std::string_view text = table.Cells().Utf8(column, row);
  return ReadNumber(text, def);
}

}  // namespace

void TPrintDiagramm::SamplesChanged() {
  FDrawCache.Clear();
  FMaxValid = false;
}

void TPrintDiagramm::SetStartDepth(double value) {
  if (value == FStartDepth || !std::isfinite(value)) return;
  FStartDepth = value;
  SetModified(true);
}

bool TPrintDiagramm::SetDepthStep(double value) {
  if (!ValidStep(value)) return false;
  if (value != FDepthStep) {
    FDepthStep = value;
    SetModified(true);
  }
  return true;
}

void TPrintDiagramm::SetNullValue(double value) {
  if (value == FNullValue) return;
  FNullValue = value;
  SamplesChanged();
  SetModified(true);
}

bool TPrintDiagramm::SetSamples(double startDepth, double depthStep, std::vector<double> values) {
  if (!ValidStep(depthStep) || !std::isfinite(startDepth) || static_cast<int64_t>(values.size()) > kMaxCurveSamples)
    return false;
  FStartDepth = startDepth;
  FDepthStep = depthStep;
  FSamples = std::move(values);
  SamplesChanged();
  SetModified(true);
  return true;
}

int64_t TPrintDiagramm::IndexOfDepth(double depth) const { return RoundEven64((depth - FStartDepth) / FDepthStep); }

double TPrintDiagramm::ValueAt(double depth) const {
  if (!std::isfinite(depth)) return FNullValue;
  const int64_t i = IndexOfDepth(depth);
  return i >= 0 && i < SampleCount() ? FSamples[static_cast<size_t>(i)] : FNullValue;
}

bool TPrintDiagramm::ExtendTo(double depth) {
  if (!(depth >= FStartDepth) || !std::isfinite(depth)) return false;
  const int64_t count = IndexOfDepth(depth) + 1;
  if (count > kMaxCurveSamples) return false;
  FSamples.resize(static_cast<size_t>(count), FNullValue);
  SamplesChanged();
  SetModified(true);
  return true;
}

void TPrintDiagramm::Interpolate() {
  if (FSamples.size() < 3) return;
  int64_t a = -1;  // the last present sample seen
  bool changed = false;
  for (int64_t i = 0; i < SampleCount(); ++i) {
    if (IsMissing(FSamples[static_cast<size_t>(i)])) continue;
    if (a >= 0 && i - a > 1) {
      const double sa = FSamples[static_cast<size_t>(a)];
      const double si = FSamples[static_cast<size_t>(i)];
      for (int64_t k = a + 1; k < i; ++k)
        FSamples[static_cast<size_t>(k)] = sa + (si - sa) * static_cast<double>(k - a) / static_cast<double>(i - a);
      changed = true;
    }
    a = i;
  }
  if (!changed) return;
  SamplesChanged();
  SetModified(true);
}

bool TPrintDiagramm::ImportColumn(const TStringTable* table, int column, int firstRow, int lastRow) {
  if (!table || column < 0 || column >= table->ColCount() || firstRow < 0 || firstRow > lastRow ||
      lastRow >= table->RowCount())
    return false;
  // Rows whose depth cannot be read take no part: counting them as depth 0
  // would stretch the grid from the surface down.
  const double none = std::numeric_limits<double>::quiet_NaN();
  double low = none, high = none;
  for (int r = firstRow; r <= lastRow; ++r) {
    const double d = CellNumber(*table, 0, r, none);
    if (std::isnan(d) || d == FNullValue) continue;
    if (std::isnan(low) || d < low) low = d;
    if (std::isnan(high) || d > high) high = d;
  }
  if (std::isnan(low) || !std::isfinite(low) || !std::isfinite(high)) return false;
  const double span = std::nearbyint((high - low) / FDepthStep);
  if (!(span + 1 <= static_cast<double>(kMaxCurveSamples))) return false;

  // A new grid: samples of an earlier grid would stand at other depths.
  FStartDepth = low;
  FSamples.assign(static_cast<size_t>(span) + 1, FNullValue);
  for (int r = firstRow; r <= lastRow; ++r) {
    const double d = CellNumber(*table, 0, r, FNullValue);
    if (d == FNullValue || std::isnan(d)) continue;
    const int64_t i = IndexOfDepth(d);
    if (i >= 0 && i < SampleCount()) FSamples[static_cast<size_t>(i)] = CellNumber(*table, column, r, FNullValue);
  }
  SamplesChanged();
  SetModified(true);

  SetHeight(DepthToPage(EndDepth()) - FTop);
  TIniFile defaults(CurveDefaultsFileName());
  LoadFromIni(&defaults, FName, QString());
  RefitWidth();
  AddNameCaption(&defaults);
  AddScaleHeader(&defaults);
  return true;
}

double TPrintDiagramm::MaxValue() const {
  if (!FMaxValid) {
    // Missing samples do not count, whatever value marks them.
    double m = 0;
    for (const double v : FSamples)
      if (v > m && !IsMissing(v)) m = v;
    FMaxValue = m;
    FMaxValid = true;
  }
  return FMaxValue;
}

void TPrintDiagramm::DrawData(TDrawContext& context) {
  QPainter* dc = context.DC;
  if (!dc || FSamples.size() < 2) return;
  // The samples that reach into the rows being drawn: from the last one at or
  // above the top row to the first one at or below the bottom row, so that a
  // segment crossing the edge of a page (or of a repainted band) is drawn on
  // both sides of it. Samples above the body's start depth are not drawn.
  const double clipTop = (PageToDepth(context.PageY(context.ClipRect.Top)) - FStartDepth) / FDepthStep;
  const double bodyTop = (GetStartDepth() - FStartDepth) / FDepthStep;
  const double bottom = (PageToDepth(context.PageY(context.ClipRect.Bottom)) - FStartDepth) / FDepthStep;
  const double from = std::max({std::floor(clipTop), std::ceil(bodyTop - kIndexTolerance), 0.0});
  const double to = std::min(std::ceil(bottom), static_cast<double>(SampleCount() - 1));
  if (!(from < to)) return;  // a polyline needs two samples (NaN depths draw nothing)
  const auto first = static_cast<int64_t>(from);
  const auto last = static_cast<int64_t>(to);
  TCurveSamples samples;
  samples.Values = FSamples.data();
  samples.Count = SampleCount();
  samples.NullValue = FNullValue;
  samples.Logarithmic = FLogarithmic;
  const TPixelMapping pixels = context.Pixels();
  const TDepthMapping depths = DepthMapping();
  samples.Column = [&](double key) { return pixels.X(ValueToX(key)); };
  samples.Row = [&](int64_t i) { return pixels.Y(depths.ToPage(DepthOfIndex(i))); };
  samples.RowKey = {FStartDepth, FDepthStep,     depths.StartDepth, depths.Scale,
                    depths.Top,  pixels.OriginY, pixels.Ky,         pixels.Zoom};
  // In a curve column the curve stays inside its track: a scale set for the
  // common range (density from 2.0) cuts the rare values beyond it at the
  // track's edges instead of drawing them over the neighbouring tracks.
  const auto* track = dynamic_cast<const TPrintObject*>(Parent());
  const bool inTrack = track && track->GetKind() == kindDiagrams;
  if (inTrack) {
    const TRect r = track->GetPixelRect(context);
    dc->save();
    dc->setClipRect(QRect(r.Left, context.ClipRect.Top - 1, r.Right - r.Left + 1, context.ClipRect.Height() + 3),
                    Qt::IntersectClip);
  }
  DrawCurveSamples(dc, samples, first, last, std::max(1, context.ClipRect.Height()), &FDrawCache, FDrawing);
  if (inTrack) dc->restore();
}

uint32_t TPrintDiagramm::HitTest(double x, double y, TPrintObject** target) {
  for (int i = 0; i < Count(); ++i) {
    TPrintObject* child = GetChild(i);
    if (!child) continue;
    TPrintObject* hit = nullptr;
    if (const uint32_t code = child->HitTest(x, y, &hit); code != 0) {
      if (target) *target = hit;
      return code;
    }
  }
  const double depth = PageToDepth(y);
  const double above = ValueAt(depth - FDepthStep);
  const double at = ValueAt(depth);
  const bool hasAbove = !IsMissing(above), hasAt = !IsMissing(at);
  if (!hasAbove && !hasAt) return 0;
  const double x1 = ValueToX(hasAbove ? above : at);
  const double x2 = ValueToX(hasAt ? at : above);
  if (x < std::min(x1, x2) - kHitReach || x > std::max(x1, x2) + kHitReach) return 0;
  if (target) *target = this;
  return FFlags;
}

void TPrintDiagramm::Changed() {
  if (FFilling) return;
  if (!FSamples.empty()) SetHeight(DepthToPage(EndDepth()) - FTop);
  // The name caption stays over the track: a curve whose zero lies beyond
  // its track's edge (RHOB from 1.95, SP up to 0) would put it over the
  // neighbouring one. The scale headers stand at the zero, where their marks count from.
  const auto* track = dynamic_cast<const TPrintDiagrams*>(FParent);
  for (int i = 0; i < Count(); ++i) {
    TPrintObject* child = GetChild(i);
    if (!child || child->GetKind() == kindMarker) continue;
    double left = FLeft;
    if (track && child->GetKind() == kindText && track->GetWidth() > 0) {
      const double trackLeft = track->Left();
      left = std::clamp(FLeft, trackLeft, std::max(trackLeft, trackLeft + track->GetWidth() - child->GetWidth()));
    }
    child->SetLeft(left);
  }
  RefitWidth();
  TPrintObject::Changed();
}

bool TPrintDiagramm::LoadFromQS(ICompoundStream* stream) {
  if (!TPrintDiagrammBase::LoadFromQS(stream)) return false;
  FNullValue = qsReadDouble(stream, idNullValue, kDefaultNullValue);
  double step = qsReadDouble(stream, idDepthStep, 1.0);
  FStartDepth = qsReadDouble(stream, idStartDepth, 0.0);
  bool damaged = ReadCurveSamples(stream, &FSamples) == TSamplesRead::Damaged;
  // Samples on a grid without a usable step or start have no depths.
  if (!ValidStep(step) || !std::isfinite(FStartDepth)) {
    damaged = damaged || !FSamples.empty();
    FSamples.clear();
    step = 1;
    if (!std::isfinite(FStartDepth)) FStartDepth = 0;
  }
  FDepthStep = step;
  SamplesChanged();
  if (damaged) ReportDamage();
  SetModified(false);
  return true;
}

void TPrintDiagramm::ReportDamage() {
  const QString text =
      TranslateError(QStringLiteral("CurveSamplesDamaged"),
                     QStringLiteral("The samples of curve %s are damaged; the curve is loaded empty."));
  Ui().Message(TMsgKind::Warning, TranslateKindName(kindDiagramm), SubstituteArgs(text, {FName}), mbOK);
}

bool TPrintDiagramm::SaveToQS(ICompoundStream* stream) {
  if (!TPrintDiagrammBase::SaveToQS(stream)) return false;
  return stream->WriteDouble(idNullValue, FNullValue) == S_OK && stream->WriteDouble(idDepthStep, FDepthStep) == S_OK &&
         stream->WriteDouble(idStartDepth, FStartDepth) == S_OK && WriteCurveSamples(stream, FSamples);
}

void TPrintDiagramm::DumpProperties(QJsonObject* json) const {
  TPrintDiagrammBase::DumpProperties(json);
  if (!json) return;
  const bool empty = FSamples.empty();
  (*json)[QStringLiteral("sampleCount")] = static_cast<qint64>(FSamples.size());
  (*json)[QStringLiteral("startDepth")] = FStartDepth;
  (*json)[QStringLiteral("depthStep")] = FDepthStep;
  (*json)[QStringLiteral("endDepth")] = empty ? QJsonValue() : QJsonValue(EndDepth());
  (*json)[QStringLiteral("nullValue")] = FNullValue;
  (*json)[QStringLiteral("firstValue")] = empty ? QJsonValue() : QJsonValue(FSamples.front());
  (*json)[QStringLiteral("lastValue")] = empty ? QJsonValue() : QJsonValue(FSamples.back());
  (*json)[QStringLiteral("maxValue")] = MaxValue();
}
