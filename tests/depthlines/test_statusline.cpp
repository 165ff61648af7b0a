// The status line inside a depth table: the states its conditions give the
// rows, the conditions' syntax, the dots and boxes it draws, its stored
// conditions and its dialog.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPainter>

#include "qs.h"
#include "uComPtr.h"
#include "uDepthLineKinds.h"
#include "uFStatusDDLine.h"
#include "uIniFile.h"
#include "uPrintDeepTable.h"
#include "uPropertiesDialogs.h"
#include "uRecordingDevice.h"
#include "uScratchEnvTest.h"
#include "uStatusDDLine.h"

namespace {

const QChar kKa(0x041A), kGe(0x0413);

// A depth table whose first column holds the mark and the next two the interval.
class StatusLineTest : public TScratchEnvTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    RegisterDepthLineKinds();
    FTable.StartColumn = 1;
    FTable.EndColumn = 2;
    FTable.SetBoundsRect({0, 0, 30, 10});
    auto line = std::make_unique<TStatusDDLine>();
    FLine = line.get();
    FTable.AddChild(std::move(line));
    FLine->SetLeft(20);
  }
  void Rows(const QStringList& marks) {
    TStringTableEx& t = FTable.Table();
    t.SetColCount(3);
    t.SetRowCount(static_cast<int>(marks.size()));
    for (int r = 0; r < marks.size(); ++r) {
      t.SetCell(0, r, marks[r]);
      t.SetCell(1, r, QString::number(r * 2));
      t.SetCell(2, r, QString::number(r * 2 + 2));
    }
    FTable.RebuildIntervals();
  }
  std::vector<int> States() const {
    std::vector<int> out;
    for (const TIntervalEx& i : FLine->StatusIntervals()) out.push_back(i.State);
    return out;
  }

  TPrintDeepTable FTable;
  TStatusDDLine* FLine = nullptr;
};

}  // namespace

TEST_F(StatusLineTest, FilledRowsAlternateUntilADottedRow) {
  Rows({QString(kKa) + "ern", QString(kKa), "Sand", QString(kKa).toLower() + "x", QString(kGe), QString(kKa)});
  // Lower case in the cell matches the upper-case value.
  EXPECT_EQ(States(), (std::vector<int>{isFilled, isEmpty, isEmpty, isFilled, isDotted, isFilled}));
  // The table hands the line its own top and height.
  EXPECT_EQ(FLine->Top(), FTable.Top());
  EXPECT_EQ(FLine->GetHeight(), FTable.GetHeight());
  EXPECT_EQ(FLine->StatusIntervals()[1].Top, 2);
  EXPECT_TRUE(FLine->StatusIntervals()[1].Contains(4));
}

TEST_F(StatusLineTest, ConditionsSplitOnceAndReadTheRowsOwnCells) {
  Rows({"Ab", "cd"});
  const TStringTable& t = FTable.Table();
  EXPECT_TRUE(TStatusDDLine::ConditionMatches("C1RNS2=B", t, 0));
  EXPECT_TRUE(TStatusDDLine::ConditionMatches("c1rn=CD", t, 1));
  EXPECT_FALSE(TStatusDDLine::ConditionMatches("C1RNS2", t, 0));    // no "="
  EXPECT_FALSE(TStatusDDLine::ConditionMatches("C1RN=Ab=", t, 0));  // two "="
  EXPECT_TRUE(TStatusDDLine::ConditionMatches("C1S1=", t, 0));      // no row: an empty text
  EXPECT_FALSE(TStatusDDLine::ConditionMatches("C1S1=A", t, 0));
  EXPECT_TRUE(TStatusDDLine::ConditionMatches("C1RNS9=", t, 0));    // past the text's end
  EXPECT_FALSE(TStatusDDLine::ConditionMatches("C1RN+=Ab", t, 0));  // any other character
}

TEST_F(StatusLineTest, DrawsBoxesAndDotsAtTheIntervals) {
  Rows({QString(kKa), QString(kGe)});
  FLine->SetWidth(2);
  TRecordingDevice device(QSize(1000, 1000), 254);  // 10 pixels per mm
  QPainter painter(&device);
  TDrawContext c;
  c.DC = &painter;
  c.Options = doBorders;
  c.ClipRect = {0, 0, 1000, 1000};
  FLine->Draw(c);
  // Depth 0-2 at 1:200 is 0-10 mm, rows 0-100; the box reaches one pixel past both edges.
  EXPECT_TRUE(device.FindRect(QRectF(200, 0, 21, 101), 0.5));
  // Depth 2-4: rows 100-200, dots every 20 pixels: k = 0 ... 5.
  int dots = 0;
  for (const TRecordedItem* r : device.Rects())
    if (r->Rect.width() == 1 && r->Rect.height() == 1) {
      EXPECT_EQ(r->Rect.left(), 210);
      EXPECT_EQ(int(r->Rect.top() - 100) % 20, 0);
      ++dots;
    }
  EXPECT_EQ(dots, 6);
  device.Clear();
  c.Options = doFrames;
  FLine->Draw(c);
  EXPECT_FALSE(device.FindRect(QRectF(200, 0, 21, 101), 0.5));
}

