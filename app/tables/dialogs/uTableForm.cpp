#include "uTableForm.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QSpinBox>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "uDialogButtons.h"
#include "uDrawContext.h"
#include "uFRangeColor.h"
#include "uFontEditing.h"
#include "uIntervalImport.h"
#include "uLanguage.h"
#include "uPrintDeepTable.h"
#include "uPrintHeader.h"
#include "uSettings.h"
#include "uTableEdits.h"
#include "uTableGrid.h"
#include "uUiServices.h"

namespace {

QString T(const QString& key, const QString& def) { return Translate(QStringLiteral("TABLE"), key, def); }

}  // namespace

TTableForm::TTableForm(TPrintDeepTable* table, QWidget* parent) : QDialog(parent), FTable(table) {
  FWork.Assign(table->Table());
  FWork.AutoColumns = false;
  setWindowTitle(table->Name());
  gTable = new TTableGrid(&FWork, this);
  gTable->setObjectName(QStringLiteral("gTable"));
  gTable->TableModel()->ShowColors = true;
  gTable->SetPixelsPerMM(gTable->ReadablePixelsPerMM(kPixelsPerMM));

  auto* rows = new QToolBar(this);
  connect(NewAction(QStringLiteral("AddRow"), "Add row", "Add a row"), &QAction::triggered, this, &TTableForm::AddRow);
  connect(NewAction(QStringLiteral("DeleteRow"), "Delete row", "Delete the row"), &QAction::triggered, this,
          &TTableForm::DeleteRow);
  connect(NewAction(QStringLiteral("RowUp"), "Row up", "Move the row up"), &QAction::triggered, this,
          [this] { MoveRow(-1); });
  connect(NewAction(QStringLiteral("RowDown"), "Row down", "Move the row down"), &QAction::triggered, this,
          [this] { MoveRow(1); });
  connect(NewAction(QStringLiteral("AddCol"), "Add column", "Add a column"), &QAction::triggered, this,
          &TTableForm::AddColumn);
  connect(NewAction(QStringLiteral("DeleteCol"), "Delete column", "Delete the column"), &QAction::triggered, this,
          &TTableForm::DeleteColumn);
  const QList<QAction*> all = actions();
  rows->addActions(all);

  auto* colors = new QToolBar(this);
  const auto colorAction = [&](const QString& key, const char* text, const char* hint,
                               void (TTableForm::*apply)(uint32_t)) {
    connect(NewAction(key, text, hint), &QAction::triggered, this, [this, apply] {
      uint32_t color = 0;
      if (AskColor(&color)) (this->*apply)(color);
    });
    colors->addAction(actions().last());
  };
  colorAction(QStringLiteral("ColorCell"), "Cell colour", "Colour of the current cell", &TTableForm::ColorCell);
  colorAction(QStringLiteral("ColorRow"), "Row colour", "Colour of the current row", &TTableForm::ColorRow);
  colorAction(QStringLiteral("ColorCol"), "Column colour", "Colour of the current column", &TTableForm::ColorColumn);
  colorAction(QStringLiteral("ColorAll"), "Table colour", "Colour of the whole table", &TTableForm::ColorAll);
  connect(NewAction(QStringLiteral("ColorRange"), "Colour by range...", "Colour rows by a value range"),
          &QAction::triggered, this, [this] { ColorByRange(); });
  colors->addAction(actions().last());
  connect(NewAction(QStringLiteral("ColorTemplate"), "Colour by template...", "Colour rows by a template file"),
          &QAction::triggered, this, [this] { ColorByTemplate(); });
  colors->addAction(actions().last());

  auto* files = new QToolBar(this);
  connect(NewAction(QStringLiteral("TableOpen"), "Open...", "Import the table from a file"), &QAction::triggered, this,
          [this] { ImportFile(); });
  files->addAction(actions().last());
  connect(NewAction(QStringLiteral("ImportIntervals"), "Import intervals...",
                    "Import depth intervals and their values from a table file"),
          &QAction::triggered, this, [this] { ImportIntervalTable(); });
  files->addAction(actions().last());
  connect(NewAction(QStringLiteral("TableSave"), "Save...", "Export the table to a file"), &QAction::triggered, this,
          [this] { ExportFile(); });
  files->addAction(actions().last());
  connect(NewAction(QStringLiteral("TableFont"), "Font...", "Font of the table"), &QAction::triggered, this,
          [this] { EditFontWithDialog(&FWork.Font, TranslateWord(QStringLiteral("Font"))); });
  files->addAction(actions().last());
  connect(NewAction(QStringLiteral("Copy"), "Copy", "Copy the selected cells"), &QAction::triggered, this,
          [this] { gTable->CopySelection(); });
  files->addAction(actions().last());
  connect(NewAction(QStringLiteral("Paste"), "Paste", "Paste cells from the clipboard"), &QAction::triggered, this,
          [this] { gTable->PasteClipboard(); });
  files->addAction(actions().last());

  seStart = new QSpinBox(this);
  seStart->setObjectName(QStringLiteral("seStart"));
  seEnd = new QSpinBox(this);
  seEnd->setObjectName(QStringLiteral("seEnd"));
  for (QSpinBox* s : {seStart, seEnd}) s->setRange(1, 1'000'000);
  seStart->setValue(std::max(table->StartColumn, 0) + 1);
  seEnd->setValue(std::max(table->EndColumn, 0) + 1);
  auto* columns = new QFormLayout;
  columns->addRow(T(QStringLiteral("StartColumn"), QStringLiteral("Column of the top depth")), seStart);
  columns->addRow(T(QStringLiteral("EndColumn"), QStringLiteral("Column of the bottom depth")), seEnd);

  auto* buttons = NewOkCancelButtons(this, QStringLiteral("data/table"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    Store();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(files);
  layout->addWidget(rows);
  layout->addWidget(colors);
  layout->addLayout(columns);
  layout->addWidget(gTable);
  layout->addWidget(buttons);
  resize(760, 560);
}

QAction* TTableForm::NewAction(const QString& key, const char* text, const char* hint) {
  auto* a = new QAction(T(key + QStringLiteral(".Text"), QString::fromUtf8(text)), this);
  a->setObjectName(QStringLiteral("act") + key);
  a->setToolTip(T(key + QStringLiteral(".Hint"), QString::fromUtf8(hint)));
  addAction(a);
  return a;
}

void TTableForm::Reload() { gTable->Reload(); }

void TTableForm::AddRow() {
  gTable->StoreSizes();
  const int at = gTable->currentIndex().isValid() ? gTable->currentIndex().row() + 1 : FWork.RowCount();
  if (FWork.ColCount() == 0) FWork.SetColCount(2);
  InsertTableRow(&FWork, at);
  Reload();
  gTable->setCurrentIndex(gTable->model()->index(at, 0));
}

void TTableForm::DeleteRow() {
  const QModelIndex current = gTable->currentIndex();
  if (!current.isValid()) return;
  gTable->StoreSizes();
  FWork.DeleteRow(current.row());
  Reload();
}

void TTableForm::MoveRow(int by) {
  const QModelIndex current = gTable->currentIndex();
  if (!current.isValid()) return;
  gTable->StoreSizes();
  if (!MoveTableRow(&FWork, current.row(), current.row() + by)) return;
  Reload();
  gTable->setCurrentIndex(gTable->model()->index(current.row() + by, current.column()));
}

void TTableForm::AddColumn() {
  gTable->StoreSizes();
  const int at = gTable->currentIndex().isValid() ? gTable->currentIndex().column() + 1 : FWork.ColCount();
  InsertTableColumn(&FWork, at);
  Reload();
}

void TTableForm::DeleteColumn() {
  const QModelIndex current = gTable->currentIndex();
  if (!current.isValid()) return;
  gTable->StoreSizes();
  DeleteTableColumn(&FWork, current.column());
  Reload();
}

bool TTableForm::AskColor(uint32_t* color) {
  const QModelIndex current = gTable->currentIndex();
  const uint32_t initial =
      current.isValid() ? static_cast<uint32_t>(FWork.GetCellData(current.column(), current.row())) : 0;
  QColor chosen;
  if (!Ui().ChooseColor(ColorRefToQColor(initial), &chosen) || !chosen.isValid()) return false;
  *color = QColorToColorRef(chosen);
  return true;
}

void TTableForm::ColorCell(uint32_t color) {
  const TCellRange range = gTable->SelectedRange();
  for (int r = range.Top; r <= range.Bottom; ++r)
    for (int c = range.Left; c <= range.Right; ++c) FWork.SetCellData(c, r, static_cast<int32_t>(color));
  Reload();
}

void TTableForm::ColorRow(uint32_t color) {
  const QModelIndex current = gTable->currentIndex();
  if (!current.isValid()) return;
  for (int c = 0; c < FWork.ColCount(); ++c) FWork.SetCellData(c, current.row(), static_cast<int32_t>(color));
  Reload();
}

void TTableForm::ColorColumn(uint32_t color) {
  const QModelIndex current = gTable->currentIndex();
  if (!current.isValid()) return;
  for (int r = 0; r < FWork.RowCount(); ++r) FWork.SetCellData(current.column(), r, static_cast<int32_t>(color));
  Reload();
}

void TTableForm::ColorAll(uint32_t color) {
  for (int r = 0; r < FWork.RowCount(); ++r)
    for (int c = 0; c < FWork.ColCount(); ++c) FWork.SetCellData(c, r, static_cast<int32_t>(color));
  Reload();
}

bool TTableForm::ColorByRange() {
  const QModelIndex current = gTable->currentIndex();
  if (!current.isValid()) return false;
  TRangeColor range;
  range.Column = current.column();
  range.Color = static_cast<uint32_t>(FWork.GetCellData(current.column(), current.row()));
  if (!TFRangeColor::Choose(&range, this)) return false;
  ColorTableRange(&FWork, range.Column, range.Color, range.From, range.To);
  Reload();
  return true;
}

bool TTableForm::ColorByTemplate() {
  TFileDialogOptions options;
  options.Title = T(QStringLiteral("ColorTemplate.Text"), QStringLiteral("Colour by template..."));
  options.Filter = QStringLiteral("XLS|*.xls");
  options.FileName = QDir(ProgramDir()).filePath(QStringLiteral("Color"));
  QString name;
  int filter = 1;
  if (!Ui().OpenFileName(options, &name, &filter)) return false;
  TStringTable rules;
  if (rules.ImportFile(name) != S_OK) {
    if (!rules.LastError().isEmpty())
      Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Import")), rules.LastError(), mbOK);
    return false;
  }
  ColorTableByTemplate(&FWork, rules);
  Reload();
  return true;
}

bool TTableForm::ImportFile() {
  gTable->StoreSizes();
  const int cols = FWork.ColCount();
  const HRESULT hr = FWork.ImportWithDialog();
  if (hr == E_FAIL) Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Import")), FWork.LastError(), mbOK);
  // A table with no columns yet takes the file's; otherwise its own stay.
  if (hr == S_OK && cols > 0) FWork.SetColCount(std::max(cols, FWork.ColCount()));
  Reload();
  return hr == S_OK;
}

bool TTableForm::ImportIntervalTable() {
  QString error;
  // Not ImportIntervalsFor: the dialog's edits wait for OK, so the head's well
  // is proposed but not filled in from here.
  const std::unique_ptr<TStringTable> intervals =
      ImportIntervals(QString(), &error, FTable ? DocumentHeadValue(FTable, QStringLiteral("WELL")) : QString(),
                      /*byColumn=*/true);
  if (!intervals) {
    if (!error.isEmpty()) Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Import")), error, mbOK);
    return false;
  }
  gTable->StoreSizes();
  FillTableFromIntervals(&FWork, *intervals, seStart->value() - 1, seEnd->value() - 1);
  Reload();
  return true;
}

bool TTableForm::ExportFile() {
  const HRESULT hr = FWork.ExportWithDialog();
  if (hr == E_FAIL) Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Export")), FWork.LastError(), mbOK);
  return hr == S_OK;
}

void TTableForm::Store() {
  gTable->setCurrentIndex(QModelIndex());
  gTable->StoreSizes();
  FTable->Table().Assign(FWork);
  FTable->Table().AutoColumns = false;
  FTable->StartColumn = seStart->value() - 1;
  FTable->EndColumn = seEnd->value() - 1;
}

bool TTableForm::Execute(TPrintObject* object) {
  auto* table = dynamic_cast<TPrintDeepTable*>(object);
  if (!table) return false;
  TTableForm dialog(table);
  return dialog.exec() == QDialog::Accepted;
}
