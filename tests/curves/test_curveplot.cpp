// Curve plots as a model: the value axis at its edges, the width refit, the
// depth grid, interpolation, import from a table with the user defaults, hit
// tests, markers put by a click, and the layout update.
#include <cmath>

#include "uCurvesTestEnv.h"
#include "uIniFile.h"
#include "uPrintDiagrammScale.h"
#include "uPrintDiagrams.h"
#include "uPrintMarker.h"
#include "uPrintText.h"
#include "uStringTable.h"

namespace {

constexpr double N = kDefaultNullValue;

}  // namespace

using CurvePlotTest = TCurvesTest;

TEST_F(CurvePlotTest, ValueAxisLinearAndLogarithmicAtTheirEdges) {
  TPrintDiagramm c;
  c.SetLeft(20);
  c.SetMeasure(50);
  EXPECT_DOUBLE_EQ(c.ValueToX(100), 40);
  EXPECT_DOUBLE_EQ(c.ValueToX(-100), 0);
  EXPECT_DOUBLE_EQ(c.XToValue(40), 100);

  c.SetLogarithmic(true);
  c.SetMeasure(2);  // 2 cm per decade
  const struct {
    double Value, X;
  } cases[] = {{1, 20}, {10, 40}, {1000, 80}, {0.1, 0}, {0, 20}, {-5, 20}, {-1e300, 20}};
  for (const auto& k : cases) EXPECT_NEAR(c.ValueToX(k.Value), k.X, 1e-12) << k.Value;
  // Decades map back to themselves: scale labels read 1, 10, 100, not 9.9999.
  for (int e = -3; e <= 6; ++e) EXPECT_EQ(c.XToValue(20 + 20.0 * e), std::pow(10.0, e)) << e;
  // 13 decades right of Left and beyond read 0 instead of overflowing.
  EXPECT_GT(c.XToValue(20 + 12.99 * 20), 9e12);
  EXPECT_EQ(c.XToValue(20 + 13 * 20), 0);
  EXPECT_EQ(c.XToValue(1e308), 0);

  // The axis divides by the measure: zero and non-numbers are refused.
  for (double bad : {0.0, std::nan(""), double(INFINITY)}) {
    c.SetMeasure(bad);
    EXPECT_EQ(c.Measure(), 2);
  }
}

TEST_F(CurvePlotTest, WidthFollowsTheLargestPresentSampleButNotMissingOnes) {
  TPrintDiagramm c;
  c.SetLeft(5);
  ASSERT_TRUE(c.SetSamples(0, 1, {-5, N, -1}));
  c.RefitWidth();
  EXPECT_EQ(c.MaxValue(), 0);
  EXPECT_EQ(c.GetWidth(), kMinCurveWidth);
  ASSERT_TRUE(c.SetSamples(0, 1, {3, 40, N, 7}));
  c.SetMeasure(2);  // refits: 40 units at 2 per cm
  EXPECT_EQ(c.GetWidth(), 200);
  c.SetLogarithmic(true);  // 40 is 1.6 decades at 2 cm each
  EXPECT_NEAR(c.GetWidth(), std::log10(40.0) * 20, 1e-12);
  // A missing-value marker above every sample is still no sample.
  c.SetLogarithmic(false);
  c.SetNullValue(9999);
  ASSERT_TRUE(c.SetSamples(0, 1, {5, 9999, 7}));
  EXPECT_EQ(c.MaxValue(), 7);
  c.RefitWidth();
  EXPECT_EQ(c.GetWidth(), 35);
}

TEST_F(CurvePlotTest, DepthGridIndexesValuesAndExtension) {
  TPrintDiagramm c;
  ASSERT_TRUE(c.SetSamples(100, 0.5, {1, 2}));
  EXPECT_EQ(c.IndexOfDepth(100.25), 0) << "ties go to the even index";
  EXPECT_EQ(c.IndexOfDepth(100.75), 2);
  EXPECT_EQ(c.ValueAt(100.5), 2);
  EXPECT_EQ(c.ValueAt(99.7), N);
  EXPECT_EQ(c.ValueAt(std::nan("")), N);
  EXPECT_EQ(c.EndDepth(), 100.5);

  ASSERT_TRUE(c.ExtendTo(101.5));
  EXPECT_EQ(c.Samples(), (std::vector<double>{1, 2, N, N}));
  ASSERT_TRUE(c.ExtendTo(100.4));  // shortens too
  EXPECT_EQ(c.Samples(), (std::vector<double>{1, 2}));
  EXPECT_FALSE(c.ExtendTo(99));
  // A depth that would take a billion samples is refused, not allocated.
  EXPECT_FALSE(c.ExtendTo(1e9));
  EXPECT_EQ(c.SampleCount(), 2);

  EXPECT_FALSE(c.SetDepthStep(0));
  EXPECT_FALSE(c.SetDepthStep(-1));
  EXPECT_FALSE(c.SetSamples(0, 0, {1, 2}));
  EXPECT_EQ(c.DepthStep(), 0.5);
}

