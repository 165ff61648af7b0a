#include "uTableEdits.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "uNumbers.h"

namespace {

struct TCellCopy {
  QString Text;
  int32_t Data = 0;
};

// Every cell of the table, row-major.
std::vector<TCellCopy> TakeCells(const TStringTable& t) {
  std::vector<TCellCopy> cells;
  cells.reserve(static_cast<size_t>(t.ColCount()) * static_cast<size_t>(t.RowCount()));
  for (int r = 0; r < t.RowCount(); ++r)
    for (int c = 0; c < t.ColCount(); ++c) cells.push_back({t.GetCell(c, r), t.GetCellData(c, r)});
  return cells;
}

// Sets the table to cols x rows and fills every cell from `at(col, row)`.
void PutCells(TStringTableEx* t, int cols, int rows, const std::function<const TCellCopy&(int, int)>& at) {
  t->SetRowCount(0);
  t->SetColCount(cols);
  t->SetRowCount(rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      const TCellCopy& cell = at(c, r);
      if (!cell.Text.isEmpty()) t->SetCell(c, r, cell.Text);
      if (cell.Data != 0) t->SetCellData(c, r, cell.Data);
    }
}

void CopyRow(TStringTableEx* t, int from, int to) {
  for (int c = 0; c < t->ColCount(); ++c) {
    t->SetCell(c, to, t->GetCell(c, from));
    t->SetCellData(c, to, t->GetCellData(c, from));
  }
  t->RowShifts[static_cast<size_t>(to)] = t->RowShifts[static_cast<size_t>(from)];
  t->RowHeights[static_cast<size_t>(to)] = t->RowHeights[static_cast<size_t>(from)];
}

void CopyColumn(TStringTableEx* t, int from, int to) {
  for (int r = 0; r < t->RowCount(); ++r) {
    t->SetCell(to, r, t->GetCell(from, r));
    t->SetCellData(to, r, t->GetCellData(from, r));
  }
  t->SetHeader(to, t->GetHeader(from));
  t->ColShifts[static_cast<size_t>(to)] = t->ColShifts[static_cast<size_t>(from)];
  t->ColWidths[static_cast<size_t>(to)] = t->ColWidths[static_cast<size_t>(from)];
}

void ClearRow(TStringTableEx* t, int row) {
  for (int c = 0; c < t->ColCount(); ++c) {
    t->SetCell(c, row, QString());
    t->SetCellData(c, row, 0);
  }
  t->RowShifts[static_cast<size_t>(row)] = 0;
  t->RowHeights[static_cast<size_t>(row)] = t->DefaultRowHeight;
}

bool NeedsQuotes(const QString& s) {
  for (QChar ch : s)
    if (ch == u'\t' || ch == u'\n' || ch == u'\r' || ch == u'"') return true;
  return false;
}

}  // namespace

bool InsertTableRow(TStringTableEx* table, int row) {
  if (!table || row < 0 || row > table->RowCount()) return false;
  const int n = table->RowCount();
  table->SetRowCount(n + 1);
  for (int r = n; r > row; --r) CopyRow(table, r - 1, r);
  ClearRow(table, row);
  return true;
}

bool InsertTableColumn(TStringTableEx* table, int col) {
  if (!table || col < 0 || col > table->ColCount()) return false;
  const int n = table->ColCount();
  table->SetColCount(n + 1);
  for (int c = n; c > col; --c) CopyColumn(table, c - 1, c);
  for (int r = 0; r < table->RowCount(); ++r) {
    table->SetCell(col, r, QString());
    table->SetCellData(col, r, 0);
  }
  table->SetHeader(col, QString());
  table->ColShifts[static_cast<size_t>(col)] = 0;
  table->ColWidths[static_cast<size_t>(col)] = table->DefaultColWidth;
  return true;
}

bool DeleteTableColumn(TStringTableEx* table, int col) {
  if (!table || col < 0 || col >= table->ColCount()) return false;
  for (int c = col; c + 1 < table->ColCount(); ++c) CopyColumn(table, c + 1, c);
  table->SetColCount(table->ColCount() - 1);
  return true;
}

bool MoveTableRow(TStringTableEx* table, int from, int to) {
  if (!table || from < 0 || to < 0 || from >= table->RowCount() || to >= table->RowCount()) return false;
  if (from == to) return true;
  const int step = from < to ? 1 : -1;
  for (int r = from; r != to; r += step) {
    // Exchange rows r and r + step.
    const int a = r;
    const int b = r + step;
    for (int c = 0; c < table->ColCount(); ++c) {
      const QString text = table->GetCell(c, a);
      const int32_t data = table->GetCellData(c, a);
      table->SetCell(c, a, table->GetCell(c, b));
      table->SetCellData(c, a, table->GetCellData(c, b));
      table->SetCell(c, b, text);
      table->SetCellData(c, b, data);
    }
    std::swap(table->RowShifts[static_cast<size_t>(a)], table->RowShifts[static_cast<size_t>(b)]);
    std::swap(table->RowHeights[static_cast<size_t>(a)], table->RowHeights[static_cast<size_t>(b)]);
  }
  return true;
}

