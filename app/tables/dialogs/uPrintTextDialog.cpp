#include "uPrintTextDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "uDialogButtons.h"
#include "uFontDialog.h"
#include "uLanguage.h"
#include "uNumberFields.h"
#include "uPrintDesc.h"
#include "uPrintText.h"
#include "uPropertiesDialogs.h"
#include "uUiServices.h"

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

// Depths shown to the millimetre.
QString Metres(double depth) { return NumberText(std::round(depth * 1000) / 1000); }

double ReadDepth(const QLineEdit* field) {
  return FieldNumber(field->text(), std::numeric_limits<double>::quiet_NaN());
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
  connect(box, &QDialogButtonBox::accepted, this, [this] {
    if (Accept()) accept();
  });
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(blockSize, &QPushButton::clicked, this, &TfPrintText::btnBlockSizeClick);
  connect(btnFont, &QPushButton::clicked, this, &TfPrintText::btnFontClick);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cbBorder);
  buttons->addWidget(box, 1);
  auto* root = new QVBoxLayout(this);
  // A description's text says which interval it describes: typed here, its
  // depths are exact (a text added with the mouse starts at the click).
  FDesc = dynamic_cast<TPrintDesc*>(text->Parent());
  if (FDesc) {
    FShownFrom = Metres(FDesc->PageToDepth(text->IntervalTop));
    FShownTo = Metres(FDesc->PageToDepth(text->IntervalBottom));
    sFrom = new QLineEdit(FShownFrom, this);
    sFrom->setObjectName("sFrom");
    sTo = new QLineEdit(FShownTo, this);
    sTo->setObjectName("sTo");
    auto* depths = new QHBoxLayout;
    depths->addWidget(new QLabel(TranslateWord("From"), this));
    depths->addWidget(sFrom);
    depths->addWidget(new QLabel(TranslateWord("To"), this));
    depths->addWidget(sTo);
    depths->addWidget(new QLabel(TranslateGeneral("MetresShort", "m"), this));
    depths->addStretch();
    root->addLayout(depths);
  }
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

bool TfPrintText::Accept() {
  if (!FDesc) return true;
  const double from = ReadDepth(sFrom);
  const double to = ReadDepth(sTo);
  QString problem;
  if (!std::isfinite(from))
    problem = NotADepthText(sFrom->text());
  else if (!std::isfinite(to))
    problem = NotADepthText(sTo->text());
  else if (!(to > from))
    problem = SubstituteArgs(
        TranslateError("TextIntervalOrder", "The bottom depth (%s m) must lie below the top depth (%s m)"),
        {sTo->text().trimmed(), sFrom->text().trimmed()});
  if (problem.isEmpty()) return true;
  Ui().Message(TMsgKind::Error, windowTitle(), problem, mbOK);
  return false;
}

void TfPrintText::Apply() {
  // No Notify here: the window took the undo snapshot before it opened the
  // dialog, and a second one would make one OK cost two undos.
  FText->SetText(ToObjectText(mText->toPlainText()));
  FText->SetBorder(cbBorder->isChecked());
  // A new interval places the text on it, as the column's grid does; an
  // interval left as shown keeps the place the layout gave the text.
  // (Accept has checked it; a bottom not below the top, or no number, is no interval.)
  if (FDesc && (sFrom->text() != FShownFrom || sTo->text() != FShownTo)) {
    const double from = ReadDepth(sFrom);
    const double to = ReadDepth(sTo);
    if (to > from) {
      FText->IntervalTop = FDesc->DepthToPage(from);
      FText->IntervalBottom = FDesc->DepthToPage(to);
      FBounds.Top = FText->IntervalTop;
      FBounds.Bottom = FText->IntervalBottom;
    }
  }
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
