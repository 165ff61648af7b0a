// Reading table files into a plain grid: the choice of reader by extension,
// delimited text, and the sheet or table chooser the readers ask.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "uSheetGrid.h"

enum class TTableImportStatus { Ok, Cancelled, Failed };

struct TTableImportResult {
  TTableImportStatus Status = TTableImportStatus::Failed;
  QString Error;             // one line, for the user
  TSheetGrid Grid;           // rows from the top; a database table starts with its column names
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

// Delimited text: the delimiter is the first of tab ; space | : , found in the
// first line; runs of spaces are one separator; other delimiters keep empty fields.
void ParseDelimitedText(const QString& text, TSheetGrid* grid);
// Text file bytes to text: a UTF-8 byte-order mark is dropped, bytes that are
// not valid UTF-8 are taken as Windows-1251 (one pass for the common case).
QString DecodeTextBytes(const QByteArray& bytes);
// The delimiter chosen for a first line (QChar() when none of them occurs).
QChar DetectDelimiter(QStringView firstLine);
