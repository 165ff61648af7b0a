// The help window on the shipped pages: one window for every topic, Back,
// Forward and Contents, the pack's language, and a window lent to a modal
// dialog.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBrowser>

#include "uHelpWindow.h"
#include "uLanguage.h"
#include "uSettings.h"

namespace {

const QString kHelp = QStringLiteral(KERNO_SOURCE_DIR "/resources/help/");

QUrl Page(const QString& language, const QString& topic) {
  return QUrl::fromLocalFile(kHelp + language + u'/' + topic + QStringLiteral(".html"));
}

class HelpWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { SetProgramDir(QStringLiteral(KERNO_SOURCE_DIR "/resources")); }
  void TearDown() override {
    delete THelpWindow::Current();
    SetProgramDir(QString());
    UnloadLanguage();
  }
  static QAction* Action(const char* name) { return THelpWindow::Current()->findChild<QAction*>(name); }
  static QUrl Shown() { return THelpWindow::Current()->Browser()->source(); }
};

}  // namespace

TEST_F(HelpWindowTest, OneWindowWithBackForwardAndContents) {
  EXPECT_FALSE(THelpWindow::ShowTopic("no/such-topic"));
  EXPECT_EQ(THelpWindow::Current(), nullptr) << "no window for a topic without a page";

  ASSERT_TRUE(THelpWindow::ShowTopic("common/export"));
  THelpWindow* window = THelpWindow::Current();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(Shown(), Page("en", "common/export"));
  EXPECT_EQ(window->windowTitle(), "Exporting pictures - Help");
  EXPECT_FALSE(Action("actHelpBack")->isEnabled());
  EXPECT_FALSE(Action("actHelpForward")->isEnabled());

  // A link followed, then back and forward again.
  QTextBrowser* browser = window->Browser();
  browser->setSource(browser->source().resolved(QUrl("../guide/commandline.html")));
  EXPECT_EQ(Shown(), Page("en", "guide/commandline"));
  EXPECT_TRUE(Action("actHelpBack")->isEnabled());
  Action("actHelpBack")->trigger();
  EXPECT_EQ(Shown(), Page("en", "common/export"));
  EXPECT_TRUE(Action("actHelpForward")->isEnabled());
  Action("actHelpForward")->trigger();
  EXPECT_EQ(Shown(), Page("en", "guide/commandline"));

  // Another topic reuses the window; Contents goes to the index.
  ASSERT_TRUE(THelpWindow::ShowTopic("data/rullers"));
  EXPECT_EQ(THelpWindow::Current(), window);
  EXPECT_EQ(Shown(), Page("en", "data/rullers"));
  Action("actHelpHome")->trigger();
  EXPECT_EQ(Shown(), Page("en", "index"));
  Action("actHelpBack")->trigger();
  EXPECT_EQ(Shown(), Page("en", "data/rullers"));
}

TEST_F(HelpWindowTest, ThePacksLanguageChoosesThePages) {
  QTemporaryDir dir;
  QFile pack(dir.filePath("russian.vox"));
  ASSERT_TRUE(pack.open(QIODevice::WriteOnly));
  pack.write("[VOX]\nLanguageCode=ru\nHelp=Справка\n");
  pack.close();
  ASSERT_TRUE(LoadLanguage(pack.fileName()));
  ASSERT_TRUE(THelpWindow::ShowTopic("common/export"));
  EXPECT_EQ(Shown(), Page("ru", "common/export"));
  EXPECT_TRUE(THelpWindow::Current()->windowTitle().endsWith(" - Справка"))
      << THelpWindow::Current()->windowTitle().toStdString();
  Action("actHelpHome")->trigger();
  EXPECT_EQ(Shown(), Page("ru", "index"));
}

// A modal dialog blocks other windows, so help asked from one opens as its
// child; when that dialog goes, so does the window, and the next request
// makes a new one rather than touching a deleted one.
TEST_F(HelpWindowTest, AWindowLentToAModalDialogGoesWithIt) {
  ASSERT_TRUE(THelpWindow::ShowTopic("index"));
  THelpWindow* first = THelpWindow::Current();
  auto* dialog = new QDialog();
  dialog->setModal(true);
  dialog->show();
  ASSERT_EQ(QApplication::activeModalWidget(), dialog);
  ASSERT_TRUE(THelpWindow::ShowTopic("common/options"));
  EXPECT_EQ(THelpWindow::Current(), first);
  EXPECT_EQ(first->parentWidget(), dialog);
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(Shown(), Page("en", "common/options"));
  delete dialog;
  EXPECT_EQ(THelpWindow::Current(), nullptr);
  ASSERT_TRUE(THelpWindow::ShowTopic("version"));
  ASSERT_NE(THelpWindow::Current(), nullptr);
  EXPECT_EQ(THelpWindow::Current()->parentWidget(), nullptr);
  EXPECT_EQ(Shown(), Page("en", "version"));
}
