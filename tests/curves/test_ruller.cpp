// One ruler: its text form and the parsing rules, INI and stream forms, the
// setters' refusals, and the window-edge drawing of the screen rulers.
#include <cmath>
#include <limits>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uCurvesTestEnv.h"
#include "uIniFile.h"
#include "uMemoryStream.h"
#include "uRuller.h"

namespace {

TComPtr<ICompoundStream> NewQS() {
  TComPtr<ICompoundStream> qs;
  qsCreateCompoundStream(qs.Put());
  return qs;
}

TRuller Ruller(double step, double modulus, double mark, bool right, bool font) {
  TRuller r;
  r.SetStep(step);
  r.SetModulus(modulus);
  r.SetMarkSize(mark);
  r.SetRight(right);
  if (!font) r.RemoveFont();
  return r;
}

}  // namespace

using RullerTest = TCurvesTest;

TEST_F(RullerTest, NewRullerHasTheDefaultsAndALabelFont) {
  const TRuller r;
  EXPECT_EQ(r.Step(), 10);
  EXPECT_EQ(r.Modulus(), 5);
  EXPECT_EQ(r.MarkSize(), 2);
  EXPECT_TRUE(r.Right());
  ASSERT_TRUE(r.HasFont());
  EXPECT_EQ(r.Font()->Size(), 10);
  EXPECT_EQ(r.Font()->Format, 38) << "right-aligned, vertically centred, single line";
  EXPECT_EQ(r.ToText(), "STEP=10 KOEF=5 MARKSIZE=2 RIGHT=1 FONT=1");
}

// Zero would put every mark on one line; a value that is not a number would
// poison every position computed from it.
TEST_F(RullerTest, SettersRefuseZeroAndNonFiniteButKeepNegatives) {
  TRuller r;
  r.SetStep(0);
  r.SetModulus(0);
  EXPECT_EQ(r.Step(), 10);
  EXPECT_EQ(r.Modulus(), 5);
  r.SetStep(std::numeric_limits<double>::quiet_NaN());
  r.SetModulus(std::numeric_limits<double>::infinity());
  EXPECT_EQ(r.Step(), 10);
  EXPECT_EQ(r.Modulus(), 5);
  r.SetStep(-2.5);
  r.SetModulus(-1);
  EXPECT_EQ(r.Step(), -2.5);
  EXPECT_EQ(r.Modulus(), -1);
  r.SetMarkSize(0);
  EXPECT_EQ(r.MarkSize(), 0);
}

TEST_F(RullerTest, TextFormRoundTripsAndFollowsTheParsingRules) {
  const TRuller written = Ruller(0.25, 2.5, 1.5, false, false);
  EXPECT_EQ(written.ToText(), "STEP=0.25 KOEF=2.5 MARKSIZE=1.5 RIGHT=0 FONT=0");
  TRuller back;
  back.LoadFromText(written.ToText());
  EXPECT_EQ(back.ToText(), written.ToText());

  // A zero step is refused by the setter, the modulus taken, the font removed.
  TRuller r;
  r.LoadFromText("STEP=0 KOEF=2 FONT=0");
  EXPECT_EQ(r.Step(), 10);
  EXPECT_EQ(r.Modulus(), 2);
  EXPECT_FALSE(r.HasFont());

  // Keys are case-sensitive; a piece with two "=" is no pair.
  r.LoadFromText("step=5 STEP=5=6 Koef=9");
  EXPECT_EQ(r.Step(), 10);
  EXPECT_EQ(r.Modulus(), 2);

  // Later pairs win; runs of blanks and unknown keys are harmless.
  r.LoadFromText("STEP=3  STEP=4 COLOR=7 MARKSIZE=-1,5");
  EXPECT_EQ(r.Step(), 4);
  EXPECT_EQ(r.MarkSize(), -1.5);

  // Unreadable numbers keep the current value.
  r.LoadFromText("STEP=ten MARKSIZE=2x KOEF=");
  EXPECT_EQ(r.Step(), 4);
  EXPECT_EQ(r.MarkSize(), -1.5);
  EXPECT_EQ(r.Modulus(), 2);

  r.LoadFromText("RIGHT=false");
  EXPECT_FALSE(r.Right());
  r.LoadFromText("RIGHT=2");
  EXPECT_TRUE(r.Right());
  r.LoadFromText("RIGHT=0 RIGHT=maybe");
  EXPECT_FALSE(r.Right());

  // FONT=1 brings the default label font back; any other value removes it.
  r.LoadFromText("FONT=1");
  ASSERT_TRUE(r.HasFont());
  EXPECT_EQ(r.Font()->Format, 38);
  r.Font()->SetSize(14);
  r.LoadFromText("FONT=1");
  EXPECT_EQ(r.Font()->Size(), 14) << "an existing font is kept";
  r.LoadFromText("FONT=yes");
  EXPECT_FALSE(r.HasFont());
}

