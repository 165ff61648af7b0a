#include "uDialogButtons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

#include "uLanguageUi.h"
#include "uUiServices.h"

QDialogButtonBox* NewOkCancelButtons(QDialog* owner, const QString& helpTopic) {
  auto buttons = QDialogButtonBox::Ok | QDialogButtonBox::Cancel;
  if (!helpTopic.isEmpty()) buttons |= QDialogButtonBox::Help;
  auto* box = new QDialogButtonBox(buttons, owner);
  TranslateButtonBox(box);
  QPushButton* ok = box->button(QDialogButtonBox::Ok);
  ok->setObjectName(QStringLiteral("btnOK"));
  ok->setDefault(true);
  QPushButton* cancel = box->button(QDialogButtonBox::Cancel);
  cancel->setObjectName(QStringLiteral("btnCancel"));
  if (QPushButton* help = box->button(QDialogButtonBox::Help)) {
    help->setObjectName(QStringLiteral("btnHelp"));
    // Help must not close the dialog: the box's helpRequested does not.
    QObject::connect(box, &QDialogButtonBox::helpRequested, box, [helpTopic] { Ui().ShowHelp(helpTopic); });
  }
  return box;
}
