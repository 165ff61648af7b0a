// The depth table's editor: a grid of the rows with their cell colours, rows
// added, deleted and moved, columns added and removed (their widths dragged
// at 3 pixels per millimetre), the interval columns, cell colouring (cell,
// row, column, table, by a value range, by a template file), import (a table
// file, or intervals through the interval import), export and the font. It
// edits a copy; OK writes it back.
#pragma once

#include <QDialog>
#include <cstdint>

#include "uStringTableEx.h"

class QAction;
class QSpinBox;
class TPrintDeepTable;
class TPrintObject;
class TTableGrid;

class TTableForm : public QDialog {
  Q_OBJECT
 public:
  // The grid's least scale (see TTableGrid::ReadablePixelsPerMM).
  static constexpr int kPixelsPerMM = 3;

  TTableForm(TPrintDeepTable* table, QWidget* parent = nullptr);
  static bool Execute(TPrintObject* object);

  TStringTableEx& Work() { return FWork; }
  void AddRow();
  void DeleteRow();
  void MoveRow(int by);
  void AddColumn();
  void DeleteColumn();
  void ColorCell(uint32_t color);
  void ColorRow(uint32_t color);
  void ColorColumn(uint32_t color);
  void ColorAll(uint32_t color);
  // Through TFRangeColor on the current column.
  bool ColorByRange();
  // Rules from a spreadsheet file chosen in the folder "Color".
  bool ColorByTemplate();
  bool ImportFile();
  bool ImportIntervalTable();
  bool ExportFile();
  void Store();

  TTableGrid* gTable;
  QSpinBox* seStart;
  QSpinBox* seEnd;

 private:
  QAction* NewAction(const QString& key, const char* text, const char* hint);
  // Asks for a colour starting from the current cell's; false when cancelled.
  bool AskColor(uint32_t* color);
  void Reload();

  TPrintDeepTable* FTable;
  TStringTableEx FWork;
};
