// The string table's cells, sizes, references, stored forms and geometry.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <map>
#include <utility>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uIniFile.h"
#include "uMemoryStream.h"
#include "uNewQS.h"
#include "uStringTableEx.h"

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// Every stored value as ID -> tag.
std::map<int32_t, int32_t> Entries(ICompoundStream* s) {
  std::map<int32_t, int32_t> result;
  TComPtr<IEnumEntries> e = TComPtr<ICompoundStream>(s).As<IEnumEntries>(IID_IEnumEntries);
  e->Reset();
  TCompoundEntry entry{};
  int32_t fetched = 0;
  while (e->Next(1, &entry, &fetched) == S_OK && fetched == 1) result[entry.ID] = entry.Tag;
  return result;
}

TEST(TablesStringTable, SparseTableStoresOnlyCountsAndNonEmptyCells) {
  TStringTable t;
  t.SetColCount(2);
  t.SetRowCount(3);
  t.SetCell(0, 1, "x");
  auto s = NewQS();
  ASSERT_TRUE(t.SaveToQS(s.Get()));
  const std::map<int32_t, int32_t> expected = {{4866, qsInteger}, {4867, qsInteger}, {0xFF0002, qsString}};
  EXPECT_EQ(Entries(s.Get()), expected);
  EXPECT_EQ(qsReadInteger(s.Get(), 4866, -1), 2);
  EXPECT_EQ(qsReadInteger(s.Get(), 4867, -1), 3);
  EXPECT_EQ(qsReadShortStr(s.Get(), 0xFF0002, ""), "x");
}

TEST(TablesStringTable, StreamRoundTripKeepsTextsDataAndCutsLongCellsTo255) {
  TStringTable t;
  t.SetColCount(3);
  t.SetRowCount(2);
  t.SetCell(2, 1, QString(300, u'a'));
  t.SetCell(1, 0, QString::fromUtf8("глина"));
  t.SetCellData(0, 0, 0x0000FF);
  t.SetCellData(2, 1, -7);
  auto s = NewQS();
  ASSERT_TRUE(t.SaveToQS(s.Get()));
  TStringTable back;
  ASSERT_TRUE(back.LoadFromQS(s.Get()));
  EXPECT_EQ(back.ColCount(), 3);
  EXPECT_EQ(back.RowCount(), 2);
  EXPECT_EQ(back.GetCell(2, 1), QString(255, u'a'));
  EXPECT_EQ(back.GetCell(1, 0), QString::fromUtf8("глина"));
  EXPECT_EQ(back.GetCellData(0, 0), 0x0000FF);
  EXPECT_EQ(back.GetCellData(2, 1), -7);
  EXPECT_EQ(qsReadInteger(s.Get(), 0xF00000 + 5, 0), -7) << "value ID is 0xF00000 + row * n + col";
  EXPECT_FALSE(back.LoadFromQS(nullptr));
}

TEST(TablesStringTable, LargeTableValuesDoNotCollideWithTexts) {
  // 1000 x 1000 cells: per-cell value IDs would run into the text IDs.
  TStringTable t;
  t.SetColCount(1000);
  t.SetRowCount(1000);
  t.SetCell(0, 0, "first");
  t.SetCellData(999, 999, 0x123456);  // cell 999999: its value ID would be the text ID of cell 16959
  t.SetCell(959, 16, "victim");
  auto s = NewQS();
  ASSERT_TRUE(t.SaveToQS(s.Get()));
  TStringTable back;
  ASSERT_TRUE(back.LoadFromQS(s.Get()));
  EXPECT_EQ(back.GetCell(959, 16), "victim");
  EXPECT_EQ(back.GetCellData(999, 999), 0x123456);
  EXPECT_EQ(back.GetCell(0, 0), "first");
}

TEST(TablesStringTable, DamagedCountsGiveAnEmptyTableNotAHugeAllocation) {
  auto s = NewQS();
  qsWriteInteger(s.Get(), 4866, 2000000000);
  qsWriteInteger(s.Get(), 4867, 2000000000);
  TStringTable t;
  t.SetColCount(1);
  EXPECT_FALSE(t.LoadFromQS(s.Get()));
  EXPECT_EQ(t.ColCount(), 0);
  EXPECT_EQ(t.RowCount(), 0);
  qsWriteInteger(s.Get(), 4866, -5);
  EXPECT_FALSE(t.LoadFromQS(s.Get()));
  // Huge column or row counts with no cells at all: the header and the
  // geometry would still be that large.
  for (const auto& [cols, rows] : {std::pair{2000000000, 0}, std::pair{0, 2000000000}}) {
    qsWriteInteger(s.Get(), 4866, cols);
    qsWriteInteger(s.Get(), 4867, rows);
    TStringTableEx ex;
    EXPECT_FALSE(ex.LoadFromQS(s.Get())) << cols << " x " << rows;
    EXPECT_EQ(ex.ColCount(), 0);
    EXPECT_EQ(ex.RowCount(), 0);
  }
}

