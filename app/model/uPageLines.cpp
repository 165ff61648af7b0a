#include "uPageLines.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "uNumbers.h"

namespace {
int32_t ToRow(int64_t row) { return DeviceEdge(static_cast<int32_t>(std::clamp<int64_t>(row, INT32_MIN, INT32_MAX))); }
}  // namespace

TPageLines::TPageLines(const TDrawContext& context, double top, double height, int32_t topRow)
    : FPages(context.Pages), FTop(top), FTopRow(topRow) {
  if (!FPages.Active) return;  // screens: nothing to place, no device asked
  const TPixelMapping m = context.Pixels();
  FKy = m.Ky;
  FZoom = m.Zoom;
  // As the context maps a length: the same count on every sheet.
  FRows = RoundEven(height * FKy * FZoom);
  if (FPages.Step <= 0 || FPages.Height <= 0 || !(FKy * FZoom > 0) || !std::isfinite(top) || !std::isfinite(height) ||
      FRows <= 0)
    return;
  // Only a box that an edge of this sheet cuts needs its lines placed; one
  // within the sheet has none that another sheet holds whole instead.
  const int32_t sheetTop = SheetTop(FPages.Index);
  const int32_t sheetBottom = SheetBottom(FPages.Index);
  FActive = sheetTop < FRows && sheetBottom > 0 && (sheetTop > 0 || sheetBottom < FRows);
}

// Page mm to rows from the box's top, worked out as the context's mapping
// does, so that the sheet being drawn starts at device row 0 exactly.
int32_t TPageLines::SheetTop(int64_t index) const {
  const double mm = FPages.First + static_cast<double>(index) * FPages.Step;
  return RoundEven((mm - FTop) * FKy * FZoom);
}

int32_t TPageLines::SheetBottom(int64_t index) const {
  const double mm = FPages.First + static_cast<double>(index) * FPages.Step + FPages.Height;
  return RoundEven((mm - FTop) * FKy * FZoom);
}

int64_t TPageLines::SheetAt(int32_t row) const {
  const double mm = FTop + row / (FKy * FZoom);
  auto index = static_cast<int64_t>(std::floor((mm - FPages.First) / FPages.Step));
  // The estimate is off by at most one where the rows round.
  for (int i = 0; i < 2 && SheetTop(index + 1) <= row; ++i) ++index;
  for (int i = 0; i < 2 && SheetTop(index) > row; ++i) --index;
  return index;
}

std::optional<int32_t> TPageLines::Place(int32_t offset, int32_t height) {
  const int64_t laidOut = static_cast<int64_t>(offset) + FShift;
  if (!FActive) return ToRow(FTopRow + laidOut);
  auto row = static_cast<int32_t>(
      std::clamp<int64_t>(laidOut, std::numeric_limits<int32_t>::min() / 2, std::numeric_limits<int32_t>::max() / 2));
  const int64_t sheet = SheetAt(row);
  // A line taller than a sheet is cut wherever it goes: it prints as laid out.
  if (height <= 0 || height > SheetBottom(sheet) - SheetTop(sheet)) return ToRow(FTopRow + laidOut);
  if (static_cast<int64_t>(row) + height > SheetBottom(sheet)) {
    const int32_t next = SheetTop(sheet + 1);
    if (next > row) {
      FShift += next - row;
      row = next;
    }
  }
  const int64_t index = FPages.Index;
  if (row >= SheetTop(index) && static_cast<int64_t>(row) + height <= SheetBottom(index))
    return ToRow(static_cast<int64_t>(FTopRow) + row);
  return std::nullopt;
}

std::optional<int32_t> TPageLines::PlaceSingleLine(int32_t height, TVertical where) {
  int32_t offset = 0;
  if (where == Centred)
    offset = (FRows - height) / 2;
  else if (where == AtBottom)
    offset = FRows - height;
  return Place(offset, height);
}
