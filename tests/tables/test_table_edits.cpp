// Grid operations of the table editors: rotating and flipping with the sizes,
// rows and columns moved with their cells and colours, colouring by value
// range and by template rules, and cell ranges copied and pasted as the
// tab-separated text spreadsheets exchange.
#include <gtest/gtest.h>

#include "uTableEdits.h"

void PrintTo(const QString& s, std::ostream* os);

namespace {

// rows x cols with cells "r,c".
void Grid(TStringTableEx* t, int rows, int cols) {
  t->AutoColumns = false;
  t->SetColCount(cols);
  t->SetRowCount(rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) t->SetCell(c, r, QStringLiteral("%1,%2").arg(r).arg(c));
}

QStringList Row(const TStringTable& t, int r) {
  QStringList out;
  for (int c = 0; c < t.ColCount(); ++c) out << t.GetCell(c, r);
  return out;
}

}  // namespace

TEST(TableEdits, RotatingTurnsCellsAndSizesAndFourTurnsAreNone) {
  TStringTableEx t;
  Grid(&t, 2, 3);
  t.ColWidths = {10, 20, 30};
  t.RowHeights = {4, 6};
  t.SetCellData(2, 1, 0x0000FF);
  RotateTableClockwise(&t);
  ASSERT_EQ(t.RowCount(), 3);
  ASSERT_EQ(t.ColCount(), 2);
  // The first row is the old first column read from the bottom up.
  EXPECT_EQ(Row(t, 0), (QStringList{"1,0", "0,0"}));
  EXPECT_EQ(Row(t, 2), (QStringList{"1,2", "0,2"}));
  EXPECT_EQ(t.GetCellData(0, 2), 0x0000FF) << "the colour turns with its cell";
  EXPECT_EQ(t.ColWidths, (std::vector<double>{6, 4}));
  EXPECT_EQ(t.RowHeights, (std::vector<double>{10, 20, 30}));

  RotateTableCounterClockwise(&t);
  EXPECT_EQ(Row(t, 0), (QStringList{"0,0", "0,1", "0,2"}));
  for (int i = 0; i < 4; ++i) RotateTableClockwise(&t);
  EXPECT_EQ(Row(t, 1), (QStringList{"1,0", "1,1", "1,2"}));
  EXPECT_EQ(t.ColWidths, (std::vector<double>{10, 20, 30}));
}

TEST(TableEdits, FlipsReverseRowsOrColumns) {
  TStringTableEx t;
  Grid(&t, 3, 2);
  FlipTableVertical(&t);
  EXPECT_EQ(Row(t, 0), (QStringList{"2,0", "2,1"}));
  EXPECT_EQ(Row(t, 2), (QStringList{"0,0", "0,1"}));
  FlipTableHorizontal(&t);
  EXPECT_EQ(Row(t, 0), (QStringList{"2,1", "2,0"}));
}

TEST(TableEdits, RowsAndColumnsMoveWithTheirCellsColoursAndSizes) {
  TStringTableEx t;
  Grid(&t, 3, 3);
  t.RowHeights = {5, 6, 7};
  t.SetCellData(0, 2, 42);
  ASSERT_TRUE(MoveTableRow(&t, 2, 0));
  EXPECT_EQ(Row(t, 0), (QStringList{"2,0", "2,1", "2,2"}));
  EXPECT_EQ(Row(t, 1), (QStringList{"0,0", "0,1", "0,2"}));
  EXPECT_EQ(t.GetCellData(0, 0), 42);
  EXPECT_EQ(t.RowHeights, (std::vector<double>{7, 5, 6}));
  EXPECT_FALSE(MoveTableRow(&t, 0, 3));
  EXPECT_FALSE(MoveTableRow(&t, -1, 0));

  ASSERT_TRUE(InsertTableRow(&t, 3)) << "right after the last row";
  EXPECT_EQ(t.RowCount(), 4);
  EXPECT_EQ(Row(t, 3), (QStringList{"", "", ""}));
  EXPECT_FALSE(InsertTableRow(&t, 5));

  ASSERT_TRUE(InsertTableColumn(&t, 1));
  EXPECT_EQ(Row(t, 1), (QStringList{"0,0", "", "0,1", "0,2"}));
  ASSERT_TRUE(DeleteTableColumn(&t, 0));
  EXPECT_EQ(Row(t, 1), (QStringList{"", "0,1", "0,2"}));
  EXPECT_FALSE(DeleteTableColumn(&t, 3));

  KeepTableRows(&t, [](int r) { return r % 2 == 1; });
  ASSERT_EQ(t.RowCount(), 2);
  EXPECT_EQ(Row(t, 0), (QStringList{"", "0,1", "0,2"}));
}

