#include "uStratPrompts.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>

#include "uStratTexts.h"

namespace stratedit {

namespace {
TStratPrompts*& Installed() {
  static TStratPrompts* installed = nullptr;
  return installed;
}

QString Caption() { return TranslateGeneral("LDBEdit", "Database"); }
}  // namespace

QString TStratPrompts::OpenFileName(QWidget* parent, const QString& title, const QString& dir,
                                    const QStringList& filters) {
  return QFileDialog::getOpenFileName(parent, title, dir, filters.join(QStringLiteral(";;")));
}

QString TStratPrompts::SaveFileName(QWidget* parent, const QString& title, const QString& dir,
                                    const QStringList& filters, int* filterIndex) {
  QString chosen;
  const QString path = QFileDialog::getSaveFileName(parent, title, dir, filters.join(QStringLiteral(";;")), &chosen);
  if (filterIndex) *filterIndex = std::max<int>(0, static_cast<int>(filters.indexOf(chosen)));
  return path;
}

QString TStratPrompts::FolderName(QWidget* parent, const QString& title, const QString& dir) {
  return QFileDialog::getExistingDirectory(parent, title, dir);
}

QMessageBox::StandardButton TStratPrompts::Ask(QWidget* parent, const QString& text,
                                               QMessageBox::StandardButtons buttons) {
  QMessageBox box(QMessageBox::Question, Caption(), text, buttons, parent);
  if (QAbstractButton* yes = box.button(QMessageBox::Yes)) yes->setText(TranslateWord("Yes"));
  if (QAbstractButton* no = box.button(QMessageBox::No)) no->setText(TranslateWord("No"));
  if (QAbstractButton* cancel = box.button(QMessageBox::Cancel)) cancel->setText(TranslateWord("Cancel"));
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void TStratPrompts::Error(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, Caption(), text, QMessageBox::Ok, parent);
  box.exec();
}

void TStratPrompts::Information(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Information, Caption(), text, QMessageBox::Ok, parent);
  box.exec();
}

bool TStratPrompts::Run(QDialog* dialog) { return dialog && dialog->exec() == QDialog::Accepted; }

void TStratPrompts::ShowHelp(QWidget* parent, const QString& topic) {
  const QString page = HelpPage(topic, LanguageCode());
  if (!page.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(page))) return;
  Information(parent, TranslateError("NoHelp", "Help topic not found") + QStringLiteral(": ") + topic);
}

TStratPrompts& Prompts() {
  static TStratPrompts asking;
  return Installed() ? *Installed() : asking;
}

void SetPrompts(TStratPrompts* prompts) { Installed() = prompts; }

QString HelpPage(const QString& topic, const QString& language) {
  if (topic.isEmpty()) return {};
  for (const QString& part : topic.split(u'/')) {
    if (part.isEmpty()) return {};
    for (const QChar c : part)
      if (!(c.isLetterOrNumber() || c == u'_' || c == u'-')) return {};
  }
  const QDir help(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help")));
  QStringList languages;
  // Only a plain code names a folder: a pack must not lead the path elsewhere.
  if (!language.isEmpty() && language.size() <= 8 &&
      std::all_of(language.begin(), language.end(), [](QChar c) { return c.isLetter() && c.unicode() < 128; }))
    languages << language;
  languages << QStringLiteral("en");
  for (const QString& folder : languages) {
    const QString page = help.filePath(folder + u'/' + topic + QStringLiteral(".html"));
    if (QFileInfo(page).isFile()) return page;
  }
  return {};
}

}  // namespace stratedit
