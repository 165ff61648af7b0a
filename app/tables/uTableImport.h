// Reading table files into a plain grid: the choice of reader by extension,
// delimited text, and the sheet or table chooser the readers ask.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string_view>

#include "uCellStore.h"
#include "uSheetGrid.h"

enum class TTableImportStatus { Ok, Cancelled, Failed };

struct TTableImportResult {
  TTableImportStatus Status = TTableImportStatus::Failed;
  QString Error;             // one line, for the user
  TCellStore Cells;          // rows from the top; a database table starts with its column names
  bool GrowColumns = false;  // wider rows raise the column count (text files)
};

// Chooses one of the names (sheets or tables); -1 when nothing was chosen.
using TListChooser = std::function<int(const QString& title, const QStringList& items)>;

// The chooser imports use: the registered dialog, or else the UI services' list choice.
TListChooser ImportChooser();
// The dialog layer registers its chooser; an empty function restores the default.
void SetImportChooser(TListChooser chooser);

// Reads a table file by its extension: spreadsheets (.xlsx .ods .xls),
// databases (.mdb .accdb .sqlite .db .sqlite3), LAS (.las), anything else as
// delimited text. With several sheets or tables the chooser is asked.
TTableImportResult ImportTableFile(const QString& fileName, const TListChooser& chooser);

// Delimited text file bytes (see DetectTextEncoding): the delimiter is the
// first of tab ; space | : , found in the first line (outside quoted fields);
// runs of spaces are one separator; other delimiters keep empty fields. A
// field that begins with a double quote is quoted as in common CSV files: it
// holds delimiters and line breaks up to its closing quote, "" standing for
// one quote; lines without quotes split exactly as before. The cells keep the
// file's bytes as their text where they can. False only for more bytes than a
// cell store can address.
bool ParseDelimitedText(QByteArray bytes, TCellStore* cells);
// Appends one cell of a row of delimited text (UTF-8) so that
// ParseDelimitedText reads it back as it was: quoted when it holds the
// delimiter, a quote or a line break, or (in the first line, `firstLine`) a
// character the reader would take for the delimiter before this one (any of
// them when the table has one column, `alone`). With the space delimiter line
// breaks become spaces and an empty cell is written "" (runs of spaces would
// swallow it).
void AppendDelimitedCell(QByteArray* line, std::string_view cell, std::string_view delimiter, bool firstLine,
                         bool alone);
// A sheet reader's grid as cells: texts, and font colours as the values.
TCellStore CellsFromGrid(TSheetGrid&& grid);

// How text file bytes are read: a UTF-8 byte-order mark is skipped; the rest
// is UTF-8 when valid as such, otherwise Windows-1251.
struct TTextEncoding {
  qsizetype Skip = 0;  // bytes of a byte-order mark
  bool Utf8 = true;
};
TTextEncoding DetectTextEncoding(QByteArrayView bytes);
// Text file bytes to text by that rule.
QString DecodeTextBytes(const QByteArray& bytes);
// The delimiter chosen for a first line (QChar() when none of them occurs).
QChar DetectDelimiter(QStringView firstLine);
