#include "uFLC.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "uDialogButtons.h"
#include "uFLCEntry.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPrintStratCol.h"
#include "uRockNames.h"
#include "uSettings.h"
#include "uSignPixmaps.h"
#include "uStratColEntry.h"
#include "uStringTable.h"
#include "uUiServices.h"

namespace {

QString Num(double v) { return QString::fromStdString(FormatGeneral(v)); }

// From, To, then one column per sign.
constexpr int kFirstSignColumn = 2;

double CellNumber(const QTableWidgetItem* item) {
  if (!item) return std::numeric_limits<double>::quiet_NaN();
  return ReadNumber(item->text().trimmed().toStdString(), std::numeric_limits<double>::quiet_NaN());
}

// Sign cells choose from the database's names (a name not in it may be
// typed); the depth columns before them are edited as plain text.
class TSignCellDelegate : public QStyledItemDelegate {
 public:
  TSignCellDelegate(IStratDataBase* db, QObject* parent) : QStyledItemDelegate(parent), FDataBase(db) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (index.column() < kFirstSignColumn) return QStyledItemDelegate::createEditor(parent, option, index);
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->addItem(QString());
    combo->addItems(DataBaseSignNames(FDataBase));
    UseSignIcons(combo, FDataBase);
    UseSignCompleter(combo, FDataBase);
    return combo;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    if (auto* combo = qobject_cast<QComboBox*>(editor))
      combo->setCurrentText(index.data().toString());
    else
      QStyledItemDelegate::setEditorData(editor, index);
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    // A rock's whole name typed ("limestone, dolomitic") is stored as its code, as the import does.
    if (auto* combo = qobject_cast<QComboBox*>(editor))
      model->setData(index, TRockNames(FDataBase).CodeFor(combo->currentText().trimmed()));
    else
      QStyledItemDelegate::setModelData(editor, model, index);
  }

 private:
  IStratDataBase* FDataBase;
};

}  // namespace

