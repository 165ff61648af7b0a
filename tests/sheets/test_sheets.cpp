// Readers of spreadsheet and database files: sizes, displayed texts, font
// colours, sheet and table names, and refusal of damaged or wrong files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "uSheetGrid.h"

// Readable QString values in failure messages.
void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QString Fixture(const char* name) { return QStringLiteral(KERNO_TEST_DATA "/tables/") + QLatin1String(name); }
QString Access(const char* name) { return QStringLiteral(KERNO_SHARED_DATA "/access/") + QLatin1String(name); }

QString Text(const TSheetGrid& g, int row, int col) {
  if (row >= g.RowCount() || col >= static_cast<int>(g.Rows[static_cast<size_t>(row)].size())) return {};
  return g.Rows[static_cast<size_t>(row)][static_cast<size_t>(col)].Text;
}
uint32_t Color(const TSheetGrid& g, int row, int col) {
  if (row >= g.RowCount() || col >= static_cast<int>(g.Rows[static_cast<size_t>(row)].size())) return 0xFFFFFFFF;
  return g.Rows[static_cast<size_t>(row)][static_cast<size_t>(col)].Color;
}

bool ReadSheet(const QString& file, int index, TSheetGrid* grid, QStringList* names = nullptr) {
  QString error;
  auto reader = OpenSheetFile(file, SheetFileKind(file), &error);
  if (!reader) {
    ADD_FAILURE() << error.toStdString();
    return false;
  }
  if (names) *names = reader->Names();
  const bool ok = reader->Read(index, grid, &error);
  if (!ok) ADD_FAILURE() << error.toStdString();
  return ok;
}

// The three spreadsheet formats hold the same workbook (made from sample.fods).
class SheetsSpreadsheet : public ::testing::TestWithParam<const char*> {};

TEST_P(SheetsSpreadsheet, DisplayedTextsColoursAndUsedRangeMatchTheWorkbook) {
  TSheetGrid grid;
  QStringList names;
  ASSERT_TRUE(ReadSheet(Fixture(GetParam()), 0, &grid, &names));
  EXPECT_EQ(names, (QStringList{"Data", "Second"}));
  ASSERT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.ColCount, 4);
  EXPECT_EQ(Text(grid, 0, 0), "Name");
  EXPECT_EQ(Color(grid, 0, 0), 0x0000FFu) << "red font as COLORREF 0x00BBGGRR";
  EXPECT_EQ(Text(grid, 1, 1), "1,234.50") << "#,##0.00";
  EXPECT_EQ(Color(grid, 1, 1), 0xFF0000u) << "blue font";
  EXPECT_EQ(Text(grid, 1, 2), "25%");
  EXPECT_EQ(Color(grid, 1, 2), 0x008000u) << "green font";
  EXPECT_EQ(Text(grid, 1, 3), "2020-03-15");
  EXPECT_EQ(Text(grid, 2, 0), QString::fromUtf8("тест"));
  EXPECT_EQ(Color(grid, 2, 0), 0u);
  EXPECT_EQ(Text(grid, 2, 1), "42");
  EXPECT_EQ(Text(grid, 2, 2), "");
  EXPECT_EQ(Text(grid, 2, 3), "0.1") << "General keeps the short form";
}

TEST_P(SheetsSpreadsheet, UsedRangeStartsAtA1AndEndsAtTheLastUsedCell) {
  TSheetGrid grid;
  ASSERT_TRUE(ReadSheet(Fixture(GetParam()), 1, &grid));
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(grid.ColCount, 3);
  EXPECT_EQ(Text(grid, 3, 2), "corner");
}

INSTANTIATE_TEST_SUITE_P(Formats, SheetsSpreadsheet, ::testing::Values("sample.xlsx", "sample.ods", "sample.xls"));

