// The curve's scale header (which marks, where, their labels from the
// curve's axis, the unit text, the stream form), markers (drawing, shape
// cycling, their place at the column's edges) and the object ruler.
#include "qs.h"
#include "uComPtr.h"
#include "uCurvesTestEnv.h"
#include "uPrintDiagrammScale.h"
#include "uPrintMarker.h"
#include "uPrintObjectRuller.h"

namespace {

// Columns of the vertical lines (the marks), in drawing order.
std::vector<int> MarkColumns(const TRecordingDevice& device) {
  std::vector<int> out;
  for (const TRecordedItem* l : device.Lines())
    if (l->Line.x1() == l->Line.x2()) out.push_back(int(l->Line.x1()));
  return out;
}

}  // namespace

using CurveScaleTest = TCurvesTest;

TEST_F(CurveScaleTest, MarksFollowWidthAndIndexes) {
  const struct {
    double Width;
    int32_t From, To;
    std::vector<int> Columns;
  } cases[] = {
      {100, kMarkIndexUnset, kMarkIndexUnset, {100, 300, 500, 700, 900}},
      {100, kMarkIndexUnset, 2, {100, 300, 500}},
      {100, 3, 1, {700}},  // a last index before the first draws the first alone
      {110, 2, kMarkIndexUnset, {500, 700, 900, 1100}},
      {40, kMarkIndexUnset, kMarkIndexUnset, {100, 300}},
  };
  for (const auto& k : cases) {
    TTestBody body;
    TPrintDiagramm* c = body.AddCurve(10, 0, 1, {1, 2});
    TPrintDiagrammScale* scale = c->AddScaleHeader(nullptr);
    scale->SetTop(20);
    scale->SetWidth(k.Width);
    scale->SetMarkIndex1(k.From);
    scale->SetMarkIndex2(k.To);
    TRecordingPage page;
    TDrawContext context = page.Context();
    scale->Draw(context);
    EXPECT_EQ(MarkColumns(page.Device), k.Columns) << k.Width << " " << k.From << " " << k.To;
    // Marks hang 2 mm from the top edge: rows 200 to 219.
    EXPECT_NE(page.Device.FindLine({100. + 200 * (k.From > 0 ? k.From : 0), 200},
                                   {100. + 200 * (k.From > 0 ? k.From : 0), 219}),
              nullptr);
  }
}

TEST_F(CurveScaleTest, LabelsComeFromTheCurvesAxisAndTheUnitFollowsTheLastMark) {
  TTestBody body;
  TPrintDiagramm* c = body.AddCurve(10, 0, 1, {1, 2});
  c->SetName("GR");
  c->SetMeasure(50);
  TPrintDiagrammScale* scale = c->AddScaleHeader(nullptr);
  scale->SetWidth(100);
  scale->SetMeasureName("API");
  TRecordingPage page;
  TDrawContext context = page.Context();
  scale->Draw(context);
  EXPECT_EQ(page.Texts(), (QStringList{"0", "100", "200", "300", "400", "API"}));
  // Each label centred under its mark, its top one pixel below the mark's end.
  const TRecordedItem* label = page.Device.FindText("200");
  ASSERT_NE(label, nullptr);
  EXPECT_NEAR(label->Rect.center().x(), 500, 1.5);
  EXPECT_NEAR(label->Baseline.y() - label->Ascent, 21, 1.5) << "the row after Top + MarkSize";
  // The unit text starts a third of a step after the last mark.
  const TRecordedItem* unit = page.Device.FindText("API");
  EXPECT_NEAR(unit->Baseline.x(), 900 + 67, 1);
  // The end labels stay between the first and the last mark: a header at its
  // track's edge must not have half its first value cut by the neighbour.
  const TRecordedItem* first = page.Device.FindText("0");
  const TRecordedItem* last = page.Device.FindText("400");
  ASSERT_TRUE(first && last);
  EXPECT_GT(first->Rect.left(), 100);
  EXPECT_LT(first->Rect.left(), 110);
  EXPECT_LT(last->Rect.right(), 900);
  EXPECT_GT(last->Rect.right(), 890);

  c->SetLogarithmic(true);
  c->SetMeasure(2);  // 2 cm per decade: a mark every 20 mm is a decade
  scale->SetShowName(true);
  page.Device.Clear();
  scale->Draw(context);
  EXPECT_EQ(page.Texts(), (QStringList{"1", "10", "100", "1000", "10000", "GR API"}));

  // Border draws the base line from the first mark to the last; the base
  // drawing adds no outline.
  page.Device.Clear();
  scale->SetBorder(true);
  scale->Draw(context);
  EXPECT_NE(page.Device.FindHorizontalLine(100, 899, 0), nullptr) << page.Device.Dump();
  EXPECT_EQ(page.Device.Count(TRecordKind::Rect), 0u);
  // A page whose rows all lie below the header (a printed log draws every
  // object on every page) gets nothing of it; a band of rows that starts in
  // its line of labels still gets them.
  TDrawContext below = page.Context();
  below.ClipRect.Top = 400;
  page.Device.Clear();
  scale->Draw(below);
  EXPECT_TRUE(page.Device.Items().empty()) << page.Device.Dump();
  below.ClipRect.Top = 25;
  scale->Draw(below);
  EXPECT_EQ(page.Texts(), (QStringList{"1", "10", "100", "1000", "10000", "GR API"}));
  // Marks are part of the printed drawing (option 2) only.
  page.Device.Clear();
  TDrawContext frames = page.Context(doFrames);
  scale->Draw(frames);
  EXPECT_TRUE(page.Texts().isEmpty());
}