void KeepTableRows(TStringTableEx* table, const std::function<bool(int row)>& keep) {
  if (!table) return;
  int w = 0;
  for (int r = 0; r < table->RowCount(); ++r) {
    if (!keep(r)) continue;
    if (w != r) CopyRow(table, r, w);
    ++w;
  }
  table->SetRowCount(w);
}

void RotateTableClockwise(TStringTableEx* table) {
  if (!table) return;
  const int rows = table->RowCount();
  const int cols = table->ColCount();
  const std::vector<TCellCopy> cells = TakeCells(*table);
  const std::vector<double> widths = table->ColWidths, shifts = table->ColShifts;
  const std::vector<double> heights = table->RowHeights, rowShifts = table->RowShifts;
  // New (row j, column rows - 1 - i) holds old (row i, column j).
  PutCells(table, rows, cols, [&](int c, int r) -> const TCellCopy& {
    return cells[static_cast<size_t>(rows - 1 - c) * static_cast<size_t>(cols) + static_cast<size_t>(r)];
  });
  for (int c = 0; c < rows; ++c) {
    table->ColWidths[static_cast<size_t>(c)] = heights[static_cast<size_t>(rows - 1 - c)];
    table->ColShifts[static_cast<size_t>(c)] = rowShifts[static_cast<size_t>(rows - 1 - c)];
  }
  for (int r = 0; r < cols; ++r) {
    table->RowHeights[static_cast<size_t>(r)] = widths[static_cast<size_t>(r)];
    table->RowShifts[static_cast<size_t>(r)] = shifts[static_cast<size_t>(r)];
  }
}

void RotateTableCounterClockwise(TStringTableEx* table) {
  if (!table) return;
  const int rows = table->RowCount();
  const int cols = table->ColCount();
  const std::vector<TCellCopy> cells = TakeCells(*table);
  const std::vector<double> widths = table->ColWidths, shifts = table->ColShifts;
  const std::vector<double> heights = table->RowHeights, rowShifts = table->RowShifts;
  // New (row cols - 1 - j, column i) holds old (row i, column j).
  PutCells(table, rows, cols, [&](int c, int r) -> const TCellCopy& {
    return cells[static_cast<size_t>(c) * static_cast<size_t>(cols) + static_cast<size_t>(cols - 1 - r)];
  });
  for (int c = 0; c < rows; ++c) {
    table->ColWidths[static_cast<size_t>(c)] = heights[static_cast<size_t>(c)];
    table->ColShifts[static_cast<size_t>(c)] = rowShifts[static_cast<size_t>(c)];
  }
  for (int r = 0; r < cols; ++r) {
    table->RowHeights[static_cast<size_t>(r)] = widths[static_cast<size_t>(cols - 1 - r)];
    table->RowShifts[static_cast<size_t>(r)] = shifts[static_cast<size_t>(cols - 1 - r)];
  }
}

void FlipTableVertical(TStringTableEx* table) {
  if (!table) return;
  const int rows = table->RowCount();
  const int cols = table->ColCount();
  const std::vector<TCellCopy> cells = TakeCells(*table);
  std::vector<double> heights = table->RowHeights, shifts = table->RowShifts;
  PutCells(table, cols, rows, [&](int c, int r) -> const TCellCopy& {
    return cells[static_cast<size_t>(rows - 1 - r) * static_cast<size_t>(cols) + static_cast<size_t>(c)];
  });
  std::reverse(heights.begin(), heights.end());
  std::reverse(shifts.begin(), shifts.end());
  table->RowHeights = heights;
  table->RowShifts = shifts;
}

void FlipTableHorizontal(TStringTableEx* table) {
  if (!table) return;
  const int rows = table->RowCount();
  const int cols = table->ColCount();
  const std::vector<TCellCopy> cells = TakeCells(*table);
  std::vector<double> widths = table->ColWidths, shifts = table->ColShifts;
  const std::vector<double> heights = table->RowHeights, rowShifts = table->RowShifts;
  PutCells(table, cols, rows, [&](int c, int r) -> const TCellCopy& {
    return cells[static_cast<size_t>(r) * static_cast<size_t>(cols) + static_cast<size_t>(cols - 1 - c)];
  });
  table->RowHeights = heights;
  table->RowShifts = rowShifts;
  std::reverse(widths.begin(), widths.end());
  std::reverse(shifts.begin(), shifts.end());
  table->ColWidths = widths;
  table->ColShifts = shifts;
}

void FillTableFromIntervals(TStringTableEx* table, const TStringTable& intervals, int start, int end) {
  if (!table) return;
  start = std::max(start, 0);
  end = std::max(end, 0);
  const int values = std::max(intervals.ColCount() - 2, 0);
  const int first = std::max(start, end) + 1;
  table->SetRowCount(0);
  table->SetColCount(std::max(table->ColCount(), first + values));
  table->SetRowCount(intervals.RowCount());
  for (int r = 0; r < intervals.RowCount(); ++r) {
    table->SetCell(start, r, intervals.GetCell(0, r));
    table->SetCell(end, r, intervals.GetCell(1, r));
    for (int k = 0; k < values; ++k) table->SetCell(first + k, r, intervals.GetCell(2 + k, r));
  }
}

