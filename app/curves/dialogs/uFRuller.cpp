#include "uFRuller.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "uDialogButtons.h"
#include "uFontDialog.h"
#include "uLanguage.h"
#include "uNumberFields.h"

namespace {

// Invalid text gives `def`.
double Parse(const QLineEdit* edit, double def) { return FieldNumber(edit->text(), def); }

}  // namespace

TFRuller::TFRuller(const TRuller& ruller, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFRuller"));
  setWindowTitle(TranslateWord(QStringLiteral("Ruller")));
  FFont.Assign(ruller.HasFont() ? *ruller.Font() : TRuller::DefaultFont());

  sStep = NewNumberEdit(QStringLiteral("sStep"), ruller.Step(), this);
  sMarkSize = NewNumberEdit(QStringLiteral("sMarkSize"), ruller.MarkSize(), this);
  sModulus = NewNumberEdit(QStringLiteral("sModulus"), ruller.Modulus(), this);
  bAlignRight = new QCheckBox(TranslateWord(QStringLiteral("Right")), this);
  bAlignRight->setObjectName(QStringLiteral("bAlignRight"));
  bAlignRight->setChecked(ruller.Right());
  bFont = new QCheckBox(TranslateWord(QStringLiteral("Font")), this);
  bFont->setObjectName(QStringLiteral("bFont"));
  bFont->setChecked(ruller.HasFont());
  btnFont = new QPushButton(TranslateWord(QStringLiteral("Font")), this);
  btnFont->setObjectName(QStringLiteral("btnFont"));

  auto* form = new QFormLayout;
  form->addRow(TranslateWord(QStringLiteral("Step")), sStep);
  form->addRow(TranslateGeneral(QStringLiteral("MarkSize"), QStringLiteral("Mark size")), sMarkSize);
  form->addRow(TranslateWord(QStringLiteral("Modulus")), sModulus);
  auto* fontRow = new QHBoxLayout;
  fontRow->addWidget(bFont);
  fontRow->addWidget(btnFont);
  fontRow->addStretch(1);

  QDialogButtonBox* box = NewOkCancelButtons(this, QStringLiteral("data/rullers"));
  btnOK = box->button(QDialogButtonBox::Ok);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(sModulus, &QLineEdit::textChanged, this, &TFRuller::UpdateControls);
  connect(bFont, &QCheckBox::toggled, this, &TFRuller::UpdateControls);
  connect(btnFont, &QPushButton::clicked, this, &TFRuller::btnFontClick);

  auto* root = new QVBoxLayout(this);
  root->addLayout(form);
  root->addWidget(bAlignRight);
  root->addLayout(fontRow);
  root->addWidget(box);
  UpdateControls();
}

void TFRuller::UpdateControls() {
  // A zero modulus would put every mark on one line; the setter refuses it.
  const double modulus = Parse(sModulus, std::nan(""));
  btnOK->setEnabled(!std::isnan(modulus) && modulus != 0);
  btnFont->setEnabled(bFont->isChecked());
}

void TFRuller::btnFontClick() {
  TfFont dialog(FFont, QStringLiteral("10"), this);
  dialog.move(btnFont->mapToGlobal(QPoint(0, btnFont->height())));
  if (dialog.exec() == QDialog::Accepted) FFont.Assign(dialog.WorkFont());
}

void TFRuller::Apply(TRuller* ruller) const {
  if (!ruller) return;
  ruller->SetStep(Parse(sStep, ruller->Step()));
  ruller->SetModulus(Parse(sModulus, ruller->Modulus()));
  ruller->SetMarkSize(Parse(sMarkSize, ruller->MarkSize()));
  ruller->SetRight(bAlignRight->isChecked());
  if (bFont->isChecked())
    ruller->CreateFont()->Assign(FFont);
  else
    ruller->RemoveFont();
}

bool TFRuller::Edit(TRuller* ruller, QWidget* parent, const QPoint& at) {
  if (!ruller) return false;
  TFRuller dialog(*ruller, parent);
  if (!at.isNull()) dialog.move(at);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Apply(ruller);
  return true;
}