TfLC::TfLC(TPrintStratCol* column, QWidget* parent) : QDialog(parent), FColumn(column) {
  setObjectName(QStringLiteral("TfLC"));
  setWindowTitle(column->Caption());
  FSaved = std::make_unique<TPrintStratCol>();
  FSaved->Assign(column);
  if (column->Layers().empty()) {
    const double top = column->TopDepth();
    if (TStratColEntry* e = column->AddLayer(top, top + 1)) {
      e->InsertSignName(0, QString());
      FPlaceholder = e;
      FPlaceholderTop = e->TopDepth();
      FPlaceholderBottom = e->BottomDepth();
    }
  }
  Grid = new QTableWidget(this);
  Grid->setObjectName(QStringLiteral("Grid"));
  Grid->installEventFilter(this);
  auto* delegate = new TSignCellDelegate(column->DataBase(), Grid);
  Grid->setItemDelegate(delegate);
  if (Settings().LdbIcon()) {
    const int rowHeight = std::clamp(Settings().LdbIconSize(), 12, 128);
    Grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    // A pixel of the row clear above and below the picture.
    FPictures = std::make_unique<TSignPixmapCache>(column->DataBase(), rowHeight - 2);
    Grid->setIconSize(QSize(FPictures->Size(), FPictures->Size()));
    FWatch = column->WatchDataBase([this] {
      FPictures->Clear();
      ShowSigns();
    });
  }
  connect(Grid, &QTableWidget::cellChanged, this, [this](int row, int col) {
    if (FFilling) return;
    WriteRow(row);
    if (col >= kFirstSignColumn) ShowSign(Grid->item(row, col));
  });

  auto button = [this](const QString& text, const char* name, auto slot) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QString::fromLatin1(name));
    connect(b, &QPushButton::clicked, this, slot);
    return b;
  };
  auto* tools = new QHBoxLayout;
  tools->addWidget(button(TranslateGeneral(QStringLiteral("InsertRow"), QStringLiteral("Insert row")), "btnInsertRow",
                          [this] { InsertRow(); }));
  tools->addWidget(button(TranslateGeneral(QStringLiteral("DeleteRow"), QStringLiteral("Delete row")), "btnDeleteRow",
                          [this] { DeleteRow(); }));
  tools->addWidget(button(TranslateGeneral(QStringLiteral("InsertColumn"), QStringLiteral("Insert column")),
                          "btnInsertColumn", [this] { InsertColumn(); }));
  tools->addWidget(button(TranslateGeneral(QStringLiteral("DeleteColumn"), QStringLiteral("Delete column")),
                          "btnDeleteColumn", [this] { DeleteColumn(); }));
  tools->addWidget(button(TranslateWord(QStringLiteral("Load")), "btnLoad", [this] { LoadTable(); }));
  tools->addWidget(button(TranslateWord(QStringLiteral("Save")), "btnSave", [this] { SaveTable(); }));
  tools->addWidget(button(TranslateWord(QStringLiteral("Replace")), "btnReplace", [this] { ReplaceSigns(); }));
  btnFloating = button(TranslateGeneral(QStringLiteral("CanSizeVert"), QStringLiteral("Boundary floating")),
                       "btnFloating", [this] {
                         FColumn->SetFloating(btnFloating->isChecked());
                         FColumn->SetModified(true);
                       });
  btnFloating->setCheckable(true);
  btnFloating->setChecked(FColumn->Floating());
  tools->addWidget(btnFloating);
  auto* dbButton = button(TranslateGeneral(QStringLiteral("LDBEdit"), QStringLiteral("Data base")), "btnDataBase",
                          [this] { FColumn->OpenDataBaseEditor(); });
  dbButton->setToolTip(TranslateGeneral(QStringLiteral("LDBEdit"), QStringLiteral("Data base")));
  tools->addWidget(dbButton);
  tools->addWidget(button(TranslateGeneral(QStringLiteral("UpdateTable"), QStringLiteral("Update Table")), "btnUpdate",
                          [this] { UpdateTable(); }));
  tools->addStretch();
  cbPreview = new QCheckBox(TranslateWord(QStringLiteral("Preview")), this);
  cbPreview->setObjectName(QStringLiteral("cbPreview"));
  auto* buttons = NewOkCancelButtons(this, QStringLiteral("data/stratcol"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(cbPreview);
  bottom->addStretch();
  bottom->addWidget(buttons);
  auto* root = new QVBoxLayout(this);
  root->addLayout(tools);
  root->addWidget(Grid, 1);
  root->addLayout(bottom);
  resize(760, 480);
  UpdateTable();
}

TfLC::~TfLC() { FColumn->UnwatchDataBase(FWatch); }

void TfLC::UpdateTable() {
  FFilling = true;
  const std::vector<TLayerRow> rows = FColumn->LayerRows();
  int signs = 1;
  for (const TLayerRow& r : rows) signs = std::max(signs, static_cast<int>(r.Signs.size()));
  Grid->clear();
  Grid->setColumnCount(kFirstSignColumn + signs);
  Grid->setRowCount(static_cast<int>(rows.size()));
  QStringList headers{TranslateWord(QStringLiteral("From")), TranslateWord(QStringLiteral("To"))};
  for (int k = 1; k <= signs; ++k)
    headers << TranslateWord(QStringLiteral("Ettle")) + QLatin1Char(' ') + QString::number(k);
  Grid->setHorizontalHeaderLabels(headers);
  // Sign columns as wide as their titles ("Sign properties 2").
  for (int c = kFirstSignColumn; c < Grid->columnCount(); ++c)
    Grid->setColumnWidth(c, std::max(Grid->columnWidth(c), Grid->horizontalHeader()->sectionSizeHint(c)));
  for (size_t i = 0; i < rows.size(); ++i) {
    const int r = static_cast<int>(i);
    Grid->setItem(r, 0, new QTableWidgetItem(Num(rows[i].TopDepth)));
    Grid->setItem(r, 1, new QTableWidgetItem(Num(rows[i].BottomDepth)));
    for (int k = 0; k < signs; ++k)
      Grid->setItem(r, kFirstSignColumn + k, new QTableWidgetItem(rows[i].Signs.value(k)));
  }
  FFilling = false;
  ShowSigns();
  // Wide enough for the names the cells hold (an unknown rock's name too), within reason.
  constexpr int kWidestSignColumn = 320;
  for (int c = kFirstSignColumn; c < Grid->columnCount(); ++c) {
    const int title = Grid->columnWidth(c);
    Grid->resizeColumnToContents(c);
    Grid->setColumnWidth(c, std::clamp(Grid->columnWidth(c), title, std::max(title, kWidestSignColumn)));
  }
}

void TfLC::ShowSign(QTableWidgetItem* item) {
  if (!item) return;
  const QString name = item->text().trimmed();
  // Setting roles reports the cell as changed: not a user's edit.
  const bool filling = std::exchange(FFilling, true);
  // The rock's name under the mouse; a name the database lacks whole, however narrow the cell.
  const QString caption = SignCaption(FColumn->DataBase(), name);
  item->setToolTip(caption.isEmpty() ? name : name + QStringLiteral("  ") + caption);
  if (!FPictures) {
    FFilling = filling;
    return;
  }
  const QPixmap picture = FPictures->Pixmap(name);
  item->setData(Qt::DecorationRole, picture.isNull() ? QVariant() : QVariant(picture));
  if (picture.isNull() && !name.isEmpty())
    item->setForeground(QColor(255, 0, 0));
  else
    item->setData(Qt::ForegroundRole, QVariant());
  FFilling = filling;
}

void TfLC::ShowSigns() {
  for (int r = 0; r < Grid->rowCount(); ++r)
    for (int c = kFirstSignColumn; c < Grid->columnCount(); ++c) ShowSign(Grid->item(r, c));
}

TLayerRow TfLC::RowOf(int row) const {
  TLayerRow r;
  r.TopDepth = CellNumber(Grid->item(row, 0));
  r.BottomDepth = CellNumber(Grid->item(row, 1));
  for (int c = kFirstSignColumn; c < Grid->columnCount(); ++c)
    r.Signs << (Grid->item(row, c) ? Grid->item(row, c)->text().trimmed() : QString());
  return r;
}

void TfLC::WriteRow(int row) {
  FColumn->SetLayerRow(row, RowOf(row));
  FColumn->Changed();
  if (cbPreview->isChecked()) FColumn->Invalidate(FColumn);
}

void TfLC::InsertRow() {
  const std::vector<TStratColEntry*> layers = FColumn->Layers();
  const int at = std::clamp(Grid->currentRow() < 0 ? static_cast<int>(layers.size()) : Grid->currentRow(), 0,
                            static_cast<int>(layers.size()));
  double top = at > 0 ? layers[static_cast<size_t>(at - 1)]->BottomDepth() : FColumn->TopDepth();
  double bottom = at < static_cast<int>(layers.size()) ? layers[static_cast<size_t>(at)]->TopDepth() : top + 1;
  if (!(bottom > top)) bottom = top + 1;
  auto made = std::make_unique<TStratColEntry>();
  TStratColEntry* e = made.get();
  // Placed by position among the children so that the grid row and the layer agree.
  const int childIndex =
      at < static_cast<int>(layers.size()) ? FColumn->IndexOf(layers[static_cast<size_t>(at)]) : FColumn->Count();
  if (FColumn->InsertChild(std::move(made), childIndex) < 0) return;
  e->SetDataBase(FColumn->DataBase());
  e->SetTopLine(FColumn->TopLine());
  e->SetTopDepth(top);
  e->SetBottomDepth(bottom);
  FColumn->Changed();
  UpdateTable();
  Grid->setCurrentCell(at, 0);
}

void TfLC::DeleteRow() {
  const int row = Grid->currentRow();
  const std::vector<TStratColEntry*> layers = FColumn->Layers();
  if (row < 0 || row >= static_cast<int>(layers.size()) || layers.size() < 2) return;
  FColumn->DeleteChild(FColumn->IndexOf(layers[static_cast<size_t>(row)]));
  UpdateTable();
}

void TfLC::InsertColumn() {
  const int c = std::max(Grid->currentColumn(), 1);
  for (TStratColEntry* e : FColumn->Layers()) e->InsertSignName(std::min(c - 1, e->SignCount()), QString());
  // The new column shows even while every layer's signs end before it.
  UpdateTable();
  if (Grid->columnCount() < c + 2) Grid->setColumnCount(c + 2);
}

void TfLC::DeleteColumn() {
  const int c = Grid->currentColumn();
  if (Grid->columnCount() <= kFirstSignColumn + 1 || c < kFirstSignColumn) return;
  bool filled = false;
  for (int r = 0; r < Grid->rowCount(); ++r)
    filled = filled || (Grid->item(r, c) && !Grid->item(r, c)->text().isEmpty());
  if (filled && !Confirm(QStringLiteral("DeleteColumn"),
                         Grid->horizontalHeaderItem(c) ? Grid->horizontalHeaderItem(c)->text() : QString()))
    return;
  for (TStratColEntry* e : FColumn->Layers()) e->DeleteSign(c - kFirstSignColumn);
  UpdateTable();
}

void TfLC::LoadTable() {
  TStringTable table;
  const HRESULT hr = table.ImportWithDialog();
  if (hr == R_CANCELLED) return;
  TLayerImportReport report;
  if (hr != S_OK || !FColumn->ImportLayersFrom(table, &report)) {
    Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Error")),
                 TranslateError(QStringLiteral("CantLoadFile"), QStringLiteral("Can't load file")), mbOK);
    return;
  }
  UpdateTable();
}

