// The vector graphic: the command table in both directions, the stored
// records, the drawing of each command at its depths, and the table editor's
// preview, OK and Cancel.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QPainter>
#include <QTableWidget>
#include <cstring>

#include "qs.h"
#include "uComPtr.h"
#include "uFVectorGraphic.h"
#include "uPictureKinds.h"
#include "uPrintVectorGraphic.h"
#include "uRecordingDevice.h"
#include "uScratchEnvTest.h"
#include "uStringTable.h"
#include "uTestDeepBody.h"

namespace {

// The owner of the depth mapping: 1:200 from depth 0 at page 0, so depth d
// lies at 5d mm, 50d pixels on a page of 10 pixels per mm.
class TBody : public TTestDeepBody {
 public:
  TBody() : TTestDeepBody({kindVectorGraphic}) {}
  TPrintVectorGraphic* Add(double left) { return TTestDeepBody::Add<TPrintVectorGraphic>(left, 0, 50, 100); }
};

void Fill(TStringTable* t, const std::vector<QStringList>& rows) {
  t->SetColCount(5);
  t->SetRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r)
    for (int c = 0; c < rows[r].size(); ++c) t->SetCell(c, r, rows[r][c]);
}

QStringList RowTexts(const TStringTable& t, int row) {
  QStringList out;
  for (int c = 0; c < t.ColCount(); ++c) out << t.GetCell(c, row);
  return out;
}

class VectorGraphicTest : public TScratchEnvTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    RegisterPictureKinds();
  }
  TBody FBody;
};

}  // namespace

TEST_F(VectorGraphicTest, TableRowsBecomeCommandsAndBack) {
  TPrintVectorGraphic* g = FBody.Add(10);
  TStringTable rows;
  Fill(&rows, {{"text", "10", "1200.5", "12", "Top"},
               {"Rect", "2.5", "3", "3.5", "4"},
               {"circle", "1", "2", "3", "4"},
               {"LINE", "x", "", "7", "oops"}});
  g->CommandsFromTable(rows);
  const auto& c = g->Commands();
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0], (TVGCommandEx{vgText, 10, 1200.5, 12, 0, QStringLiteral("Top"), 0}));
  EXPECT_EQ(c[1].CommandType, vgRect);
  EXPECT_EQ(c[1].X1, 2);  // ties go to the even neighbour
  EXPECT_EQ(c[1].X2, 4);
  EXPECT_EQ(c[2].CommandType, vgNone);
  EXPECT_EQ(c[3], (TVGCommandEx{vgLine, 0, 0, 7, 0, QString(), 0}));
  // The height reaches the deepest depth: 1200.5 m at 1:200 is 6002.5 mm.
  EXPECT_DOUBLE_EQ(g->GetHeight(), 6002.5);
  EXPECT_DOUBLE_EQ(g->GetChildrenHeight(), 6002.5);
  EXPECT_DOUBLE_EQ(g->GetChildrenWidth(), 10);  // TEXT's X2 is a font size

  TStringTable back;
  g->CommandsToTable(&back);
  ASSERT_EQ(back.RowCount(), 4);
  EXPECT_EQ(RowTexts(back, 0), (QStringList{"TEXT", "10", "1200.5", "12", "Top"}));
  EXPECT_EQ(RowTexts(back, 2), (QStringList{"", "1", "2", "3", "4"}));
}

TEST_F(VectorGraphicTest, CommandsAreStoredAsThirtyTwoByteRecords) {
  const TVGCommandEx arrow{vgArrow, 20, 1.5, -10, 2.25, QString(), 0};
  const TVGRecord r = PackVGCommand(arrow);
  EXPECT_EQ(r[0], 3);
  EXPECT_EQ(r[4], 20);
  EXPECT_EQ(r[16], 0xF6);  // -10
  EXPECT_EQ(r[23], 0);     // reserved
  double y2 = 0;
  std::memcpy(&y2, &r[24], 8);
  EXPECT_EQ(y2, 2.25);
  EXPECT_EQ(UnpackVGCommand(r), arrow);

  TPrintVectorGraphic* g = FBody.Add(0);
  g->SetCommands({arrow, {vgText, 1, 2, 10, 0, QStringLiteral("Керн"), 0}});
  TComPtr<ICompoundStream> s;
  qsCreateCompoundStream(s.Put());
  ASSERT_TRUE(g->SaveToQS(s.Get()));
  TPrintVectorGraphic copy;
  ASSERT_TRUE(copy.LoadFromQS(s.Get()));
  EXPECT_EQ(copy.Commands(), g->Commands());
  EXPECT_EQ(copy.Highlighted(), -1);

  // A count beyond the stored records empties the commands, the load itself succeeds.
  s->WriteInteger(-10001, 3);
  ASSERT_TRUE(copy.LoadFromQS(s.Get()));
  EXPECT_TRUE(copy.Commands().empty());
  s->WriteInteger(-10001, 0x7FFFFFFF);
  ASSERT_TRUE(copy.LoadFromQS(s.Get()));
  EXPECT_TRUE(copy.Commands().empty());
}