// Formula cells in every form Calc saves: the last results as Calc shows
// them (numbers in the cell's format, texts, booleans, errors, a text result
// too long for one record), as the hand-written formulas.fods gives them.
class SheetsFormulas : public ::testing::TestWithParam<const char*> {};

TEST_P(SheetsFormulas, ResultsAreShownAsCalcShowsThem) {
  TSheetGrid grid;
  ASSERT_TRUE(ReadSheet(Fixture(GetParam()), 0, &grid));
  ASSERT_EQ(grid.RowCount(), 5);
  EXPECT_EQ(grid.ColCount, 5);
  const QString long_ = QString("ab").repeated(5000) + "end";
  const QStringList expected[] = {
      {"Depth", "Value", "Note", "Label", "Deep"},
      {"1000.5", "1,000,500", "clay, sandy", "well 1000.5", "TRUE"},
      {"12.0", "12,000", "said \"stop\"", "", "FALSE"},
      {"two\nlines", "250.125", "a;b|c:d", "xsaid \"stop\"", ""},
      {"#DIV/0!", long_, "", "", ""},
  };
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 5; ++c) EXPECT_EQ(Text(grid, r, c), expected[r][c]) << "row " << r << ", column " << c;
  EXPECT_EQ(Color(grid, 1, 1), 0xFF0000u) << "a formula cell keeps its font colour";
}

INSTANTIATE_TEST_SUITE_P(AllForms, SheetsFormulas, ::testing::Values("formulas.xlsx", "formulas.ods", "formulas.xls"));

TEST(SheetsReaders, DamagedOrWrongFilesAreRefusedWithAMessage) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // An .ods file given the .xlsx reader, and empty files of every kind.
  const QString emptyBase = dir.filePath(QStringLiteral("empty."));
  for (const char* ext : {"xlsx", "ods", "xls", "mdb", "sqlite"}) {
    QFile f(emptyBase + QLatin1String(ext));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  // old-formula-record.xls: sample.xls with one FORMULA record typed 0x0206
  // (found by fuzzing: FreeXL gave up on it with a success and leaked).
  const QStringList bad = {Fixture("truncated.xlsx"),
                           Fixture("text-renamed.xls"),
                           Fixture("old-formula-record.xls"),
                           emptyBase + "xlsx",
                           emptyBase + "ods",
                           emptyBase + "xls",
                           emptyBase + "mdb",
                           emptyBase + "sqlite",
                           Fixture("sample.xlsx") + ".missing.xls",
                           Fixture("text-renamed.xls") + ".missing.mdb"};
  for (const QString& file : bad) {
    QString error;
    auto reader = OpenSheetFile(file, SheetFileKind(file), &error);
    TSheetGrid grid;
    // An empty file may open as an empty database; the import then reports "no tables".
    const bool read = reader && !reader->Names().isEmpty() && reader->Read(0, &grid, &error);
    EXPECT_FALSE(read) << file.toStdString();
    if (!reader) {
      EXPECT_FALSE(error.isEmpty()) << file.toStdString();
    }
  }
  // Real files given to the wrong reader.
  for (auto kind : {TSheetFileKind::Xlsx, TSheetFileKind::Xls, TSheetFileKind::Access, TSheetFileKind::Sqlite}) {
    QString error;
    EXPECT_EQ(OpenSheetFile(Fixture("sample.ods"), kind, &error), nullptr);
  }
}

TEST(SheetsReaders, SqliteTableGivesHeaderRowAndOneRowPerRecord) {
  TSheetGrid grid;
  QStringList names;
  ASSERT_TRUE(ReadSheet(Fixture("sample.sqlite"), 0, &grid, &names));
  EXPECT_EQ(names, (QStringList{"wells", "empty table"}));
  ASSERT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(grid.ColCount, 4);
  EXPECT_EQ(Text(grid, 0, 0), "id");
  EXPECT_EQ(Text(grid, 0, 3), "note");
  EXPECT_EQ(Text(grid, 1, 2), "1200.5");
  EXPECT_EQ(Text(grid, 2, 3), "") << "NULL is an empty cell";
  EXPECT_EQ(Text(grid, 3, 1), QString::fromUtf8("Скв-3"));
  EXPECT_EQ(Text(grid, 3, 2), "15");
  TSheetGrid empty;
  ASSERT_TRUE(ReadSheet(Fixture("sample.sqlite"), 1, &empty));
  EXPECT_EQ(empty.RowCount(), 1) << "only the header of a table without records";
}