void TfLC::SaveTable() {
  TStringTable table;
  table.AutoColumns = false;
  table.SetColCount(Grid->columnCount());
  table.SetRowCount(Grid->rowCount() + 1);
  for (int c = 0; c < Grid->columnCount(); ++c) {
    if (Grid->horizontalHeaderItem(c)) table.SetCell(c, 0, Grid->horizontalHeaderItem(c)->text());
    for (int r = 0; r < Grid->rowCount(); ++r)
      if (Grid->item(r, c)) table.SetCell(c, r + 1, Grid->item(r, c)->text());
  }
  const HRESULT hr = table.ExportWithDialog();
  if (hr == E_FAIL) Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Error")), table.LastError(), mbOK);
}

QStringList TfLC::DistinctSigns() const {
  QStringList unknown, known;
  IStratDataBase* db = FColumn->DataBase();
  for (int r = 0; r < Grid->rowCount(); ++r)
    for (int c = kFirstSignColumn; c < Grid->columnCount(); ++c) {
      const QString name = Grid->item(r, c) ? Grid->item(r, c)->text() : QString();
      if (name.isEmpty() || unknown.contains(name) || known.contains(name)) continue;
      TComPtr<IStratSign> sign;
      if (db && db->FindByName(SignNameBytes(name), sign.Put()) == S_OK)
        known << name;
      else
        unknown.prepend(name);  // names the database lacks come first
    }
  return unknown + known;
}

