#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolBar>

#include "uFOptions.h"
#include "uKinds.h"
#include "uLanguage.h"
#include "uLanguageUi.h"
#include "uPdfPrintTarget.h"
#include "uScriptedUi.h"
#include "uSettings.h"
#include "uWidgetLookup.h"

namespace {

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

class OptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramDir(FDir.path());
    WriteAll(FDir.filePath("english.vox"), "[VOX]\nOK=OK\n");
    WriteAll(FDir.filePath("russian.vox"), "[VOX]\nOK=ОК\n");
  }
  void TearDown() override {
    SetProgramDir(QString());
    UnloadLanguage();
  }
  QTemporaryDir FDir;
};

}  // namespace

TEST_F(OptionsTest, ShowsCurrentValuesAndAppliesEnablingRules) {
  TSettings s(FDir.filePath("Kerno.ini"));
  s.SetSnap(0.25);  // not one of the offered steps: shown as typed
  s.SetWheelCtrl(4);
  TFOptions dialog(s);
  EXPECT_EQ(Find<QComboBox>(&dialog, "cbLanguage")->currentText(), "russian");
  EXPECT_EQ(Find<QComboBox>(&dialog, "cbLanguage")->count(), 2);  // the *.vox files
  EXPECT_EQ(Find<QComboBox>(&dialog, "cbSnap")->currentText(), "0.25");
  EXPECT_EQ(Find<QComboBox>(&dialog, "cbSnap")->itemText(0), "(None)");
  EXPECT_EQ(Find<QComboBox>(&dialog, "cbWheelCtrl")->currentIndex(), 4);
  EXPECT_EQ(Find<QComboBox>(&dialog, "cbWheel")->itemText(5), "Back scaling");
  EXPECT_EQ(Find<QLineEdit>(&dialog, "eUndoSteps")->text(), "5");

  auto* autoSave = Find<QCheckBox>(&dialog, "chAutoSave");
  auto* interval = Find<QSpinBox>(&dialog, "seInterval");
  EXPECT_FALSE(autoSave->isChecked());
  EXPECT_FALSE(interval->isEnabled());
  EXPECT_FALSE(Find<QLabel>(&dialog, "lMinutes")->isEnabled());
  autoSave->setChecked(true);
  EXPECT_TRUE(interval->isEnabled());
  EXPECT_TRUE(Find<QLabel>(&dialog, "lInterval")->isEnabled());

  auto* icons = Find<QCheckBox>(&dialog, "chShowIcons");
  auto* size = Find<QSpinBox>(&dialog, "seIconSize");
  EXPECT_TRUE(size->isEnabled());
  EXPECT_EQ(size->palette().color(QPalette::Active, QPalette::Base),
            dialog.palette().color(QPalette::Active, QPalette::Base));
  icons->setChecked(false);
  EXPECT_FALSE(size->isEnabled());
  EXPECT_EQ(size->palette().color(QPalette::Active, QPalette::Base),
            dialog.palette().color(QPalette::Active, QPalette::Button));
}

