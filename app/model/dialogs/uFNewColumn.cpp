#include "uFNewColumn.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "uDataObject.h"
#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uNumberFields.h"
#include "uUiServices.h"

namespace {
QLineEdit* Edit(const char* name, const QString& text, QWidget* parent) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(QString::fromLatin1(name));
  return edit;
}
}  // namespace

TFNewColumn::TFNewColumn(TPrintObject* column, QWidget* parent) : QDialog(parent), FColumn(column) {
  setObjectName(QStringLiteral("TFNewColumn"));
  setWindowTitle(TranslateGeneral(QStringLiteral("NewColumn"), QStringLiteral("New column")) + QStringLiteral(": ") +
                 TranslateKindName(column->GetKind()));
  const auto* data = dynamic_cast<const TDataObject*>(column);
  sName = Edit("sName", data ? data->Name() : column->Caption(), this);
  sName->setEnabled(data != nullptr);
  sLeft = NewMillimetreEdit(QStringLiteral("sLeft"), column->Left(), this);
  sRight = NewMillimetreEdit(QStringLiteral("sRight"), column->Left() + column->GetWidth(), this);
  auto* form = new QFormLayout();
  form->addRow(TranslateGeneral(QStringLiteral("Name"), QStringLiteral("Name")), sName);
  form->addRow(TranslateGeneral(QStringLiteral("LeftSide"), QStringLiteral("Left side")), sLeft);
  form->addRow(TranslateGeneral(QStringLiteral("RightSide"), QStringLiteral("Right side")), sRight);
  QDialogButtonBox* buttons = NewOkCancelButtons(this);
  connect(buttons->button(QDialogButtonBox::Ok), &QPushButton::clicked, this, [this] { btnOKClick(); });
  connect(buttons->button(QDialogButtonBox::Cancel), &QPushButton::clicked, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void TFNewColumn::btnOKClick() {
  double left = 0, right = 0;
  // A column needs room: its right side lies right of its left side.
  if (!ReadMillimetreField(sLeft, FColumn->Left(), &left) ||
      !ReadMillimetreField(sRight, FColumn->Left() + FColumn->GetWidth(), &right) || right <= left) {
    Ui().Message(
        TMsgKind::Error, windowTitle(),
        TranslateError(QStringLiteral("WrongParameters"), QStringLiteral("One or more parameters are corrupted")),
        mbOK);
    return;
  }
  FColumn->SetLeft(left);
  FColumn->SetWidth(right - left);
  if (auto* data = dynamic_cast<TDataObject*>(FColumn); data && !sName->text().trimmed().isEmpty())
    data->SetName(sName->text().trimmed());
  accept();
}

bool TFNewColumn::Execute(TPrintObject* column) {
  if (!column) return false;
  TFNewColumn dialog(column);
  return dialog.exec() == QDialog::Accepted;
}
