// The colour line: which rows make bars and how runs are glued, the stored
// categories under their negative IDs, import into every category, drawing,
// and the two dialogs working on copies.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>

#include "qs.h"
#include "uComPtr.h"
#include "uDepthLineKinds.h"
#include "uFColorLine.h"
#include "uPrintColorLine.h"
#include "uRecordingDevice.h"
#include "uScratchEnvTest.h"

namespace {

std::unique_ptr<TColorCategory> Category(const QString& name, double from, double to,
                                         const std::vector<double>& values) {
  auto c = std::make_unique<TColorCategory>();
  c->Name = name;
  c->RangeMin = from;
  c->RangeMax = to;
  c->BarLeft = 1;
  c->BarRight = 4;
  c->Color = 0x0000FF;
  c->Table.SetColCount(3);
  c->Table.SetRowCount(static_cast<int>(values.size()));
  for (int r = 0; r < static_cast<int>(values.size()); ++r) {
    c->Table.SetCell(0, r, QString::number(10 * r));
    c->Table.SetCell(1, r, QString::number(10 * r + 10));
    c->Table.SetCell(2, r, QString::number(values[static_cast<size_t>(r)]));
  }
  return c;
}

std::vector<std::pair<double, double>> Spans(const TColorCategory& c) {
  std::vector<std::pair<double, double>> out;
  for (const TColorLineBufer& b : c.Bars) out.emplace_back(b.TopDepth, b.BottomDepth);
  return out;
}

class ColorLineTest : public TScratchEnvTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    RegisterDepthLineKinds();
  }
};

}  // namespace

TEST_F(ColorLineTest, RowsInTheRangeMakeBarsAndAdjacentOnesGlue) {
  auto c = Category("a", 5, 10, {5, 7, 20, 6});
  c->BuildBars();
  EXPECT_EQ(Spans(*c), (std::vector<std::pair<double, double>>{{0, 10}, {10, 20}, {30, 40}}));
  c->GlueClosers = true;
  c->BuildBars();
  EXPECT_EQ(Spans(*c), (std::vector<std::pair<double, double>>{{0, 20}, {30, 40}}));
  EXPECT_EQ(c->Bars[0].X1, 1);
  EXPECT_EQ(c->Bars[0].X2, 4);
  // Both ends of the range are inside; a value that is not a number counts as -1.
  c->Table.SetCell(2, 2, "n/a");
  c->RangeMin = -1;
  c->RangeMax = 6;
  c->GlueClosers = false;
  c->BuildBars();
  EXPECT_EQ(Spans(*c), (std::vector<std::pair<double, double>>{{0, 10}, {20, 30}, {30, 40}}));
  c->CategoryType = ccHistogramm;
  c->BuildBars();
  EXPECT_TRUE(c->Bars.empty());
}

TEST_F(ColorLineTest, CategoriesAreStoredUnderNegativeIds) {
  TPrintColorLine line;
  TPrintColorLine::TCategories list;
  list.push_back(Category("one", 0, 1, {0.5}));
  list.push_back(Category("two", 0, 1, {}));
  list.push_back(Category("Третья", 2, 3, {2.5, 9}));
  line.SetCategories(std::move(list));
  TComPtr<ICompoundStream> s;
  qsCreateCompoundStream(s.Put());
  ASSERT_TRUE(line.SaveToQS(s.Get()));
  TCompoundEntry e{};
  EXPECT_EQ(s->GetEntry(-49998, &e), S_OK);
  EXPECT_EQ(e.Tag, qsBinary);

  TPrintColorLine copy;
  ASSERT_TRUE(copy.LoadFromQS(s.Get()));
  ASSERT_EQ(copy.Categories().size(), 3u);
  EXPECT_EQ(copy.Categories()[2]->Name, QStringLiteral("Третья"));
  EXPECT_EQ(copy.Categories()[2]->Table.GetCell(2, 1), QStringLiteral("9"));
  EXPECT_FALSE(copy.Categories()[0]->GlueClosers);  // as stored

  // A category saved without 8200 glues; one whose stream cannot be read is skipped.
  TComPtr<ICompoundStream> old;
  ASSERT_EQ(qsReadCompoundStream(s.Get(), -50000, old.Put()), S_OK);
  old->DeleteValue(8200);
  ASSERT_EQ(qsWriteCompoundStream(s.Get(), -50000, old.Get()), S_OK);
  s->WriteInteger(-49999, 7);
  ASSERT_TRUE(copy.LoadFromQS(s.Get()));
  ASSERT_EQ(copy.Categories().size(), 2u);
  EXPECT_TRUE(copy.Categories()[0]->GlueClosers);
  EXPECT_EQ(copy.Categories()[1]->Name, QStringLiteral("Третья"));
}