TEST_F(CurvePlotTest, InterpolateFillsInnerGapsOnly) {
  const struct {
    std::vector<double> In, Out;
  } cases[] = {
      {{5, N, N, 8}, {5, 6, 7, 8}},
      {{N, 1, N, 3, N, N}, {N, 1, 2, 3, N, N}},
      {{2, N}, {2, N}},  // fewer than three samples: unchanged
      {{N, N, N}, {N, N, N}},
  };
  for (const auto& k : cases) {
    TPrintDiagramm c;
    c.SetSamples(0, 1, k.In);
    c.Interpolate();
    EXPECT_EQ(c.Samples(), k.Out);
  }
}

TEST_F(CurvePlotTest, ImportColumnPutsRowsOnTheGridAndAddsCaptionAndScale) {
  TIniFile defaults(CurveDefaultsFileName());
  ASSERT_EQ(CurveDefaultsFileName(), Path("kerno.ini"));
  defaults.WriteInteger("GR", "COLOR", 0x0000FF);
  defaults.WriteString("GR", "SCALE.MEASUREMENT", "25");
  defaults.WriteInteger("GR", "NAME.FONT.SIZE", 9);
  defaults.WriteString("GR", "SCALE.NAME", "API");
  defaults.WriteString("GR", "XPOSITION", "5");

  TTestBody body(200);
  TPrintDiagramm* c = body.AddCurve(10, 0, 0.5, {});
  c->SetName("GR");
  c->SetTop(500);
  auto t = MakeTable({{"DEPT", "GR"}, {"100.0", "1"}, {"100.2", "2"}, {"abc", "7"}, {"100.6", "3"}, {"101.0", "x"}});
  ASSERT_TRUE(c->ImportColumn(t.get(), 1, 1, 5));
  // 100.0 and 100.2 share index 0 (the later row wins); unreadable values are missing.
  EXPECT_EQ(c->StartDepth(), 100);
  EXPECT_EQ(c->Samples(), (std::vector<double>{2, 3, N}));
  EXPECT_EQ(c->GetHeight(), body.DepthToPage(101) - 500);
  EXPECT_EQ(c->Left(), 5) << "the offset inside the column";
  EXPECT_EQ(c->Color(), 0x0000FFu);
  EXPECT_EQ(c->Measure(), 25);
  EXPECT_EQ(c->GetWidth(), kMinCurveWidth);

  ASSERT_EQ(c->Count(), 2);
  auto* caption = dynamic_cast<TPrintText*>(c->GetChild(0));
  auto* scale = dynamic_cast<TPrintDiagrammScale*>(c->GetChild(1));
  ASSERT_TRUE(caption && scale);
  EXPECT_EQ(caption->GetText(), "GR");
  EXPECT_EQ(caption->GetBoundsRect(), (TBoundsRect{5, 495, 15, 500}));
  EXPECT_EQ(caption->Font().Size(), 9);
  EXPECT_EQ(caption->Font().Format, 5);
  EXPECT_EQ(caption->Font().Color, 0x0000FFu);
  EXPECT_EQ(scale->GetBoundsRect(), (TBoundsRect{5, 500, 45, 505})) << "two mark steps at least";
  EXPECT_EQ(scale->MeasureName(), "API");
  EXPECT_EQ(scale->Color(), 0x0000FFu);

  // Refused without a change: a bad column or row range, or a grid too large to hold.
  const std::vector<double> before = c->Samples();
  EXPECT_FALSE(c->ImportColumn(t.get(), 2, 1, 5));
  EXPECT_FALSE(c->ImportColumn(t.get(), 1, 3, 2));
  EXPECT_FALSE(c->ImportColumn(t.get(), 1, 1, 6));
  EXPECT_FALSE(c->ImportColumn(nullptr, 1, 1, 1));
  auto far = MakeTable({{"0", "1"}, {"1e9", "2"}});
  EXPECT_FALSE(c->ImportColumn(far.get(), 1, 0, 1));
  auto noDepth = MakeTable({{"", "1"}, {"x", "2"}});
  EXPECT_FALSE(c->ImportColumn(noDepth.get(), 1, 0, 1));
  EXPECT_EQ(c->Samples(), before);
  EXPECT_EQ(c->Count(), 2);
}