TEST_F(OptionsTest, OkStoresParsedValuesAndAnnouncesLanguageChange) {
  TSettings s(FDir.filePath("Kerno.ini"));
  TScriptedUi ui;
  TScopedUi scope(&ui);
  TFOptions dialog(s);
  Find<QComboBox>(&dialog, "cbLanguage")->setCurrentText("english");
  Find<QCheckBox>(&dialog, "chAutoSave")->setChecked(true);
  Find<QSpinBox>(&dialog, "seInterval")->setValue(7);
  Find<QLineEdit>(&dialog, "eUndoSteps")->setText("25");
  Find<QCheckBox>(&dialog, "chQuickMode")->setChecked(true);
  Find<QComboBox>(&dialog, "cbSnap")->setEditText("0,25");
  Find<QCheckBox>(&dialog, "chShowIcons")->setChecked(false);
  Find<QCheckBox>(&dialog, "chAlphaSort")->setChecked(false);
  Find<QCheckBox>(&dialog, "chShowLCError")->setChecked(false);
  Find<QLineEdit>(&dialog, "eAmendmentX")->setText("1,05");
  Find<QLineEdit>(&dialog, "eAmendmentY")->setText("abc");
  Find<QComboBox>(&dialog, "cbWheel")->setCurrentIndex(0);
  Find<QComboBox>(&dialog, "cbWheelShift")->setCurrentIndex(2);
  Find<QLineEdit>(&dialog, "ePageOverlay")->setText("12");
  Find<QLineEdit>(&dialog, "eLineWidth")->setText(" 0,3 ");
  Find<QLineEdit>(&dialog, "eShiftX")->setText("-4");
  Find<QLineEdit>(&dialog, "eShiftY")->setText("x");
  EXPECT_EQ(Find<QLineEdit>(&dialog, "ePdfMargins")->text(), "10;10;10;10") << "the margins PDF pages get unset";
  Find<QLineEdit>(&dialog, "ePdfMargins")->setText("15; 10 ;7,5;10");
  Find<QCheckBox>(&dialog, "chOldVersion")->setChecked(false);
  Find<QPushButton>(&dialog, "btnOK")->click();

  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0].Kind, TMsgKind::Information);
  EXPECT_EQ(ui.Messages[0].Text, "Language will be changed after application restart");
  EXPECT_EQ(ui.Messages[0].Buttons, mbOK);
  EXPECT_EQ(s.Language(), "english");
  EXPECT_TRUE(s.AutoSave());
  EXPECT_EQ(s.AutoSaveInterval(), 7);
  EXPECT_EQ(s.MaxSteps(), 10);
  EXPECT_TRUE(s.QuickMode());
  EXPECT_EQ(s.Snap(), 0.25);
  EXPECT_FALSE(s.LdbIcon());
  EXPECT_FALSE(s.LdbSort());
  EXPECT_FALSE(s.LdbMsgError());
  EXPECT_EQ(s.EmfScaleX(), 1.05);
  EXPECT_EQ(s.EmfScaleY(), 1.0);  // unparsable: as it was
  EXPECT_EQ(s.Wheel(), 0);
  EXPECT_EQ(s.WheelShift(), 2);
  EXPECT_EQ(s.PageOverlay(), 12);
  EXPECT_EQ(s.PrintLineWidth(), 0.3);
  EXPECT_EQ(s.PrintShiftX(), -4);
  EXPECT_EQ(s.PrintShiftY(), 0);
  EXPECT_EQ(PrintMarginsFromSettings(s), QMarginsF(15, 10, 7.5, 10));
  EXPECT_FALSE(s.ShowOldVersionMessage());

  // Margins that are not understood keep the ones set before.
  TFOptions again(s);
  EXPECT_EQ(Find<QLineEdit>(&again, "ePdfMargins")->text(), "15;10;7.5;10");
  Find<QLineEdit>(&again, "ePdfMargins")->setText("5;5");
  Find<QPushButton>(&again, "btnOK")->click();
  EXPECT_EQ(PrintMarginsFromSettings(s), QMarginsF(15, 10, 7.5, 10));
}

TEST_F(OptionsTest, SnapOffItemAndUnchangedLanguage) {
  TSettings s(FDir.filePath("Kerno.ini"));
  TScriptedUi ui;
  TScopedUi scope(&ui);
  TFOptions dialog(s);
  Find<QComboBox>(&dialog, "cbSnap")->setCurrentIndex(0);
  Find<QLineEdit>(&dialog, "eUndoSteps")->setText("many");
  Find<QPushButton>(&dialog, "btnOK")->click();
  EXPECT_TRUE(ui.Messages.empty());  // the language stayed: no restart notice
  EXPECT_EQ(s.Snap(), 0.0);
  EXPECT_EQ(s.SnapValue(1.13), 1.13);
  EXPECT_EQ(s.MaxSteps(), 5) << "an undo depth it cannot read keeps undo as it was, not off";
}

TEST_F(OptionsTest, CancelStoresNothing) {
  TSettings s(FDir.filePath("Kerno.ini"));
  TFOptions dialog(s);
  Find<QCheckBox>(&dialog, "chQuickMode")->setChecked(true);
  Find<QPushButton>(&dialog, "btnCancel")->click();
  EXPECT_FALSE(s.QuickMode());
  EXPECT_FALSE(QFile::exists(FDir.filePath("Kerno.ini")));
}