TEST_F(CurveScaleTest, WidthKeepsTwoStepsAndDamagedIndexesStayBounded) {
  TPrintDiagrammScale scale;
  scale.SetMarkStep(30);
  scale.SetWidth(40);
  EXPECT_EQ(scale.GetWidth(), 60);
  scale.SetMarkStep(0);
  EXPECT_EQ(scale.MarkStep(), 30) << "a step of 0 would divide by zero";
  // A last index of two thousand million draws only the marks near the view.
  scale.SetMarkIndex1(0);
  scale.SetMarkIndex2(2000000000);
  TRecordingPage page;
  TDrawContext context = page.Context();
  scale.Draw(context);
  EXPECT_LT(MarkColumns(page.Device).size(), 200u);

  // Stream form: unset indexes are not written and read back unset; the
  // stored width suits the stored step.
  scale.SetMarkIndex2(kMarkIndexUnset);
  scale.SetMarkIndex1(kMarkIndexUnset);
  scale.SetMarkStep(5);
  scale.SetWidth(12);
  scale.SetMeasureName("ohm.m");
  scale.SetShowName(true);
  scale.ScaleFont().SetSize(7);
  TComPtr<ICompoundStream> s;
  qsCreateCompoundStream(s.Put());
  ASSERT_TRUE(scale.SaveToQS(s.Get()));
  TCompoundEntry entry{};
  EXPECT_NE(s->GetEntry(5389, &entry), S_OK);
  EXPECT_NE(s->GetEntry(5390, &entry), S_OK);
  TPrintDiagrammScale back;
  ASSERT_TRUE(back.LoadFromQS(s.Get()));
  EXPECT_EQ(back.GetWidth(), 12);
  EXPECT_EQ(back.MarkStep(), 5);
  EXPECT_EQ(back.MarkIndex1(), kMarkIndexUnset);
  EXPECT_EQ(back.MeasureName(), "ohm.m");
  EXPECT_TRUE(back.ShowName());
  EXPECT_EQ(back.ScaleFont().Size(), 7);
  EXPECT_FALSE(back.Border());
  EXPECT_EQ(back.Flags() & (pfMoveY | pfSizeX), pfMoveY | pfSizeX);
}

