// Shared by the table reader fuzz targets: the check that stops a run on a
// broken invariant, and one pass of a sheet or database reader over bytes
// written to a temporary file (the readers open files by name).
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "uSheetGrid.h"

namespace fuzzsheets {

// A broken invariant is a finding: say which and stop so libFuzzer keeps the input.
inline void CheckAt(bool condition, int line) {
  if (condition) return;
  std::fprintf(stderr, "broken check at line %d\n", line);
  std::abort();
}
#define Check(condition) fuzzsheets::CheckAt((condition), __LINE__)

// The same file for every input of this process, replaced each time.
inline QString WriteInput(const uint8_t* data, size_t size, const char* suffix) {
  static const QString path =
      QDir::temp().filePath(QStringLiteral("kerno-fuzz-%1%2").arg(QCoreApplication::applicationPid()).arg(suffix));
  QFile f(path);
  Check(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  Check(f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) == static_cast<qint64>(size));
  f.close();
  return path;
}

// Opens the bytes as a file of `kind`: a refusal comes with a reason; an
// opened file reads each of its first sheets or tables into a consistent grid
// or fails with a reason, and reads the same the second time.
inline void ReadSheets(const uint8_t* data, size_t size, TSheetFileKind kind, const char* suffix) {
  const QString path = WriteInput(data, size, suffix);
  QString error;
  const std::unique_ptr<ISheetReader> reader = OpenSheetFile(path, kind, &error);
  if (!reader) {
    Check(!error.isEmpty());
    return;
  }
  const QStringList names = reader->Names();
  for (int i = 0; i < names.size() && i < 4; ++i) {
    TSheetGrid grid;
    error.clear();
    if (!reader->Read(i, &grid, &error)) {
      Check(!error.isEmpty());
      continue;
    }
    for (const auto& row : grid.Rows) Check(static_cast<int>(row.size()) <= grid.ColCount);
    TSheetGrid again;
    Check(reader->Read(i, &again, &error));
    Check(again.RowCount() == grid.RowCount() && again.ColCount == grid.ColCount);
    for (size_t r = 0; r < grid.Rows.size(); ++r) {
      Check(again.Rows[r].size() == grid.Rows[r].size());
      for (size_t c = 0; c < grid.Rows[r].size(); ++c) Check(again.Rows[r][c].Text == grid.Rows[r][c].Text);
    }
  }
  // One past the last is refused with a reason.
  TSheetGrid none;
  error.clear();
  Check(!reader->Read(static_cast<int>(names.size()), &none, &error) && !error.isEmpty());
}

}  // namespace fuzzsheets
