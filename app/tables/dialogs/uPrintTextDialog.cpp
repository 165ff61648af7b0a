#include "uPrintTextDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "uDialogButtons.h"
#include "uFontDialog.h"
#include "uLanguage.h"
#include "uPrintText.h"
#include "uPropertiesDialogs.h"

namespace {

QPushButton* NewButton(const QString& name, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

// Memo text uses LF; the object keeps CR LF between lines.
QString ToObjectText(const QString& memo) {
  QString s = memo;
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QChar('\n'), QStringLiteral("\r\n"));
  return s;
}

QString ToMemoText(const QString& text) {
  QString s = text;
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QChar('\r'), QChar('\n'));
  return s;
}

}  // namespace

TfPrintText::TfPrintText(TPrintText* text, QWidget* parent) : QDialog(parent), FText(text) {
  setObjectName("TfPrintText");
  setWindowTitle(TranslateWord("Text"));
  FFont.Assign(text->Font());
  FBounds = text->GetBoundsRect();

  mText = new QPlainTextEdit(this);
  mText->setObjectName("mText");
  mText->setPlainText(ToMemoText(text->GetText()));
  cbBorder = new QCheckBox(TranslateWord("Border"), this);
  cbBorder->setObjectName("cbBorder");
  cbBorder->setChecked(text->Border());

  // The standard row (OK, Cancel, Help) with the dialog's own two buttons.
  QDialogButtonBox* box = NewOkCancelButtons(this, QStringLiteral("data/text"));
  QPushButton* blockSize = NewButton("btnBlockSize", TranslateGeneral("BlockSize", "Block Size"), this);
  btnFont = NewButton("btnFont", TranslateWord("Font"), this);
  box->addButton(blockSize, QDialogButtonBox::ActionRole);
  box->addButton(btnFont, QDialogButtonBox::ActionRole);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(blockSize, &QPushButton::clicked, this, &TfPrintText::btnBlockSizeClick);
  connect(btnFont, &QPushButton::clicked, this, &TfPrintText::btnFontClick);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cbBorder);
  buttons->addWidget(box, 1);
  auto* root = new QVBoxLayout(this);
  root->addWidget(mText, 1);
  root->addLayout(buttons);
  resize(520, 320);
  UpdateWrap();
}

void TfPrintText::UpdateWrap() {
  // Wrapping in the memo follows the font's word-break bit; without it both scroll bars show.
  const bool wrap = FFont.Format & DT_WORDBREAK;
  mText->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  mText->setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn);
  mText->setVerticalScrollBarPolicy(wrap ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn);
}

void TfPrintText::btnBlockSizeClick() {
  // The position dialog edits a plain object standing in for the box.
  TPrintObject copy;
  copy.SetBoundsRect(FBounds);
  if (RunPropertiesDialog(QStringLiteral("TPrintObject"), &copy)) FBounds = copy.GetBoundsRect();
}

void TfPrintText::btnFontClick() {
  TfFont dialog(FFont, ToObjectText(mText->toPlainText()), this);
  dialog.move(btnFont->mapToGlobal(QPoint(0, btnFont->height())));
  if (dialog.exec() != QDialog::Accepted) return;
  FFont.Assign(dialog.WorkFont());
  UpdateWrap();
}

void TfPrintText::Apply() {
  // No Notify here: the window took the undo snapshot before it opened the
  // dialog, and a second one would make one OK cost two undos.
  FText->SetText(ToObjectText(mText->toPlainText()));
  FText->SetBorder(cbBorder->isChecked());
  FText->SetBoundsRect(FBounds);
  FText->Font().Assign(FFont);
  FText->SetModified(true);
  FText->Changed();
  FText->Invalidate(nullptr);
}

bool TfPrintText::Execute(TPrintObject* object) {
  auto* text = dynamic_cast<TPrintText*>(object);
  if (!text) return false;
  TfPrintText dialog(text, QApplication::activeWindow());
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Apply();
  return true;
}

void RegisterTextDialogs() { RegisterPropertiesDialog(QStringLiteral("TPrintText"), &TfPrintText::Execute); }