int TfLC::ReplaceSign(const QString& from, const QString& to) {
  int n = 0;
  for (int r = 0; r < Grid->rowCount(); ++r) {
    bool changed = false;
    for (int c = kFirstSignColumn; c < Grid->columnCount(); ++c)
      if (QTableWidgetItem* item = Grid->item(r, c); item && item->text() == from) {
        FFilling = true;
        item->setText(to);
        FFilling = false;
        ShowSign(item);
        changed = true;
        ++n;
      }
    if (changed) WriteRow(r);
  }
  return n;
}

void TfLC::ReplaceSigns() {
  TFReplaceSign dialog(this);
  dialog.exec();
}

bool TfLC::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Grid && event->type() == QEvent::KeyPress) {  // an open cell editor has the keys itself
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Minus) {
      InsertRow();
      return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      Grid->setCurrentCell(std::min(Grid->currentRow() + 1, Grid->rowCount() - 1), Grid->currentColumn());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TfLC::accept() {
  // Ends the edit in progress so that its text reaches the layer.
  if (QWidget* editor = Grid->focusWidget(); editor && editor != Grid) Grid->setFocus();
  Grid->setCurrentCell(-1, -1);
  // The row offered to an empty column and left as it was is no layer of
  // the user's: OK keeps the column empty.
  const std::vector<TStratColEntry*> layers = FColumn->Layers();
  if (FPlaceholder && layers.size() == 1 && layers[0] == FPlaceholder && FPlaceholder->TopDepth() == FPlaceholderTop &&
      FPlaceholder->BottomDepth() == FPlaceholderBottom) {
    bool named = false;
    for (int i = 0; i < FPlaceholder->SignCount(); ++i) named = named || !FPlaceholder->GetSignName(i).isEmpty();
    if (!named) FColumn->Assign(FSaved.get());
  }
  FColumn->Invalidate(FColumn);
  QDialog::accept();
}

void TfLC::reject() {
  FColumn->Assign(FSaved.get());
  FColumn->Invalidate(FColumn);
  QDialog::reject();
}

TFReplaceSign::TFReplaceSign(TfLC* owner) : QDialog(owner), FOwner(owner) {
  setObjectName(QStringLiteral("TFReplaceSign"));
  setWindowTitle(TranslateWord(QStringLiteral("Replace")));
  cbReplace = new QComboBox(this);
  cbReplace->setObjectName(QStringLiteral("cbReplace"));
  cbReplace->addItems(owner->DistinctSigns());
  cbReplaceTo = new QComboBox(this);
  cbReplaceTo->setObjectName(QStringLiteral("cbReplaceTo"));
  // The last entry is the empty name.
  cbReplaceTo->addItems(DataBaseSignNames(owner->Column()->DataBase()));
  cbReplaceTo->addItem(TranslateWord(QStringLiteral("Empty")));
  btnReplace = new QPushButton(TranslateWord(QStringLiteral("Replace")), this);
  btnReplace->setObjectName(QStringLiteral("btnReplace"));
  auto* close = new QPushButton(TranslateWord(QStringLiteral("Close")), this);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnReplace, &QPushButton::clicked, this, [this] {
    const bool empty = cbReplaceTo->currentIndex() == cbReplaceTo->count() - 1;
    FOwner->ReplaceSign(cbReplace->currentText(), empty ? QString() : cbReplaceTo->currentText());
    cbReplace->clear();
    cbReplace->addItems(FOwner->DistinctSigns());
  });
  auto* form = new QFormLayout;
  form->addRow(TranslateWord(QStringLiteral("Replace")), cbReplace);
  form->addRow(TranslateWord(QStringLiteral("ReplaceTo")), cbReplaceTo);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(btnReplace);
  row->addWidget(close);
  auto* root = new QVBoxLayout(this);
  root->addLayout(form);
  root->addLayout(row);
}

bool RunStratColDialog(TPrintStratCol* column, QWidget* parent) {
  if (!column) return false;
  TfLC dialog(column, parent);
  return dialog.exec() == QDialog::Accepted;
}