TEST(TablesStringTable, IndicesOutsideTheTableAreIgnored) {
  TStringTable t;
  t.SetColCount(2);
  t.SetRowCount(2);
  t.SetCell(2, 0, "no");
  t.SetCell(0, -1, "no");
  t.SetCellData(5, 5, 1);
  t.SetHeader(2, "no");
  EXPECT_EQ(t.GetCell(2, 0), "");
  EXPECT_EQ(t.GetCellData(-1, 0), 0);
  EXPECT_EQ(t.GetHeader(7), "");
  EXPECT_EQ(t.GetRowInterval(9), nullptr);
  EXPECT_FALSE(t.DeleteRow(2));
  EXPECT_FALSE(t.DeleteRow(-1));
}

TEST(TablesStringTable, ResizingKeepsCellsAndDeleteRowClosesTheGap) {
  TStringTable t;
  t.SetColCount(3);
  t.SetRowCount(3);
  for (int r = 0; r < 3; ++r) t.SetCell(2, r, QString::number(r));
  t.SetHeader(1, "h");
  t.SetColCount(2);
  t.SetColCount(3);
  EXPECT_EQ(t.GetCell(2, 0), "") << "dropped cells come back empty";
  EXPECT_EQ(t.GetHeader(1), "h");
  t.SetCell(0, 0, "a");
  t.SetCell(0, 1, "b");
  t.SetCell(0, 2, "c");
  ASSERT_TRUE(t.DeleteRow(1));
  EXPECT_EQ(t.RowCount(), 2);
  EXPECT_EQ(t.GetCell(0, 1), "c");
  t.Clear();
  EXPECT_EQ(t.RowCount(), 0);
  EXPECT_EQ(t.ColCount(), 0);
}

TEST(TablesStringTable, CellReferences) {
  TStringTable t;
  t.SetColCount(3);
  t.SetRowCount(2);
  t.SetCell(2, 1, "abc");
  EXPECT_EQ(t.ResolveReference("R2C3"), "abc");
  EXPECT_EQ(t.ResolveReference("r2c3s1"), "a");
  EXPECT_EQ(t.ResolveReference("C3R2S3"), "c");
  EXPECT_EQ(t.ResolveReference("R2C3S5"), "") << "beyond the text";
  EXPECT_EQ(t.ResolveReference("R2C3S0"), "abc");
  EXPECT_EQ(t.ResolveReference("R1C1S5"), "");
  EXPECT_EQ(t.ResolveReference("R2"), "") << "column missing";
  EXPECT_EQ(t.ResolveReference("R2 C3"), "") << "any other character";
  EXPECT_EQ(t.ResolveReference("R3C1"), "");
  EXPECT_EQ(t.ResolveReference("R0C1"), "");
  EXPECT_EQ(t.ResolveReference("R99999999999999999999C1"), "") << "huge numbers do not overflow";
}

TEST(TablesStringTable, AssignCopiesEverythingWithoutCuttingCells) {
  TStringTableEx a;
  a.SetColCount(2);
  a.SetRowCount(1);
  a.SetCell(1, 0, QString(400, u'z'));
  a.SetHeader(0, "depth");
  a.SetCellData(1, 0, 99);
  a.ColWidths[1] = 33.5;
  a.FileName = "f.csv";
  TStringTableEx b;
  ASSERT_TRUE(b.Assign(a));
  EXPECT_EQ(b.GetCell(1, 0).size(), 400);
  EXPECT_EQ(b.GetHeader(0), "depth");
  EXPECT_EQ(b.GetCellData(1, 0), 99);
  EXPECT_EQ(b.ColWidths[1], 33.5);
  EXPECT_EQ(b.FileName, "f.csv");
}

