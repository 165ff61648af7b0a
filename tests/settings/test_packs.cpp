// Keeps the shipped language packs whole: every literal lookup in the sources
// must find its key in both packs, and both packs must hold the same keys.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>
#include <map>

#include "uLanguage.h"
#include "uLanguageUi.h"
#include "uQtUiServices.h"

namespace {

const QString kSourceDir = QStringLiteral(KERNO_SOURCE_DIR);

// Pack entries as "SECTION\x1Fkey" in lower case -> text.
std::map<QString, QString> ReadPackEntries(const QString& path) {
  std::map<QString, QString> entries;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return entries;
  QString section;
  for (QString line : QString::fromUtf8(file.readAll()).split(u'\n')) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(u';')) continue;
    if (line.startsWith(u'[')) {
      section = line.mid(1, line.indexOf(u']') - 1);
      continue;
    }
    const qsizetype eq = line.indexOf(u'=');
    if (eq > 0) entries[(section + QChar(0x1F) + line.left(eq).trimmed()).toLower()] = line.mid(eq + 1);
  }
  return entries;
}

QString Id(const QString& section, const QString& key) { return (section + QChar(0x1F) + key).toLower(); }

struct TLookup {
  QString Section;
  QString Key;
  QString Where;
};

// Literal lookups in the program's and the sign library's sources.
std::vector<TLookup> ScanSources() {
  const QString lit = QStringLiteral(R"re((?:QStringLiteral\(|QString\(|u)?"((?:[^"\\]|\\.)*)")re");
  struct TRule {
    QRegularExpression Re;
    QString Section;  // empty: the first literal is the section
    QString Suffix;
  };
  std::vector<TRule> rules;
  rules.push_back(
      {QRegularExpression(QStringLiteral(R"(\bTranslate\(\s*)") + lit + QStringLiteral(R"(\)?\s*,\s*)") + lit),
       {},
       {}});
  rules.push_back({QRegularExpression(QStringLiteral(R"(\bTranslateGeneral\(\s*)") + lit), "VOX", {}});
  rules.push_back({QRegularExpression(QStringLiteral(R"(\bTranslateWord\(\s*)") + lit), "VOX", {}});
  rules.push_back({QRegularExpression(QStringLiteral(R"(\bTranslateError\(\s*)") + lit), "ERROR", {}});
  rules.push_back(
      {QRegularExpression(QStringLiteral(R"(\bTranslateConfirmCaption\(\s*)") + lit), "CONFIRM", ".Caption"});
  rules.push_back({QRegularExpression(QStringLiteral(R"(\bTranslateConfirmText\(\s*)") + lit), "CONFIRM", ".Text"});
  rules.push_back({QRegularExpression(QStringLiteral(R"(\bTranslateFileTitle\(\s*)") + lit), "FILE", "Title"});
  rules.push_back({QRegularExpression(QStringLiteral(R"(\bTranslateFileMask\(\s*)") + lit), "FILE", "Mask"});
  rules.push_back({QRegularExpression(QStringLiteral(R"(\bTranslateFileError\(\s*)") + lit), "FILE", "Error"});
  std::vector<TLookup> found;
  for (const char* folder : {"app", "strat"}) {
    QDirIterator it(kSourceDir + u'/' + QString::fromLatin1(folder), {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      QFile file(path);
      if (!file.open(QIODevice::ReadOnly)) continue;
      const QString text = QString::fromUtf8(file.readAll());
      for (const TRule& rule : rules) {
        for (auto m = rule.Re.globalMatch(text); m.hasNext();) {
          const auto match = m.next();
          const int line = static_cast<int>(text.left(match.capturedStart()).count(u'\n')) + 1;
          const QString where = path.mid(kSourceDir.size() + 1) + u':' + QString::number(line);
          if (rule.Section.isEmpty())
            found.push_back({match.captured(1), match.captured(2), where});
          else
            found.push_back({rule.Section, match.captured(1) + rule.Suffix, where});
        }
      }
    }
  }
  return found;
}

}  // namespace

TEST(LanguagePacks, EveryLiteralLookupIsInBothPacks) {
  const auto english = ReadPackEntries(kSourceDir + "/resources/english.vox");
  const auto russian = ReadPackEntries(kSourceDir + "/resources/russian.vox");
  ASSERT_FALSE(english.empty());
  ASSERT_FALSE(russian.empty());
  const std::vector<TLookup> lookups = ScanSources();
  ASSERT_GT(lookups.size(), 20u) << "the scanner found no lookups: its patterns no longer match the sources";
  for (const TLookup& l : lookups) {
    EXPECT_TRUE(english.count(Id(l.Section, l.Key))) << "english.vox lacks [" << l.Section.toStdString() << "] "
                                                     << l.Key.toStdString() << " used at " << l.Where.toStdString();
    EXPECT_TRUE(russian.count(Id(l.Section, l.Key))) << "russian.vox lacks [" << l.Section.toStdString() << "] "
                                                     << l.Key.toStdString() << " used at " << l.Where.toStdString();
  }
}

TEST(LanguagePacks, BothPacksHoldTheSameKeysAndPlaceholders) {
  const auto english = ReadPackEntries(kSourceDir + "/resources/english.vox");
  const auto russian = ReadPackEntries(kSourceDir + "/resources/russian.vox");
  for (const auto& [id, text] : english) {
    const auto other = russian.find(id);
    if (other == russian.end()) {
      ADD_FAILURE() << "russian.vox lacks " << QString(id).replace(QChar(0x1F), u'/').toStdString();
      continue;
    }
    // A lost or extra "%s" would drop a file name from a message or print garbage.
    EXPECT_EQ(text.count(QStringLiteral("%s")), other->second.count(QStringLiteral("%s")))
        << QString(id).replace(QChar(0x1F), u'/').toStdString();
    EXPECT_FALSE(other->second.trimmed().isEmpty()) << QString(id).replace(QChar(0x1F), u'/').toStdString();
    EXPECT_LE(other->second.size(), kLanguageTextLimit) << QString(id).replace(QChar(0x1F), u'/').toStdString();
    EXPECT_LE(text.size(), kLanguageTextLimit) << QString(id).replace(QChar(0x1F), u'/').toStdString();
  }
  for (const auto& [id, text] : russian)
    EXPECT_TRUE(english.count(id)) << "english.vox lacks " << QString(id).replace(QChar(0x1F), u'/').toStdString();
}

TEST(LanguagePacks, ShippedPacksLoadAndTranslate) {
  ASSERT_TRUE(LoadLanguage(kSourceDir + "/resources/russian.vox"));
  EXPECT_EQ(TranslateWord("Cancel"), "Отмена");
  EXPECT_EQ(Translate("POT", "StratCol", "StratCol"), "Литологическая колонка");
  EXPECT_EQ(DataMenuCaption(), "Данные");
  ASSERT_TRUE(LoadLanguage(kSourceDir + "/resources/english.vox"));
  EXPECT_EQ(Translate("MENU", "FileHint", "x"), "File operations");
  UnloadLanguage();
}

// A Russian program asks "save the changes?" with Russian buttons, and Qt's
// own dialogs (files, printing) speak Russian where Qt's translation is installed.
TEST(LanguagePacks, QtsBoxesAndDialogsSpeakThePacksLanguage) {
  ASSERT_TRUE(LoadLanguage(kSourceDir + "/resources/russian.vox"));
  QStringList buttons;
  QTimer::singleShot(0, [&buttons] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
        for (QAbstractButton* b : box->buttons()) buttons << b->text();
        box->reject();
      }
  });
  TQtUiServices ui;
  EXPECT_EQ(ui.Message(TMsgKind::Question, "t", "x", mbYes | mbNo | mbCancel), TMsgResult::Cancel);
  buttons.sort();
  EXPECT_EQ(buttons, QStringList({"Да", "Нет", "Отмена"}));

  const bool haveQtRussian =
      QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ru.qm"));
  EXPECT_EQ(InstallQtTranslation(), haveQtRussian);
  if (haveQtRussian) {
    EXPECT_NE(QFileDialog().labelText(QFileDialog::LookIn), "Look in:");
  }
  ASSERT_TRUE(LoadLanguage(kSourceDir + "/resources/english.vox"));
  EXPECT_FALSE(InstallQtTranslation()) << "English needs none, and the Russian one is taken away";
  EXPECT_EQ(QFileDialog().labelText(QFileDialog::LookIn), "Look in:");
  UnloadLanguage();
  EXPECT_FALSE(InstallQtTranslation());
}