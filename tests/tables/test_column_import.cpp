// The column import: parameters mapped to columns, start row, optional
// parameters, and its dialog's controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "uFConfirmListIndex.h"
#include "uFImport.h"
#include "uImportColumns.h"
#include "uScratchEnvTest.h"

void PrintTo(const QString& s, std::ostream* os);

// Fontconfig keeps a cache for the life of the process once a widget measured
// text; that is not a leak of ours.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n";
}

namespace {

QApplication* App() {
  static int argc = 1;
  static char name[] = "test_tables";
  static char* argv[] = {name, nullptr};
  static QApplication* app = qApp ? nullptr : new QApplication(argc, argv);
  (void)app;
  return qobject_cast<QApplication*>(qApp);
}

class TablesColumnImport : public TScratchEnvTest {
 protected:
  void SetUp() override {
    App();
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    ASSERT_NO_FATAL_FAILURE(WriteText("data.csv", "depth;name;note\n10;sand;x\n20;clay;y\n"));
    FFile = Path("data.csv");
  }
  void TearDown() override {
    SetColumnImportEditor({});
    TScratchEnvTest::TearDown();
  }

  QString FFile;
};

TEST_F(TablesColumnImport, ParametersReadTheirColumnsFromTheStartRow) {
  TColumnImport import("Table.Values", 2);
  FUi.FileAnswers.push_back(FFile);
  ASSERT_EQ(RunColumnImport(&import), S_OK);
  EXPECT_EQ(import.Column(1), 0);
  EXPECT_EQ(import.Column(2), 1);
  EXPECT_EQ(import.ValueCount(), 3);
  EXPECT_EQ(import.Value(2, 0), "name");
  import.StartRow = 2;
  import.SetColumn(1, 2);
  import.SetColumn(2, TColumnImport::kNotUsed);
  EXPECT_EQ(import.ValueCount(), 2);
  EXPECT_EQ(import.Value(1, 1), "y");
  EXPECT_EQ(import.Value(2, 0), "") << "\"Do not use\" yields empty texts";
  EXPECT_EQ(import.Value(1, 2), "") << "beyond the last row";
  import.StartRow = 4;
  EXPECT_EQ(import.ValueCount(), 0);
  EXPECT_EQ(import.Caption(1), "Import1");
}

TEST_F(TablesColumnImport, MissingColumnsBlockOkAndFailedImportsEndIt) {
  TColumnImport wide("Table.Values", 4);
  FUi.FileAnswers.push_back(FFile);
  EXPECT_EQ(RunColumnImport(&wide), E_FAIL) << "a fourth column is missing and the parameter is not optional";
  EXPECT_FALSE(wide.Complete());
  TColumnImport import("Table.Values", 1);
  EXPECT_EQ(RunColumnImport(&import), R_CANCELLED) << "no file chosen";
  FUi.FileAnswers.push_back(FDir.filePath("none.csv"));
  EXPECT_EQ(RunColumnImport(&import), E_FAIL);
}

TEST_F(TablesColumnImport, EditorDecidesAndEmptyBlocksAreRemembered) {
  FSettings->SetEmptyBlocks(true);
  SetColumnImportEditor([](TColumnImport* import) {
    EXPECT_TRUE(import->CreateEmptyBlocks) << "starts from the settings";
    import->CreateEmptyBlocks = false;
    return true;
  });
  TColumnImport import("Table.Values", 1);
  FUi.FileAnswers.push_back(FFile);
  ASSERT_EQ(RunColumnImport(&import), S_OK);
  EXPECT_FALSE(FSettings->EmptyBlocks());
  SetColumnImportEditor([](TColumnImport*) { return false; });
  FUi.FileAnswers.push_back(FFile);
  EXPECT_EQ(RunColumnImport(&import), R_CANCELLED);
}

TEST_F(TablesColumnImport, DialogOffersColumnsAndStoresTheChoices) {
  TColumnImport import("Table.Values", 2);
  import.Table.SetColCount(3);
  import.Table.SetRowCount(2);
  import.SetColumn(1, 2);
  TfImport dialog(&import);
  ASSERT_EQ(dialog.cbColumns.size(), 2u);
  EXPECT_EQ(dialog.cbColumns[0]->count(), 3) << "no \"Do not use\" for a required parameter";
  EXPECT_EQ(dialog.cbColumns[0]->currentText(), "Column C");
  EXPECT_EQ(dialog.seStart->maximum(), 3);
  EXPECT_FALSE(dialog.btnBox->button(QDialogButtonBox::Ok)->isEnabled()) << "parameter 2 has no column yet";
  dialog.cbColumns[1]->setCurrentIndex(0);
  EXPECT_TRUE(dialog.btnBox->button(QDialogButtonBox::Ok)->isEnabled());
  dialog.seStart->setValue(2);
  dialog.chEmptyBlocks->setChecked(false);
  dialog.Store();
  EXPECT_EQ(import.Column(2), 0);
  EXPECT_EQ(import.StartRow, 2);
  EXPECT_FALSE(import.CreateEmptyBlocks);
  // Help opens the import topic and leaves the dialog's answer open.
  QPushButton* help = dialog.findChild<QPushButton*>(QStringLiteral("btnHelp"));
  ASSERT_NE(help, nullptr);
  help->click();
  EXPECT_EQ(FUi.HelpTopics, QStringList{"common/import"});
  EXPECT_EQ(dialog.result(), 0);
}

TEST_F(TablesColumnImport, ListChooserStartsOnTheFirstItem) {
  TFConfirmListIndex dialog("Select sheet", {"Data", "Second"});
  EXPECT_EQ(dialog.windowTitle(), "Select sheet");
  const auto* question = dialog.findChild<QLabel*>("lQuestion");
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(question->text(), "Select sheet") << "the question shows without a title bar too";
  EXPECT_EQ(dialog.ItemIndex(), 0);
}

}  // namespace
