// The vector graphic's command table editor: one row per command (name, X1,
// Y1, X2, Y2 or the text). Selecting a cell redraws the document with the
// commands as typed and the row's command highlighted; Cancel restores the
// commands the dialog was opened with.
#pragma once

#include <QDialog>

#include "uStringTable.h"

class QTableWidget;
class TPrintObject;
class TPrintVectorGraphic;

class TFVectorGraphic : public QDialog {
 public:
  explicit TFVectorGraphic(TPrintVectorGraphic* graphic, QWidget* parent = nullptr);

  QTableWidget* Grid() const { return grid; }
  // The grid's rows as a command table.
  void GridToTable(TStringTable* table) const;
  // The commands as typed, with `row`'s command highlighted (a cell selected).
  void Preview(int row);
  // What OK and Cancel do to the object.
  void Apply();
  void Restore();
  static bool Execute(TPrintObject* object);

 private:
  void AddRow();
  void DeleteRow();

  TPrintVectorGraphic* FGraphic;
  TStringTable FOriginal;
  double FOriginalHeight = 0;
  QTableWidget* grid;
};
