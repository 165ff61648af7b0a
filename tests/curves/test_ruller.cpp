// One ruler: the text form and its parsing rules, and the window-edge
// drawing of the screen rulers.
#include <cmath>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uCurvesTestEnv.h"

using RullerTest = TCurvesTest;

TEST_F(RullerTest, TextFormWritesInOrderAndParsesByTheRules) {
  EXPECT_EQ(TRuller().ToText(), "STEP=10 KOEF=5 MARKSIZE=2 RIGHT=1 FONT=1");
  EXPECT_EQ(TRuller().Font()->Format, 38) << "right-aligned, vertically centred, single line";
  const TRuller written = MakeRuller(0.25, 2.5, 1.5, false, false);
  EXPECT_EQ(written.ToText(), "STEP=0.25 KOEF=2.5 MARKSIZE=1.5 RIGHT=0 FONT=0");

  TRuller r;
  r.LoadFromText("STEP=0 KOEF=2 FONT=0");  // a zero step is refused by the setter
  EXPECT_EQ(r.ToText(), "STEP=10 KOEF=2 MARKSIZE=2 RIGHT=1 FONT=0");
  r.LoadFromText("step=5 STEP=5=6 Koef=9 COLOR=1");  // keys are case-sensitive; two "=" make no pair
  EXPECT_EQ(r.ToText(), "STEP=10 KOEF=2 MARKSIZE=2 RIGHT=1 FONT=0");
  r.LoadFromText("STEP=3  STEP=-4 MARKSIZE=-1,5 RIGHT=false");  // later pairs win; negatives are kept
  EXPECT_EQ(r.ToText(), "STEP=-4 KOEF=2 MARKSIZE=-1.5 RIGHT=0 FONT=0");
  r.LoadFromText("STEP=ten MARKSIZE=2x KOEF= RIGHT=maybe");  // unreadable values keep the old ones
  EXPECT_EQ(r.ToText(), "STEP=-4 KOEF=2 MARKSIZE=-1.5 RIGHT=0 FONT=0");
  r.LoadFromText("RIGHT=2 FONT=1");
  ASSERT_TRUE(r.HasFont());
  EXPECT_TRUE(r.Right());
  r.SetStep(std::nan(""));
  r.SetModulus(INFINITY);
  EXPECT_EQ(r.Step(), -4);
  EXPECT_EQ(r.Modulus(), 2);
  r.LoadFromText(written.ToText());
  EXPECT_EQ(r.ToText(), written.ToText());
}

TEST_F(RullerTest, WindowEdgeMarksAndLabels) {
  TRecordingPage page;
  TRuller r = MakeRuller(1, 10, 3, true, true);
  // 10 px per mm; a mark every 10 mm, 3 mm long from the bottom edge, labels at row 1.
  r.DrawHorizontal(&page.Painter, QRect(0, 0, 200, 20), 1, 1, 0);
  for (int x : {0, 100, 200}) EXPECT_NE(page.Device.FindLine({double(x), -10}, {double(x), 19}), nullptr) << x;
  EXPECT_EQ(page.Texts(), (QStringList{"0", "1", "2"}));
  EXPECT_NEAR(page.Device.FindText("1")->Rect.topLeft().x(), 101, 1);
  EXPECT_NEAR(page.Device.FindText("1")->Rect.top(), 1, 0.5);
  // From the top edge; an offset of 5 mm starts at index nint(0.5) = 0.
  page.Device.Clear();
  r.SetRight(false);
  r.DrawHorizontal(&page.Painter, QRect(0, 0, 200, 20), 1, 1, 5);
  for (int x : {-50, 50, 150}) EXPECT_NE(page.Device.FindLine({double(x), 0}, {double(x), 29}), nullptr) << x;
  // Vertical at zoom 2 with turned labels.
  page.Device.Clear();
  r.SetRight(true);
  r.Font()->SetAngle(90);
  r.DrawVertical(&page.Painter, QRect(0, 0, 20, 200), 1, 2, 0);
  EXPECT_NE(page.Device.FindLine({-10, 200}, {19, 200}), nullptr) << page.Device.Dump();
  EXPECT_DOUBLE_EQ(page.Device.FindText("1")->Angle, -90);

  // The document window's bars: centimetres, halves and millimetres, coarser when small.
  page.Device.Clear();
  DrawScreenRuller(&page.Painter, QRect(0, 0, 200, 20), Qt::Horizontal, 0, 1);
  EXPECT_EQ(page.Device.Lines().size(), 3u + 5u + 21u);
  EXPECT_EQ(page.Texts(), (QStringList{"0", "1", "2"}));
  page.Device.Clear();
  DrawScreenRuller(&page.Painter, QRect(0, 0, 200, 20), Qt::Horizontal, 0, 0.25);
  EXPECT_EQ(page.Texts(), (QStringList{"0", "4", "8"}));
  EXPECT_EQ(ScreenRullers(Qt::Vertical, 1)[0].Font()->Angle(), 90);

  // Damaged values neither hang nor draw.
  page.Device.Clear();
  TComPtr<ICompoundStream> qs;
  qsCreateCompoundStream(qs.Put());
  qsWriteDouble(qs.Get(), 512, 1e-300);
  TRuller tiny;
  tiny.LoadFromQS(qs.Get());
  tiny.DrawHorizontal(&page.Painter, QRect(0, 0, 2000, 20), 1, 1, 0);
  tiny.DrawVertical(&page.Painter, QRect(0, 0, 20, 2000), 1, 1, 0);
  for (double bad : {std::nan(""), 1e300}) TRuller().DrawHorizontal(&page.Painter, QRect(0, 0, 2000, 20), 1, 1, bad);
  TRuller().DrawHorizontal(&page.Painter, QRect(0, 0, 2000, 20), 1, 0, 0);
  EXPECT_TRUE(page.Device.Items().empty()) << page.Device.Dump();
}
