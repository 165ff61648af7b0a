#include "uFImport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "uDialogButtons.h"
#include "uImportColumns.h"
#include "uLanguage.h"

namespace {
QString T(const QString& key, const QString& def) { return Translate(QStringLiteral("TABLE"), key, def); }

// "A", "B", ... "Z", "AA", ...
QString ColumnLetter(int column) {
  QString s;
  for (int n = column + 1; n > 0; n = (n - 1) / 26) s.prepend(QChar(u'A' + (n - 1) % 26));
  return s;
}
}  // namespace

TfImport::TfImport(TColumnImport* import, QWidget* parent) : QDialog(parent), FImport(import) {
  setWindowTitle(T(QStringLiteral("import"), QStringLiteral("Import")));
  auto* form = new QFormLayout;
  const QString column = T(QStringLiteral("Column"), QStringLiteral("Column"));
  const QString notUsed = T(QStringLiteral("DoNotUse"), QStringLiteral("Do not use"));
  for (int k = 1; k <= import->ParameterCount(); ++k) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(QStringLiteral("cbColumn%1").arg(k));
    for (int c = 0; c < import->Table.ColCount(); ++c) combo->addItem(column + QLatin1Char(' ') + ColumnLetter(c), c);
    if (import->Optional(k)) combo->addItem(notUsed, TColumnImport::kNotUsed);
    combo->setCurrentIndex(combo->findData(import->Column(k)));
    connect(combo, &QComboBox::currentIndexChanged, this, [this] { UpdateOk(); });
    form->addRow(import->Caption(k), combo);
    cbColumns.push_back(combo);
  }
  seStart = new QSpinBox(this);
  seStart->setObjectName(QStringLiteral("seStart"));
  seStart->setRange(1, import->Table.RowCount() + 1);
  seStart->setValue(std::clamp(import->StartRow, 1, import->Table.RowCount() + 1));
  form->addRow(T(QStringLiteral("ImportFromString"), QStringLiteral("Import from string:")), seStart);
  chEmptyBlocks = new QCheckBox(T(QStringLiteral("CreateEmptyBlocks"), QStringLiteral("Create empty blocks")), this);
  chEmptyBlocks->setChecked(import->CreateEmptyBlocks);
  btnBox = NewOkCancelButtons(this, QStringLiteral("common/import"));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(chEmptyBlocks);
  layout->addWidget(btnBox);
  connect(btnBox, &QDialogButtonBox::accepted, this, [this] {
    Store();
    accept();
  });
  connect(btnBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
  UpdateOk();
}

void TfImport::UpdateOk() {
  bool complete = true;
  for (QComboBox* combo : cbColumns) complete = complete && combo->currentIndex() >= 0;
  btnBox->button(QDialogButtonBox::Ok)->setEnabled(complete);
}

void TfImport::Store() {
  for (size_t i = 0; i < cbColumns.size(); ++i) {
    const int index = cbColumns[i]->currentIndex();
    FImport->SetColumn(static_cast<int>(i) + 1,
                       index >= 0 ? cbColumns[i]->itemData(index).toInt() : TColumnImport::kNoChoice);
  }
  FImport->StartRow = seStart->value();
  FImport->CreateEmptyBlocks = chEmptyBlocks->isChecked();
}

bool TfImport::Edit(TColumnImport* import, QWidget* parent) {
  TfImport dialog(import, parent);
  return dialog.exec() == QDialog::Accepted && import->Complete();
}