TEST_F(RullerTest, IniFormCarriesTheFontUnderItsOwnKeys) {
  TIniFile ini(Path("t.ini"));
  TRuller a;
  a.SetStep(50);
  a.Font()->SetSize(14);
  a.Font()->SetName("Times New Roman");
  ASSERT_TRUE(a.SaveToIni(&ini, "S", "R1"));
  EXPECT_EQ(ini.ReadString("S", "R1", ""), "STEP=50 KOEF=5 MARKSIZE=2 RIGHT=1 FONT=1");
  EXPECT_EQ(ini.ReadString("S", "R1.FONT.SIZE", ""), "14");

  TRuller b = Ruller(1, 1, 1, false, false);
  ASSERT_TRUE(b.LoadFromIni(&ini, "S", "R1"));
  EXPECT_EQ(b.ToText(), a.ToText());
  ASSERT_TRUE(b.HasFont());
  EXPECT_EQ(b.Font()->Size(), 14);
  EXPECT_EQ(b.Font()->Name(), "Times New Roman");

  // A ruler without labels leaves font keys in the file unread.
  ini.WriteString("S", "R2", "STEP=1 FONT=0");
  ini.WriteString("S", "R2.FONT.SIZE", "30");
  TRuller c;
  c.LoadFromIni(&ini, "S", "R2");
  EXPECT_FALSE(c.HasFont());
  EXPECT_FALSE(c.LoadFromIni(nullptr, "S", "R2"));
}

TEST_F(RullerTest, StreamFormRoundTripsAndTakesStoredValuesAsTheyAre) {
  TRuller a = Ruller(2.5, 4, 3, false, true);
  a.Font()->SetName("Courier New");
  a.Font()->Color = 0x0000FF;
  auto qs = NewQS();
  ASSERT_TRUE(a.SaveToQS(qs.Get()));
  TRuller b = Ruller(1, 1, 1, true, false);
  ASSERT_TRUE(b.LoadFromQS(qs.Get()));
  EXPECT_EQ(b.ToText(), a.ToText());
  ASSERT_TRUE(b.HasFont());
  EXPECT_EQ(b.Font()->Name(), "Courier New");
  EXPECT_EQ(b.Font()->Color, 0x0000FFu);

  // A ruler saved without a font loads without one, whatever the loader had.
  auto plain = NewQS();
  Ruller(1, 1, 1, true, false).SaveToQS(plain.Get());
  ASSERT_TRUE(b.LoadFromQS(plain.Get()));
  EXPECT_FALSE(b.HasFont());

  // Missing values load as the defaults; stored values bypass the setters.
  auto sparse = NewQS();
  qsWriteDouble(sparse.Get(), 512, 0);
  TRuller c = Ruller(1, 1, 1, false, false);
  ASSERT_TRUE(c.LoadFromQS(sparse.Get()));
  EXPECT_EQ(c.Step(), 0);
  EXPECT_EQ(c.MarkSize(), 2);
  EXPECT_EQ(c.Modulus(), 5);
  EXPECT_TRUE(c.Right());
  EXPECT_TRUE(c.HasFont());
  EXPECT_FALSE(c.LoadFromQS(nullptr));
}

TEST_F(RullerTest, WindowEdgeMarksStandAtTheirColumnsWithLabelsBeside) {
  TRecordingPage page;
  TRuller r = Ruller(1, 10, 3, true, true);
  // 10 px per mm; marks every 10 mm = 100 px; the strip starts at page mm 0.
  r.DrawHorizontal(&page.Painter, QRect(0, 0, 200, 20), 1, 1, 0);
  for (int x : {0, 100, 200})
    EXPECT_NE(page.Device.FindLine(QPointF(x, -10), QPointF(x, 19)), nullptr) << x << "\n" << page.Device.Dump();
  EXPECT_EQ(page.Device.Lines().size(), 3u);
  ASSERT_EQ(page.Texts(), (QStringList{"0", "1", "2"}));
  const TRecordedItem* one = page.Device.FindText("1");
  EXPECT_NEAR(one->Rect.left(), 101, 1);
  EXPECT_NEAR(one->Rect.top(), 1, 0.5) << "labels stand at the strip's top row + 1";

  // An offset of 5 mm: the first index is nint(0.5) = 0 (ties to even).
  page.Device.Clear();
  r.RemoveFont();
  r.SetRight(false);
  r.DrawHorizontal(&page.Painter, QRect(0, 0, 200, 20), 1, 1, 5);
  for (int x : {-50, 50, 150}) EXPECT_NE(page.Device.FindLine(QPointF(x, 0), QPointF(x, 29)), nullptr) << x;
  EXPECT_EQ(page.Device.Lines().size(), 3u);
  EXPECT_TRUE(page.Texts().isEmpty());

  // Vertical: marks from the right edge, labels turned at the left column.
  page.Device.Clear();
  TRuller v = Ruller(1, 10, 2, true, true);
  v.Font()->SetAngle(90);
  v.DrawVertical(&page.Painter, QRect(0, 0, 20, 200), 1, 2, 0);
  EXPECT_NE(page.Device.FindLine(QPointF(0, 0), QPointF(19, 0)), nullptr) << page.Device.Dump();
  EXPECT_NE(page.Device.FindLine(QPointF(0, 200), QPointF(19, 200)), nullptr) << "zoom 2: 20 px per mm";
  const TRecordedItem* label = page.Device.FindText("0");
  ASSERT_NE(label, nullptr);
  EXPECT_DOUBLE_EQ(label->Angle, -90);
}

