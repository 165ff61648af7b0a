// Rock-code lists: a delimited text file whose rows name a rock code and the
// picture file of its pattern (and, when wanted, a caption). Importing builds
// one sign per sound row and says which rows were skipped and why.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "strat.h"

namespace stratedit {

struct TRockCodeTable {
  std::vector<QStringList> Rows;
  int Columns = 0;  // the widest row
};

// Reads a text table: cells split at the delimiter most common in its first
// lines (tab, ";" or ","), double quotes around a cell as in CSV. False (with
// `error`) for a missing, empty, binary or oversized file.
bool ReadRockCodeTable(const QString& path, TRockCodeTable* table, QString* error);

struct TRockCodeChoice {
  int CodeColumn = 0;
  int PatternColumn = 1;
  int CaptionColumn = -1;  // -1: none
  bool HeaderRow = false;  // the first row holds column names
  QString Folder;          // where the pictures named by the pattern column lie
  QString Language;        // the language of the captions
};

// The picture file a pattern cell names: the cell as a path (relative to
// `folder`), then with ".emf" and ".svg" added; names compared without case,
// as the lists come from systems that ignore it. Empty when none exists.
QString FindPatternFile(const QString& folder, const QString& cell);

struct TRockCodeImport {
  int Added = 0;        // new signs
  int Replaced = 0;     // codes listed twice: the later row's picture wins
  QStringList Skipped;  // "row N: why"
};

// Builds the signs of the sound rows into `database` (appended in row order).
TRockCodeImport ImportRockCodes(IStratDataBase* database, const TRockCodeTable& table, const TRockCodeChoice& choice);

// The usual choice for a table: code in column 0, pattern in the first column
// whose cells name existing pictures, a header row when the first row does not.
TRockCodeChoice GuessRockCodeChoice(const TRockCodeTable& table, const QString& folder);

}  // namespace stratedit
