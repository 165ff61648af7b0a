// The plain result of every table file reader: a grid of cells, each a text
// and a font colour, with no widgets and no knowledge of the table objects.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

struct TSheetCell {
  QString Text;
  uint32_t Color = 0;  // font colour as a Windows COLORREF 0x00BBGGRR; 0 = black/automatic
};

struct TSheetGrid {
  int ColCount = 0;                           // the widest row
  std::vector<std::vector<TSheetCell>> Rows;  // rows may be shorter than ColCount

  int RowCount() const { return static_cast<int>(Rows.size()); }
  // The cell, growing the grid as needed.
  TSheetCell& At(int row, int col);
  // Drops trailing rows and columns that hold no text.
  void TrimToUsedRange();
};

// A file of sheets or tables opened for reading.
class ISheetReader {
 public:
  virtual ~ISheetReader() = default;
  // Names of the sheets (spreadsheets) or tables (databases), in file order.
  virtual QStringList Names() const = 0;
  // Reads one sheet or table into *grid; false with a one-line *error otherwise.
  // Database tables give a header row of column names and a row per record.
  virtual bool Read(int index, TSheetGrid* grid, QString* error) = 0;
};

enum class TSheetFileKind { None, Xlsx, Ods, Xls, Access, Sqlite };

// The reader that serves a file name's extension (case-insensitive), or None.
TSheetFileKind SheetFileKind(const QString& fileName);
// True for kinds holding database tables rather than spreadsheet sheets.
bool IsDatabaseKind(TSheetFileKind kind);
// Opens a file of the given kind; nullptr with a one-line *error when the file
// is missing, unreadable or not of that kind.
std::unique_ptr<ISheetReader> OpenSheetFile(const QString& fileName, TSheetFileKind kind, QString* error);

// BIFF8's default colour palette (indexes 8-63) as COLORREFs; index 0-7 are the
// fixed EGA colours. Out-of-range indexes (system colours) give 0.
uint32_t Biff8PaletteColor(int index);
