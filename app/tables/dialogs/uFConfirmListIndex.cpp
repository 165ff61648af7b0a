#include "uFConfirmListIndex.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "uDialogButtons.h"
#include "uFDescRules.h"
#include "uFImport.h"
#include "uFImportTable.h"
#include "uFTable.h"
#include "uFValues.h"
#include "uFontDialog.h"
#include "uFontEditing.h"
#include "uImportColumns.h"
#include "uLanguage.h"
#include "uNamedValueList.h"
#include "uPropertiesDialogs.h"
#include "uTableForm.h"
#include "uTableImport.h"

TFConfirmListIndex::TFConfirmListIndex(const QString& caption, const QStringList& items, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(caption);
  // The question inside the dialog too: a title bar may be small, or absent.
  auto* question = new QLabel(caption, this);
  question->setObjectName(QStringLiteral("lQuestion"));
  lList = new QListWidget(this);
  lList->setObjectName(QStringLiteral("lList"));
  lList->addItems(items);
  if (!items.isEmpty()) lList->setCurrentRow(0);
  btnBox = NewOkCancelButtons(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(question);
  layout->addWidget(lList);
  layout->addWidget(btnBox);
  connect(btnBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(btnBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(lList, &QListWidget::itemDoubleClicked, this, [this] { lListDblClick(); });
  connect(lList, &QListWidget::currentRowChanged, this,
          [this](int row) { btnBox->button(QDialogButtonBox::Ok)->setEnabled(row >= 0); });
}

void TFConfirmListIndex::lListDblClick() {
  if (ItemIndex() >= 0) accept();
}

int TFConfirmListIndex::ItemIndex() const { return lList->currentRow(); }

int TFConfirmListIndex::Choose(const QString& caption, const QStringList& items, QWidget* parent) {
  TFConfirmListIndex dialog(caption, items, parent);
  if (dialog.exec() != QDialog::Accepted) return -1;
  return dialog.ItemIndex();
}

void RegisterTableDialogs() {
  SetImportChooser(
      [](const QString& caption, const QStringList& items) { return TFConfirmListIndex::Choose(caption, items); });
  SetColumnImportEditor([](TColumnImport* import) { return TfImport::Edit(import); });
  SetNamedValuesEditor([](TNamedValueList* values) { return TfValues::Edit(values); });
  SetFontEditor([](TFontEx* font, const QString&) { return EditFont(nullptr, font); });
  RegisterIntervalImportDialog();
  RegisterPropertiesDialog(QStringLiteral("TPrintTable"), &TfTable::Execute);
  RegisterPropertiesDialog(QStringLiteral("TPrintDeepTable"), &TTableForm::Execute);
  RegisterDescDialogs();
}
