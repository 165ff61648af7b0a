// Lines of text across printed sheets: every sheet works out the same
// placement, so each line prints whole, on one sheet (on both sheets of an
// overlap at most), and none is lost, whatever the rounding of the sheets'
// device rows.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <map>
#include <optional>

#include "uNumbers.h"
#include "uPageLines.h"

namespace {

struct TPlacedLine {
  int Sheet;
  int32_t Row;
};

// Where the sheets show `lines` lines laid out `spacing` rows apart, each
// `height` rows tall, in a box whose top lies at page mm `top`.
std::map<int, std::vector<TPlacedLine>> PlaceOnSheets(QPainter* painter, const TPrintedPages& pages, double top,
                                                      int lines, int spacing, int height) {
  std::map<int, std::vector<TPlacedLine>> placed;
  for (int sheet = 0; sheet < 4; ++sheet) {
    TDrawContext context;
    context.DC = painter;
    context.OriginY = pages.First + sheet * pages.Step;
    context.Pages = pages;
    context.Pages.Index = sheet;
    TPageLines sheets(context, top, (2 + lines * spacing) / context.Ky(), context.PixelY(top));
    const int32_t sheetRows = context.PixelY(context.OriginY + pages.Height);
    for (int i = 0; i < lines; ++i) {
      const std::optional<int32_t> row = sheets.Place(2 + i * spacing, height);
      // What the sheet shows of it, if anything (the sheet's clip cuts the rest).
      if (row && *row + height > 0 && *row < sheetRows) placed[i].push_back({sheet, *row});
    }
  }
  return placed;
}

}  // namespace

TEST(PageLines, EveryLinePrintsWholeOnOneSheetWhereverTheBreakFalls) {
  for (const int dpi : {600, 300, 96}) {
    QImage device(8, 8, QImage::Format_RGB32);
    device.setDotsPerMeterX(RoundEven(dpi / 0.0254));
    device.setDotsPerMeterY(RoundEven(dpi / 0.0254));
    QPainter painter(&device);
    const double k = dpi / 25.4;
    const int height = RoundEven(4.2 * k);  // a 12 pt line
    const int spacing = RoundEven(4.5 * k);
    const TPrintedPages pages{true, -3, 277, 277, 0};
    const int sheetRows = RoundEven(277 * k);
    // Boxes whose lines meet the first break (page mm 274) in every way.
    for (double top = 240; top < 276; top += 0.0731) {
      const auto placed = PlaceOnSheets(&painter, pages, top, 12, spacing, height);
      int previousSheet = -1;
      int64_t previousEnd = 0;
      for (int i = 0; i < 12; ++i) {
        const auto it = placed.find(i);
        ASSERT_TRUE(it != placed.end()) << "line " << i << " lost; top " << top << ", " << dpi << " dpi";
        ASSERT_EQ(it->second.size(), 1u) << "line " << i << " printed twice; top " << top << ", " << dpi << " dpi";
        const TPlacedLine& line = it->second.front();
        EXPECT_GE(line.Row, 0) << "cut by the sheet's top; line " << i << ", top " << top;
        EXPECT_LE(line.Row + height, sheetRows + 1) << "cut by the sheet's bottom; line " << i << ", top " << top;
        // Down the sheets in order, never over the line before.
        const int64_t start = static_cast<int64_t>(line.Sheet) * sheetRows + line.Row;
        EXPECT_GE(line.Sheet, previousSheet);
        if (i > 0 && line.Sheet == previousSheet) {
          EXPECT_GE(start, previousEnd) << "line " << i << " overlaps the one before; top " << top;
          EXPECT_LE(start - previousEnd, spacing - height) << "a gap within one sheet; top " << top;
        }
        previousSheet = line.Sheet;
        previousEnd = start + height;
      }
    }
  }
}

TEST(PageLines, OverlappingSheetsPrintEveryLineWholeOnAtLeastOne) {
  QImage device(8, 8, QImage::Format_RGB32);
  device.setDotsPerMeterX(RoundEven(600 / 0.0254));
  device.setDotsPerMeterY(RoundEven(600 / 0.0254));
  QPainter painter(&device);
  const double k = 600 / 25.4;
  const int height = RoundEven(4.2 * k);
  // 20 mm of each sheet's foot print again at the head of the next one.
  const TPrintedPages pages{true, 0, 257, 277, 0};
  for (double top = 220; top < 290; top += 0.113) {
    const auto placed = PlaceOnSheets(&painter, pages, top, 15, RoundEven(4.5 * k), height);
    for (int i = 0; i < 15; ++i) {
      const auto it = placed.find(i);
      ASSERT_TRUE(it != placed.end()) << "line " << i << " lost; top " << top;
      for (const TPlacedLine& line : it->second) {
        EXPECT_GE(line.Row, 0) << "line " << i << ", top " << top;
        EXPECT_LE(line.Row + height, RoundEven(277 * k) + 1) << "line " << i << ", top " << top;
      }
    }
  }
}

TEST(PageLines, ScreensAndBoxesWithinASheetKeepTheirLayout) {
  QImage device(8, 8, QImage::Format_RGB32);
  QPainter painter(&device);
  TDrawContext screen;
  screen.DC = &painter;
  TPageLines none(screen, 270, 20, 1000);
  EXPECT_FALSE(none.Active());
  EXPECT_EQ(none.Place(40, 16), 1040);
  EXPECT_EQ(none.Place(56, 16), 1056);

  TDrawContext printed = screen;
  printed.Pages = TPrintedPages{true, 0, 277, 277, 0};
  TPageLines within(printed, 100, 20, printed.PixelY(100));
  EXPECT_FALSE(within.Active()) << "no edge cuts the box";
  TPageLines cut(printed, 270, 20, printed.PixelY(270));
  EXPECT_TRUE(cut.Active());
  // A line far taller than a sheet prints as laid out, cut.
  EXPECT_EQ(cut.Place(0, 5000), printed.PixelY(270));
  // Damaged geometry gives no placement, not a hang.
  printed.Pages = TPrintedPages{true, 0, 0, 277, 0};
  EXPECT_FALSE(TPageLines(printed, 270, 20, 0).Active());
  printed.Pages = TPrintedPages{true, 0, 277, 277, 0};
  EXPECT_FALSE(TPageLines(printed, std::nan(""), 20, 0).Active());
  EXPECT_FALSE(TPageLines(printed, 1e300, 1e300, 0).Active());
}