double RangeCellValue(const QString& text) { return ReadNumber(text.toStdString(), -99999); }

int ColorTableRange(TStringTable* table, int column, uint32_t color, double from, double to) {
  if (!table || column < 0 || column >= table->ColCount()) return 0;
  int coloured = 0;
  for (int r = 0; r < table->RowCount(); ++r) {
    const double x = RangeCellValue(table->GetCell(column, r));
    if (!(from <= x && x <= to)) continue;
    for (int c = 0; c < table->ColCount(); ++c) table->SetCellData(c, r, static_cast<int32_t>(color));
    ++coloured;
  }
  return coloured;
}

int ColorTableByTemplate(TStringTable* table, const TStringTable& rules) {
  int applied = 0;
  for (int r = 0; r < rules.RowCount(); ++r) {
    const uint32_t color = static_cast<uint32_t>(rules.GetCellData(0, r));
    const double column = ReadNumber(rules.GetCell(1, r).toStdString(), 0);
    const double from = ReadNumber(rules.GetCell(2, r).toStdString(), -1);
    const double to = ReadNumber(rules.GetCell(3, r).toStdString(), -1);
    if (!(column >= 1 && column <= 1'000'000)) continue;
    ColorTableRange(table, static_cast<int>(column) - 1, color, from, to);
    ++applied;
  }
  return applied;
}

QString CopyTableRange(const TStringTable& table, const TCellRange& range) {
  QString out;
  if (range.Empty()) return out;
  const int right = std::min(range.Right, table.ColCount() - 1);
  const int bottom = std::min(range.Bottom, table.RowCount() - 1);
  for (int r = std::max(range.Top, 0); r <= bottom; ++r) {
    for (int c = std::max(range.Left, 0); c <= right; ++c) {
      if (c > std::max(range.Left, 0)) out += u'\t';
      const QString cell = table.GetCell(c, r);
      if (NeedsQuotes(cell)) {
        QString quoted = cell;
        quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        out += u'"' + quoted + u'"';
      } else {
        out += cell;
      }
    }
    out += u'\n';
  }
  return out;
}

std::vector<QStringList> ParseTabText(const QString& text) {
  std::vector<QStringList> rows;
  QStringList row;
  QString cell;
  bool quoted = false;
  bool cellStarted = false;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar ch = text[i];
    if (quoted) {
      if (ch == u'"') {
        if (i + 1 < n && text[i + 1] == u'"') {
          cell += u'"';
          ++i;
        } else {
          quoted = false;
        }
      } else {
        cell += ch;
      }
      continue;
    }
    if (ch == u'"' && !cellStarted) {
      quoted = true;
      cellStarted = true;
    } else if (ch == u'\t') {
      row << cell;
      cell.clear();
      cellStarted = false;
    } else if (ch == u'\r' || ch == u'\n') {
      if (ch == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
      row << cell;
      rows.push_back(row);
      row.clear();
      cell.clear();
      cellStarted = false;
    } else {
      cell += ch;
      cellStarted = true;
    }
  }
  // The last line may lack its line break; a text ending with one has no
  // further empty row.
  if (cellStarted || !row.isEmpty() || !cell.isEmpty()) {
    row << cell;
    rows.push_back(row);
  }
  return rows;
}

TCellRange PasteTableText(TStringTableEx* table, int col, int row, const QString& text, const TCellRange& fill,
                          int64_t maxCells) {
  TCellRange written;
  if (!table || col < 0 || row < 0) return written;
  const std::vector<QStringList> rows = ParseTabText(text);
  if (rows.empty()) return written;
  int width = 0;
  for (const QStringList& r : rows) width = std::max(width, static_cast<int>(r.size()));
  const int height = static_cast<int>(rows.size());
  // One cell copied onto a selection fills the selection, as spreadsheets do.
  if (height == 1 && width == 1 && !fill.Empty()) {
    const int right = std::min(fill.Right, table->ColCount() - 1);
    const int bottom = std::min(fill.Bottom, table->RowCount() - 1);
    for (int r = fill.Top; r <= bottom; ++r)
      for (int c = fill.Left; c <= right; ++c) table->SetCell(c, r, rows[0][0]);
    return {fill.Left, fill.Top, right, bottom};
  }
  const int64_t cols = std::max<int64_t>(table->ColCount(), int64_t{col} + width);
  const int64_t allRows = std::max<int64_t>(table->RowCount(), int64_t{row} + height);
  if (cols * allRows > maxCells || !TStringTable::SizeAllowed(cols, allRows)) return written;
  if (cols > table->ColCount()) table->SetColCount(static_cast<int>(cols));
  if (allRows > table->RowCount()) table->SetRowCount(static_cast<int>(allRows));
  for (int r = 0; r < height; ++r) {
    const QStringList& cells = rows[static_cast<size_t>(r)];
    for (int c = 0; c < cells.size(); ++c) table->SetCell(col + c, row + r, cells[c]);
  }
  return {col, row, col + width - 1, row + height - 1};
}