// Cells live in one shared arena: rewriting, resizing and copying must never
// let one cell's text show through another's.
TEST(TablesStringTable, RewrittenCellsKeepTheirOwnTexts) {
  TStringTable t;
  t.SetColCount(3);
  t.SetRowCount(400);
  // Many rewrites, longer and shorter, so that the arena is compacted several times.
  for (int round = 0; round < 40; ++round)
    for (int r = 0; r < 400; ++r)
      for (int c = 0; c < 3; ++c)
        t.SetCell(c, r, QString(((round + r + c) % 7) * 300, QChar(u'a' + c)) + QString::number(r));
  for (int r = 0; r < 400; ++r)
    for (int c = 0; c < 3; ++c)
      ASSERT_EQ(t.GetCell(c, r), QString(((39 + r + c) % 7) * 300, QChar(u'a' + c)) + QString::number(r));
  t.SetCell(1, 5, QString::fromUtf8("ёж"));
  t.SetCell(1, 5, "x");  // shorter: written in place
  EXPECT_EQ(t.GetCell(1, 5), "x");
  EXPECT_EQ(t.GetCell(2, 5), QString(((39 + 5 + 2) % 7) * 300, u'c') + "5") << "the neighbour is untouched";
  EXPECT_EQ(t.GetCellData(0, 0), 0);
  t.SetCellData(2, 399, 42);
  t.SetColCount(2);
  t.SetColCount(4);
  EXPECT_EQ(t.GetCell(2, 0), "") << "a dropped column comes back empty";
  EXPECT_EQ(t.GetCellData(2, 399), 0) << "and without its value";
  EXPECT_EQ(t.GetCell(1, 399), QString(((39 + 399 + 1) % 7) * 300, u'b') + "399");
  // A copy shares nothing that a change to either could reach.
  TStringTable copy;
  ASSERT_TRUE(copy.Assign(t));
  copy.SetCell(0, 0, "changed");
  copy.SetCell(1, 1, "");
  EXPECT_EQ(t.GetCell(0, 0), QString(((39 + 0 + 0) % 7) * 300, u'a') + "0");
  EXPECT_EQ(copy.GetCell(1, 2), t.GetCell(1, 2));
  EXPECT_FALSE(t.GetCell(1, 1).isEmpty()) << "emptying the copy's cell leaves the source's";
  const TStringTableRow row = t.Row(3);
  ASSERT_EQ(row.Cells.size(), 4u);
  EXPECT_EQ(row.Cells[1].Text, t.GetCell(1, 3));
  EXPECT_TRUE(t.Row(400).Cells.empty()) << "outside the table";
}

TEST(TablesStringTableEx, GeometryFollowsShiftsAndWidths) {
  TStringTableEx t;
  t.SetColCount(2);
  t.ColWidths = {20, 30};
  t.ColShifts = {0, 5};
  EXPECT_DOUBLE_EQ(t.ColLeft(0), 0);
  EXPECT_DOUBLE_EQ(t.ColLeft(1), 25);
  EXPECT_DOUBLE_EQ(t.TotalWidth(), 55);
  EXPECT_DOUBLE_EQ(t.ColLeft(2), 0) << "outside the table";
  t.DefaultRowHeight = 4;
  t.SetRowCount(3);
  t.RowShifts[2] = 1;
  EXPECT_DOUBLE_EQ(t.RowTop(2), 9);
  EXPECT_DOUBLE_EQ(t.TotalHeight(), 13);
  EXPECT_EQ(t.ColWidths.size(), 2u);
  ASSERT_TRUE(t.DeleteRow(0));
  EXPECT_EQ(t.RowHeights.size(), 2u) << "row geometry follows deleted rows";
}

TEST(TablesStringTableEx, CurrentStreamsKeepFractionsOldOnesLoadIntegers) {
  TStringTableEx t;
  t.SetColCount(2);
  t.SetRowCount(1);
  t.ColWidths[0] = 12.5;
  t.RowHeights[0] = 7.25;
  t.DefaultColWidth = 11.5;
  t.Font.Color = 0x00FF00;
  auto s = NewQS();
  ASSERT_TRUE(t.SaveToQS(s.Get()));
  EXPECT_EQ(qsReadInteger(s.Get(), 12, 0), 1);
  TStringTableEx back;
  ASSERT_TRUE(back.LoadFromQS(s.Get()));
  EXPECT_EQ(back.ColWidths[0], 12.5);
  EXPECT_EQ(back.RowHeights[0], 7.25);
  EXPECT_EQ(back.DefaultColWidth, 11.5);
  EXPECT_EQ(back.Font.Color, 0x00FF00u);
  // An older writer: integers only, no ID 12, one column width missing.
  auto old = NewQS();
  qsWriteInteger(old.Get(), 4866, 2);
  qsWriteInteger(old.Get(), 4867, 1);
  qsWriteInteger(old.Get(), 4864, 15);
  const int32_t widths[1] = {13};
  old->WriteBuffer(4865, widths, sizeof widths);
  TStringTableEx legacy;
  ASSERT_TRUE(legacy.LoadFromQS(old.Get()));
  EXPECT_EQ(legacy.DefaultColWidth, 15);
  EXPECT_EQ(legacy.ColWidths, (std::vector<double>{13, 15}));
  EXPECT_EQ(legacy.ColShifts, (std::vector<double>{0, 0}));
  EXPECT_EQ(legacy.RowHeights, (std::vector<double>{10}));
}

