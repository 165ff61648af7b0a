// UI services that answer from a script and record what they were asked:
// the tests' stand-in for the user, and the headless command line's.
#pragma once

#include <deque>
#include <vector>

#include "uUiServices.h"

class TScriptedUi final : public IUiServices {
 public:
  struct TShownMessage {
    TMsgKind Kind;
    QString Title;
    QString Text;
    int Buttons;
  };

  // Answers are taken in order; when a queue is empty the silent answer applies
  // (Cancel/No, dialogs cancelled, -1 for lists).
  std::deque<TMsgResult> MessageAnswers;
  std::deque<QString> FileAnswers;  // for open and save dialogs alike
  std::deque<int> FilterAnswers;    // the filter entry chosen with a file; the offered one when empty
  std::deque<QString> TextAnswers;
  std::deque<int> ListAnswers;
  std::deque<QColor> ColorAnswers;
  qint64 CancelProgressAt = -1;  // StepProgress(done >= this) reports a cancel
  // Headless runs: every message shown is also written to standard error,
  // since no one sees a box.
  bool EchoMessages = false;

  std::vector<TShownMessage> Messages;
  std::vector<TFileDialogOptions> FileDialogs;
  std::vector<QStringList> Lists;
  QStringList HelpTopics;

  TMsgResult Message(TMsgKind kind, const QString& title, const QString& text, int buttons) override;
  bool OpenFileName(const TFileDialogOptions& options, QString* fileName, int* filterIndex) override;
  bool SaveFileName(const TFileDialogOptions& options, QString* fileName, int* filterIndex) override;
  bool PromptText(const QString& title, const QString& label, QString* value) override;
  // Records the offered names in Lists, then answers as PromptText.
  bool PromptTextOffering(const QString& title, const QString& label, const QStringList& offered,
                          QString* value) override;
  int ChooseFromList(const QString& title, const QString& label, const QStringList& items, int current) override;
  bool ChooseColor(const QColor& initial, QColor* result) override;
  void BeginProgress(const QString& text, qint64 total) override;
  bool StepProgress(qint64 done) override;
  void EndProgress() override;
  void ShowHelp(const QString& topic) override { HelpTopics << topic; }

  bool ProgressActive() const { return FProgressActive; }

 private:
  bool FProgressActive = false;
};

// Installs a scripted UI for the lifetime of a scope, then puts back the one
// installed before.
class TScopedUi {
 public:
  explicit TScopedUi(IUiServices* ui) : FPrevious(InstalledUiServices()) { SetUiServices(ui); }
  ~TScopedUi() { SetUiServices(FPrevious); }
  TScopedUi(const TScopedUi&) = delete;
  TScopedUi& operator=(const TScopedUi&) = delete;

 private:
  IUiServices* FPrevious;
};
