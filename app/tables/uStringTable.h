// The in-memory grid of text cells behind every table-like object: rows of
// cells (a text plus one 32-bit value), a header row, imports from files and
// the compound stream form. A plain data class, not a page object.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "uCellStore.h"
#include "uCompoundStreamIntf.h"
#include "uSheetGrid.h"
#include "uTableImport.h"

class TInterval;  // a depth interval of the owning depth table (not owned)

// One cell or row as a value (a copy): the table itself keeps its cells in a
// compact store, not as these.
struct TStringTableCell {
  QString Text;
  int32_t Data = 0;  // a spreadsheet cell's font colour (0x00BBGGRR), or the owner's value
};

class TStringTableRow {
 public:
  std::vector<TStringTableCell> Cells;
  TInterval* Interval = nullptr;
};

// Compound stream IDs of the table's values.
constexpr int32_t qsTableColCount = 4866;
constexpr int32_t qsTableRowCount = 4867;
constexpr int32_t qsTableCellText = 0xFF0000;  // + row * ColCount + col
constexpr int32_t qsTableCellData = 0xF00000;  // + row * ColCount + col
// Cell values of a table too large for the per-cell value IDs (whose range
// would run into the text IDs): one Binary of 32-bit values, row-major.
constexpr int32_t qsTableCellDataBlock = 4878;
// Cells beyond this many cannot carry per-cell value IDs without colliding.
constexpr int64_t kTableCellDataIdLimit = qsTableCellText - qsTableCellData;

class TStringTable {
 public:
  TStringTable();
  virtual ~TStringTable() = default;
  TStringTable(const TStringTable&) = delete;
  TStringTable& operator=(const TStringTable&) = delete;

  int ColCount() const { return FCells.ColCount(); }
  int RowCount() const { return FCells.RowCount(); }
  bool AutoColumns = true;  // imports set ColCount from the data
  QString FileName;         // last file imported or exported

  virtual void SetColCount(int n);
  virtual void SetRowCount(int n);
  virtual void SetCell(int col, int row, const QString& text);
  virtual bool LoadFromQS(ICompoundStream* stream);
  virtual bool SaveToQS(ICompoundStream* stream) const;
  virtual bool DeleteRow(int row);

  QString GetCell(int col, int row) const;
  int32_t GetCellData(int col, int row) const;
  void SetCellData(int col, int row, int32_t value);
  QString GetHeader(int col) const;
  void SetHeader(int col, const QString& text);
  TInterval* GetRowInterval(int row) const;
  void SetRowInterval(int row, TInterval* interval);
  // Copies of the header and of one row (an empty row outside the table).
  TStringTableRow Header() const;
  TStringTableRow Row(int row) const;
  // The cells themselves, for readers of many numbers (no QString per cell).
  const TCellStore& Cells() const { return FCells; }

  void Clear();
  // Whether a stored table of cols x rows may be loaded: neither count
  // negative, and the cells within what the stored form can address. The
  // header and the geometry are kept per column and per row even without
  // cells, so each count is taken as at least 1.
  static bool SizeAllowed(int64_t cols, int64_t rows);
  // Copies the whole table through a temporary compound stream (as stored).
  virtual bool Assign(const TStringTable& source);
  // "R2C3" is the text of the third cell of the second row; "R2C3S1" its first character.
  QString ResolveReference(const QString& reference) const;

  // Imports by the file's extension (spreadsheets, databases, LAS, delimited
  // text). S_OK, R_CANCELLED when the user chose no sheet or table, or E_FAIL
  // with the reason in LastError() and the table as it was. Nothing here
  // shows a message: the command that started the import does (from
  // LastError()), as for every failure below.
  HRESULT ImportFile(const QString& fileName);
  // The same with a given sheet or table chooser (the command line takes the first).
  HRESULT ImportFile(const QString& fileName, const TListChooser& chooser);
  // Asks for a file, imports it and remembers its name in FileName.
  HRESULT ImportWithDialog();
  // Asks for a file name; the filter chooses the delimiter (tab, ";" or space).
  // S_OK, R_CANCELLED, or E_FAIL with the reason in LastError().
  HRESULT ExportWithDialog();
  // One line per row, cells joined by the delimiter and quoted where the
  // import needs it to read them back (AppendDelimitedCell); UTF-8, written to
  // a temporary file renamed over the target.
  HRESULT ExportText(const QString& fileName, QChar delimiter);
  QString LastError() const { return FLastError; }

  // Replaces the rows by an imported grid (texts and colours into Data). With
  // AutoColumns the column count becomes the grid's; otherwise it grows for
  // wider rows only when `growColumns` (delimited text does, sheets do not).
  void FillFromGrid(TSheetGrid&& grid, bool growColumns);
  // The same for cells already in the compact form (text and LAS imports): moved, not copied.
  void FillFromCells(TCellStore&& cells, bool growColumns);

 protected:
  void SetLastError(const QString& text) { FLastError = text; }

 private:
  TCellStore FCells;
  std::vector<QString> FHeader;        // ColCount texts
  std::vector<TInterval*> FIntervals;  // RowCount intervals
  QString FLastError;
};

// The import file dialog's filter and the export dialog's filter.
QString TableImportFilter();
QString TableExportFilter();