TEST(SheetsReaders, AccessDatabasesOfEveryVersionListTablesAndRecords) {
  if (!QDir(QStringLiteral(KERNO_SHARED_DATA "/access")).exists()) GTEST_SKIP() << "shared data not present";
  for (const char* file : {"testV1997.mdb", "test2V2000.mdb", "test2V2003.mdb", "fixedNumericTestV2000.mdb",
                           "fixedTextTestV2003.mdb", "overflowTestV2007.accdb"}) {
    QString error;
    auto reader = OpenSheetFile(Access(file), TSheetFileKind::Access, &error);
    ASSERT_TRUE(reader) << file << ": " << error.toStdString();
    const QStringList names = reader->Names();
    ASSERT_FALSE(names.isEmpty()) << file;
    for (const QString& name : names) EXPECT_FALSE(name.startsWith("MSys")) << "system tables are hidden";
    for (int i = 0; i < names.size(); ++i) {
      TSheetGrid grid;
      ASSERT_TRUE(reader->Read(i, &grid, &error)) << file << " " << names[i].toStdString();
      ASSERT_GE(grid.RowCount(), 1);
      for (const auto& row : grid.Rows) EXPECT_LE(static_cast<int>(row.size()), grid.ColCount);
      for (int c = 0; c < grid.ColCount; ++c)
        EXPECT_FALSE(Text(grid, 0, c).isEmpty()) << "column names in the header row";
    }
  }
}

TEST(SheetsReaders, AccessTableContentIsRead) {
  if (!QDir(QStringLiteral(KERNO_SHARED_DATA "/access")).exists()) GTEST_SKIP() << "shared data not present";
  QString error;
  auto reader = OpenSheetFile(Access("testV1997.mdb"), TSheetFileKind::Access, &error);
  ASSERT_TRUE(reader) << error.toStdString();
  const int table = static_cast<int>(reader->Names().indexOf("Table1"));
  ASSERT_GE(table, 0) << reader->Names().join(",").toStdString();
  TSheetGrid grid;
  ASSERT_TRUE(reader->Read(table, &grid, &error));
  // Table1 of the Jackcess test data: columns A..I and two records (text,
  // numbers, a date as ISO text, currency, a yes/no field as 0/1).
  EXPECT_EQ(grid.ColCount, 9);
  EXPECT_EQ(Text(grid, 0, 0), "A");
  EXPECT_EQ(Text(grid, 0, 8), "I");
  ASSERT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(Text(grid, 1, 0), "a");
  EXPECT_EQ(Text(grid, 1, 6), "1981-12-12 00:00:00");
  EXPECT_EQ(Text(grid, 2, 1), "hijklmnop");
  EXPECT_EQ(Text(grid, 2, 4), "333333333");
  EXPECT_EQ(Text(grid, 2, 5), "444.555");
  EXPECT_EQ(Text(grid, 2, 8), "1");
}

TEST(SheetsReaders, FileKindsFollowTheExtensionInAnyCase) {
  EXPECT_EQ(SheetFileKind("a.XLSX"), TSheetFileKind::Xlsx);
  EXPECT_EQ(SheetFileKind("a.Ods"), TSheetFileKind::Ods);
  EXPECT_EQ(SheetFileKind("a.xls"), TSheetFileKind::Xls);
  EXPECT_EQ(SheetFileKind("a.ACCDB"), TSheetFileKind::Access);
  EXPECT_EQ(SheetFileKind("a.db"), TSheetFileKind::Sqlite);
  EXPECT_EQ(SheetFileKind("a.csv"), TSheetFileKind::None);
  EXPECT_EQ(SheetFileKind("xlsx"), TSheetFileKind::None);
}

