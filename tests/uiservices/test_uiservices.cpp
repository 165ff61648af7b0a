#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "uScriptedUi.h"

// Model code must never block on a dialog when no UI is installed.
TEST(UiServices, SilentDefaultCancelsEverything) {
  EXPECT_EQ(Ui().Message(TMsgKind::Question, "t", "q", mbYes | mbNo), TMsgResult::No);
  EXPECT_EQ(Ui().Message(TMsgKind::Question, "t", "q", mbYes | mbNo | mbCancel), TMsgResult::Cancel);
  QString name = "keep";
  EXPECT_FALSE(Ui().OpenFileName({}, &name, nullptr));
  EXPECT_EQ(name, "keep");
  EXPECT_EQ(Ui().ChooseFromList("t", "l", {"a", "b"}, 0), -1);
  EXPECT_TRUE(Ui().StepProgress(10));
}

TEST(UiServices, ScriptedAnswersInOrderAndRecordsQuestions) {
  TScriptedUi ui;
  TScopedUi scope(&ui);
  ui.MessageAnswers = {TMsgResult::Yes};
  ui.FileAnswers = {"/tmp/a.knd"};
  ui.ListAnswers = {5, 1};
  EXPECT_EQ(Ui().Message(TMsgKind::Question, "Delete", "Delete it?", mbYes | mbNo), TMsgResult::Yes);
  EXPECT_EQ(Ui().Message(TMsgKind::Question, "Delete", "Again?", mbYes | mbNo), TMsgResult::No);
  ASSERT_EQ(ui.Messages.size(), 2u);
  EXPECT_EQ(ui.Messages[1].Text, "Again?");
  QString file;
  TFileDialogOptions options;
  options.Filter = "Documents|*.knd";
  EXPECT_TRUE(Ui().OpenFileName(options, &file, nullptr));
  EXPECT_EQ(file, "/tmp/a.knd");
  EXPECT_EQ(ui.FileDialogs.at(0).Filter, "Documents|*.knd");
  // An answer outside the list counts as a cancel, never as an out-of-range index.
  EXPECT_EQ(Ui().ChooseFromList("t", "l", {"a", "b"}, 0), -1);
  EXPECT_EQ(Ui().ChooseFromList("t", "l", {"a", "b"}, 0), 1);
  ui.CancelProgressAt = 3;
  Ui().BeginProgress("import", 10);
  EXPECT_TRUE(Ui().StepProgress(2));
  EXPECT_FALSE(Ui().StepProgress(3));
  Ui().EndProgress();
  EXPECT_FALSE(ui.ProgressActive());
}

TEST(UiServices, FilterPairsBecomeQtFilters) {
  EXPECT_EQ(FilterToQt("Head files|*.hdr|All Files|*.*"), "Head files (*.hdr);;All Files (*.*)");
  EXPECT_EQ(FilterToQt("Pictures|*.bmp;*.jpg"), "Pictures (*.bmp *.jpg)");
  EXPECT_EQ(FilterToQt(""), "");
}

// File dialogs start where the user last chose a file: a bare proposed name
// goes into that folder, an absolute one stays where it points.
TEST(UiServices, FileDialogsStartInTheFolderLastChosen) {
  EXPECT_EQ(FileDialogStartPath("layers.txt"), "layers.txt") << "nothing chosen yet";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  RememberFileDialogChoice(dir.filePath("well/412.knd"));
  EXPECT_EQ(FileDialogStartPath(""), dir.path() + "/well");
  EXPECT_EQ(FileDialogStartPath("layers.txt"), dir.path() + "/well/layers.txt");
  EXPECT_EQ(FileDialogStartPath("/abs/x.txt"), "/abs/x.txt");
  RememberFileDialogChoice(dir.path());  // a folder chosen is the folder itself
  EXPECT_EQ(FileDialogStartPath(""), dir.path());
  RememberFileDialogChoice("");  // no choice changes nothing
  EXPECT_EQ(FileDialogStartPath(""), dir.path());
}
