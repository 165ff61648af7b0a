// The UI services shown as Qt dialogs (the program's implementation).
#pragma once

#include <QPointer>

#include "uUiServices.h"

class QProgressDialog;
class QWidget;

class TQtUiServices final : public IUiServices {
 public:
  TQtUiServices();
  ~TQtUiServices() override;

  TMsgResult Message(TMsgKind kind, const QString& title, const QString& text, int buttons) override;
  bool OpenFileName(const TFileDialogOptions& options, QString* fileName, int* filterIndex) override;
  bool SaveFileName(const TFileDialogOptions& options, QString* fileName, int* filterIndex) override;
  bool PromptText(const QString& title, const QString& label, QString* value) override;
  bool PromptTextOffering(const QString& title, const QString& label, const QStringList& offered,
                          QString* value) override;
  int ChooseFromList(const QString& title, const QString& label, const QStringList& items, int current) override;
  bool ChooseColor(const QColor& initial, QColor* result) override;
  void BeginProgress(const QString& text, qint64 total) override;
  bool StepProgress(qint64 done) override;
  void EndProgress() override;
  // The topic's page (HelpPagePath) in the program's help window; a missing
  // page is reported, never silently ignored.
  void ShowHelp(const QString& topic) override;

 private:
  static QWidget* Owner();
  bool FileDialog(bool save, const TFileDialogOptions& options, QString* fileName, int* filterIndex);

  QPointer<QProgressDialog> FProgress;
  qint64 FTotal = 0;
};