TEST(SheetsReaders, Biff8PaletteGivesColorRefs) {
  EXPECT_EQ(Biff8PaletteColor(10), 0x0000FFu);  // red
  EXPECT_EQ(Biff8PaletteColor(12), 0xFF0000u);  // blue
  EXPECT_EQ(Biff8PaletteColor(2), 0x0000FFu);   // the first eight repeat
  EXPECT_EQ(Biff8PaletteColor(0x7FFF), 0u);     // automatic
  EXPECT_EQ(Biff8PaletteColor(-1), 0u);
}

}  // namespace

namespace {

// Cut and corrupted copies of every fixture: a refusal or a result, never a crash.
TEST(SheetsReaders, CutAndCorruptedFilesNeverCrash) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QStringList sources;
  for (const char* name : {"sample.xlsx", "sample.ods", "sample.xls", "sample.sqlite"}) sources << Fixture(name);
  for (const QString& sourceName : sources) {
    const QString name = QFileInfo(sourceName).fileName();
    QFile source(sourceName);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    for (int step = 1; step <= 12; ++step) {
      for (const bool cut : {true, false}) {
        QByteArray copy = bytes;
        if (cut) {
          copy.truncate(copy.size() * step / 13);
        } else {
          // Overwrite a stretch in the middle of the file with noise.
          for (qsizetype i = copy.size() * step / 13, k = 0; k < 64 && i < copy.size(); ++i, ++k)
            copy[i] = static_cast<char>((i * 131 + step) & 0xFF);
        }
        const QString path = dir.filePath(QStringLiteral("%1-%2-%3").arg(step).arg(cut).arg(name));
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(copy);
        out.close();
        QString error;
        auto reader = OpenSheetFile(path, SheetFileKind(path), &error);
        if (!reader) {
          EXPECT_FALSE(error.isEmpty()) << path.toStdString();
          continue;
        }
        for (int i = 0; i < reader->Names().size(); ++i) {
          TSheetGrid grid;
          if (!reader->Read(i, &grid, &error)) {
            EXPECT_FALSE(error.isEmpty());
          }
        }
      }
    }
  }
}

}  // namespace

// libmdb may loop or crash on a damaged database; the reader must come back
// either way (it reads in a child process it abandons).
TEST(SheetsReaders, DamagedAccessDatabasesNeverHangOrCrash) {
  if (!QDir(QStringLiteral(KERNO_SHARED_DATA "/access")).exists()) GTEST_SKIP() << "shared data not present";
  QList<QByteArray> variants;
  for (const char* name : {"testV1997.mdb", "overflowTestV2007.accdb"}) {
    QFile source(Access(name));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    QByteArray scrambled = bytes;
    for (qsizetype i = 4096; i < scrambled.size(); i += 97) scrambled[i] = static_cast<char>(0xA5 ^ scrambled[i]);
    variants << bytes.left(bytes.size() / 2) << bytes.left(5000) << scrambled;
  }
  QTemporaryDir dir;
  int n = 0;
  for (const QByteArray& variant : variants) {
    const QString path = dir.filePath(QStringLiteral("damaged%1.mdb").arg(n++));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(variant);
    out.close();
    QString error;
    auto reader = OpenSheetFile(path, TSheetFileKind::Access, &error);
    if (!reader) {
      EXPECT_FALSE(error.isEmpty()) << path.toStdString();
      continue;
    }
    for (int t = 0; t < reader->Names().size(); ++t) {
      TSheetGrid grid;
      if (!reader->Read(t, &grid, &error)) {
        EXPECT_FALSE(error.isEmpty());
      }
    }
  }
}