TEST_F(CurvePlotTest, HitTestFollowsTheSegmentAndIgnoresMissingSamples) {
  TTestBody body(200);  // 5 mm per metre
  TPrintDiagramm* c = body.AddCurve(10, 0, 1, {5, 15, 25, 35});
  c->SetMeasure(10);  // one unit per mm
  TPrintObject* target = nullptr;
  // At depth 1.2 the segment runs from 5 (x 15) to 15 (x 25): 3 mm either side hits.
  const struct {
    double X;
    bool Hit;
  } cases[] = {{12, true}, {11.9, false}, {20, true}, {28, true}, {28.1, false}};
  for (const auto& k : cases) {
    target = nullptr;
    EXPECT_EQ(c->HitTest(k.X, 6, &target) != 0, k.Hit) << k.X;
    EXPECT_EQ(target, k.Hit ? c : nullptr);
  }
  EXPECT_EQ(c->HitTest(20, 6, nullptr), c->Flags());
  // A missing sample does not stretch the band to where -9999.9 would lie.
  ASSERT_TRUE(c->SetSamples(0, 1, {5, N, 25}));
  EXPECT_EQ(c->HitTest(-100, 6, nullptr), 0u);
  EXPECT_EQ(c->HitTest(20, 6, nullptr), 0u);
  EXPECT_NE(c->HitTest(16, 6, nullptr), 0u);
  EXPECT_EQ(c->HitTest(15, 100, nullptr), 0u) << "below the last sample";

  // Children answer first: a marker over the curve is what a click takes.
  ASSERT_TRUE(c->ClickAt(2, 14, 5));
  target = nullptr;
  EXPECT_NE(c->HitTest(15, 6, &target), 0u);
  EXPECT_EQ(target, c->GetChild(0));
}

TEST_F(CurvePlotTest, ClickPutsAMarkerAndColourReachesCaptionAndScaleOnly) {
  TTestBody body;
  TPrintDiagramm* c = body.AddCurve(10, 0, 1, {1, 2, 3});
  c->SetName("SP");
  c->SetColor(0x00FF00);
  EXPECT_FALSE(c->ClickAt(1, 30, 50));
  EXPECT_EQ(c->Count(), 0);
  ASSERT_TRUE(c->ClickAt(2, 30, 50));
  auto* marker = dynamic_cast<TPrintMarker*>(c->GetChild(0));
  ASSERT_NE(marker, nullptr);
  EXPECT_EQ(marker->GetBoundsRect(), (TBoundsRect{30, 50, 33, 52}));
  EXPECT_EQ(marker->MarkerColor(), 0x00FF00u);

  TPrintText* caption = c->AddNameCaption(nullptr);
  TPrintDiagrammScale* scale = c->AddScaleHeader(nullptr);
  c->SetColor(0xFF0000);
  EXPECT_EQ(caption->Font().Color, 0xFF0000u);
  EXPECT_EQ(scale->Color(), 0xFF0000u);
  EXPECT_EQ(marker->MarkerColor(), 0x00FF00u) << "markers keep their own colour";
}

TEST_F(CurvePlotTest, LayoutUpdateReachesTheLastDepthAndAlignsAllButMarkers) {
  TTestBody body(500);  // 2 mm per metre
  TPrintDiagramm* c = body.AddCurve(10, 20, 0.5, std::vector<double>(21, 1.0));
  EXPECT_EQ(c->Top(), 40);
  EXPECT_EQ(c->GetHeight(), 20) << "depth 20 to 30";
  TPrintText* caption = c->AddNameCaption(nullptr);
  TPrintDiagrammScale* scale = c->AddScaleHeader(nullptr);
  c->ClickAt(2, 25, 50);
  caption->SetLeft(17);
  scale->SetLeft(3);
  c->Changed();
  EXPECT_EQ(caption->Left(), 10);
  EXPECT_EQ(scale->Left(), 10);
  EXPECT_EQ(c->GetChild(2)->Left(), 25);
  // Moving the curve carries its children along.
  c->SetLeft(30);
  EXPECT_EQ(caption->Left(), 30);
  EXPECT_EQ(c->GetChild(2)->Left(), 45);
  // An empty curve keeps its height: its caption and scale stay drawn.
  ASSERT_TRUE(c->SetSamples(20, 0.5, {}));
  c->Changed();
  EXPECT_EQ(c->GetHeight(), 20);
}