TEST(TablesStringTableEx, WholeStreamRoundTrip) {
  TStringTableEx t;
  t.SetColCount(2);
  t.SetRowCount(2);
  t.SetCell(1, 1, "v");
  t.ColShifts[1] = 2.5;
  TComPtr<IStream> bytes;
  ASSERT_EQ(CreateMemoryStream(bytes.Put()), S_OK);
  ASSERT_TRUE(t.SaveToStream(bytes.Get()));
  uint64_t pos = 0;
  bytes->Seek(0, 0, &pos);
  TStringTableEx back;
  ASSERT_TRUE(back.LoadFromStream(bytes.Get()));
  EXPECT_EQ(back.GetCell(1, 1), "v");
  EXPECT_EQ(back.ColShifts[1], 2.5);
  TComPtr<IStream> junk = MemoryStreamFrom("not a stream", 12);
  EXPECT_FALSE(back.LoadFromStream(junk.Get()));
}

TEST(TablesStringTableEx, IniKeysWriteOnlyWhatDiffersAndReadBack) {
  QTemporaryDir dir;
  TIniFile ini(dir.filePath("t.ini"));
  TStringTableEx t;
  t.SetColCount(2);
  t.SetRowCount(1);
  t.ColWidths[1] = 25;
  t.ColShifts[0] = 1.5;
  t.Font.Color = 0x0000FF;
  ASSERT_TRUE(t.SaveToIni(&ini, "T", "TABLE."));
  EXPECT_TRUE(ini.ValueExists("T", "TABLE.FONT.COLOR")) << "font keys under the prefix + FONT.";
  EXPECT_EQ(ini.ReadInteger("T", "TABLE.COLCOUNT", -1), 2);
  EXPECT_FALSE(ini.ValueExists("T", "TABLE.COLWIDTH1")) << "equal to the default";
  EXPECT_TRUE(ini.ValueExists("T", "TABLE.COLWIDTH2"));
  EXPECT_FALSE(ini.ValueExists("T", "TABLE.COLSHIFT2"));
  EXPECT_TRUE(ini.ValueExists("T", "TABLE.ROWHEIGHT"));
  TStringTableEx back;
  ASSERT_TRUE(back.LoadFromIni(&ini, "T", "TABLE."));
  EXPECT_EQ(back.ColCount(), 2);
  EXPECT_EQ(back.RowCount(), 1);
  EXPECT_EQ(back.ColWidths, (std::vector<double>{10, 25}));
  EXPECT_EQ(back.ColShifts, (std::vector<double>{1.5, 0}));
  EXPECT_EQ(back.Font.Color, 0x0000FFu);
  // Saving a changed table removes keys it no longer writes.
  back.ColWidths[1] = 10;
  back.SetRowCount(0);
  ASSERT_TRUE(back.SaveToIni(&ini, "T", "TABLE."));
  EXPECT_FALSE(ini.ValueExists("T", "TABLE.COLWIDTH2"));
  EXPECT_FALSE(ini.ValueExists("T", "TABLE.ROWCOUNT"));
  EXPECT_FALSE(back.SaveToIni(&ini, "", "X"));
  EXPECT_FALSE(back.LoadFromIni(nullptr, "T", "X"));
}

// Head files and templates are the user's: sizes the stream form refuses are
// refused here too, and the table (cells, geometry, font) stays as it was.
TEST(TablesStringTableEx, IniSizesBeyondTheStoredLimitsLeaveTheTable) {
  QTemporaryDir dir;
  TIniFile ini(dir.filePath("t.ini"));
  TStringTableEx t;
  t.SetColCount(2);
  t.SetRowCount(1);
  t.SetCell(1, 0, "kept");
  t.ColWidths[1] = 25;
  t.Font.Color = 0x00FF00;
  const char* const sizes[][2] = {
      {"2000000000", "1"}, {"1", "2000000000"}, {"2000000000", "0"}, {"-1", "1"}, {"70000", "70000"}};
  for (const auto& size : sizes) {
    ini.WriteString("T", "COLCOUNT", size[0]);
    ini.WriteString("T", "ROWCOUNT", size[1]);
    ini.WriteString("T", "FONT.COLOR", "255");
    EXPECT_FALSE(t.LoadFromIni(&ini, "T", "")) << size[0] << " x " << size[1];
    EXPECT_EQ(t.ColCount(), 2);
    EXPECT_EQ(t.RowCount(), 1);
    EXPECT_EQ(t.GetCell(1, 0), "kept");
    EXPECT_EQ(t.ColWidths, (std::vector<double>{10, 25}));
    EXPECT_EQ(t.Font.Color, 0x00FF00u);
  }
  ini.WriteString("T", "COLCOUNT", "3");
  ini.WriteString("T", "ROWCOUNT", "2");
  ASSERT_TRUE(t.LoadFromIni(&ini, "T", ""));
  EXPECT_EQ(t.ColCount(), 3);
  EXPECT_EQ(t.RowCount(), 2);
}

}  // namespace
