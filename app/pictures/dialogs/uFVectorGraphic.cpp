#include "uFVectorGraphic.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uPrintVectorGraphic.h"

namespace {

constexpr int kColumns = 5;

// The command column edits with a list of the five commands (still open to
// typing: a table pasted or imported may hold anything).
class TCommandDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("cbCommand"));
    box->setEditable(true);
    for (int type = vgRect; type <= vgLineP; ++type) box->addItem(VGCommandName(type));
    return box;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    static_cast<QComboBox*>(editor)->setCurrentText(index.data().toString());
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    model->setData(index, static_cast<QComboBox*>(editor)->currentText());
  }
};

}  // namespace

TFVectorGraphic::TFVectorGraphic(TPrintVectorGraphic* graphic, QWidget* parent) : QDialog(parent), FGraphic(graphic) {
  setObjectName(QStringLiteral("TFVectorGraphic"));
  setWindowTitle(graphic->Caption());
  graphic->CommandsToTable(&FOriginal);
  FOriginalHeight = graphic->GetHeight();

  grid = new QTableWidget(FOriginal.RowCount(), kColumns, this);
  grid->setObjectName(QStringLiteral("grid"));
  grid->setHorizontalHeaderLabels({TranslateGeneral(QStringLiteral("VGCommand"), QStringLiteral("Command")),
                                   QStringLiteral("X1"),
                                   TranslateGeneral(QStringLiteral("VGDepth1"), QStringLiteral("Y1 (depth)")),
                                   TranslateGeneral(QStringLiteral("VGX2"), QStringLiteral("X2 / font size")),
                                   TranslateGeneral(QStringLiteral("VGDepth2"), QStringLiteral("Y2 (depth) / text"))});
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->setItemDelegateForColumn(0, new TCommandDelegate(grid));
  for (int row = 0; row < FOriginal.RowCount(); ++row)
    for (int col = 0; col < kColumns; ++col) grid->setItem(row, col, new QTableWidgetItem(FOriginal.GetCell(col, row)));
  connect(grid, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) { Preview(row); });

  auto* add = new QPushButton(TranslateWord(QStringLiteral("Add")), this);
  add->setObjectName(QStringLiteral("btnAdd"));
  connect(add, &QPushButton::clicked, this, &TFVectorGraphic::AddRow);
  auto* remove = new QPushButton(TranslateWord(QStringLiteral("Delete")), this);
  remove->setObjectName(QStringLiteral("btnDelete"));
  connect(remove, &QPushButton::clicked, this, &TFVectorGraphic::DeleteRow);
  auto* rowButtons = new QHBoxLayout;
  rowButtons->addWidget(add);
  rowButtons->addWidget(remove);
  rowButtons->addStretch();

  QDialogButtonBox* buttons = NewOkCancelButtons(this, QStringLiteral("data/vectorgraphic"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* root = new QVBoxLayout(this);
  root->addWidget(grid);
  root->addLayout(rowButtons);
  root->addWidget(buttons);
  resize(560, 360);
}

void TFVectorGraphic::GridToTable(TStringTable* table) const {
  table->Clear();
  table->SetColCount(kColumns);
  table->SetRowCount(grid->rowCount());
  for (int row = 0; row < grid->rowCount(); ++row)
    for (int col = 0; col < kColumns; ++col)
      if (const QTableWidgetItem* item = grid->item(row, col)) table->SetCell(col, row, item->text());
}

void TFVectorGraphic::Preview(int row) {
  TStringTable table;
  GridToTable(&table);
  FGraphic->CommandsFromTable(table);
  FGraphic->SetHighlighted(row);
  FGraphic->Invalidate(FGraphic);
}

void TFVectorGraphic::Apply() {
  TStringTable table;
  GridToTable(&table);
  FGraphic->Notify(ncBeforeChange);
  FGraphic->CommandsFromTable(table);
  FGraphic->SetHighlighted(-1);
  FGraphic->SetModified(true);
  FGraphic->Changed();
  FGraphic->Invalidate(nullptr);
}

void TFVectorGraphic::Restore() {
  FGraphic->CommandsFromTable(FOriginal);
  FGraphic->SetHeight(FOriginalHeight);
  FGraphic->SetHighlighted(-1);
  FGraphic->Invalidate(FGraphic);
}

void TFVectorGraphic::AddRow() {
  const int row = grid->currentRow() < 0 ? grid->rowCount() : grid->currentRow() + 1;
  grid->insertRow(row);
  for (int col = 0; col < kColumns; ++col) grid->setItem(row, col, new QTableWidgetItem);
  grid->setCurrentCell(row, 0);
}

void TFVectorGraphic::DeleteRow() {
  if (grid->currentRow() >= 0) grid->removeRow(grid->currentRow());
}

bool TFVectorGraphic::Execute(TPrintObject* object) {
  auto* graphic = dynamic_cast<TPrintVectorGraphic*>(object);
  if (!graphic) return false;
  TFVectorGraphic dialog(graphic);
  const bool ok = dialog.exec() == QDialog::Accepted;
  if (ok)
    dialog.Apply();
  else
    dialog.Restore();
  return ok;
}
