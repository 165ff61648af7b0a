#include "uFRangeColor.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "uColorPanel.h"
#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uNumberFields.h"

TFRangeColor::TFRangeColor(const TRangeColor& initial, QWidget* parent) : QDialog(parent), FColumn(initial.Column) {
  setWindowTitle(TranslateWord(QStringLiteral("Column")) + QLatin1Char(' ') + QString::number(initial.Column + 1));
  sFrom = NewNumberEdit(QStringLiteral("sFrom"), initial.From, this);
  sTo = NewNumberEdit(QStringLiteral("sTo"), initial.To, this);
  pColor = new TColorPanel(this);
  pColor->setObjectName(QStringLiteral("pColor"));
  pColor->SetColor(initial.Color);
  auto* form = new QFormLayout;
  form->addRow(TranslateWord(QStringLiteral("From")), sFrom);
  form->addRow(TranslateWord(QStringLiteral("To")), sTo);
  form->addRow(TranslateWord(QStringLiteral("Color")), pColor);
  btnBox = NewOkCancelButtons(this, QStringLiteral("data/table"));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(btnBox);
  connect(btnBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(btnBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(sFrom, &QLineEdit::textChanged, this, &TFRangeColor::UpdateOk);
  connect(sTo, &QLineEdit::textChanged, this, &TFRangeColor::UpdateOk);
  UpdateOk();
}

void TFRangeColor::UpdateOk() {
  double v = 0;
  btnBox->button(QDialogButtonBox::Ok)->setEnabled(ReadNumberField(sFrom, &v) && ReadNumberField(sTo, &v));
}

TRangeColor TFRangeColor::Result() const {
  TRangeColor r;
  r.Column = FColumn;
  r.Color = pColor->Color();
  ReadNumberField(sFrom, &r.From);
  ReadNumberField(sTo, &r.To);
  return r;
}

bool TFRangeColor::Choose(TRangeColor* range, QWidget* parent) {
  TFRangeColor dialog(*range, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  *range = dialog.Result();
  return true;
}
