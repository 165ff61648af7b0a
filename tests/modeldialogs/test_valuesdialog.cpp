// The values dialog: names stay as they are, values typed into the grid
// (even one still being edited) reach the list on OK and never on Cancel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "uFConfirmListIndex.h"
#include "uFValues.h"
#include "uNamedValueList.h"
#include "uScriptedUi.h"

namespace {

TNamedValueList Values() {
  TNamedValueList list;
  list.SetValue("WELL", "12");
  list.SetValue("FIELD", "East");
  return list;
}

// Starts editing a value cell and types into its editor.
void TypeInto(TfValues* dialog, int row, const QString& text) {
  QTableWidget* grid = dialog->gValues;
  grid->setCurrentCell(row, 1);
  grid->editItem(grid->item(row, 1));
  // An editor closed before is hidden until it is deleted later.
  QList<QLineEdit*> editors = grid->findChildren<QLineEdit*>();
  editors.removeIf([](QLineEdit* e) { return !e->isVisible(); });
  ASSERT_EQ(editors.size(), 1);
  QLineEdit* editor = editors[0];
  editor->selectAll();
  QTest::keyClicks(editor, text);
}

void Click(QWidget* dialog, const char* name) {
  auto* button = dialog->findChild<QPushButton*>(QString::fromLatin1(name));
  ASSERT_NE(button, nullptr) << name;
  QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace

TEST(ValuesDialog, ShowsNamesAndValuesAndKeepsNamesFixed) {
  TNamedValueList list = Values();
  TfValues dialog(&list);
  QTableWidget* grid = dialog.gValues;
  ASSERT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(grid->item(1, 0)->text(), "FIELD");
  EXPECT_EQ(grid->item(1, 1)->text(), "East");
  EXPECT_FALSE(grid->item(0, 0)->flags() & Qt::ItemIsEditable) << "a renamed parameter would lose its texts";
  EXPECT_TRUE(grid->item(0, 1)->flags() & Qt::ItemIsEditable);
}

TEST(ValuesDialog, OkStoresTypedValuesCancelStoresNothing) {
  TScriptedUi ui;
  TScopedUi scope(&ui);
  TNamedValueList list = Values();
  {
    TfValues dialog(&list);
    dialog.show();
    TypeInto(&dialog, 1, "North");
    Click(&dialog, "btnCancel");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
  EXPECT_EQ(list, Values());
  {
    TfValues dialog(&list);
    dialog.show();
    TypeInto(&dialog, 0, "14-bis");
    QTest::keyClick(dialog.gValues->focusWidget() ? dialog.gValues->focusWidget() : dialog.gValues, Qt::Key_Return);
    TypeInto(&dialog, 1, "West");  // still in its editor when OK is pressed
    Click(&dialog, "btnHelp");
    EXPECT_TRUE(dialog.isVisible()) << "Help does not close the dialog";
    Click(&dialog, "btnOK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
  EXPECT_EQ(ui.HelpTopics, QStringList({"common/values"}));
  EXPECT_EQ(list.ValueOf("WELL"), "14-bis");
  EXPECT_EQ(list.ValueOf("FIELD"), "West");
  EXPECT_EQ(list.Count(), 2);
}

TEST(ValuesDialog, TheModelReachesTheDialogThroughTheRegisteredEditor) {
  SetNamedValuesEditor({});
  TNamedValueList list = Values();
  EXPECT_FALSE(list.EditWithDialog()) << "without the dialog layer nothing opens";
  RegisterTableDialogs();
  bool seen = false;
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* dialog = qobject_cast<TfValues*>(w)) {
        seen = true;
        dialog->gValues->item(0, 1)->setText("15");
        Click(dialog, "btnOK");
      }
  });
  EXPECT_TRUE(list.EditWithDialog());
  EXPECT_TRUE(seen);
  EXPECT_EQ(list.ValueOf("WELL"), "15");
  SetNamedValuesEditor({});
}

// A head's parameters all show without scrolling while the screen has room.
TEST(ValuesDialog, OpensTallEnoughForEveryParameter) {
  TNamedValueList list;
  for (int i = 0; i < 10; ++i) list.SetValue(QStringLiteral("PARAMETER_%1").arg(i), QString::number(i));
  TfValues dialog(&list);
  dialog.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(dialog.gValues->verticalScrollBar()->maximum(), 0) << dialog.height();
}