TEST_F(CurveScaleTest, MarkersCycleTheirShapesAndStayInsideTheCurve) {
  TPrintMarker marker;
  EXPECT_EQ(marker.Flags(), 0x23u);
  for (int click = 1; click <= 5; ++click) {
    EXPECT_TRUE(marker.ClickAt(0, 0, 0));
    EXPECT_EQ(marker.Shape(), click % 5);
  }
  marker.SetShape(17);
  marker.ClickAt(1, 0, 0);
  EXPECT_EQ(marker.Shape(), 0) << "an unknown shape starts again";

  // Shapes inside the marker's pixel rectangle with a 2-pixel pen.
  marker.SetBoundsRect({10, 20, 13, 22});
  marker.SetMarkerColor(0x00FF00);
  TRecordingPage page;
  TDrawContext context = page.Context(0);
  const auto shapeDrawn = [&](int shape) {
    page.Device.Clear();
    marker.SetShape(shape);
    marker.Draw(context);
    return page.Device.Items().size();
  };
  ASSERT_EQ(shapeDrawn(msCross), 2u);
  EXPECT_NE(page.Device.FindLine({100, 200}, {130, 220}), nullptr);
  EXPECT_NE(page.Device.FindLine({100, 220}, {130, 200}), nullptr);
  EXPECT_EQ(page.Device.Items()[0].State.PenDeviceWidth, 2);
  EXPECT_EQ(page.Device.Items()[0].State.PenColor, QColor(Qt::green));
  ASSERT_EQ(shapeDrawn(msHorzBar), 1u);
  EXPECT_NE(page.Device.FindLine({100, 210}, {130, 210}), nullptr);
  ASSERT_EQ(shapeDrawn(msVertBar), 1u);
  EXPECT_NE(page.Device.FindLine({115, 200}, {115, 220}), nullptr);
  ASSERT_EQ(shapeDrawn(msEllipse), 1u);
  EXPECT_EQ(page.Device.Items()[0].Kind, TRecordKind::Ellipse);
  ASSERT_EQ(shapeDrawn(msRectangle), 1u);

  // A marker put at the curve's right edge sticks out; a drag brings it inside.
  TTestBody body;
  TPrintDiagramm* c = body.AddCurve(10, 0, 1, std::vector<double>(40, 1.0));
  ASSERT_EQ(c->GetWidth(), 10);
  ASSERT_TRUE(c->ClickAt(2, 20, 50));
  TPrintObject* m = c->GetChild(0);
  TPrintObject* target = nullptr;
  EXPECT_NE(c->HitTest(22, 51, &target), 0u);
  EXPECT_EQ(target, m) << "the part outside the curve still answers";
  EXPECT_TRUE(m->DragBy(21, 51, 21.5, 51));
  EXPECT_EQ(m->Left(), 17) << "the right edge stops at the curve's";
  // At the left edge a drag further left stops at the curve's left.
  ASSERT_TRUE(c->ClickAt(2, 10, 80));
  TPrintObject* left = c->GetChild(1);
  EXPECT_TRUE(left->DragBy(11, 81, 5, 81));
  EXPECT_EQ(left->Left(), 10);
}

TEST_F(CurveScaleTest, ObjectRullerDrawsItsStyledLineAcrossItsMiddle) {
  TPrintObjectRuller r;
  EXPECT_EQ(r.Flags(), 0x62u);
  EXPECT_EQ(r.LineStyle().Style, 1);
  EXPECT_EQ(r.LineStyle().LineWidth, 0.2);
  r.SetBoundsRect({10, 50, 60, 52});
  r.SetLineStyle({0, 0x0000FF, 0.3});
  TRecordingPage page;
  TDrawContext context = page.Context(doBorders);
  r.Draw(context);
  // A 0.3 mm line (3 px at 254 dpi) at row 510 over a white under-line.
  const TRecordedItem* line = nullptr;
  for (const TRecordedItem* l : page.Device.Lines())
    if (l->State.PenColor == QColor(Qt::red)) line = l;
  ASSERT_NE(line, nullptr) << page.Device.Dump();
  EXPECT_EQ(line->Line.y1(), 510);
  EXPECT_EQ(line->State.PenDeviceWidth, 3);
  EXPECT_GE(line->Line.x1(), 100);
  EXPECT_LE(line->Line.x2(), 600);
  // Selected in an editing view: twice as wide; no line, 2 mm.
  r.SetSelected(true);
  const auto width = [&](double mm) {
    r.SetLineStyle({0, 0x0000FF, mm});
    page.Device.Clear();
    TDrawContext editing = page.Context(doSelection);
    r.Draw(editing);
    for (const TRecordedItem* l : page.Device.Lines())
      if (l->State.PenColor == QColor(Qt::red)) return l->State.PenDeviceWidth;
    return 0.0;
  };
  EXPECT_EQ(width(0.3), 6);
  EXPECT_EQ(width(0), 20);
  // Nothing in a drawing without frames, borders or selection marks.
  page.Device.Clear();
  TDrawContext none = page.Context(0);
  r.Draw(none);
  EXPECT_TRUE(page.Device.Items().empty());

  // Stream form, and the defaults for values not stored.
  r.SetLineStyle({3, 0x123456, 0.7});
  TComPtr<ICompoundStream> s;
  qsCreateCompoundStream(s.Put());
  ASSERT_TRUE(r.SaveToQS(s.Get()));
  TPrintObjectRuller back;
  ASSERT_TRUE(back.LoadFromQS(s.Get()));
  EXPECT_EQ(back.LineStyle().Style, 3);
  EXPECT_EQ(back.LineStyle().Color, 0x123456);
  EXPECT_EQ(back.LineStyle().LineWidth, 0.7);
  s->DeleteValue(5634);
  s->DeleteValue(5633);
  ASSERT_TRUE(back.LoadFromQS(s.Get()));
  EXPECT_EQ(back.LineStyle().Style, 1);
  EXPECT_EQ(back.LineStyle().LineWidth, 0.2);
}