TEST_F(StatusLineTest, StoredConditionsAreWindows1251AndMissingOnesEmpty) {
  TComPtr<ICompoundStream> s;
  qsCreateCompoundStream(s.Put());
  ASSERT_TRUE(FLine->SaveToQS(s.Get()));
  TCompoundEntry e{};
  ASSERT_EQ(s->GetEntry(5888, &e), S_OK);
  const QByteArray stored(static_cast<const char*>(e.Data), static_cast<qsizetype>(e.Size));
  EXPECT_TRUE(stored.endsWith(QByteArray("C1RNS1=\xCA")));
  TStatusDDLine copy;
  ASSERT_TRUE(copy.LoadFromQS(s.Get()));
  EXPECT_EQ(copy.FillCondition, FLine->FillCondition);
  EXPECT_EQ(copy.PointCondition, QStringLiteral("C1RNS1=") + kGe);

  s->DeleteValue(5888);
  s->DeleteValue(5890);
  ASSERT_TRUE(copy.LoadFromQS(s.Get()));
  EXPECT_TRUE(copy.FillCondition.isEmpty());  // not the default of a new line
  EXPECT_EQ(copy.PointInterval, 2.0);

  TIniFile ini(FDir.filePath("t.ini"));
  ini.WriteString("L", "ICPOINT", "C2RN=x");
  TStatusDDLine fromIni;
  ASSERT_TRUE(fromIni.LoadFromIni(&ini, "L", ""));
  EXPECT_TRUE(fromIni.FillCondition.isEmpty());
  EXPECT_EQ(fromIni.PointCondition, QStringLiteral("C2RN=x"));
}

TEST_F(StatusLineTest, TheDialogAppliesAndTheTableRebuilds) {
  Rows({"A", "B"});
  EXPECT_EQ(States(), (std::vector<int>{isEmpty, isEmpty}));
  TFStatusDDLine dialog(FLine);
  dialog.findChild<QLineEdit*>("sICFill")->setText("C1RN=b");
  dialog.findChild<QLineEdit*>("sWidth")->setText("3.5");
  dialog.findChild<QLineEdit*>("sPointInterval")->setText("junk");
  dialog.Apply();
  EXPECT_EQ(States(), (std::vector<int>{isEmpty, isFilled}));
  EXPECT_EQ(FLine->GetWidth(), 3.5);
  EXPECT_EQ(FLine->PointInterval, 2);
}

// A mouse drag leaves positions such as 20.583329506384: the dialog shows
// them to a hundredth, and OK without a change leaves them as they were.
TEST_F(StatusLineTest, TheDialogShowsPositionsToAHundredthAndKeepsThemUntouched) {
  FLine->SetLeft(20.583329506384);
  TFStatusDDLine dialog(FLine);
  auto* left = dialog.findChild<QLineEdit*>("sLeft");
  EXPECT_EQ(left->text(), "20.58");
  dialog.Apply();
  EXPECT_EQ(FLine->Left(), 20.583329506384);
  left->setText("21,25");
  dialog.Apply();
  EXPECT_EQ(FLine->Left(), 21.25);
}

// The pop-up's Add proposes a column's width at the click: a new status line
// keeps its own narrow width, and whatever is added starts inside the table.
TEST_F(StatusLineTest, AddedStripsStandInsideTheTable) {
  RegisterPropertiesDialog("TStatusDDLine", [](TPrintObject*) { return true; });
  Rows({"A", "B"});
  FUi.ListAnswers.push_back(0);  // the status line, first of the kinds offered
  ASSERT_TRUE(FTable.InsertNewChildAt(25, 3, 45, 3));
  const TPrintObject* added = FTable.GetChild(FTable.Count() - 1);
  ASSERT_EQ(added->GetKind(), kindStatusDDLine);
  EXPECT_EQ(added->GetWidth(), TStatusDDLine::kNewWidth);
  EXPECT_EQ(added->Left(), 25);
  FUi.ListAnswers.push_back(0);
  ASSERT_TRUE(FTable.InsertNewChildAt(29.8, 3, 49.8, 3));
  EXPECT_EQ(FTable.GetChild(FTable.Count() - 1)->Left(), 30 - TStatusDDLine::kNewWidth) << "kept inside the right edge";
  EXPECT_EQ(FTable.GetChild(FTable.Count() - 1)->GetHeight(), FTable.GetChildrenHeight()) << "down to the last row";
}
