// Thin horizontal lines gathered and drawn with one call per pen on raster devices. A column
// draws two or three lines per layer in view, each with its own pen; drawn one by one the
// pen changes and the painter's per-call work cost more than the pixels.
#pragma once

#include <QLine>
#include <QPen>
#include <vector>

class QPainter;

class TLineBatch {
 public:
  // Rows [firstRow, lastRow] may take lines; lines elsewhere are refused (Add returns false).
  TLineBatch(int firstRow, int lastRow);

  // True when `dc` paints batched lines as it paints them one by one: a raster device without
  // antialiasing whose transform moves by whole pixels.
  static bool Usable(const QPainter* dc);
  // True for pens whose lines can join a batch: solid, opaque, at most one pixel wide.
  static bool Batchable(const QPen& pen);

  // Takes a horizontal line drawn left to right in a batchable pen; false (nothing kept) for any other line,
  // which the caller then draws itself after Flush. A line joins the last group of its pen
  // when no line of a later group lies within a row of it: drawn earlier, it then paints the
  // same pixels as in the order given. Otherwise it starts a group of its own.
  bool Add(const QPen& pen, const QLine& line);
  // Draws the groups in order, one drawLines each, and empties the batch; the painter's pen
  // is left as it was.
  void Flush(QPainter* dc);

  int GroupCount() const { return static_cast<int>(FGroups.size()); }

 private:
  struct TGroup {
    QPen Pen;
    std::vector<QLine> Lines;
    std::vector<bool> Rows;  // rows within one of a line of the group, from FFirstRow
  };
  bool Near(const TGroup& group, int y) const;

  int FFirstRow, FRowCount;
  std::vector<TGroup> FGroups;
};