TEST_F(RullerTest, ScreenRulersCoarsenWithTheZoom) {
  TRecordingPage page;
  DrawScreenRuller(&page.Painter, QRect(0, 0, 200, 20), Qt::Horizontal, 0, 1);
  // 20 mm: centimetres (3), half centimetres (5) and millimetres (21).
  EXPECT_EQ(page.Device.Lines().size(), 29u);
  EXPECT_EQ(page.Texts(), (QStringList{"0", "1", "2"}));
  EXPECT_NE(page.Device.FindLine(QPointF(100, -10), QPointF(100, 19)), nullptr) << "the centimetre mark is 3 mm";

  page.Device.Clear();
  DrawScreenRuller(&page.Painter, QRect(0, 0, 200, 20), Qt::Horizontal, 0, 0.25);
  EXPECT_EQ(page.Texts(), (QStringList{"0", "4", "8"})) << "labels every 4 cm at a quarter size";

  const TRullerList vertical = ScreenRullers(Qt::Vertical, 1);
  ASSERT_EQ(vertical.size(), 3u);
  EXPECT_EQ(vertical[0].Font()->Angle(), 90);
  EXPECT_EQ(vertical[0].Font()->Size(), 8);
  EXPECT_FALSE(vertical[1].HasFont());
  EXPECT_EQ(vertical[2].Step(), 0.1);
  EXPECT_EQ(vertical[2].MarkSize(), 1);
}

// Hostile values must neither hang the window nor draw garbage.
TEST_F(RullerTest, WindowEdgeDrawingSurvivesDamagedValues) {
  TRecordingPage page;
  auto qs = NewQS();
  qsWriteDouble(qs.Get(), 512, 1e-300);
  TRuller tiny;
  tiny.LoadFromQS(qs.Get());
  tiny.DrawHorizontal(&page.Painter, QRect(0, 0, 2000, 20), 1, 1, 0);
  tiny.DrawVertical(&page.Painter, QRect(0, 0, 20, 2000), 1, 1, 0);
  const TRuller normal;
  normal.DrawHorizontal(&page.Painter, QRect(0, 0, 2000, 20), 1, 0, 0);
  normal.DrawHorizontal(&page.Painter, QRect(0, 0, 2000, 20), 1, 1, std::nan(""));
  normal.DrawHorizontal(&page.Painter, QRect(0, 0, 2000, 20), 1, 1, 1e300);
  EXPECT_TRUE(page.Device.Items().empty()) << page.Device.Dump();
  normal.DrawHorizontal(nullptr, QRect(0, 0, 2000, 20), 1, 1, 0);
}

TEST_F(RullerTest, ByteStreamFormMatchesTheCompoundStream) {
  TRuller a = Ruller(7, 3, 1, false, true);
  TComPtr<IStream> bytes(new TMemoryStream());
  ASSERT_TRUE(a.SaveToStream(bytes.Get()));
  bytes->Seek(0, 0, nullptr);
  TRuller b;
  ASSERT_TRUE(b.LoadFromStream(bytes.Get()));
  EXPECT_EQ(b.ToText(), a.ToText());
  TComPtr<IStream> garbage(new TMemoryStream());
  uint32_t done = 0;
  garbage->Write("not a stream", 12, &done);
  garbage->Seek(0, 0, nullptr);
  EXPECT_FALSE(b.LoadFromStream(garbage.Get()));
  EXPECT_EQ(b.ToText(), a.ToText()) << "a failed load changes nothing";
}
