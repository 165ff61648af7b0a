// The interval import: a table of rows turned into depth intervals with their
// values ("From", "To", "Value1", "Value2", ...). The curve column's
// histograms, the lithology column and the description column read their
// intervals through it. The model here is headless; the dialog TFImportTable
// edits its choices and shows the preview.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "uStringTable.h"

// One interval: its From and To texts and its distinct values in order (a
// value equal to one already there, without regard to letter case, is not
// added again), or one value per data column in its place.
class TRowData {
 public:
  QString From;
  QString To;
  const QStringList& Values() const { return FValues; }
  void AddValue(const QString& value);
  // One empty value per data column, each filled by SetValueAt.
  void SetPlaces(int count);
  // The value of data column `index`: the first text given to a place keeps
  // it (a united interval shows its first row's numbers).
  void SetValueAt(int index, const QString& value);
  bool HasValue() const;

 private:
  QStringList FValues;
  QSet<QString> FKeys;  // case folded
};

// The intervals built from a source table (an owning list).
class TTableData {
 public:
  int Count() const { return static_cast<int>(FRows.size()); }
  TRowData& operator[](int i) { return *FRows[static_cast<size_t>(i)]; }
  const TRowData& operator[](int i) const { return *FRows[static_cast<size_t>(i)]; }
  TRowData* Add();
  void RemoveLast() { FRows.pop_back(); }
  void Clear() { FRows.clear(); }
  // The largest number of values of one interval.
  int MaxValueCount() const;
  // Whether some interval holds a value that is not empty.
  bool AnyValue() const;

 private:
  std::vector<std::unique_ptr<TRowData>> FRows;
};

class TIntervalImport {
 public:
  TIntervalImport();

  // The rows to build from; Load* fills it and sets the defaults below.
  TStringTable Source;

  // Row 0 holds column names ("IDs").
  bool HasIds = false;
  // Only rows whose column-0 text equals FilterText exactly are used.
  bool Filter = false;
  QString FilterText;
  int FromColumn = 0;
  int ToColumn = 1;
  std::vector<int> DataColumns;
  // Consecutive rows with the same text in UniteColumn form one interval.
  bool Unite = false;
  int UniteColumn = 0;
  // A single character splits each value text into several values; any
  // other entry (empty, two characters) takes the texts whole.
  QString Delimiter;
  // Intervals without a value are kept too.
  bool UseEmpty = false;
  // Each data column gives the value in its own place (a histogram's numbers,
  // a table's columns): an empty cell leaves its place empty and equal
  // numbers of two columns both stay. The delimiter does not apply. Off, the
  // values are the distinct texts of the row (sign codes, description texts).
  bool ValuesByColumn = false;
  // The hole the document describes (its head's well); the filter starts on
  // it when the table holds rows of several holes.
  QString PreferredHole;

  // Imports a table file into Source ("" asks through the open dialog) and
  // sets the defaults. S_OK, R_CANCELLED, or E_FAIL with Source.LastError().
  HRESULT LoadFile(const QString& fileName);
  // Why the last LoadFile failed (empty after a cancel).
  QString LastError() const { return FError; }
  // Takes an already filled Source and sets the defaults for it. Names in row
  // 0 that say which columns hold the interval ("From_Depth"/"To_Depth",
  // "Top"/"Bottom", "Кровля"/"Подошва") choose From and To; a first column
  // named as the hole ("Hole_ID", "Well", "Скважина") before them turns the
  // filter on, so a table of many holes (the layer export's) imports one hole.
  void SourceChanged();
  // Defaults for the current Filter: From and To as named in row 0, else
  // From is column 0 (1 with the filter) and To the next one; the data every
  // other column after the hole's (every column after To without names),
  // Unite the last column.
  void SetDefaultColumns();

  // The distinct texts of column 0 (from row 1 with IDs), in order of appearance.
  QStringList FilterValues() const;
  // Each column as its row-0 text and its 1-based number: "Depth (1)".
  QStringList ColumnCaptions() const;
  // Whether `row` of Source takes part (the ID row and filtered rows do not).
  bool RowUsable(int row) const;

  // The hole the choices import: the filter's when the first column is
  // named as the hole, or the table's only hole; empty otherwise.
  QString ChosenHole() const;

  // The intervals of the current choices.
  TTableData Build() const;
  // The names of the value columns of the result: with ValuesByColumn and
  // a name row the data columns' names, else "Value1", "Value2", ... (in the
  // language's words).
  QStringList ValueNames(int count) const;
  // The same as a new table with the header row "From", "To" and the value
  // names; null when there are no intervals or no values.
  std::unique_ptr<TStringTable> ResultTable() const;

 private:
  QString FError;
  // Columns row 0 names as the interval's ends (-1: not named) and whether
  // column 0 is named as the hole.
  int FNamedFrom = -1;
  int FNamedTo = -1;
  bool FHoleColumn = false;
};

// A From or To cell the preview marks: either is not a number or negative,
// or From is greater than To.
bool IntervalEndsBad(const QString& from, const QString& to);

// Asks for a table file (or takes `fileName` when it exists), lets the user
// choose the columns in the dialog and returns the intervals as a new table,
// or null when no table was loaded, the dialog was cancelled or there is
// nothing to import. The failed import's reason goes to *error for the
// calling command to show. Without a registered dialog the defaults apply.
// `hole`: the well the document describes (see PreferredHole);
// `byColumn`: see ValuesByColumn; *chosenHole receives ChosenHole().
std::unique_ptr<TStringTable> ImportIntervals(const QString& fileName = QString(), QString* error = nullptr,
                                              const QString& hole = QString(), bool byColumn = false,
                                              QString* chosenHole = nullptr);

// ImportIntervals for a column of a document (the file asked for): the filter
// proposes the well the document's head names, and a head whose well is
// still empty takes the hole the table's rows came from.
class TPrintObject;
std::unique_ptr<TStringTable> ImportIntervalsFor(TPrintObject* column, QString* error, bool byColumn = false);

// The dialog layer installs the dialog (after the table was loaded); true on OK.
using TIntervalImportEditor = std::function<bool(TIntervalImport*)>;
void SetIntervalImportEditor(TIntervalImportEditor editor);
