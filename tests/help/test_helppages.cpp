// The help pages as shipped: every topic the program names has a page in
// every language, the pages' links lead somewhere, and a topic's page is
// found by the pack's language with English behind it.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include "uLanguage.h"
#include "uSettings.h"
#include "uUiServices.h"

namespace {

const QString kSource = QStringLiteral(KERNO_SOURCE_DIR);
const QStringList kLanguages = {QStringLiteral("en"), QStringLiteral("ru")};

QString ReadText(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void WriteText(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

// The topics the sources name: passed to ShowHelp, to a dialog's OK/Cancel/
// Help buttons, or held in a help topic constant.
QSet<QString> TopicsNamedInTheCode() {
  static const QRegularExpression kNamed(QStringLiteral(
      R"re((?:ShowHelp\(|NewOkCancelButtons\([^;]*?,\s*|kHelpTopic\s*=\s*)QStringLiteral\("([^"]+)"\))re"));
  QSet<QString> topics;
  for (const char* folder : {"app", "strat"}) {
    QDirIterator it(kSource + u'/' + QLatin1String(folder), {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString text = ReadText(it.next());
      for (const QRegularExpressionMatch& m : kNamed.globalMatch(text)) topics << m.captured(1);
    }
  }
  return topics;
}

QStringList PagesOf(const QString& language) {
  const QDir root(kSource + QStringLiteral("/resources/help/") + language);
  QStringList pages;
  QDirIterator it(root.path(), {"*.html"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) pages << root.relativeFilePath(it.next());
  pages.sort();
  return pages;
}

}  // namespace

TEST(HelpPages, EveryTopicTheProgramNamesHasAPageInEveryLanguage) {
  QSet<QString> topics = TopicsNamedInTheCode();
  // The scan must see the dialogs' topics, or this test would pass on nothing.
  for (const char* known : {"common/structure", "common/extrablock", "data/rullers", "common/export"})
    EXPECT_TRUE(topics.contains(known)) << known;
  // The Help menu's contents and what's new.
  topics << QStringLiteral("index") << QStringLiteral("version");
  for (const QString& topic : topics)
    for (const QString& language : kLanguages)
      EXPECT_TRUE(QFileInfo(kSource + QStringLiteral("/resources/help/%1/%2.html").arg(language, topic)).isFile())
          << language.toStdString() << "/" << topic.toStdString() << ".html is missing";
}

TEST(HelpPages, TheLanguagesHaveTheSamePagesEachTitledWithLinksThatLeadSomewhere) {
  const QStringList english = PagesOf("en");
  EXPECT_GE(english.size(), 15);
  EXPECT_EQ(PagesOf("ru"), english);
  static const QRegularExpression kTitle(QStringLiteral("<title>([^<]+)</title>"));
  static const QRegularExpression kLink(QStringLiteral(R"(href="([^"#]*)(#[^"]*)?")"));
  for (const QString& language : kLanguages) {
    const QDir root(kSource + QStringLiteral("/resources/help/") + language);
    for (const QString& page : PagesOf(language)) {
      const QString where = language + u'/' + page;
      const QString text = ReadText(root.filePath(page));
      EXPECT_TRUE(text.contains(QStringLiteral("<html lang=\"%1\"").arg(language))) << where.toStdString();
      const QRegularExpressionMatch title = kTitle.match(text);
      EXPECT_TRUE(title.hasMatch() && !title.captured(1).trimmed().isEmpty()) << where.toStdString();
      const QDir folder = QFileInfo(root.filePath(page)).dir();
      for (const QRegularExpressionMatch& m : kLink.globalMatch(text)) {
        const QString target = m.captured(1);
        if (target.isEmpty() || target.contains(u':')) continue;  // same page, or a web address
        const QString resolved = QDir::cleanPath(folder.filePath(target));
        EXPECT_TRUE(QFileInfo(resolved).isFile()) << where.toStdString() << " links to " << target.toStdString();
        EXPECT_TRUE(resolved.startsWith(root.path() + u'/'))
            << where.toStdString() << " leaves its language: " << target.toStdString();
      }
    }
  }
}

class HelpPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FDir.isValid());
    SetProgramDir(FDir.path());
  }
  void TearDown() override {
    SetProgramDir(QString());
    UnloadLanguage();
  }
  void LoadPack(const QByteArray& code) {
    const QString pack = FDir.filePath("pack.vox");
    WriteText(pack, "[VOX]\nLanguageCode=" + code + "\n");
    ASSERT_TRUE(LoadLanguage(pack));
  }
  QString Help(const QString& page) const { return FDir.filePath("help/" + page); }
  QTemporaryDir FDir;
};

TEST_F(HelpPathTest, ThePacksLanguageFirstThenEnglishThenTheOldFlatFolder) {
  WriteText(Help("en/data/text.html"), "en");
  WriteText(Help("ru/data/text.html"), "ru");
  WriteText(Help("en/only.html"), "en");
  WriteText(Help("flat.html"), "flat");
  EXPECT_EQ(HelpLanguageFolder(), "en") << "no pack";
  EXPECT_EQ(HelpPagePath("data/text"), Help("en/data/text.html"));
  LoadPack("ru");
  EXPECT_EQ(HelpLanguageFolder(), "ru");
  EXPECT_EQ(HelpPagePath("data/text"), Help("ru/data/text.html"));
  EXPECT_EQ(HelpPagePath("only"), Help("en/only.html"));
  EXPECT_EQ(HelpPagePath("flat"), Help("flat.html"));
  EXPECT_EQ(HelpPagePath("missing"), "");
  // A pack's code names a folder only when it is a plain name.
  LoadPack(" RU ");
  EXPECT_EQ(HelpPagePath("data/text"), Help("ru/data/text.html"));
  LoadPack("../en/data");
  EXPECT_EQ(HelpLanguageFolder(), "en");
}

// Topics come from dialogs, but a page path built from one must never leave
// the program's help folder.
TEST_F(HelpPathTest, TopicsStayInsideTheHelpFolder) {
  WriteText(FDir.filePath("secret.html"), "x");
  WriteText(Help("en/common/extra-block_2.html"), "x");
  EXPECT_EQ(HelpPagePath("common/extra-block_2"), Help("en/common/extra-block_2.html"));
  for (const char* bad : {"", "../secret", "../../secret", "en/../../secret", "/etc/passwd", "common//extra-block_2",
                          "common/extra-block_2.html", "a\\b"})
    EXPECT_EQ(HelpPagePath(bad), "") << bad;
}
