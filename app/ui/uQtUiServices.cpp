#include "uQtUiServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <optional>

#include "uHelpWindow.h"
#include "uLanguage.h"

namespace {

// Qt's boxes name their buttons in English unless Qt's own translation is
// installed; the pack's words are always at hand.
void TranslateBoxButtons(QMessageBox* box) {
  static const struct {
    QMessageBox::StandardButton Button;
    const char* Word;
  } kWords[] = {
      {QMessageBox::Ok, "OK"}, {QMessageBox::Yes, "Yes"}, {QMessageBox::No, "No"}, {QMessageBox::Cancel, "Cancel"}};
  for (const auto& w : kWords)
    if (QAbstractButton* b = box->button(w.Button)) b->setText(TranslateWord(QString::fromLatin1(w.Word)));
}

// The one input box of the questions that take a text: typed freely, or
// chosen from `items` (typed too when `editable`). The text on OK, nothing on Cancel.
std::optional<QString> InputBox(QWidget* owner, const QString& title, const QString& label, const QStringList& items,
                                bool editable, const QString& value) {
  QInputDialog dialog(owner);
  dialog.setWindowTitle(title);
  dialog.setLabelText(label);
  if (!items.isEmpty()) {
    dialog.setComboBoxItems(items);
    dialog.setComboBoxEditable(editable);
  }
  dialog.setTextValue(value);
  dialog.setOkButtonText(TranslateWord(QStringLiteral("OK")));
  dialog.setCancelButtonText(TranslateWord(QStringLiteral("Cancel")));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue();
}

}  // namespace

TQtUiServices::TQtUiServices() = default;

TQtUiServices::~TQtUiServices() { EndProgress(); }

QWidget* TQtUiServices::Owner() { return QApplication::activeWindow(); }

TMsgResult TQtUiServices::Message(TMsgKind kind, const QString& title, const QString& text, int buttons) {
  QMessageBox box(Owner());
  switch (kind) {
    case TMsgKind::Error:
      box.setIcon(QMessageBox::Critical);
      break;
    case TMsgKind::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case TMsgKind::Warning:
      box.setIcon(QMessageBox::Warning);
      break;
    case TMsgKind::Question:
      box.setIcon(QMessageBox::Question);
      break;
  }
  box.setWindowTitle(title.isEmpty() ? QApplication::applicationDisplayName() : title);
  box.setText(text);
  QMessageBox::StandardButtons std;
  if (buttons & mbOK) std |= QMessageBox::Ok;
  if (buttons & mbYes) std |= QMessageBox::Yes;
  if (buttons & mbNo) std |= QMessageBox::No;
  if (buttons & mbCancel) std |= QMessageBox::Cancel;
  if (!std) std = QMessageBox::Ok;
  box.setStandardButtons(std);
  TranslateBoxButtons(&box);
  switch (box.exec()) {
    case QMessageBox::Ok:
      return TMsgResult::OK;
    case QMessageBox::Yes:
      return TMsgResult::Yes;
    case QMessageBox::No:
      return TMsgResult::No;
    default:
      return (buttons & mbCancel) || !(buttons & mbNo) ? TMsgResult::Cancel : TMsgResult::No;
  }
}

bool TQtUiServices::FileDialog(bool save, const TFileDialogOptions& options, QString* fileName, int* filterIndex) {
  QFileDialog dialog(Owner(), options.Title, FileDialogStartPath(options.FileName));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!options.DefaultSuffix.isEmpty()) dialog.setDefaultSuffix(options.DefaultSuffix);
  if (save && !options.ConfirmOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList filters = FilterToQt(options.Filter).split(QStringLiteral(";;"), Qt::SkipEmptyParts);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index = qBound(1, options.FilterIndex, static_cast<int>(filters.size()));
    dialog.selectNameFilter(filters[index - 1]);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  RememberFileDialogChoice(dialog.selectedFiles().first());
  if (fileName) *fileName = dialog.selectedFiles().first();
  if (filterIndex)
    *filterIndex = filters.isEmpty() ? 1 : static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  return true;
}

bool TQtUiServices::OpenFileName(const TFileDialogOptions& options, QString* fileName, int* filterIndex) {
  return FileDialog(false, options, fileName, filterIndex);
}

bool TQtUiServices::SaveFileName(const TFileDialogOptions& options, QString* fileName, int* filterIndex) {
  return FileDialog(true, options, fileName, filterIndex);
}

bool TQtUiServices::PromptText(const QString& title, const QString& label, QString* value) {
  const std::optional<QString> text = InputBox(Owner(), title, label, {}, true, value ? *value : QString());
  if (text && value) *value = *text;
  return text.has_value();
}

bool TQtUiServices::PromptTextOffering(const QString& title, const QString& label, const QStringList& offered,
                                       QString* value) {
  const std::optional<QString> text = InputBox(Owner(), title, label, offered, true, value ? *value : QString());
  if (text && value) *value = *text;
  return text.has_value();
}

int TQtUiServices::ChooseFromList(const QString& title, const QString& label, const QStringList& items, int current) {
  if (items.isEmpty()) return -1;
  const std::optional<QString> chosen =
      InputBox(Owner(), title, label, items, false, items[qBound(0, current, static_cast<int>(items.size()) - 1)]);
  return chosen ? static_cast<int>(items.indexOf(*chosen)) : -1;
}

bool TQtUiServices::ChooseColor(const QColor& initial, QColor* result) {
  const QColor c = QColorDialog::getColor(initial, Owner());
  if (!c.isValid()) return false;
  if (result) *result = c;
  return true;
}

void TQtUiServices::BeginProgress(const QString& text, qint64 total) {
  EndProgress();
  FTotal = total > 0 ? total : 0;
  FProgress = new QProgressDialog(text, TranslateWord(QStringLiteral("Cancel")), 0, 1000, Owner());
  FProgress->setWindowModality(Qt::WindowModal);
  FProgress->setMinimumDuration(500);
  FProgress->setValue(0);
}

bool TQtUiServices::StepProgress(qint64 done) {
  if (!FProgress) return true;
  if (FTotal > 0) FProgress->setValue(static_cast<int>(qBound<qint64>(qint64(0), done * 1000 / FTotal, qint64(1000))));
  QApplication::processEvents();
  return !FProgress->wasCanceled();
}

void TQtUiServices::EndProgress() {
  if (FProgress) {
    FProgress->close();
    delete FProgress;
  }
}

void TQtUiServices::ShowHelp(const QString& topic) {
  if (THelpWindow::ShowTopic(topic)) return;
  Message(TMsgKind::Information, TranslateWord("Help"),
          TranslateError("NoHelp", "Help topic not found") + QStringLiteral(": ") + topic, mbOK);
}
