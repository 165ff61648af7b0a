#include "uFObjectPos.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uNumberFields.h"
#include "uPrintObject.h"
#include "uUiServices.h"

TFObjectPos::TFObjectPos(TPrintObject* object, QWidget* parent) : QDialog(parent), FObject(object) {
  setObjectName(QStringLiteral("TFObjectPos"));
  setWindowTitle(object->Caption());
  auto* form = new QFormLayout();
  FLeft = NewMillimetreEdit(QStringLiteral("sLeft"), object->Left(), this);
  FTop = NewMillimetreEdit(QStringLiteral("sTop"), object->Top(), this);
  FWidth = NewMillimetreEdit(QStringLiteral("sWidth"), object->GetWidth(), this);
  FHeight = NewMillimetreEdit(QStringLiteral("sHeight"), object->GetHeight(), this);
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
  double values[4] = {};
  const QLineEdit* fields[4] = {FLeft, FTop, FWidth, FHeight};
  const double shown[4] = {FObject->Left(), FObject->Top(), FObject->GetWidth(), FObject->GetHeight()};
  for (int i = 0; i < 4; ++i) {
    if (!ReadMillimetreField(fields[i], shown[i], &values[i])) {
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
