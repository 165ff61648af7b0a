#include "uDialogButtons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

#include "uLanguageUi.h"

QDialogButtonBox* NewOkCancelButtons(QDialog* owner) {
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, owner);
  TranslateButtonBox(box);
  QPushButton* ok = box->button(QDialogButtonBox::Ok);
  ok->setObjectName(QStringLiteral("btnOK"));
  ok->setDefault(true);
  QPushButton* cancel = box->button(QDialogButtonBox::Cancel);
  cancel->setObjectName(QStringLiteral("btnCancel"));
  return box;
}
