#include "uFObjectPos.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPrintObject.h"
#include "uUiServices.h"

namespace {

QLineEdit* NumberEdit(const QString& name, double value, QWidget* parent) {
  auto* edit = new QLineEdit(QString::fromStdString(FormatGeneral(value)), parent);
  edit->setObjectName(name);
  return edit;
}

double Parse(const QLineEdit* edit) {
  return ReadNumber(edit->text().toStdString(), std::numeric_limits<double>::quiet_NaN());
}

}  // namespace

TFObjectPos::TFObjectPos(TPrintObject* object, QWidget* parent) : QDialog(parent), FObject(object) {
  setObjectName(QStringLiteral("TFObjectPos"));
  setWindowTitle(object->Caption());
  auto* form = new QFormLayout();
  FLeft = NumberEdit(QStringLiteral("sLeft"), object->Left(), this);
  FTop = NumberEdit(QStringLiteral("sTop"), object->Top(), this);
  FWidth = NumberEdit(QStringLiteral("sWidth"), object->GetWidth(), this);
  FHeight = NumberEdit(QStringLiteral("sHeight"), object->GetHeight(), this);
  form->addRow(TranslateGeneral(QStringLiteral("Left"), QStringLiteral("Left")), FLeft);
  form->addRow(TranslateGeneral(QStringLiteral("Top"), QStringLiteral("Top")), FTop);
  form->addRow(TranslateGeneral(QStringLiteral("Width"), QStringLiteral("Width")), FWidth);
  form->addRow(TranslateGeneral(QStringLiteral("Height"), QStringLiteral("Height")), FHeight);
  QDialogButtonBox* buttons = NewOkCancelButtons(this);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
  connect(ok, &QPushButton::clicked, this, [this] { btnOKClick(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void TFObjectPos::btnOKClick() {
  const double values[4] = {Parse(FLeft), Parse(FTop), Parse(FWidth), Parse(FHeight)};
  for (double v : values) {
    if (std::isnan(v)) {
      Ui().Message(
          TMsgKind::Error, windowTitle(),
          TranslateError(QStringLiteral("WrongParameters"), QStringLiteral("One or more parameters are corrupted")),
          mbOK);
      return;  // the dialog stays open
    }
  }
  const double left = values[0];
  const double top = values[1];
  FObject->SetBoundsRect({left, top, left + values[2], top + values[3]});
  FObject->Changed();
  FObject->Invalidate(nullptr);
  accept();
}

bool TFObjectPos::Execute(TPrintObject* object) {
  if (!object) return false;
  TFObjectPos dialog(object);
  return dialog.exec() == QDialog::Accepted;
}
