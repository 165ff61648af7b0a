// The free table's editor: a grid with letters over the columns and numbers
// beside the rows, sizes shown at 3 pixels per millimetre, the table's file
// import and export, its font, and the grid operations of the context menu.
// It edits a copy; OK writes cells, sizes and font back.
#pragma once

#include <QDialog>

#include "uStringTableEx.h"

class QAction;
class QMenu;
class TPrintObject;
class TPrintTable;
class TTableGrid;

class TfTable : public QDialog {
  Q_OBJECT
 public:
  // The grid's least scale; a table printed in small type is shown larger
  // (see TTableGrid::ReadablePixelsPerMM).
  static constexpr int kPixelsPerMM = 3;

  TfTable(TPrintTable* table, QWidget* parent = nullptr);
  // The registry's entry: true when OK changed the table.
  static bool Execute(TPrintObject* object);

  TStringTableEx& Work() { return FWork; }
  // The grid operations (the context menu's actions call them).
  void RotateClockwise();
  void RotateCounterClockwise();
  void FlipVertical();
  void FlipHorizontal();
  void SetWidthFrom(int column);
  void SetHeightFrom(int row);
  void DeleteColumn(int column);
  void DeleteRow(int row);
  void InsertRow(int row);
  void InsertColumn(int column);
  bool OpenFile();
  bool SaveFile();
  void EditTableFont();
  // Writes the copy into the table (what OK does).
  void Store();

  TTableGrid* gTable;
  QMenu* pmGrid;

 private:
  void Reload();
  QAction* NewAction(const QString& key, const QString& text, const QString& hint);
  void ContextMenu(const QPoint& pos);

  TPrintTable* FTable;
  TStringTableEx FWork;
  int FMenuRow = -1;
  int FMenuCol = -1;
};