TEST_F(ColorLineTest, ImportFillsEveryCategoryFromOneFile) {
  TPrintColorLine line;
  EXPECT_FALSE(line.ExecuteMenuCommand(0));  // no categories: nothing is asked
  EXPECT_TRUE(FUi.FileDialogs.empty());
  TPrintColorLine::TCategories list;
  list.push_back(Category("low", 0, 5, {}));
  list.push_back(Category("high", 5, 10, {}));
  line.SetCategories(std::move(list));
  const QString path = FDir.filePath("values.txt");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("100\t101\t3\n101\t102\t8\n102\t103\t9\n");
  file.close();
  FUi.FileAnswers.push_back(path);
  EXPECT_TRUE(line.ExecuteMenuCommand(0));
  EXPECT_EQ(Spans(*line.Categories()[0]), (std::vector<std::pair<double, double>>{{100, 101}}));
  EXPECT_EQ(Spans(*line.Categories()[1]), (std::vector<std::pair<double, double>>{{101, 102}, {102, 103}}));
  EXPECT_FALSE(line.ExecuteMenuCommand(0));  // cancelled
  EXPECT_EQ(line.Categories()[1]->Table.RowCount(), 3);
  QString caption;
  line.GetMenuCommandCaption(1, &caption);
  EXPECT_EQ(caption, QStringLiteral("-"));
}

TEST_F(ColorLineTest, BarsAreDrawnBetweenTheirOffsetsInListOrder) {
  TPrintColorLine line;
  line.SetBoundsRect({10, 0, 20, 100});
  TPrintColorLine::TCategories list;
  list.push_back(Category("a", 0, 10, {1}));  // depth 0-10 at 1:200: 0-50 mm
  line.SetCategories(std::move(list));
  TRecordingDevice device(QSize(1000, 1000), 254);
  QPainter painter(&device);
  TDrawContext c;
  c.DC = &painter;
  c.Options = doFrames;  // every pass draws the bars
  c.ClipRect = {0, 0, 1000, 1000};
  line.Draw(c);
  const TRecordedItem* bar = device.FindRect(QRectF(110, 0, 30, 500), 1.0);
  ASSERT_TRUE(bar);
  EXPECT_EQ(bar->State.BrushColor, QColor(255, 0, 0));
}

TEST_F(ColorLineTest, TheDialogsWorkOnCopies) {
  TColorCategory category;
  {
    TFColorLineCategory dialog(&category);
    auto* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    EXPECT_FALSE(ok->isEnabled()) << "no name";
    dialog.findChild<QLineEdit*>("sName")->setText("Sand");
    EXPECT_TRUE(ok->isEnabled()) << "0 to 0 selects the code 0: the range is inclusive";
    dialog.findChild<QLineEdit*>("sMax")->setText("-1");
    EXPECT_FALSE(ok->isEnabled()) << "To above From";
    dialog.findChild<QLineEdit*>("sMax")->setText("twelve");
    EXPECT_FALSE(ok->isEnabled()) << "not a number";
    dialog.findChild<QLineEdit*>("sMax")->setText("12");
    EXPECT_TRUE(ok->isEnabled());
    dialog.findChild<QComboBox*>("iStyle")->setCurrentIndex(ccHistogramm);
    EXPECT_FALSE(dialog.findChild<QGroupBox*>("gSize")->isEnabled());
    EXPECT_FALSE(dialog.findChild<QCheckBox*>("bGlue")->isEnabled());
    dialog.findChild<QComboBox*>("iStyle")->setCurrentIndex(ccSimple);
    dialog.findChild<QLineEdit*>("sRight")->setText("7");
    FUi.FileAnswers.push_back(FDir.filePath("missing.txt"));
    dialog.LoadTable();
    ASSERT_EQ(FUi.Messages.size(), 1u);
    EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Error);
    dialog.Apply();
  }
  EXPECT_EQ(category.Name, QStringLiteral("Sand"));
  EXPECT_EQ(category.RangeMax, 12);
  EXPECT_EQ(category.BarRight, 7);

  TPrintColorLine line;
  TPrintColorLine::TCategories list;
  list.push_back(Category("a", 0, 1, {}));
  list.push_back(Category("b", 0, 1, {}));
  list.push_back(Category("c", 0, 1, {}));
  line.SetCategories(std::move(list));
  {
    TFColorLine dialog(&line);
    auto* names = dialog.findChild<QListWidget*>("lCategoryList");
    ASSERT_EQ(names->count(), 3);
    names->setCurrentRow(0);
    EXPECT_FALSE(dialog.findChild<QPushButton*>("btnCategoryUp")->isEnabled());
    dialog.MoveCategory(1);
    EXPECT_EQ(names->item(1)->text(), QStringLiteral("a"));
    names->setCurrentRow(2);
    EXPECT_FALSE(dialog.findChild<QPushButton*>("btnCategoryDown")->isEnabled());
    dialog.DeleteCategory();
    EXPECT_EQ(line.Categories().size(), 3u);  // not before OK
  }
  EXPECT_EQ(line.Categories()[0]->Name, QStringLiteral("a"));
  {
    TFColorLine dialog(&line);
    dialog.findChild<QListWidget*>("lCategoryList")->setCurrentRow(0);
    dialog.MoveCategory(1);
    dialog.DeleteCategory();
    dialog.Apply();
  }
  ASSERT_EQ(line.Categories().size(), 2u);
  EXPECT_EQ(line.Categories()[0]->Name, QStringLiteral("b"));
  EXPECT_EQ(line.Categories()[1]->Name, QStringLiteral("c"));
}
