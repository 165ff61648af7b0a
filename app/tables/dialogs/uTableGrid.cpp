#include "uTableGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "uDrawContext.h"
#include "uNumbers.h"
#include "uStringTableEx.h"

QString ColumnLetters(int column) {
  QString s;
  for (int n = column + 1; n > 0; n = (n - 1) / 26) s.prepend(QChar(u'A' + (n - 1) % 26));
  return s;
}

TStringTableModel::TStringTableModel(TStringTableEx* table, QObject* parent)
    : QAbstractTableModel(parent), FTable(table) {}

void TStringTableModel::Reload() {
  beginResetModel();
  endResetModel();
}

int TStringTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !FTable ? 0 : FTable->RowCount();
}

int TStringTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() || !FTable ? 0 : FTable->ColCount();
}

QVariant TStringTableModel::data(const QModelIndex& index, int role) const {
  if (!FTable || !index.isValid()) return {};
  if (role == Qt::DisplayRole || role == Qt::EditRole) return FTable->GetCell(index.column(), index.row());
  if (ShowColors && role == Qt::ForegroundRole) {
    const auto value = static_cast<uint32_t>(FTable->GetCellData(index.column(), index.row()));
    if (value != 0) return ColorRefToQColor(value);
  }
  return {};
}

bool TStringTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!FTable || !index.isValid() || role != Qt::EditRole) return false;
  const QString text = value.toString();
  if (text == FTable->GetCell(index.column(), index.row())) return true;
  FTable->SetCell(index.column(), index.row(), text);
  emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
  return true;
}

QVariant TStringTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || !FTable) return {};
  if (orientation == Qt::Vertical) return section + 1;
  const QString header = FTable->GetHeader(section);
  return LetterHeaders || header.isEmpty() ? ColumnLetters(section) : header;
}

Qt::ItemFlags TStringTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

TTableGrid::TTableGrid(TStringTableEx* table, QWidget* parent) : QTableView(parent) {
  FModel = new TStringTableModel(table, this);
  setModel(FModel);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  connect(FModel, &QAbstractItemModel::dataChanged, this, [this] { emit TableEdited(); });
}

TStringTableEx* TTableGrid::Table() const { return FModel->Table(); }

void TTableGrid::Reload() {
  const QModelIndex current = currentIndex();
  FModel->Reload();
  ApplySizes();
  if (current.isValid() && FModel->rowCount() > 0 && FModel->columnCount() > 0)
    setCurrentIndex(FModel->index(std::min(current.row(), FModel->rowCount() - 1),
                                  std::min(current.column(), FModel->columnCount() - 1)));
}

TCellRange TTableGrid::SelectedRange() const {
  TCellRange range;
  const QModelIndexList selected = selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();
  if (selected.isEmpty()) {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return range;
    return {current.column(), current.row(), current.column(), current.row()};
  }
  range = {selected.first().column(), selected.first().row(), selected.first().column(), selected.first().row()};
  for (const QModelIndex& i : selected) {
    range.Left = std::min(range.Left, i.column());
    range.Right = std::max(range.Right, i.column());
    range.Top = std::min(range.Top, i.row());
    range.Bottom = std::max(range.Bottom, i.row());
  }
  return range;
}

void TTableGrid::CopySelection() {
  const TCellRange range = SelectedRange();
  if (range.Empty()) return;
  QApplication::clipboard()->setText(CopyTableRange(*Table(), range));
}

void TTableGrid::PasteClipboard() {
  const QString text = QApplication::clipboard()->text();
  if (text.isEmpty() || !Table()) return;
  const TCellRange selected = SelectedRange();
  const int col = selected.Empty() ? 0 : selected.Left;
  const int row = selected.Empty() ? 0 : selected.Top;
  const TCellRange written = PasteTableText(Table(), col, row, text, selected);
  if (written.Empty()) return;
  Reload();
  selectionModel()->select(
      QItemSelection(FModel->index(written.Top, written.Left), FModel->index(written.Bottom, written.Right)),
      QItemSelectionModel::ClearAndSelect);
  emit TableEdited();
}