// A log analyst sets a scale by the values at the track's edges (RHOB
// 1.95-2.95, ILD 0.2-2000): the axis is laid by them, the scale header stays
// at its zero and marks what lies within the track, the caption stays over the
// track, and markers keep their places on the line.
TEST_F(CurvePlotTest, ValuesAtTheTracksEdgesLayTheAxisAndItsMarks) {
  TTestBody body;
  auto* track = body.Add<TPrintDiagrams>(TBoundsRect{20, 0, 70, 100});
  TPrintDiagramm* c = track->AddEmptyCurve("RHOB", 1);
  ASSERT_TRUE(c->SetSamples(0, 1, {2.1, 2.4, 2.6}));
  c->Changed();
  TPrintText* caption = c->AddNameCaption(nullptr);
  TPrintDiagrammScale* scale = c->AddScaleHeader(nullptr);
  scale->SetMarkStep(25);
  ASSERT_TRUE(c->ClickAt(2, c->ValueToX(2.4) - 1, 5));
  TPrintObject* marker = c->GetChild(2);
  const double markerValue = c->XToValue(marker->Left() + marker->GetWidth() / 2);

  ASSERT_TRUE(c->SetValueRange(1.95, 2.95, 20, 70));
  EXPECT_NEAR(c->Measure(), 0.2, 1e-12) << "1 g/cm3 over 5 cm";
  EXPECT_NEAR(c->ValueToX(1.95), 20, 1e-9);
  EXPECT_NEAR(c->ValueToX(2.95), 70, 1e-9);
  c->Changed();
  EXPECT_DOUBLE_EQ(scale->Left(), c->Left());
  // The zero lies 97.5 mm left of the track: the caption stays over the track.
  EXPECT_DOUBLE_EQ(caption->Left(), 20);
  EXPECT_LE(caption->Left() + caption->GetWidth(), 70);
  EXPECT_NEAR(c->XToValue(marker->Left() + marker->GetWidth() / 2), markerValue, 1e-9) << "the marker keeps its value";
  // Zero 97.5 mm left of the track: marks 4 (2.0) and 5 (2.5) fall inside it.
  EXPECT_EQ(scale->MarkIndex1(), 4);
  EXPECT_EQ(scale->MarkIndex2(), 5);
  EXPECT_NEAR(c->XToValue(c->Left() + 4 * 25), 2.0, 1e-9);

  // GR 0-150 with marks every 20 mm over a 60 mm track: the marks at both edges count.
  track->SetWidth(60);
  c->SetLogarithmic(false);
  scale->SetMarkStep(20);
  ASSERT_TRUE(c->SetValueRange(0, 150, 20, 80));
  EXPECT_EQ(scale->MarkIndex1(), 0);
  EXPECT_EQ(scale->MarkIndex2(), 3);

  // Logarithmic, 0.2-2000 over 40 mm: a centimetre per decade.
  c->SetLogarithmic(true);
  ASSERT_TRUE(c->SetValueRange(0.2, 2000, 20, 60));
  EXPECT_NEAR(c->Measure(), 1, 1e-12);
  EXPECT_NEAR(c->ValueToX(0.2), 20, 1e-9);
  EXPECT_NEAR(c->XToValue(60), 2000, 1e-9);

  // Ranges an axis cannot show change nothing.
  const double measure = c->Measure();
  const double left = c->Left();
  EXPECT_FALSE(c->SetValueRange(0, 100, 20, 60)) << "0 on a logarithmic axis";
  c->SetLogarithmic(false);
  EXPECT_FALSE(c->SetValueRange(5, 5, 20, 60));
  EXPECT_FALSE(c->SetValueRange(0.45, -0.15, 20, 60)) << "a reversed scale";
  EXPECT_FALSE(c->SetValueRange(0, 1, 60, 60)) << "a track without width";
  EXPECT_FALSE(c->SetValueRange(std::nan(""), 1, 20, 60));
  EXPECT_FALSE(c->SetValueRange(1e9, 1e9 + 1, 20, 60)) << "a zero 400 km of paper away";
  EXPECT_EQ(c->Measure(), measure);
  EXPECT_EQ(c->Left(), left);
}
