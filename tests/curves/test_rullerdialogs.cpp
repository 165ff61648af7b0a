// The rulers dialog and the ruler dialog, driven offscreen: what reaches the
// copies, what OK writes back and Cancel leaves alone, enabled states,
// profiles, and the properties command that opens them.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "uCurvesTestEnv.h"
#include "uFRuller.h"
#include "uFRullers.h"
#include "uPreferences.h"
#include "uPropertiesDialogs.h"
#include "uWidgetLookup.h"

namespace {

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
  TFRuller d(r);
  for (const char* bad : {"0", "abc"}) {
    SetText(&d, "sModulus", bad);
    EXPECT_FALSE(Enabled(&d, "btnOK")) << bad;
  }
  SetText(&d, "sModulus", "0,5");
  EXPECT_TRUE(Enabled(&d, "btnOK"));
  Find<QCheckBox>(&d, "bFont")->setChecked(false);
  EXPECT_FALSE(Enabled(&d, "btnFont")) << "no font to choose without labels";
  SetText(&d, "sStep", "0");
  SetText(&d, "sMarkSize", "-1");
  Find<QCheckBox>(&d, "bAlignRight")->setChecked(false);
  d.Apply(&r);
  EXPECT_EQ(r.ToText(), "STEP=10 KOEF=0.5 MARKSIZE=-1 RIGHT=0 FONT=0") << "a zero step is refused";

  // Ticking labels on a ruler without a font gives it the dialog's font.
  TFRuller again(r);
  Find<QCheckBox>(&again, "bFont")->setChecked(true);
  again.WorkFont().SetSize(12);
  again.Apply(&r);
  ASSERT_TRUE(r.HasFont());
  EXPECT_EQ(r.Font()->Size(), 12);
  EXPECT_EQ(r.Font()->Format, 38);
  Click(&again, "btnHelp");
  EXPECT_EQ(FUi.HelpTopics, QStringList{"data/rullers"});
}

TEST_F(RullerDialogTest, RullersDialogEditsCopiesUntilOk) {
  TRuller plain = MakeRuller(10, 1, 2, true, false);
  EXPECT_EQ(TFRullers::LineText(plain), "Step=10");
  plain.SetModulus(2.5);
  EXPECT_EQ(TFRullers::LineText(plain), "Step=10       K =2.5");

  TTestBody body(500);
  TPrintDeepScale* scale = body.AddScale(10.5, 0, 30, 100);
  scale->SetModified(false);
  TFRullers d(scale);
  EXPECT_EQ(Lines(&d), QStringList{"Step=10       K =5       Text"});
  // Cancel in the ruler dialog takes the new line away again.
  double offered = 0;
  bool accept = false;
  d.SetRullerEditor([&](TRuller* r, QWidget*, const QRect&) {
    offered = r->Modulus();
    if (accept) r->SetStep(1);
    return accept;
  });
  Click(&d, "btnAdd");
  EXPECT_EQ(offered, 2) << "a new ruler marks whole steps at the document's 1:500";
  EXPECT_EQ(Lines(&d).size(), 1);
  accept = true;
  Click(&d, "btnAdd");
  EXPECT_EQ(Lines(&d).value(1), "Step=1       K =2       Text");
  auto* list = Find<QListWidget>(&d, "FList");
  list->setCurrentRow(0);
  Click(&d, "btnDelete");
  EXPECT_EQ(scale->Rullers()[0].Step(), 10) << "nothing reaches the scale before OK";
  EXPECT_FALSE(scale->GetModified());

  EXPECT_TRUE(Enabled(&d, "btnOK")) << "a position on a half millimetre is a position";
  const std::pair<const char*, const char*> bad[] = {{"-1", "20"}, {"0", "0"}, {"0", "wide"}};
  for (auto [left, width] : bad) {
    SetText(&d, "sLeft", left);
    SetText(&d, "sWidth", width);
    EXPECT_FALSE(Enabled(&d, "btnOK")) << left << " " << width;
  }
  SetText(&d, "sLeft", "12,5");
  SetText(&d, "sWidth", "25");
  Find<QCheckBox>(&d, "bBorder")->setChecked(false);
  d.Apply();
  EXPECT_EQ(TextForms(scale->Rullers()), QStringList{MakeRuller(1, 2, 2, true, true).ToText()});
  EXPECT_EQ(scale->GetBoundsRect(), (TBoundsRect{12.5, 0, 37.5, 100}));
  EXPECT_FALSE(scale->Border());
  EXPECT_TRUE(scale->GetModified());
}

TEST_F(RullerDialogTest, ProfilesFillTheListAndAnyChangeClearsTheChoice) {
  TPrintDeepScale scale;
  scale.Rullers().push_back(MakeRuller(1, 5, 2, true, false));
  TFRullers d(&scale);
  auto* combo = Find<QComboBox>(&d, "lDefault");
  FUi.TextAnswers = {"Two rulers", ""};
  Click(&d, "btnSaveProfile");
  ASSERT_EQ(combo->count(), 1);
  EXPECT_EQ(combo->currentText(), "Two rulers");
  EXPECT_EQ(TPreferences().Ini().ReadString("DeepScale1", "RULLER2", ""), "STEP=1 KOEF=5 MARKSIZE=2 RIGHT=1 FONT=0");
  Click(&d, "btnSaveProfile");  // an empty answer saves nothing
  EXPECT_EQ(FUi.Lists.back(), QStringList{"Two rulers"}) << "the names are offered";
  EXPECT_EQ(TPreferences().Count(kindDeepScale), 1);

  Find<QListWidget>(&d, "FList")->setCurrentRow(0);
  Click(&d, "btnDelete");
  EXPECT_EQ(combo->currentIndex(), -1) << "the list no longer matches the profile";
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
}

// The scale's properties command runs the registered dialog: OK marks the
// scale modified, Cancel leaves it as it was.
TEST_F(RullerDialogTest, EditPropertiesOpensTheRegisteredDialog) {
  RegisterDepthScaleDialogs();
  TPrintDeepScale scale;
  scale.SetBoundsRect({10, 0, 30, 100});
  scale.SetModified(false);
  const auto answer = [](const char* button) {
    AnswerNextModal(button, [](QWidget* d) { d->findChild<QLineEdit*>("sWidth")->setText("40"); });
  };
  answer("btnCancel");
  EXPECT_FALSE(scale.EditProperties());
  EXPECT_EQ(scale.GetWidth(), 20);
  EXPECT_FALSE(scale.GetModified());
  answer("btnOK");
  EXPECT_TRUE(scale.EditProperties());
  EXPECT_EQ(scale.GetWidth(), 40);
  EXPECT_TRUE(scale.GetModified());
  RegisterPropertiesDialog("TPrintDeepScale", nullptr);
}
