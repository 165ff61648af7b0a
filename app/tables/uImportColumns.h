// The column import: a table imported from a file, and for each of the
// caller's parameters the column it is read from (or none), a start row and
// the "create empty blocks" switch. The dialog TfImport edits it; without a
// registered dialog the defaults apply (parameter k reads column k).
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "uStringTable.h"

class TColumnImport {
 public:
  static constexpr int kNotUsed = -1;  // "Do not use"
  static constexpr int kNoChoice = -2;

  // `section`: the caller's language section for the parameter captions.
  TColumnImport(const QString& section, int parameterCount);

  TStringTable Table;
  int StartRow = 1;  // 1-based; 1 .. RowCount + 1
  bool CreateEmptyBlocks = true;

  int ParameterCount() const { return static_cast<int>(FColumns.size()); }
  // Parameters count from 1, as their language keys do.
  QString Caption(int k) const;  // key "param"+k, default "Import"+k
  bool Optional(int k) const;    // key "Optional"+k holds a number above 0
  int Column(int k) const;
  void SetColumn(int k, int column);  // a column index, kNotUsed or kNoChoice
  // Each parameter reads the column of its own number when the table has it.
  void SetDefaultColumns();
  // OK is possible only when every parameter has a choice.
  bool Complete() const;

  // Rows from the start row to the end.
  int ValueCount() const;
  // Value i (from 0) of parameter k: the chosen column's cell in row StartRow-1+i; empty for "Do not use".
  QString Value(int k, int i) const;

  const QString& Section() const { return FSection; }

 private:
  QString FSection;
  std::vector<int> FColumns;
};

// Imports a file into the table (asking for it) and lets the user map the
// columns: S_OK, R_CANCELLED, or the failed import's result, whose reason the
// calling command shows from import->Table.LastError().
HRESULT RunColumnImport(TColumnImport* import);
// The dialog layer registers the dialog that edits the mapping (after the
// table was imported); an empty function restores the default (no dialog).
using TColumnImportEditor = std::function<bool(TColumnImport*)>;
void SetColumnImportEditor(TColumnImportEditor editor);