TEST(TableEdits, ColouringByRangeTakesOnlyRowsWhoseNumberIsInside) {
  TStringTableEx t;
  Grid(&t, 5, 2);
  const QStringList values{"9.9", "10", "20", "abc", "20.01"};
  for (int r = 0; r < 5; ++r) t.SetCell(1, r, values[r]);
  EXPECT_EQ(ColorTableRange(&t, 1, 0xFF0000, 10, 20), 2);
  for (int r = 0; r < 5; ++r) {
    const bool coloured = r == 1 || r == 2;
    EXPECT_EQ(t.GetCellData(0, r), coloured ? 0xFF0000 : 0) << values[r].toStdString();
    EXPECT_EQ(t.GetCellData(1, r), coloured ? 0xFF0000 : 0) << values[r].toStdString();
  }
  // A text reads as -99999, so a range reaching that low takes it.
  EXPECT_EQ(RangeCellValue("abc"), -99999);
  EXPECT_EQ(ColorTableRange(&t, 1, 0x00FF00, -100000, 0), 1);
  EXPECT_EQ(t.GetCellData(0, 3), 0x00FF00);
  EXPECT_EQ(ColorTableRange(&t, 7, 0x00FF00, 0, 100), 0) << "no such column";
}

TEST(TableEdits, TemplateRulesColourByTheirColumnAndRange) {
  TStringTableEx t;
  Grid(&t, 3, 2);
  t.SetCell(1, 0, "5");
  t.SetCell(1, 1, "15");
  t.SetCell(1, 2, "25");
  TStringTable rules;
  rules.AutoColumns = false;
  rules.SetColCount(4);
  rules.SetRowCount(3);
  // Colour 0x0000FF for 0..10 in column 2; 0x00FF00 for 20..30; a rule without
  // a column number is skipped.
  rules.SetCellData(0, 0, 0x0000FF);
  rules.SetCell(1, 0, "2");
  rules.SetCell(2, 0, "0");
  rules.SetCell(3, 0, "10");
  rules.SetCellData(0, 1, 0x00FF00);
  rules.SetCell(1, 1, "2");
  rules.SetCell(2, 1, "20");
  rules.SetCell(3, 1, "30");
  rules.SetCell(1, 2, "column");
  EXPECT_EQ(ColorTableByTemplate(&t, rules), 2);
  EXPECT_EQ(t.GetCellData(0, 0), 0x0000FF);
  EXPECT_EQ(t.GetCellData(0, 1), 0);
  EXPECT_EQ(t.GetCellData(0, 2), 0x00FF00);
}

TEST(TableEdits, RangesCopyAndPasteAsSpreadsheetText) {
  TStringTableEx t;
  Grid(&t, 3, 3);
  t.SetCell(1, 1, "two\nlines");
  t.SetCell(2, 1, "say \"hi\"\tthere");
  const QString text = CopyTableRange(t, {1, 0, 2, 1});
  EXPECT_EQ(text, "0,1\t0,2\n\"two\nlines\"\t\"say \"\"hi\"\"\tthere\"\n");
  const std::vector<QStringList> parsed = ParseTabText(text);
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(parsed[1], (QStringList{"two\nlines", "say \"hi\"\tthere"}));

  // Pasted beyond the table's corner, it grows the table.
  TStringTableEx target;
  Grid(&target, 2, 2);
  const TCellRange written = PasteTableText(&target, 1, 1, text);
  EXPECT_EQ(written.Left, 1);
  EXPECT_EQ(written.Bottom, 2);
  EXPECT_EQ(target.ColCount(), 3);
  EXPECT_EQ(target.RowCount(), 3);
  EXPECT_EQ(target.GetCell(0, 1), "1,0") << "cells left of the range stay";
  EXPECT_EQ(target.GetCell(1, 1), "0,1");
  EXPECT_EQ(target.GetCell(2, 2), "say \"hi\"\tthere");

  // Windows line ends and the trailing line break of a spreadsheet copy.
  EXPECT_EQ(ParseTabText("a\tb\r\nc\td\r\n").size(), 2u);
  EXPECT_EQ(ParseTabText("a\tb\r\nc\td\r\n")[1], (QStringList{"c", "d"}));
}

TEST(TableEdits, OneCellFillsASelectionAndHugePastesAreRefused) {
  TStringTableEx t;
  Grid(&t, 3, 3);
  const TCellRange filled = PasteTableText(&t, 0, 0, "x", {0, 1, 1, 2});
  EXPECT_EQ(filled.Right, 1);
  EXPECT_EQ(Row(t, 0), (QStringList{"0,0", "0,1", "0,2"}));
  EXPECT_EQ(Row(t, 2), (QStringList{"x", "x", "2,2"}));

  // A paste that would grow the table past the bound changes nothing.
  const TCellRange refused = PasteTableText(&t, 0, 2000, "a\tb", TCellRange(), 1000);
  EXPECT_TRUE(refused.Empty());
  EXPECT_EQ(t.RowCount(), 3);
  EXPECT_TRUE(PasteTableText(&t, -1, 0, "a").Empty());
  EXPECT_TRUE(PasteTableText(&t, 0, 0, "").Empty());
}