TEST_F(OptionsTest, LabelsFollowThePack) {
  WriteAll(FDir.filePath("pack.vox"),
           "[VOX]\nOptions=Настройки\nCancel=Отмена\nnone=(Нет)\nScrollScale2=Обратное масштабирование\n"
           "ShowIcons=Показывать значки\n");
  ASSERT_TRUE(LoadLanguage(FDir.filePath("pack.vox")));
  TSettings s(FDir.filePath("Kerno.ini"));
  TFOptions dialog(s);
  EXPECT_EQ(dialog.windowTitle(), "Настройки");
  EXPECT_EQ(Find<QPushButton>(&dialog, "btnCancel")->text(), "Отмена");
  EXPECT_EQ(Find<QComboBox>(&dialog, "cbSnap")->itemText(0), "(Нет)");
  EXPECT_EQ(Find<QComboBox>(&dialog, "cbWheel")->itemText(5), "Обратное масштабирование");
  EXPECT_EQ(Find<QCheckBox>(&dialog, "chShowIcons")->text(), "Показывать значки");
}

TEST_F(OptionsTest, MenusActionsAndToolBarsByName) {
  QMainWindow window;
  QMenu* file = window.menuBar()->addMenu("x");
  file->setObjectName("miFile");
  QMenu* data = window.menuBar()->addMenu("y");
  data->setObjectName("miData");
  QAction* open = file->addAction("o");
  open->setObjectName("FileOpen");
  open->setStatusTip("Open a document");
  QMenu* bars = window.menuBar()->addMenu("z");
  bars->setObjectName("miToolBars");
  QToolBar* standard = window.addToolBar("s");
  standard->setObjectName("tbStandard");

  TranslateMainMenu(window.menuBar());
  EXPECT_EQ(file->title(), "File");
  EXPECT_EQ(file->statusTip(), "File operations");
  TranslateActionList({open});
  EXPECT_EQ(open->text(), "FileOpen");
  EXPECT_EQ(open->statusTip(), "Open a document");  // no pack: the current hint stays

  WriteAll(FDir.filePath("pack.vox"),
           "[MENU]\nFile=Файл\nFileHint=Работа с файлами\nFileOpen=Открыть\nFileOpenHint=Открыть документ\n"
           "[TOOLBAR]\ntbStandard=Стандартная\n[TABLE]\nFileOpen.Text=Открыть таблицу\n");
  ASSERT_TRUE(LoadLanguage(FDir.filePath("pack.vox")));
  TranslateMainMenu(window.menuBar());
  EXPECT_EQ(file->title(), "Файл");
  EXPECT_EQ(file->statusTip(), "Работа с файлами");
  EXPECT_EQ(data->title(), "Data");
  TranslateActionList({open});
  EXPECT_EQ(open->text(), "Открыть");
  EXPECT_EQ(open->statusTip(), "Открыть документ");
  TranslateDialogActions("TABLE", {open});
  EXPECT_EQ(open->text(), "Открыть таблицу");
  EXPECT_EQ(open->statusTip(), "Открыть документ");

  window.show();
  QList<QAction*> entries = TranslateToolBars(&window, bars);
  ASSERT_EQ(entries.size(), 1);
  EXPECT_EQ(standard->windowTitle(), "Стандартная");
  EXPECT_EQ(entries[0]->text(), "Стандартная");
  EXPECT_TRUE(entries[0]->isChecked());
  entries[0]->trigger();  // unchecks and hides the bar
  EXPECT_TRUE(standard->isHidden());
  EXPECT_FALSE(entries[0]->isChecked());
  // Translating again replaces the entries instead of adding duplicates.
  entries = TranslateToolBars(&window, bars);
  EXPECT_EQ(bars->actions().size(), 1);
  EXPECT_FALSE(entries[0]->isChecked());
  EXPECT_EQ(StripControlPrefix("miFile"), "File");
}

// Every kind image is shipped and renders at the list sizes; a missing or
// broken file would leave a blank in front of the kind's name.
TEST(KindIcons, EveryImageRendersAtListSizes) {
  SetProgramDir(QStringLiteral(KERNO_SOURCE_DIR) + "/resources");
  for (int i = 0; i < kKindImageCount; ++i) {
    const QIcon icon(KindImagePath(i));
    for (int size : {16, 24}) {
      const QImage image = icon.pixmap(size, size).toImage();
      ASSERT_FALSE(image.isNull()) << i;
      int inked = 0;
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
          if (qAlpha(image.pixel(x, y)) > 0 && qGray(image.pixel(x, y)) < 200) ++inked;
      EXPECT_GT(inked, size) << "image " << i << " at " << size << " px is nearly empty";
    }
  }
  EXPECT_FALSE(KindIcon(272).isNull());  // text
  EXPECT_EQ(KindImagePath(99), KindImagePath(0));
  SetProgramDir(QString());
}
