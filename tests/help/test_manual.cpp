// The printable manuals: every help page of a language is reached from its
// contents and laid out in its manual; the built program folder holds both
// manuals; a manual that cannot be written leaves nothing behind.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "uManual.h"

namespace {

const QString kHelp = QStringLiteral(KERNO_SOURCE_DIR "/resources/help/");

QStringList HtmlFilesOf(const QString& dir) {
  QStringList pages;
  QDirIterator it(dir, {"*.html"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) pages << QDir(dir).relativeFilePath(it.next());
  pages.sort();
  return pages;
}

QString PdfText(const QString& path) {
  const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  if (pdftotext.isEmpty()) return {};
  QProcess p;
  p.start(pdftotext, {QStringLiteral("-layout"), path, QStringLiteral("-")});
  if (!p.waitForFinished(60000)) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

TEST(Manual, EveryPageIsReachedFromTheContentsAndLaidOut) {
  for (const char* language : {"en", "ru"}) {
    SCOPED_TRACE(language);
    const QString dir = kHelp + QLatin1String(language);
    QStringList pages = ManualPages(dir);
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_EQ(pages.first(), QStringLiteral("index.html")) << "the contents come first";
    QStringList sorted = pages;
    sorted.sort();
    const QStringList files = HtmlFilesOf(dir);
    for (const QString& file : files)
      EXPECT_TRUE(sorted.contains(file)) << file.toStdString() << ": the contents do not lead to it";
    EXPECT_EQ(sorted.size(), files.size());
    EXPECT_EQ(sorted.removeDuplicates(), 0);

    QTemporaryDir out;
    QString error;
    const QString pdf = out.filePath(QStringLiteral("manual.pdf"));
    ASSERT_TRUE(WriteManual(dir, pdf, &error)) << error.toStdString();
    const QString text = PdfText(pdf);
    if (text.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) not installed: the text is not read back";
    // Every page's heading is in the manual (spaces as the layout breaks them).
    static const QRegularExpression kHeading(QStringLiteral("<h1>([^<]+)</h1>"));
    const QString flat = QString(text).replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
    for (const QString& page : pages) {
      QFile f(QDir(dir).filePath(page));
      ASSERT_TRUE(f.open(QIODevice::ReadOnly));
      QString heading = kHeading.match(QString::fromUtf8(f.readAll())).captured(1).simplified();
      if (heading.isEmpty()) continue;
      EXPECT_TRUE(flat.contains(heading.replace(QStringLiteral("&amp;"), QStringLiteral("&"))))
          << page.toStdString() << ": " << heading.toStdString();
    }
    EXPECT_FALSE(text.contains(QStringLiteral("<a "))) << "markup printed as text";
  }
}

TEST(Manual, TheProgramFolderHoldsTheManualOfEachPack) {
  for (const char* name : {"help.pdf", "help_ru.pdf"})
    EXPECT_TRUE(QFile::exists(QStringLiteral(KERNO_PROGRAM_DIR "/") + QLatin1String(name))) << name;
}

TEST(Manual, AManualThatCannotBeWrittenLeavesNothingBehind) {
  QTemporaryDir out;
  QString error;
  EXPECT_FALSE(
      WriteManual(out.filePath(QStringLiteral("no-such-help")), out.filePath(QStringLiteral("m.pdf")), &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(QFile::exists(out.filePath(QStringLiteral("m.pdf"))));
  error.clear();
  EXPECT_FALSE(WriteManual(kHelp + QStringLiteral("en"), out.filePath(QStringLiteral("missing/m.pdf")), &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_TRUE(QDir(out.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());
}
