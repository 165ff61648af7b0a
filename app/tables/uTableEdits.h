// Editing operations on a printable table shared by the table editors and
// the depth table: rows and columns inserted, removed and moved with their
// sizes, the grid rotated and flipped, rows coloured by a value range or by a
// template, and cell ranges copied and pasted as tab-separated text (the form
// spreadsheets put on the clipboard).
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "uStringTableEx.h"

// A rectangle of cells, inclusive, in table coordinates.
struct TCellRange {
  int Left = 0;
  int Top = 0;
  int Right = -1;
  int Bottom = -1;
  bool Empty() const { return Right < Left || Bottom < Top; }
};

// Rows and columns; cells, values and sizes move together. False for an
// index outside the table (an insert may stand right after the last one).
bool InsertTableRow(TStringTableEx* table, int row);
bool InsertTableColumn(TStringTableEx* table, int col);
bool DeleteTableColumn(TStringTableEx* table, int col);
bool MoveTableRow(TStringTableEx* table, int from, int to);
// Keeps the rows for which `keep` is true, in order, in one pass.
void KeepTableRows(TStringTableEx* table, const std::function<bool(int row)>& keep);

// Cell (row i, column j) moves to (row j, column rows - 1 - i); counter-
// clockwise to (row cols - 1 - j, column i). Column widths and row heights
// turn with the grid.
void RotateTableClockwise(TStringTableEx* table);
void RotateTableCounterClockwise(TStringTableEx* table);
void FlipTableVertical(TStringTableEx* table);    // rows in reverse order
void FlipTableHorizontal(TStringTableEx* table);  // columns in reverse order

// Fills the table from an interval table (From, To, values...): From and To
// go to columns `start` and `end`, the values to the columns after both.
void FillTableFromIntervals(TStringTableEx* table, const TStringTable& intervals, int start, int end);

// The number a colour rule reads from a cell: its value, or -99999 for a cell
// that is not a number.
double RangeCellValue(const QString& text);
// Every row whose cell in `column` reads as x with from <= x <= to gets
// `color` as the value of all its cells. Returns the number of rows coloured.
int ColorTableRange(TStringTable* table, int column, uint32_t color, double from, double to);
// Each row of `rules` is a range rule: the colour of its first cell (its
// value), the 1-based column number in the second, from and to in the third
// and fourth (-1 when not numbers). Returns the number of rules applied.
int ColorTableByTemplate(TStringTable* table, const TStringTable& rules);

// The cells of `range` as tab-separated lines; a cell holding a tab, a line
// break or a double quote is quoted ("" for a quote), as spreadsheets do.
QString CopyTableRange(const TStringTable& table, const TCellRange& range);
// Parses tab-separated text (quoted cells as above) into rows of cells.
std::vector<QStringList> ParseTabText(const QString& text);
// Pastes tab-separated text with its first cell at (col, row), growing the
// table where the text reaches beyond it (up to `maxCells` cells in all).
// A single cell of text pasted onto a larger `fill` range fills all of it.
// Returns the range written (empty when nothing was).
TCellRange PasteTableText(TStringTableEx* table, int col, int row, const QString& text,
                          const TCellRange& fill = TCellRange(), int64_t maxCells = 16'000'000);
