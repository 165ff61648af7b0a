// Every question the editor asks the user (file names, confirmations,
// messages, modal dialogs, help) goes through one object, so that tests can
// answer from a script instead of a person.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace stratedit {

class TStratPrompts {
 public:
  virtual ~TStratPrompts() = default;

  // `filters` as Qt file dialog filters; empty when the user cancels.
  virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& dir, const QStringList& filters);
  // `filterIndex` (when given) receives the index of the filter chosen.
  virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& dir, const QStringList& filters,
                               int* filterIndex);
  virtual QString FolderName(QWidget* parent, const QString& title, const QString& dir);
  virtual QMessageBox::StandardButton Ask(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons);
  virtual void Error(QWidget* parent, const QString& text);
  virtual void Information(QWidget* parent, const QString& text);
  // Runs `dialog` modally; true when it was accepted.
  virtual bool Run(QDialog* dialog);
  // Opens the help page of `topic` ("data/lsdedit") in the pack's language.
  virtual void ShowHelp(QWidget* parent, const QString& topic);
};

TStratPrompts& Prompts();
// Installs `prompts` (not owned); null restores the ones that ask the user.
void SetPrompts(TStratPrompts* prompts);

// The page of `topic` under the program folder: "help/<language>/<topic>.html",
// then the English page; empty when neither exists or the topic is malformed.
QString HelpPage(const QString& topic, const QString& language);

}  // namespace stratedit