void TTableGrid::ClearSelection() {
  const TCellRange range = SelectedRange();
  if (range.Empty()) return;
  for (int r = range.Top; r <= range.Bottom; ++r)
    for (int c = range.Left; c <= range.Right; ++c) Table()->SetCell(c, r, QString());
  emit FModel->dataChanged(FModel->index(range.Top, range.Left), FModel->index(range.Bottom, range.Right));
}

void TTableGrid::keyPressEvent(QKeyEvent* event) {
  if (state() != QAbstractItemView::EditingState) {
    if (event->matches(QKeySequence::Copy)) {
      CopySelection();
      return;
    }
    if (event->matches(QKeySequence::Paste)) {
      PasteClipboard();
      return;
    }
    if (event->key() == Qt::Key_Delete) {
      ClearSelection();
      return;
    }
  }
  QTableView::keyPressEvent(event);
}

bool TTableGrid::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTableView::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QModelIndex index = indexAt(help->pos());
  const QString text = index.isValid() ? model()->data(index, Qt::DisplayRole).toString() : QString();
  const QRect cell = visualRect(index);
  // The text's lines against the cell, less the margins the style draws inside it.
  const QSize need = fontMetrics().size(0, text) + QSize(2 * 3, 0);
  if (text.isEmpty() || (need.width() <= cell.width() && need.height() <= cell.height())) {
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  QToolTip::showText(help->globalPos(), text, viewport(), cell);
  event->accept();
  return true;
}

int TTableGrid::ReadablePixelsPerMM(int least) const {
  const TStringTableEx* t = Table();
  const double printed = t ? t->Font.SizeMM() : 0;
  if (!(printed > 0)) return least;
  // The grid's cells add a few pixels of margin the paper does not: a tenth more.
  const double scale = 1.1 * QFontInfo(font()).pixelSize() / printed;
  constexpr int kMost = 12;
  return std::clamp(static_cast<int>(std::ceil(scale)), least, std::max(least, kMost));
}

void TTableGrid::SetPixelsPerMM(int pixels) {
  FPixelsPerMM = pixels;
  ApplySizes();
}

void TTableGrid::ApplySizes() {
  TStringTableEx* t = Table();
  if (FPixelsPerMM <= 0 || !t) return;
  horizontalHeader()->setDefaultSectionSize(std::max(1, RoundEven(t->DefaultColWidth * FPixelsPerMM)));
  verticalHeader()->setDefaultSectionSize(std::max(1, RoundEven(t->DefaultRowHeight * FPixelsPerMM)));
  // Only the sizes that differ from the default: a huge table stays quick.
  for (int c = 0; c < t->ColCount(); ++c)
    if (t->ColWidths[static_cast<size_t>(c)] != t->DefaultColWidth)
      setColumnWidth(c, std::max(1, RoundEven(t->ColWidths[static_cast<size_t>(c)] * FPixelsPerMM)));
  if (t->RowCount() <= 100'000)
    for (int r = 0; r < t->RowCount(); ++r)
      if (t->RowHeights[static_cast<size_t>(r)] != t->DefaultRowHeight)
        setRowHeight(r, std::max(1, RoundEven(t->RowHeights[static_cast<size_t>(r)] * FPixelsPerMM)));
}

void TTableGrid::StoreSizes() {
  TStringTableEx* t = Table();
  if (FPixelsPerMM <= 0 || !t) return;
  // A size the user dragged becomes whole millimetres (pixels div the scale);
  // one left as shown keeps its exact millimetres (10.5 mm stays 10.5).
  const auto store = [this](double* mm, int pixels) {
    if (pixels != std::max(1, RoundEven(*mm * FPixelsPerMM))) *mm = pixels / FPixelsPerMM;
  };
  store(&t->DefaultColWidth, horizontalHeader()->defaultSectionSize());
  store(&t->DefaultRowHeight, verticalHeader()->defaultSectionSize());
  for (int c = 0; c < t->ColCount(); ++c) store(&t->ColWidths[static_cast<size_t>(c)], columnWidth(c));
  if (t->RowCount() <= 100'000)
    for (int r = 0; r < t->RowCount(); ++r) store(&t->RowHeights[static_cast<size_t>(r)], rowHeight(r));
}
