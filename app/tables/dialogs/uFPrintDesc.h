// The description column's grid editor: every text with its interval (top
// and bottom depth in metres) in one grid, rows added and removed, cell
// ranges copied and pasted with spreadsheets. OK writes texts back, makes the
// new ones and removes those whose rows were deleted.
#pragma once

#include <QDialog>
#include <vector>

#include "uPrintDesc.h"
#include "uStringTableEx.h"

class QCheckBox;
class TPrintObject;
class TTableGrid;

class TFPrintDesc : public QDialog {
  Q_OBJECT
 public:
  TFPrintDesc(TPrintDesc* desc, QWidget* parent = nullptr);
  static bool Execute(TPrintObject* object);

  TStringTableEx& Work() { return FWork; }
  void AddRow();
  void DeleteRows();
  // The grid as entries (what OK gives the column).
  std::vector<TDescEntry> GridEntries() const;
  // The first row OK cannot turn into a text: its cell and what is wrong
  // (row -1 when every row is sound).
  struct TProblem {
    int Row = -1;
    int Col = 0;
    QString Message;
  };
  TProblem FirstProblem() const;
  // OK: the grid checked, then stored; a problem is reported and keeps the dialog open.
  bool Accept();
  void Store();

  TTableGrid* gTexts;
  QCheckBox* cbTextBorders;

 private:
  TPrintDesc* FDesc;
  std::vector<TDescEntry> FEntries;  // as the dialog opened; cell (0, r) holds index + 1
  TStringTableEx FWork;

  const TDescEntry* Source(int row) const;  // the text a row came from, or null
  bool MakesText(int row) const;
  TDescEntry RowEntry(int row) const;
};
