// Compact storage of a grid of text cells: every cell is a span of one UTF-8
// character arena per grid, plus a 32-bit value. Tables of millions of cells
// cost about 8 bytes per cell plus their text, with no heap block per cell.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

struct TCellSpan {
  uint32_t Offset = 0;  // into the arena
  uint32_t Length = 0;  // bytes of UTF-8
};

// The arena is addressed with 32-bit offsets.
constexpr uint64_t kCellArenaLimit = 0xFFFFFFFFu;

class TCellStore {
 public:
  int ColCount() const { return FCols; }
  int RowCount() const { return FRows; }
  // Keeps the cells both sizes share; new cells are empty with value 0.
  void Resize(int cols, int rows);
  void Clear();

  // Unchecked indices: callers check them against the counts.
  std::string_view Utf8(int col, int row) const {
    const TCellSpan& s = FSpans[Index(col, row)];
    return {FArena.constData() + s.Offset, s.Length};
  }
  QString Text(int col, int row) const;
  bool IsEmpty(int col, int row) const { return FSpans[Index(col, row)].Length == 0; }
  void SetText(int col, int row, const QString& text);
  void SetUtf8(int col, int row, std::string_view utf8);
  int32_t Data(int col, int row) const { return FData.empty() ? 0 : FData[Index(col, row)]; }
  void SetData(int col, int row, int32_t value);
  // False while every value is 0 (none stored).
  bool HasData() const { return !FData.empty(); }
  void EraseRow(int row);

  // Arena bytes no cell refers to any more (replaced texts, an import's delimiters).
  size_t Garbage() const { return FGarbage; }
  size_t ArenaSize() const { return static_cast<size_t>(FArena.size()); }

 private:
  friend class TCellStoreBuilder;
  size_t Index(int col, int row) const { return static_cast<size_t>(row) * static_cast<size_t>(FCols) + col; }
  uint32_t Append(std::string_view utf8);
  void Compact();
  void Forget(const TCellSpan& span) { FGarbage += span.Length; }

  int FCols = 0;
  int FRows = 0;
  std::vector<TCellSpan> FSpans;  // row-major, FCols * FRows
  std::vector<int32_t> FData;     // empty while every value is 0
  QByteArray FArena;
  size_t FGarbage = 0;
};

// Collects rows of any width, cell by cell, over an arena given up front
// (usually a file's own bytes, so that a cell is just where it lies in the
// file), then lays them out as a store of a fixed width.
class TCellStoreBuilder {
 public:
  // Fails (false from Ok()) when the bytes are too many for 32-bit offsets.
  explicit TCellStoreBuilder(QByteArray arena = {});
  bool Ok() const { return FOk; }

  // The arena's bytes: imports may edit a cell's bytes in place before adding it.
  char* Data() { return FArena.data(); }
  qsizetype Size() const { return FArena.size(); }

  // A cell of arena bytes [offset, offset + length).
  void AddSpan(size_t offset, size_t length) {
    FSpans.push_back({static_cast<uint32_t>(offset), static_cast<uint32_t>(length)});
  }
  void AddEmpty() { FSpans.push_back({}); }
  // A cell of other text (converted, or not in the arena).
  void AddText(std::string_view utf8);
  void AddText(const QString& text);
  void EndRow();
  // Drops the cells added since the last EndRow.
  void DropOpenRow() { FSpans.resize(FRowEnds.empty() ? 0 : FRowEnds.back()); }
  size_t OpenCells() const { return FSpans.size() - (FRowEnds.empty() ? 0 : FRowEnds.back()); }
  int RowCount() const { return static_cast<int>(FRowEnds.size()); }
  int MaxWidth() const { return FMaxWidth; }
  void Reserve(size_t cells) { FSpans.reserve(cells); }

  // Rows cut or padded to `cols` columns; an open row is dropped.
  TCellStore Finish(int cols);

 private:
  QByteArray FArena;
  QByteArray FExtra;                // texts added with AddText, joined to the arena at the end
  std::vector<size_t> FExtraCells;  // their cells, whose offsets are into FExtra
  std::vector<TCellSpan> FSpans;    // every row's cells one after another
  std::vector<size_t> FRowEnds;     // end of each row in FSpans
  int FMaxWidth = 0;
  bool FOk = true;
};
