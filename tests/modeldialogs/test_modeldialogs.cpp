// The position dialog and the children dialog: validation, button rules,
// and that Cancel changes nothing.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "uFObjectList.h"
#include "uFObjectPos.h"
#include "uModelDialogs.h"
#include "uPrintObjectList.h"
#include "uPropertiesDialogs.h"
#include "uScratchEnvTest.h"
#include "uWidgetLookup.h"

namespace {

class DialogTest : public TScratchEnvTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    RegisterModelDialogs();
  }
  void TearDown() override {
    RegisterModelDialogs();  // drops dialogs a test registered
    TScratchEnvTest::TearDown();
  }
};

// A list of three boxes named by their left edges 1, 2, 3.
void Fill(TPrintObjectList* list) {
  list->SetBoundsRect({0, 0, 50, 50});
  for (int i = 1; i <= 3; ++i) {
    auto o = std::make_unique<TPrintObject>();
    o->SetBoundsRect({double(i), 0, i + 1.0, 1});
    list->AddChild(std::move(o));
  }
}

}  // namespace

TEST_F(DialogTest, PositionDialogRefusesBadNumbersAndAppliesGoodOnes) {
  TPrintObjectList parent;
  auto o = std::make_unique<TPrintObject>();
  TPrintObject* box = o.get();
  parent.AddChild(std::move(o));
  box->SetBoundsRect({1, 2, 4, 6});
  TFObjectPos dialog(box);
  EXPECT_EQ(Find<QLineEdit>(&dialog, "sWidth")->text(), "3");
  Find<QLineEdit>(&dialog, "sLeft")->setText("1,5");
  Find<QLineEdit>(&dialog, "sHeight")->setText("ten");
  Click(&dialog, "btnOK");
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Error);
  EXPECT_EQ(FUi.Messages[0].Text, "One or more parameters are corrupted");
  EXPECT_NE(dialog.result(), QDialog::Accepted) << "the dialog stays open";
  EXPECT_EQ(box->GetBoundsRect(), (TBoundsRect{1, 2, 4, 6}));
  // A number beyond a double's range is as corrupt as no number.
  Find<QLineEdit>(&dialog, "sHeight")->setText("1e999");
  Click(&dialog, "btnOK");
  EXPECT_EQ(FUi.Messages.size(), 2u);
  EXPECT_EQ(box->GetBoundsRect(), (TBoundsRect{1, 2, 4, 6}));
  Find<QLineEdit>(&dialog, "sHeight")->setText("10");
  Click(&dialog, "btnOK");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(box->GetBoundsRect(), (TBoundsRect{1.5, 2, 4.5, 12}));

  TFObjectPos cancelled(box);
  Find<QLineEdit>(&cancelled, "sTop")->setText("99");
  Click(&cancelled, "btnCancel");
  EXPECT_EQ(box->Top(), 2);
}

TEST_F(DialogTest, ChildrenDialogCancelDestroysNothing) {
  TPrintObjectList list;
  Fill(&list);
  TPrintObject* first = list.GetChild(0);
  TFObjectList dialog(&list);
  auto* lines = Find<QListWidget>(&dialog, "lList");
  ASSERT_EQ(lines->count(), 3);
  lines->setCurrentRow(0);
  Click(&dialog, "btnDelete");
  Click(&dialog, "btnDelete");
  EXPECT_EQ(lines->count(), 1);
  Find<QLineEdit>(&dialog, "sX")->setText("7");
  Click(&dialog, "btnCancel");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.GetChild(0), first);
  EXPECT_EQ(list.Left(), 0);
}

TEST_F(DialogTest, ChildrenDialogButtonsFollowTheSelectionAndOkApplies) {
  TPrintObjectList list;
  Fill(&list);
  TPrintObject* a = list.GetChild(0);
  TPrintObject* c = list.GetChild(2);
  TFObjectList dialog(&list);
  auto* lines = Find<QListWidget>(&dialog, "lList");
  auto enabled = [&](const char* name) { return Find<QPushButton>(&dialog, name)->isEnabled(); };
  EXPECT_FALSE(enabled("btnDelete"));
  EXPECT_FALSE(enabled("btnProperties"));
  lines->setCurrentRow(0);
  EXPECT_TRUE(enabled("btnDelete"));
  EXPECT_FALSE(enabled("btnUp"));
  EXPECT_TRUE(enabled("btnDown"));
  EXPECT_TRUE(enabled("btnProperties"));
  lines->setCurrentRow(2);
  EXPECT_TRUE(enabled("btnUp"));
  EXPECT_FALSE(enabled("btnDown"));
  Click(&dialog, "btnUp");  // c moves to line 1
  EXPECT_EQ(lines->currentRow(), 1);
  lines->setCurrentRow(2);
  Click(&dialog, "btnDelete");  // the middle box goes
  Find<QLineEdit>(&dialog, "sX")->setText("5");
  Find<QLineEdit>(&dialog, "sWidth")->setText("bad");
  Click(&dialog, "btnOK");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetChild(0), a);
  EXPECT_EQ(list.GetChild(1), c);
  EXPECT_EQ(list.Left(), 5);
  EXPECT_EQ(a->Left(), 6) << "moving the list moved its children";
  EXPECT_EQ(list.GetWidth(), 50) << "invalid text keeps the old value";
}

TEST_F(DialogTest, PropertiesOfAChildApplyAtOnceAndSurviveCancel) {
  TPrintObjectList list;
  Fill(&list);
  int runs = 0;
  RegisterPropertiesDialog("TPrintObject", [&](TPrintObject* o) {
    ++runs;
    o->SetTop(20);
    return true;
  });
  TFObjectList dialog(&list);
  auto* lines = Find<QListWidget>(&dialog, "lList");
  lines->setCurrentRow(1);
  Click(&dialog, "btnProperties");
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(list.GetChild(1)->Top(), 20);
  EXPECT_GE(list.GetHeight(), 21) << "the child's Changed re-fitted the list";
  Click(&dialog, "btnCancel");
  EXPECT_EQ(list.GetChild(1)->Top(), 20);
  // The list's EditProperties reaches this dialog through the registry.
  EXPECT_TRUE(HasPropertiesDialog("TPrintObjectList"));
}

#include <memory>

#include "uNumberFields.h"

// The number fields every dialog shares.
TEST(NumberFields, ShowGeneralFormAndReadTolerantlyWithinRange) {
  EXPECT_EQ(NumberText(0.25), "0.25");
  EXPECT_EQ(NumberText(1e20), "1E20");
  EXPECT_DOUBLE_EQ(FieldNumber(" 0,25", 1), 0.25);
  EXPECT_DOUBLE_EQ(FieldNumber("abc", 3), 3);
  EXPECT_DOUBLE_EQ(FieldNumber("1e999", 7), 7) << "infinity is no number";
  EXPECT_EQ(FieldInteger("2.5", 0), 2) << "ties to even";
  EXPECT_EQ(FieldInteger("-3.5", 0), -4);
  EXPECT_EQ(FieldInteger("3e10", 9), 9) << "beyond 32 bits";
  QLineEdit edit("x");
  double v = 5;
  EXPECT_FALSE(ReadNumberField(&edit, &v));
  EXPECT_EQ(v, 5);
  edit.setText("-1,5");
  ASSERT_TRUE(ReadNumberField(&edit, &v));
  EXPECT_EQ(v, -1.5);
  const std::unique_ptr<QLineEdit> made(NewNumberEdit("sX", 12.5, nullptr));
  EXPECT_EQ(made->objectName(), "sX");
  EXPECT_EQ(made->text(), "12.5");
}
