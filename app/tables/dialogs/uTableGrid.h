// The grid every table editor shares: a view over a printable string table
// (no copy of its cells, so a table of a million cells opens at once) with
// cell editing, cell colours, and copy and paste of cell ranges as
// tab-separated text through the clipboard, which spreadsheets read and write.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>

#include "uTableEdits.h"

class TStringTableEx;

class TStringTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TStringTableModel(TStringTableEx* table, QObject* parent = nullptr);

  TStringTableEx* Table() const { return FTable; }
  // Cells are filled with their value as a colour (depth tables).
  bool ShowColors = false;
  // Column headers: the table's header texts, or letters "A", "B", ...
  bool LetterHeaders = true;
  // The structure of the table changed behind the model.
  void Reload();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  TStringTableEx* FTable;
};

// "A", "B", ... "Z", "AA", ... for column 0, 1, ...
QString ColumnLetters(int column);

class TTableGrid : public QTableView {
  Q_OBJECT
 public:
  explicit TTableGrid(TStringTableEx* table, QWidget* parent = nullptr);

  TStringTableModel* TableModel() const { return FModel; }
  TStringTableEx* Table() const;
  // The bounding range of the selection (the current cell without one).
  TCellRange SelectedRange() const;
  // Ctrl+C: the selected range as tab-separated text on the clipboard.
  void CopySelection();
  // Ctrl+V: the clipboard's text from the current cell on, growing the table.
  void PasteClipboard();
  // Delete: empties the selected cells.
  void ClearSelection();
  // Pixels shown per millimetre of the table's column widths and row heights
  // (0: the view's own sizes).
  void SetPixelsPerMM(int pixels);
  int PixelsPerMM() const { return FPixelsPerMM; }
  // The scale at which the grid's own text sits in its cells as the table's
  // printed text sits on paper (text that fits a printed column fits its grid
  // column), never below `least`.
  int ReadablePixelsPerMM(int least) const;
  // The view's section sizes back to millimetres: those changed in the view
  // as pixels div PixelsPerMM, the others as they were.
  void StoreSizes();
  void Reload();

 signals:
  void TableEdited();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // A cell narrower than its text (the grid shows columns at their printed
  // width) shows the whole text as a tip.
  bool viewportEvent(QEvent* event) override;

 private:
  void ApplySizes();

  TStringTableModel* FModel;
  int FPixelsPerMM = 0;
};
