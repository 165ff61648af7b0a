// The rulers dialog and the ruler dialog, driven offscreen: what reaches the
// copies, what OK writes back and Cancel leaves alone, the enabled states,
// profiles, and the properties command that opens them.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "uCurvesTestEnv.h"
#include "uFRuller.h"
#include "uFRullers.h"
#include "uLanguage.h"
#include "uPreferences.h"
#include "uPropertiesDialogs.h"

namespace {

template <class T>
T* Find(QWidget* w, const char* name) {
  T* child = w->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

void Click(QWidget* w, const char* name) { Find<QPushButton>(w, name)->click(); }
bool Enabled(QWidget* w, const char* name) { return Find<QPushButton>(w, name)->isEnabled(); }
void SetText(QWidget* w, const char* name, const QString& text) { Find<QLineEdit>(w, name)->setText(text); }

QStringList Lines(QWidget* dialog) {
  QStringList out;
  auto* list = Find<QListWidget>(dialog, "FList");
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

}  // namespace

using RullerDialogTest = TCurvesTest;

TEST_F(RullerDialogTest, RullerDialogGuardsTheModulusAndWritesThroughTheSetters) {
  TRuller r;
  r.SetModulus(2);
  TFRuller d(r);
  EXPECT_EQ(Find<QLineEdit>(&d, "sModulus")->text(), "2");
  EXPECT_TRUE(Enabled(&d, "btnOK"));
  for (const char* bad : {"0", "abc", ""}) {
    SetText(&d, "sModulus", bad);
    EXPECT_FALSE(Enabled(&d, "btnOK")) << bad;
  }
  SetText(&d, "sModulus", "0,5");
  EXPECT_TRUE(Enabled(&d, "btnOK"));

  EXPECT_TRUE(Enabled(&d, "btnFont"));
  Find<QCheckBox>(&d, "bFont")->setChecked(false);
  EXPECT_FALSE(Enabled(&d, "btnFont")) << "no font to choose without labels";

  SetText(&d, "sStep", "0");
  SetText(&d, "sMarkSize", "-1");
  Find<QCheckBox>(&d, "bAlignRight")->setChecked(false);
  d.Apply(&r);
  EXPECT_EQ(r.Step(), 10) << "a zero step is refused";
  EXPECT_EQ(r.Modulus(), 0.5);
  EXPECT_EQ(r.MarkSize(), -1);
  EXPECT_FALSE(r.Right());
  EXPECT_FALSE(r.HasFont());

  // Ticking labels on a ruler without a font gives it the dialog's font.
  TFRuller again(r);
  Find<QCheckBox>(&again, "bFont")->setChecked(true);
  again.WorkFont().SetSize(12);
  SetText(&again, "sStep", "5 m");
  again.Apply(&r);
  ASSERT_TRUE(r.HasFont());
  EXPECT_EQ(r.Font()->Size(), 12);
  EXPECT_EQ(r.Font()->Format, 38);
  EXPECT_EQ(r.Step(), 10) << "an unreadable step keeps the old one";

  Click(&again, "btnHelp");
  EXPECT_EQ(FUi.HelpTopics, QStringList{"data/rullers"});
  EXPECT_EQ(again.windowTitle(), TranslateWord("Ruller"));
}

TEST_F(RullerDialogTest, ListLinesShowStepModulusAndLabels) {
  TRuller r;
  r.RemoveFont();
  r.SetModulus(1);
  EXPECT_EQ(TFRullers::LineText(r), "Step=10");
  r.SetModulus(2.5);
  EXPECT_EQ(TFRullers::LineText(r), "Step=10       K =2.5");
  r.CreateFont();
  EXPECT_EQ(TFRullers::LineText(r), "Step=10       K =2.5       Text");
}

TEST_F(RullerDialogTest, AddEditDeleteWorkOnCopiesUntilOk) {
  TTestBody body(500);
  TPrintDeepScale* scale = body.AddScale(10, 0, 30, 100);
  scale->SetModified(false);
  TFRullers d(scale);
  EXPECT_EQ(d.windowTitle(), TranslateKindName(kindDeepScale));
  EXPECT_EQ(Lines(&d).size(), 1);

  // Cancel in the ruler dialog takes the new line away again.
  double offered = 0;
  bool accept = false;
  d.SetRullerEditor([&](TRuller* r, QWidget*, const QRect&) {
    offered = r->Modulus();
    if (accept) r->SetStep(1);
    return accept;
  });
  Click(&d, "btnAdd");
  EXPECT_EQ(offered, 2) << "a new ruler marks whole steps at 1:500";
  EXPECT_EQ(Lines(&d).size(), 1);
  EXPECT_EQ(d.WorkRullers().size(), 1u);
  accept = true;
  Click(&d, "btnAdd");
  ASSERT_EQ(Lines(&d).size(), 2);
  EXPECT_EQ(Lines(&d)[1], "Step=1       K =2       Text");

  // A double click edits that line.
  auto* list = Find<QListWidget>(&d, "FList");
  d.SetRullerEditor([](TRuller* r, QWidget*, const QRect&) {
    r->SetStep(20);
    return true;
  });
  emit list->itemDoubleClicked(list->item(0));
  EXPECT_EQ(Lines(&d)[0], "Step=20       K =5       Text");
  list->setCurrentRow(1);
  Click(&d, "btnDelete");
  EXPECT_EQ(Lines(&d).size(), 1);

  EXPECT_EQ(scale->Rullers().size(), 1u);
  EXPECT_EQ(scale->Rullers()[0].Step(), 10) << "nothing reaches the scale before OK";
  EXPECT_FALSE(scale->GetModified());

  SetText(&d, "sLeft", "12.5");
  SetText(&d, "sWidth", "25");
  Find<QCheckBox>(&d, "bBorder")->setChecked(false);
  d.Apply();
  ASSERT_EQ(scale->Rullers().size(), 1u);
  EXPECT_EQ(scale->Rullers()[0].Step(), 20);
  EXPECT_EQ(scale->Left(), 12.5);
  EXPECT_EQ(scale->GetWidth(), 25);
  EXPECT_FALSE(scale->Border());
  EXPECT_TRUE(scale->GetModified());
}

TEST_F(RullerDialogTest, OkNeedsAPositionAndAWidth) {
  TPrintDeepScale scale;
  scale.SetBoundsRect({10.5, 0, 30, 100});
  TFRullers d(&scale);
  EXPECT_TRUE(Enabled(&d, "btnOK")) << "a position on a half millimetre is a position";
  SetText(&d, "sLeft", "-1");
  EXPECT_FALSE(Enabled(&d, "btnOK"));
  SetText(&d, "sLeft", "0");
  EXPECT_TRUE(Enabled(&d, "btnOK"));
  for (const char* bad : {"0", "-3", "wide", ""}) {
    SetText(&d, "sWidth", bad);
    EXPECT_FALSE(Enabled(&d, "btnOK")) << bad;
  }
}

TEST_F(RullerDialogTest, ProfilesFillTheListAndAnyChangeClearsTheChoice) {
  TPrintDeepScale scale;
  scale.Rullers().push_back(TRuller());
  scale.Rullers()[1].SetStep(1);
  scale.Rullers()[1].RemoveFont();
  TFRullers d(&scale);
  auto* combo = Find<QComboBox>(&d, "lDefault");
  EXPECT_EQ(combo->count(), 0);

  FUi.TextAnswers = {"Two rulers"};
  Click(&d, "btnSaveProfile");
  ASSERT_EQ(combo->count(), 1);
  EXPECT_EQ(combo->currentText(), "Two rulers");
  ASSERT_FALSE(FUi.Lists.empty());
  EXPECT_TRUE(FUi.Lists.back().isEmpty()) << "no names to offer yet";
  TPreferences store;
  EXPECT_EQ(store.FileName(), FDir.filePath("preferences.ini"));
  EXPECT_EQ(store.Ini().ReadString("DeepScale1", "RULLER2", ""), "STEP=1 KOEF=5 MARKSIZE=2 RIGHT=1 FONT=0");

  // An empty answer saves nothing.
  FUi.TextAnswers = {""};
  Click(&d, "btnSaveProfile");
  EXPECT_EQ(TPreferences().Count(kindDeepScale), 1);
  EXPECT_EQ(FUi.Lists.back(), QStringList{"Two rulers"});

  auto* list = Find<QListWidget>(&d, "FList");
  list->setCurrentRow(0);
  Click(&d, "btnDelete");
  EXPECT_EQ(combo->currentIndex(), -1) << "the list no longer matches the profile";
  ASSERT_EQ(Lines(&d).size(), 1);

  auto* border = Find<QCheckBox>(&d, "bBorder");
  border->setChecked(false);
  combo->setCurrentIndex(0);
  emit combo->activated(0);
  EXPECT_EQ(Lines(&d).size(), 2) << "the profile's rulers replace the list";
  EXPECT_TRUE(border->isChecked());
  border->click();
  EXPECT_EQ(combo->currentIndex(), -1);

  combo->setCurrentIndex(0);
  Click(&d, "btnDeleteProfile");
  EXPECT_EQ(combo->count(), 0);
  EXPECT_EQ(TPreferences().Count(kindDeepScale), 0);
  Click(&d, "btnHelp");
  EXPECT_EQ(FUi.HelpTopics, QStringList{"data/rullers"});
}

// The scale's properties command runs the registered dialog: OK marks the
// scale modified, Cancel leaves it as it was.
TEST_F(RullerDialogTest, EditPropertiesOpensTheRegisteredDialog) {
  RegisterDepthScaleDialogs();
  TPrintDeepScale scale;
  scale.SetBoundsRect({10, 0, 30, 100});
  scale.SetModified(false);
  const auto answer = [](const char* button, const QString& width) {
    QTimer::singleShot(0, [=] {
      QWidget* dialog = QApplication::activeModalWidget();
      ASSERT_NE(dialog, nullptr);
      dialog->findChild<QLineEdit*>("sWidth")->setText(width);
      dialog->findChild<QPushButton*>(button)->click();
    });
  };
  answer("btnCancel", "40");
  EXPECT_FALSE(scale.EditProperties());
  EXPECT_EQ(scale.GetWidth(), 20);
  EXPECT_FALSE(scale.GetModified());
  answer("btnOK", "40");
  EXPECT_TRUE(scale.EditProperties());
  EXPECT_EQ(scale.GetWidth(), 40);
  EXPECT_TRUE(scale.GetModified());
  RegisterPropertiesDialog("TPrintDeepScale", nullptr);
}
