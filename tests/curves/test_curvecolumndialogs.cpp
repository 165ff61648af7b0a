// The curve column dialog and the add-curve dialog driven offscreen: grid
// sets kept per tab and written on OK only, positions that take effect at
// once, the column choice proposing name and step, OK enabled only for a
// complete choice, and the LAS form telling how depths were resampled.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>

#include "uCurvesTestEnv.h"
#include "uFAddDiagramm.h"
#include "uFDiagrams.h"
#include "uLanguage.h"
#include "uLineStyleDialog.h"
#include "uPrintDiagrams.h"
#include "uWidgetLookup.h"

using CurveColumnDialogTest = TCurvesTest;

TEST_F(CurveColumnDialogTest, GridTabsKeepTheirSetsAndOkWritesAllFour) {
  TTestBody body;
  TPrintDiagrams* column = body.Add<TPrintDiagrams>(TBoundsRect{20, 0, 60, 100});
  column->HorzLines1 = {1, 0, 0.3, 10};
  TPrintDiagramm* curve = column->AddEmptyCurve("GR", 1);

  TFDiagrams d(column);
  auto* step = Find<QComboBox>(&d, "cbStep");
  auto* width = Find<QComboBox>(&d, "cbWidth");
  EXPECT_EQ(step->currentText(), "10");
  EXPECT_EQ(width->currentText(), "0.3");
  step->setCurrentText("0");
  EXPECT_FALSE(width->isEnabled());
  step->setCurrentText("5");
  EXPECT_TRUE(width->isEnabled());
  width->setCurrentText("nonsense");                 // unreadable: one pixel
  Find<QTabBar>(&d, "tabGrid")->setCurrentIndex(2);  // vertical lines
  EXPECT_EQ(step->currentText(), "0");
  step->setCurrentText("50");
  EXPECT_EQ(column->HorzLines1.Step, 10);  // nothing written before OK

  // Moving the curve takes effect at once, within the column's range.
  Find<QListWidget>(&d, "lList")->setCurrentRow(0);
  auto* pos = Find<QSpinBox>(&d, "iCurvePos");
  EXPECT_EQ(pos->minimum(), -20);
  EXPECT_EQ(pos->maximum(), 60);
  pos->setValue(33);
  EXPECT_EQ(curve->Left(), 33);

  d.Apply();
  EXPECT_EQ(column->HorzLines1.Step, 5);
  EXPECT_EQ(column->HorzLines1.LineWidth, -1);
  EXPECT_EQ(column->VertLines1.Step, 50);
  EXPECT_EQ(column->HorzLines2.Step, 0);

  // The one-pixel width is named in the program's language and reads back as such.
  ASSERT_TRUE(LoadLanguage(QStringLiteral(KERNO_SOURCE_DIR "/resources/russian.vox")));
  TFDiagrams russian(column);
  UnloadLanguage();
  EXPECT_EQ(Find<QComboBox>(&russian, "cbWidth")->currentText(), QString::fromUtf8("<по умолчанию>"));
  russian.Apply();
  EXPECT_EQ(column->HorzLines1.LineWidth, -1);
}

TEST_F(CurveColumnDialogTest, AddCurveProposesFromTheColumnAndAddsOnOk) {
  TTestBody body;
  TPrintDiagrams* column = body.Add<TPrintDiagrams>(TBoundsRect{0, 0, 40, 100});
  TFAddDiagramm d(column, MakeTable({{"DEPT", "GR", "SP"}, {"10", "1", "5"}, {"10.5", "2", "6"}, {"11", "3", "7"}}));
  auto* ok = d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
  EXPECT_EQ(Find<QLineEdit>(&d, "sName")->text(), "GR");  // column 1 chosen at first
  EXPECT_EQ(Find<QLineEdit>(&d, "sStepDepth")->text(), "0.5");
  EXPECT_EQ(Find<QLineEdit>(&d, "sMeasurement")->text(), "1") << "values up to 3 within 40 mm";
  EXPECT_TRUE(ok->isEnabled());
  Find<QListWidget>(&d, "iColList")->setCurrentRow(2);
  EXPECT_EQ(Find<QLineEdit>(&d, "sName")->text(), "SP");
  EXPECT_EQ(Find<QLineEdit>(&d, "sMeasurement")->text(), "2") << "values up to 7 within 40 mm";
  Find<QLineEdit>(&d, "sMeasurement")->setText("x");
  EXPECT_FALSE(ok->isEnabled());
  Find<QLineEdit>(&d, "sMeasurement")->setText("2");
  Find<QLineEdit>(&d, "sStepDepth")->setText("0");
  EXPECT_FALSE(ok->isEnabled());
  Find<QLineEdit>(&d, "sStepDepth")->setText("0.5");
  ASSERT_TRUE(ok->isEnabled());
  ASSERT_TRUE(d.Apply());
  ASSERT_EQ(column->Curves().size(), 1u);
  EXPECT_EQ(column->Curves()[0]->Name(), "SP");
  EXPECT_EQ(column->Curves()[0]->Samples(), (std::vector<double>{5, 6, 7}));
  EXPECT_EQ(column->Curves()[0]->Measure(), 2);
}

TEST_F(CurveColumnDialogTest, LasFormSaysHowDepthsAreTakenAndAddsEveryCurve) {
  TTestBody body;
  TPrintDiagrams* column = body.Add<TPrintDiagrams>(TBoundsRect{0, 0, 40, 100});
  TLasData las;
  QString error;
  ASSERT_TRUE(
      ParseLasCurves("~V\nVERS. 2.0 :\n~W\nNULL. -1 :\n~C\nDEPT.M :\nGR.GAPI :\nSP.MV :\n~A\n1 10 -1\n2 20 "
                     "2\n2.5 25 3\n4 40 4\n",
                     &las, &error));
  TFAddDiagramm d(column, las, "well.las");
  EXPECT_TRUE(Find<QLabel>(&d, "lResample")->text().contains("not evenly spaced"));
  EXPECT_FALSE(Find<QLabel>(&d, "lResample")->text().contains("A curve the column has")) << "the column has none";
  EXPECT_EQ(Find<QListWidget>(&d, "iCurveList")->item(0)->text(), "GR (GAPI)");
  ASSERT_TRUE(d.Apply());
  ASSERT_EQ(column->Curves().size(), 2u);
  TPrintDiagramm* sp = column->Curves()[1];
  EXPECT_EQ(sp->Samples()[0], sp->NullValue());
  EXPECT_EQ(CurveUnit(sp), "MV");
  // Now that the column has curves, the form says they take the file's curves of their names.
  TFAddDiagramm again(column, las, "well.las");
  EXPECT_TRUE(Find<QLabel>(&again, "lResample")->text().contains("A curve the column has takes the file's curve"));
}
