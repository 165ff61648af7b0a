#include "uFTable.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMenu>
#include <QToolBar>
#include <QVBoxLayout>

#include "uDialogButtons.h"
#include "uFontEditing.h"
#include "uLanguage.h"
#include "uPrintTable.h"
#include "uTableEdits.h"
#include "uTableGrid.h"
#include "uUiServices.h"

namespace {

QString T(const QString& key, const QString& def) { return Translate(QStringLiteral("TABLE"), key, def); }

}  // namespace

TfTable::TfTable(TPrintTable* table, QWidget* parent) : QDialog(parent), FTable(table) {
  FWork.Assign(table->Table());
  setWindowTitle(table->Name());
  gTable = new TTableGrid(&FWork, this);
  gTable->setObjectName(QStringLiteral("gTable"));
  gTable->SetPixelsPerMM(gTable->ReadablePixelsPerMM(kPixelsPerMM));
  gTable->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(gTable, &QWidget::customContextMenuRequested, this, &TfTable::ContextMenu);

  auto* tools = new QToolBar(this);
  QAction* open =
      NewAction(QStringLiteral("TableOpen"), QStringLiteral("Open..."), QStringLiteral("Import the table from a file"));
  connect(open, &QAction::triggered, this, [this] { OpenFile(); });
  QAction* save =
      NewAction(QStringLiteral("TableSave"), QStringLiteral("Save..."), QStringLiteral("Export the table to a file"));
  connect(save, &QAction::triggered, this, [this] { SaveFile(); });
  QAction* font =
      NewAction(QStringLiteral("TableFont"), QStringLiteral("Font..."), QStringLiteral("Font of the table"));
  connect(font, &QAction::triggered, this, &TfTable::EditTableFont);
  QAction* help = NewAction(QStringLiteral("TableHelp"), QStringLiteral("Help"), QStringLiteral("Help on tables"));
  connect(help, &QAction::triggered, this, [] { Ui().ShowHelp(QStringLiteral("data/table")); });
  tools->addActions({open, save, font, help});

  pmGrid = new QMenu(this);
  pmGrid->setObjectName(QStringLiteral("pmGrid"));
  const auto item = [this](const QString& key, const char* text, const char* hint, auto slot) {
    QAction* a = NewAction(key, QString::fromUtf8(text), QString::fromUtf8(hint));
    connect(a, &QAction::triggered, this, slot);
    pmGrid->addAction(a);
  };
  item(QStringLiteral("Copy"), "Copy", "Copy the selected cells", [this] { gTable->CopySelection(); });
  item(QStringLiteral("Paste"), "Paste", "Paste cells from the clipboard", [this] { gTable->PasteClipboard(); });
  pmGrid->addSeparator();
  item(QStringLiteral("RotateCW"), "Rotate clockwise", "Rotate the table clockwise", [this] { RotateClockwise(); });
  item(QStringLiteral("RotateCCW"), "Rotate counter-clockwise", "Rotate the table counter-clockwise",
       [this] { RotateCounterClockwise(); });
  item(QStringLiteral("FlipVert"), "Flip vertical", "Reverse the order of the rows", [this] { FlipVertical(); });
  item(QStringLiteral("FlipHorz"), "Flip horizontal", "Reverse the order of the columns", [this] { FlipHorizontal(); });
  pmGrid->addSeparator();
  item(QStringLiteral("SetWidth"), "Set width", "Make this column's width the default width",
       [this] { SetWidthFrom(FMenuCol); });
  item(QStringLiteral("SetHeight"), "Set height", "Make this row's height the default height",
       [this] { SetHeightFrom(FMenuRow); });
  pmGrid->addSeparator();
  item(QStringLiteral("InsertRow"), "Insert row", "Insert a row above this one", [this] { InsertRow(FMenuRow); });
  item(QStringLiteral("AddRow"), "Add row", "Add a row", [this] { InsertRow(FWork.RowCount()); });
  item(QStringLiteral("InsertCol"), "Insert column", "Insert a column left of this one",
       [this] { InsertColumn(FMenuCol); });
  item(QStringLiteral("AddCol"), "Add column", "Add a column", [this] { InsertColumn(FWork.ColCount()); });
  item(QStringLiteral("DeleteCol"), "Delete column", "Delete the column", [this] { DeleteColumn(FMenuCol); });
  item(QStringLiteral("DeleteRow"), "Delete row", "Delete the row", [this] { DeleteRow(FMenuRow); });

  auto* buttons = NewOkCancelButtons(this, QStringLiteral("data/table"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    Store();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tools);
  layout->addWidget(gTable);
  layout->addWidget(buttons);
  resize(640, 480);
}

QAction* TfTable::NewAction(const QString& key, const QString& text, const QString& hint) {
  auto* a = new QAction(T(key + QStringLiteral(".Text"), text), this);
  a->setObjectName(QStringLiteral("act") + key);
  a->setToolTip(T(key + QStringLiteral(".Hint"), hint));
  a->setStatusTip(a->toolTip());
  return a;
}

void TfTable::ContextMenu(const QPoint& pos) {
  const QModelIndex at = gTable->indexAt(pos);
  FMenuRow = at.isValid() ? at.row() : gTable->currentIndex().row();
  FMenuCol = at.isValid() ? at.column() : gTable->currentIndex().column();
  pmGrid->popup(gTable->viewport()->mapToGlobal(pos));
}

void TfTable::Reload() { gTable->Reload(); }

void TfTable::RotateClockwise() {
  gTable->StoreSizes();
  RotateTableClockwise(&FWork);
  Reload();
}

void TfTable::RotateCounterClockwise() {
  gTable->StoreSizes();
  RotateTableCounterClockwise(&FWork);
  Reload();
}

void TfTable::FlipVertical() {
  gTable->StoreSizes();
  FlipTableVertical(&FWork);
  Reload();
}

void TfTable::FlipHorizontal() {
  gTable->StoreSizes();
  FlipTableHorizontal(&FWork);
  Reload();
}

void TfTable::SetWidthFrom(int column) {
  if (column < 0 || column >= FWork.ColCount()) return;
  gTable->StoreSizes();
  // As with a grid's default width: every column takes it.
  FWork.DefaultColWidth = FWork.ColWidths[static_cast<size_t>(column)];
  std::fill(FWork.ColWidths.begin(), FWork.ColWidths.end(), FWork.DefaultColWidth);
  Reload();
}

void TfTable::SetHeightFrom(int row) {
  if (row < 0 || row >= FWork.RowCount()) return;
  gTable->StoreSizes();
  FWork.DefaultRowHeight = FWork.RowHeights[static_cast<size_t>(row)];
  std::fill(FWork.RowHeights.begin(), FWork.RowHeights.end(), FWork.DefaultRowHeight);
  Reload();
}

void TfTable::DeleteColumn(int column) {
  gTable->StoreSizes();
  if (DeleteTableColumn(&FWork, column)) Reload();
}

void TfTable::DeleteRow(int row) {
  gTable->StoreSizes();
  if (FWork.DeleteRow(row)) Reload();
}

void TfTable::InsertRow(int row) {
  gTable->StoreSizes();
  if (InsertTableRow(&FWork, std::max(row, 0))) Reload();
}

void TfTable::InsertColumn(int column) {
  gTable->StoreSizes();
  if (InsertTableColumn(&FWork, std::max(column, 0))) Reload();
}

bool TfTable::OpenFile() {
  gTable->StoreSizes();
  const HRESULT hr = FWork.ImportWithDialog();
  if (hr == E_FAIL) Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Import")), FWork.LastError(), mbOK);
  Reload();
  return hr == S_OK;
}

bool TfTable::SaveFile() {
  const HRESULT hr = FWork.ExportWithDialog();
  if (hr == E_FAIL) Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Export")), FWork.LastError(), mbOK);
  return hr == S_OK;
}

void TfTable::EditTableFont() {
  if (EditFontWithDialog(&FWork.Font, TranslateWord(QStringLiteral("Font")))) FWork.Font.Format |= DT_SINGLELINE;
}

void TfTable::Store() {
  // A cell still being edited holds what the user sees.
  gTable->setCurrentIndex(QModelIndex());
  gTable->StoreSizes();
  FTable->Table().Assign(FWork);
  FTable->Table().Font.Format |= DT_SINGLELINE;
}

bool TfTable::Execute(TPrintObject* object) {
  auto* table = dynamic_cast<TPrintTable*>(object);
  if (!table) return false;
  TfTable dialog(table);
  return dialog.exec() == QDialog::Accepted;
}