TEST_F(VectorGraphicTest, EachCommandDrawsAtItsDepths) {
  TPrintVectorGraphic* g = FBody.Add(10);  // Left at 10 mm: 100 pixels
  g->SetCommands({{vgLine, 0, 1, 10, 2, {}, 0},
                  {vgArrow, 20, 4, 10, 4, {}, 0},
                  {vgRect, 1, 5, 3, 6, {}, 0},
                  {vgLineP, 0, 7, 5, 7, {}, 0},
                  {vgText, 10, 8, 12, 0, QStringLiteral("Top"), 0},
                  {vgNone, 0, 9, 40, 9, {}, 0}});
  g->SetHighlighted(1);
  TRecordingDevice device(QSize(2000, 2000), 254);
  QPainter painter(&device);
  TDrawContext c;
  c.DC = &painter;
  c.Options = doBorders;
  c.ClipRect = {0, 0, 2000, 2000};
  g->Draw(c);

  const TRecordedItem* line = device.FindLine({100, 50}, {200, 100});
  ASSERT_TRUE(line);
  const TRecordedItem* arrow = device.FindLine({300, 200}, {200, 200});
  ASSERT_TRUE(arrow);
  EXPECT_EQ(arrow->State.PenWidth, 3);  // the highlighted command
  EXPECT_NE(line->State.PenWidth, 3);
  // Leftwards: the head opens to the right, 3 mm back from the tip, 1 mm up and down.
  const QPolygonF head({QPointF(230, 190), QPointF(200, 200), QPointF(230, 210)});
  bool headFound = false;
  for (const TRecordedItem* p : device.OfKind(TRecordKind::Polygon))
    headFound = headFound || (p->Polygon == head && !p->Closed);
  EXPECT_TRUE(headFound);
  EXPECT_TRUE(device.FindRect(QRectF(110, 250, 20, 50), 1.5));
  const TRecordedItem* dashed = device.FindLine({100, 350}, {150, 350});
  ASSERT_TRUE(dashed);
  EXPECT_EQ(dashed->State.PenStyle, Qt::DashDotLine);
  const TRecordedItem* text = device.FindText(QStringLiteral("Top"));
  ASSERT_TRUE(text);
  EXPECT_NEAR(text->Rect.left(), 200, 1);
  EXPECT_NEAR(text->Rect.center().y(), 400, 3);           // centred on depth 8
  EXPECT_FALSE(device.FindLine({100, 450}, {500, 450}));  // an unknown command draws nothing

  device.Clear();
  c.Options = doFrames;
  g->Draw(c);
  EXPECT_FALSE(device.FindLine({100, 50}, {200, 100}));
}

TEST_F(VectorGraphicTest, TheEditorPreviewsAndCancelRestores) {
  TPrintVectorGraphic* g = FBody.Add(0);
  g->SetCommands({{vgLine, 0, 1, 10, 2, {}, 0}, {vgRect, 1, 2, 3, 4, {}, 0}});
  const auto before = g->Commands();
  {
    TFVectorGraphic dialog(g);
    QTableWidget* grid = dialog.Grid();
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(1, 0)->text(), QStringLiteral("RECT"));
    grid->item(0, 3)->setText(QStringLiteral("30"));
    grid->setCurrentCell(1, 2);
    EXPECT_EQ(g->Highlighted(), 1);
    EXPECT_EQ(g->Commands()[0].X2, 30);  // the drawing shows the edit at once
    dialog.Restore();
  }
  EXPECT_EQ(g->Commands(), before);
  EXPECT_EQ(g->Highlighted(), -1);
  {
    TFVectorGraphic dialog(g);
    dialog.Grid()->item(1, 0)->setText(QStringLiteral("arrow"));
    dialog.Grid()->setCurrentCell(0, 0);
    dialog.Apply();
  }
  EXPECT_EQ(g->Commands()[1].CommandType, vgArrow);
  EXPECT_EQ(g->Highlighted(), -1);
  {
    // The command cell edits with the list of commands.
    TFVectorGraphic dialog(g);
    QTableWidget* grid = dialog.Grid();
    grid->setCurrentCell(0, 0);
    grid->editItem(grid->item(0, 0));
    auto* box = grid->findChild<QComboBox*>(QStringLiteral("cbCommand"));
    ASSERT_NE(box, nullptr);
    QStringList names;
    for (int i = 0; i < box->count(); ++i) names << box->itemText(i);
    EXPECT_EQ(names, (QStringList{"RECT", "LINE", "ARROW", "TEXT", "LINEP"}));
    EXPECT_EQ(box->currentText(), "LINE");
    box->setCurrentText("TEXT");
    grid->setCurrentCell(1, 1);  // the editor hands its text to the cell
    EXPECT_EQ(grid->item(0, 0)->text(), "TEXT");
  }
}

TEST_F(VectorGraphicTest, ImportReplacesTheCommandsFromATableFile) {
  TPrintVectorGraphic* g = FBody.Add(0);
  g->SetCommands({{vgLine, 0, 1, 10, 2, {}, 0}});
  QString caption;
  g->GetMenuCommandCaption(0, &caption);
  EXPECT_EQ(caption, QStringLiteral("Import"));
  const QString path = FDir.filePath("commands.txt");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("LINE\t0\t10\t20\t12\nTEXT\t5\t11\t14\tHello\n");
  file.close();
  FUi.FileAnswers.push_back(path);
  EXPECT_TRUE(g->ExecuteMenuCommand(0));
  ASSERT_EQ(g->Commands().size(), 2u);
  EXPECT_EQ(g->Commands()[1].Text, QStringLiteral("Hello"));
  EXPECT_DOUBLE_EQ(g->GetHeight(), 60);  // depth 12 at 1:200
  // Cancelled: nothing changes.
  EXPECT_FALSE(g->ExecuteMenuCommand(0));
  EXPECT_EQ(g->Commands().size(), 2u);
}
