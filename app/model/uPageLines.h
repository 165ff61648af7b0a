// Lines of text on printed sheets. A line that a sheet's edge would cut in two
// moves down to the top of the next sheet, with every line after it, and a
// sheet prints only the lines it holds whole. Every sheet works the placement
// out the same way, from the text's top in page mm, so no line is lost between
// two sheets and none is printed on both.
#pragma once

#include <cstdint>
#include <optional>

#include "uDrawContext.h"

class TPageLines {
 public:
  // A text box whose top lies at page mm `top` (device row `topRow` on this
  // sheet, the context's own mapping of `top`) and which is `height` mm tall.
  TPageLines(const TDrawContext& context, double top, double height, int32_t topRow);

  // False on screens and pictures, and when the box lies within the sheet
  // being printed: lines then print where they are laid out.
  bool Active() const { return FActive; }
  // The box's height in rows, the same on every sheet (its device rows may
  // differ by one from sheet to sheet); for centred and bottom lines.
  int32_t Rows() const { return FRows; }
  // The device row at which a line laid out `offset` rows below the box's top
  // and `height` rows tall prints on this sheet, or nothing when another
  // sheet holds it. Lines are placed in their order, top to bottom.
  std::optional<int32_t> Place(int32_t offset, int32_t height);
  // The box's one line, `height` rows tall, at the box's top, centred in it
  // or at its bottom, as Place places it.
  enum TVertical { AtTop, Centred, AtBottom };
  std::optional<int32_t> PlaceSingleLine(int32_t height, TVertical where);

 private:
  // The first and the last-plus-one row of sheet `index`, from the box's top.
  int32_t SheetTop(int64_t index) const;
  int32_t SheetBottom(int64_t index) const;
  // The last sheet whose top lies at or above `row`.
  int64_t SheetAt(int32_t row) const;

  bool FActive = false;
  TPrintedPages FPages;
  double FTop = 0;
  double FKy = 0;  // the context's rows per mm and zoom, multiplied as it maps
  double FZoom = 1;
  int32_t FTopRow = 0;
  int32_t FRows = 0;
  int32_t FShift = 0;  // rows the lines placed so far moved down
};
