// Importing table files into a string table and exporting delimited text.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "uComPtr.h"
#include "uMemoryStream.h"
#include "uScriptedUi.h"
#include "uStringTableEx.h"
#include "uTableImport.h"

void PrintTo(const QString& s, std::ostream* os);

namespace {

QString Fixture(const char* name) { return QStringLiteral(KERNO_TEST_DATA "/tables/") + QLatin1String(name); }

class TablesImport : public ::testing::Test {
 protected:
  QString Write(const char* name, const QByteArray& bytes) {
    const QString path = FDir.filePath(QLatin1String(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  QByteArray ReadBack(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
  }
  // A table holding something, to see that failed imports keep it.
  void Prefill(TStringTable* t) {
    t->SetColCount(1);
    t->SetRowCount(1);
    t->SetCell(0, 0, "kept");
  }
  void ExpectKept(const TStringTable& t) {
    EXPECT_EQ(t.ColCount(), 1);
    EXPECT_EQ(t.RowCount(), 1);
    EXPECT_EQ(t.GetCell(0, 0), "kept");
  }

  QTemporaryDir FDir;
  TScriptedUi FUi;
  TScopedUi FScope{&FUi};
};

TEST_F(TablesImport, DelimiterIsTheFirstCandidateInTheFirstLine) {
  TStringTable t;
  ASSERT_EQ(t.ImportFile(Write("a.txt", "a;b c\nd;e f\n")), S_OK);
  EXPECT_EQ(t.ColCount(), 2) << "';' comes before space";
  EXPECT_EQ(t.GetCell(1, 0), "b c");
  ASSERT_EQ(t.ImportFile(Write("b.txt", "a  b\n c   d  \n")), S_OK);
  EXPECT_EQ(t.ColCount(), 2) << "a run of spaces is one separator";
  EXPECT_EQ(t.GetCell(0, 1), "c") << "a leading space separates nothing";
  EXPECT_EQ(t.GetCell(1, 1), "d");
  ASSERT_EQ(t.ImportFile(Write("c.csv", "1,,3\r\n")), S_OK);
  EXPECT_EQ(t.ColCount(), 3) << "empty fields remain";
  EXPECT_EQ(t.GetCell(1, 0), "");
  EXPECT_EQ(t.GetCell(2, 0), "3");
  EXPECT_EQ(t.RowCount(), 1) << "the final line break ends a line, not a new one";
  ASSERT_EQ(t.ImportFile(Write("d.tab", "x\ty|z\n1\t2\t3\t4\n")), S_OK);
  EXPECT_EQ(t.ColCount(), 4) << "a longer line raises the column count";
  EXPECT_EQ(t.GetCell(1, 0), "y|z");
  EXPECT_EQ(t.GetCell(3, 1), "4");
  ASSERT_EQ(t.ImportFile(Write("e.txt", "single\nline\n")), S_OK);
  EXPECT_EQ(t.ColCount(), 1);
  EXPECT_EQ(t.GetCell(0, 1), "line");
}

TEST_F(TablesImport, FixedColumnCountGrowsOnlyForWiderLines) {
  TStringTable t;
  t.AutoColumns = false;
  t.SetColCount(5);
  ASSERT_EQ(t.ImportFile(Write("a.csv", "1;2\n")), S_OK);
  EXPECT_EQ(t.ColCount(), 5);
  ASSERT_EQ(t.ImportFile(Write("b.csv", "1;2;3;4;5;6\n")), S_OK);
  EXPECT_EQ(t.ColCount(), 6);
}

TEST_F(TablesImport, TextInUtf8BomOrWindows1251AndCellDataCleared) {
  TStringTable t;
  t.SetColCount(1);
  t.SetRowCount(1);
  t.SetCellData(0, 0, 5);
  ASSERT_EQ(t.ImportFile(Write("u.txt", "\xEF\xBB\xBF\xD0\xB3\xD0\xBB\xD0\xB8\xD0\xBD\xD0\xB0;1\n")), S_OK);
  EXPECT_EQ(t.GetCell(0, 0), QString::fromUtf8("глина"));
  EXPECT_EQ(t.GetCellData(0, 0), 0);
  ASSERT_EQ(t.ImportFile(Write("w.txt", "\xE3\xEB\xE8\xED\xE0;2\n")), S_OK);
  EXPECT_EQ(t.GetCell(0, 0), QString::fromUtf8("глина"));
}

// Cells are cut from the file's bytes; converted ones (Windows-1251) are kept
// elsewhere: both kinds must land in their own places.
TEST_F(TablesImport, ConvertedAndPlainCellsMixInAnyOrder) {
  TStringTable t;
  ASSERT_EQ(t.ImportFile(Write("w.csv", "a;\xE3\xEB\xE8\xED\xE0;b\r\n\xB8;;c\rlast\n")), S_OK);
  EXPECT_EQ(t.ColCount(), 3);
  EXPECT_EQ(t.RowCount(), 3) << "CR LF and CR each end one line";
  EXPECT_EQ(t.GetCell(0, 0), "a");
  EXPECT_EQ(t.GetCell(1, 0), QString::fromUtf8("глина"));
  EXPECT_EQ(t.GetCell(2, 0), "b");
  EXPECT_EQ(t.GetCell(0, 1), QString::fromUtf8("ё"));
  EXPECT_EQ(t.GetCell(2, 1), "c");
  EXPECT_EQ(t.GetCell(0, 2), "last");
  EXPECT_EQ(t.GetCell(1, 2), "") << "a short row is padded";
  ASSERT_EQ(t.ImportFile(Write("u.txt", "x \xD0\xB3\xD0\xBB\xD0\xB8\xD0\xBD\xD0\xB0  y\n\n z\n")), S_OK);
  EXPECT_EQ(t.ColCount(), 3);
  EXPECT_EQ(t.GetCell(1, 0), QString::fromUtf8("глина")) << "UTF-8 cells are taken as they are";
  EXPECT_EQ(t.GetCell(2, 0), "y");
  EXPECT_EQ(t.GetCell(0, 1), "") << "an empty line is an empty row";
  EXPECT_EQ(t.GetCell(0, 2), "z");
  // The stored form of an imported table is that of the same table typed in.
  TStringTable typed;
  typed.SetColCount(3);
  typed.SetRowCount(3);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) typed.SetCell(c, r, t.GetCell(c, r));
  TComPtr<IStream> a, b;
  CreateMemoryStream(a.Put());
  CreateMemoryStream(b.Put());
  TStringTableEx ea, eb;
  ea.Assign(t);
  eb.Assign(typed);
  ASSERT_TRUE(ea.SaveToStream(a.Get()));
  ASSERT_TRUE(eb.SaveToStream(b.Get()));
  std::vector<uint8_t> bytesA, bytesB;
  ReadWholeStream(a.Get(), &bytesA);
  ReadWholeStream(b.Get(), &bytesB);
  EXPECT_EQ(bytesA, bytesB);
}

QStringList Row(const TCellStore& cells, int row) {
  QStringList r;
  for (int c = 0; c < cells.ColCount(); ++c) r << cells.Text(c, row);
  return r;
}

TCellStore Parse(const QByteArray& bytes) {
  TCellStore cells;
  EXPECT_TRUE(ParseDelimitedText(bytes, &cells));
  return cells;
}

// A field that begins with a double quote holds delimiters and line breaks up
// to its closing quote, "" standing for one quote; other fields split as
// before, quotes and all.
TEST_F(TablesImport, QuotedFieldsFollowTheCommonCsvQuoting) {
  TCellStore c = Parse("a,\"b,c\",d\r\n\"x\"\"y\",,\"multi\r\nline\"\n5\" pipe,\"\"\n");
  ASSERT_EQ(c.RowCount(), 3);
  EXPECT_EQ(Row(c, 0), (QStringList{"a", "b,c", "d"}));
  EXPECT_EQ(Row(c, 1), (QStringList{"x\"y", "", "multi\r\nline"}));
  EXPECT_EQ(Row(c, 2), (QStringList{"5\" pipe", "", ""})) << "a quote inside a field is text";
  // The delimiter is looked for outside quoted fields.
  c = Parse("\"a;b\",c\n\"d\"e;f,g\n");
  EXPECT_EQ(Row(c, 0), (QStringList{"a;b", "c"}));
  EXPECT_EQ(Row(c, 1), (QStringList{"de;f", "g"})) << "text after the closing quote belongs to the field";
  // Without a closing quote the field is plain text, and so is the rest.
  c = Parse("x;\"open\ny;z\n");
  ASSERT_EQ(c.RowCount(), 2);
  EXPECT_EQ(Row(c, 0), (QStringList{"x", "\"open"}));
  EXPECT_EQ(Row(c, 1), (QStringList{"y", "z"}));
  // Space-separated: a quoted field keeps its spaces.
  c = Parse("\"a b\"  c\n \"d\"\"e\" f\n");
  EXPECT_EQ(Row(c, 0), (QStringList{"a b", "c"}));
  EXPECT_EQ(Row(c, 1), (QStringList{"d\"e", "f"}));
  // Windows-1251 text inside quotes is converted like any other.
  c = Parse("\"\xE3\xEB\xE8\xED\xE0, \xEF\xE5\xF1\xEE\xEA\";1\n");
  EXPECT_EQ(Row(c, 0), (QStringList{QString::fromUtf8("глина, песок"), "1"}));
}

// A sheet saved by Calc as comma-separated text imports as the sheet itself does.
TEST_F(TablesImport, CommaSeparatedTextFromCalcImportsAsTheSheet) {
  TStringTable csv, sheet;
  ASSERT_EQ(csv.ImportFile(Fixture("formulas.csv")), S_OK);
  FUi.ListAnswers.push_back(0);
  ASSERT_EQ(sheet.ImportFile(Fixture("formulas.xlsx")), S_OK);
  ASSERT_EQ(csv.ColCount(), sheet.ColCount());
  ASSERT_EQ(csv.RowCount(), sheet.RowCount());
  for (int r = 0; r < csv.RowCount(); ++r)
    for (int c = 0; c < csv.ColCount(); ++c)
      EXPECT_EQ(csv.GetCell(c, r), sheet.GetCell(c, r)) << "row " << r << ", column " << c;
  EXPECT_EQ(csv.GetCell(1, 1), "1,000,500");
}

TEST_F(TablesImport, DamagedTextNeverReadsOutsideTheBytes) {
  const QByteArray good = "a;\xE3\xEB;b\r\n\xD0\xB3;;c\rlast\n1 2  3\n";
  uint32_t seed = 777;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  const char kInteresting[] = {'\n', '\r', ' ', '\t', ';', ',', '\0', '\xEF', '\xBB', '\xBF', '\xD0'};
  for (int round = 0; round < 2000; ++round) {
    QByteArray bytes = good.mid(static_cast<qsizetype>(next() % 4));
    for (int k = static_cast<int>(next() % 4); k > 0 && !bytes.isEmpty(); --k)
      bytes[static_cast<qsizetype>(next() % static_cast<uint32_t>(bytes.size()))] =
          kInteresting[next() % sizeof kInteresting];
    TCellStore cells;
    ASSERT_TRUE(ParseDelimitedText(bytes, &cells));
    EXPECT_LE(cells.RowCount(), bytes.count('\n') + bytes.count('\r') + 1);
    for (int r = 0; r < cells.RowCount(); ++r)
      for (int c = 0; c < cells.ColCount(); ++c)
        EXPECT_LE(cells.Utf8(c, r).size(), static_cast<size_t>(bytes.size()) * 2);
  }
}

TEST_F(TablesImport, MissingOrEmptyFilesFailAndKeepTheTable) {
  TStringTable t;
  Prefill(&t);
  EXPECT_EQ(t.ImportFile(FDir.filePath("none.txt")), E_FAIL);
  ExpectKept(t);
  EXPECT_TRUE(t.LastError().contains("none.txt")) << t.LastError().toStdString();
  EXPECT_EQ(t.ImportFile(Write("empty.txt", "")), E_FAIL);
  ExpectKept(t);
  EXPECT_TRUE(t.LastError().contains("empty.txt")) << t.LastError().toStdString();
  EXPECT_TRUE(FUi.Messages.empty()) << "the command shows the reason, not the table";
}

TEST_F(TablesImport, ExportJoinsCellsAndQuotesLineBreaks) {
  TStringTable t;
  t.SetColCount(1);
  t.SetRowCount(1);
  t.SetCell(0, 0, "a\r\nb");
  const QString path = FDir.filePath("out.csv");
  ASSERT_EQ(t.ExportText(path, u';'), S_OK);
  EXPECT_EQ(ReadBack(path), "\"a\r\nb\"\n");
  ASSERT_EQ(t.ExportText(path, u' '), S_OK);
  EXPECT_EQ(ReadBack(path), "\"a  b\"\n") << "the space-separated form keeps a row on one line";
  t.SetColCount(3);
  t.SetCell(2, 0, QString::fromUtf8("ё"));
  ASSERT_EQ(t.ExportText(path, u'\t'), S_OK);
  EXPECT_EQ(ReadBack(path), "\"a\r\nb\"\t\t\xD1\x91\n") << "UTF-8, empty cells kept";
  EXPECT_EQ(t.ExportText(FDir.filePath("no/such/dir/x.txt"), u'\t'), E_FAIL);
  EXPECT_EQ(QDir(FDir.path()).entryList(QDir::Files), QStringList{"out.csv"}) << "no temporary file left behind";
}

// What the table exports reads back cell for cell in each of the three forms,
// whatever the cells hold.
TEST_F(TablesImport, ExportedTextReadsBackCellForCell) {
  const QStringList cells[] = {
      {"tab\there", "semi;colon", "", "\"quoted\"", "space here"},
      {"1,000,500", "", "say \"hi\", then go", "two\r\nlines", "x"},
      {"", "", "", "", ""},
      {"\"", "a\"\"b", "end\n", "|:,", QString::fromUtf8("глина, песок")},
  };
  TStringTable t;
  t.SetColCount(5);
  t.SetRowCount(4);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 5; ++c) t.SetCell(c, r, cells[r][c]);
  for (const QChar delimiter : {QChar(u'\t'), QChar(u';'), QChar(u' ')}) {
    const QString path = FDir.filePath("round.txt");
    ASSERT_EQ(t.ExportText(path, delimiter), S_OK);
    TStringTable back;
    ASSERT_EQ(back.ImportFile(path), S_OK);
    ASSERT_EQ(back.ColCount(), 5) << ReadBack(path).toStdString();
    ASSERT_EQ(back.RowCount(), 4) << ReadBack(path).toStdString();
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 5; ++c) {
        QString want = cells[r][c];
        if (delimiter == u' ') want.replace(QChar(u'\r'), QChar(u' ')).replace(QChar(u'\n'), QChar(u' '));
        EXPECT_EQ(back.GetCell(c, r), want)
            << "delimiter " << int(delimiter.unicode()) << ", row " << r << ", column " << c;
      }
  }
  // One column: the first line has no delimiter, so none of the candidates
  // may stand unquoted in it.
  TStringTable one;
  one.SetColCount(1);
  one.SetRowCount(2);
  one.SetCell(0, 0, "a;b c");
  one.SetCell(0, 1, "d\te");
  const QString path = FDir.filePath("one.csv");
  ASSERT_EQ(one.ExportText(path, u';'), S_OK);
  TStringTable back;
  ASSERT_EQ(back.ImportFile(path), S_OK);
  EXPECT_EQ(back.ColCount(), 1);
  EXPECT_EQ(back.GetCell(0, 0), "a;b c");
  EXPECT_EQ(back.GetCell(0, 1), "d\te");
}

TEST_F(TablesImport, ExportDialogChoosesDelimiterByFilterOrExtension) {
  TStringTable t;
  t.SetColCount(2);
  t.SetRowCount(1);
  t.SetCell(0, 0, "a");
  t.SetCell(1, 0, "b");
  FUi.FileAnswers.push_back(FDir.filePath("plain"));  // filter 1: .txt with tab
  ASSERT_EQ(t.ExportWithDialog(), S_OK);
  EXPECT_EQ(ReadBack(FDir.filePath("plain.txt")), "a\tb\n");
  EXPECT_EQ(t.FileName, FDir.filePath("plain.txt"));
  FUi.FileAnswers.push_back(FDir.filePath("x.prn"));
  ASSERT_EQ(t.ExportWithDialog(), S_OK);
  EXPECT_EQ(ReadBack(FDir.filePath("x.prn")), "a b\n");
  EXPECT_EQ(t.ExportWithDialog(), R_CANCELLED) << "dialog cancelled";
  FUi.FileAnswers.push_back(FDir.filePath("no/such/dir/y.txt"));
  EXPECT_EQ(t.ExportWithDialog(), E_FAIL);
  EXPECT_TRUE(t.LastError().contains("y.txt")) << t.LastError().toStdString();
  EXPECT_TRUE(FUi.Messages.empty()) << "the command shows the reason";
  ASSERT_FALSE(FUi.FileDialogs.empty());
  EXPECT_EQ(FUi.FileDialogs[0].Filter, "TXT(TAB)|*.txt|CSV|*.csv|PRN|*.prn");
}

TEST_F(TablesImport, ImportDialogRemembersTheFileOnSuccessOnly) {
  TStringTable t;
  const QString good = Write("g.csv", "1;2\n");
  FUi.FileAnswers.push_back(good);
  ASSERT_EQ(t.ImportWithDialog(), S_OK);
  EXPECT_EQ(t.FileName, good);
  EXPECT_TRUE(FUi.FileDialogs[0].Filter.startsWith("All supported formats|*.xls;*.xlsx;*.ods;*.mdb;*.accdb"));
  FUi.FileAnswers.push_back(FDir.filePath("missing.csv"));
  EXPECT_EQ(t.ImportWithDialog(), E_FAIL);
  EXPECT_EQ(t.FileName, good);
  EXPECT_TRUE(t.LastError().contains("missing.csv"));
  EXPECT_TRUE(FUi.Messages.empty());
  EXPECT_EQ(t.ImportWithDialog(), R_CANCELLED);
}

// Every spreadsheet format: the chosen sheet, its used size, texts and colours in Data.
TEST_F(TablesImport, SpreadsheetsFillTextsAndFontColours) {
  for (const char* file : {"sample.xlsx", "sample.ods", "sample.xls"}) {
    TStringTable t;
    FUi.ListAnswers.push_back(0);
    ASSERT_EQ(t.ImportFile(Fixture(file)), S_OK) << file << t.LastError().toStdString();
    ASSERT_FALSE(FUi.Lists.empty());
    EXPECT_EQ(FUi.Lists.back(), (QStringList{"Data", "Second"})) << "the sheet chooser lists the sheets";
    EXPECT_EQ(t.ColCount(), 4) << file;
    EXPECT_EQ(t.RowCount(), 3) << file;
    EXPECT_EQ(t.GetCell(1, 1), "1,234.50") << file;
    EXPECT_EQ(t.GetCellData(0, 0), 0x0000FF) << file << ": red";
    EXPECT_EQ(t.GetCellData(1, 1), 0xFF0000) << file << ": blue";
    FUi.ListAnswers.push_back(1);
    ASSERT_EQ(t.ImportFile(Fixture(file)), S_OK) << file;
    EXPECT_EQ(t.RowCount(), 4) << file;
    EXPECT_EQ(t.GetCell(2, 3), "corner") << file;
  }
}

TEST_F(TablesImport, NoChosenSheetLeavesTheTableAsItWas) {
  TStringTable t;
  Prefill(&t);
  EXPECT_EQ(t.ImportFile(Fixture("sample.xlsx")), R_CANCELLED);  // the scripted chooser answers nothing
  ExpectKept(t);
  EXPECT_TRUE(FUi.Messages.empty()) << "a cancel is not an error";
}

TEST_F(TablesImport, DamagedOrWrongSpreadsheetsFailAndKeepTheTable) {
  for (const char* file : {"truncated.xlsx", "text-renamed.xls"}) {
    TStringTable t;
    Prefill(&t);
    FUi.ListAnswers.push_back(0);
    EXPECT_EQ(t.ImportFile(Fixture(file)), E_FAIL) << file;
    ExpectKept(t);
    EXPECT_FALSE(t.LastError().isEmpty());
  }
  TStringTable t;
  Prefill(&t);
  EXPECT_EQ(t.ImportFile(Write("junk.ods", "PK\x03\x04garbage")), E_FAIL);
  ExpectKept(t);
}

TEST_F(TablesImport, DatabaseTableBecomesHeaderAndRecords) {
  TStringTable t;
  FUi.ListAnswers.push_back(0);
  ASSERT_EQ(t.ImportFile(Fixture("sample.sqlite")), S_OK);
  EXPECT_EQ(FUi.Lists.back(), (QStringList{"wells", "empty table"}));
  EXPECT_EQ(t.ColCount(), 4);
  EXPECT_EQ(t.RowCount(), 4);
  EXPECT_EQ(t.GetCell(1, 0), "name");
  EXPECT_EQ(t.GetCell(2, 1), "1200.5");
  // A table without records: its column names alone.
  Prefill(&t);
  FUi.ListAnswers.push_back(1);
  ASSERT_EQ(t.ImportFile(Fixture("sample.sqlite")), S_OK) << t.LastError().toStdString();
  EXPECT_EQ(t.ColCount(), 1);
  EXPECT_EQ(t.RowCount(), 1);
  EXPECT_EQ(t.GetCell(0, 0), "a");
  // A missing file, a damaged one.
  Prefill(&t);
  EXPECT_EQ(t.ImportFile(FDir.filePath("none.mdb")), E_FAIL);
  ExpectKept(t);
  FUi.ListAnswers.push_back(0);
  EXPECT_EQ(t.ImportFile(Write("bad.db", QByteArray(4096, 'x'))), E_FAIL);
  ExpectKept(t);
  FUi.ListAnswers.push_back(0);
  EXPECT_EQ(t.ImportFile(Write("bad.accdb", QByteArray(8192, '\0'))), E_FAIL);
  ExpectKept(t);
}

TEST_F(TablesImport, AccessDatabaseImport) {
  const QString file = QStringLiteral(KERNO_SHARED_DATA "/access/test2V2003.mdb");
  if (!QFile::exists(file)) GTEST_SKIP() << "shared data not present";
  TStringTable t;
  FUi.ListAnswers.push_back(0);
  ASSERT_EQ(t.ImportFile(file), S_OK) << t.LastError().toStdString();
  EXPECT_GE(t.RowCount(), 2);
  EXPECT_GE(t.ColCount(), 1);
  EXPECT_FALSE(t.GetCell(0, 0).isEmpty()) << "column name";
}

TEST_F(TablesImport, ChooserRegistryReplacesTheListChoice) {
  QStringList offered;
  SetImportChooser([&](const QString& title, const QStringList& items) {
    offered = items;
    EXPECT_EQ(title, "Select sheet");
    return 1;
  });
  TStringTable t;
  const HRESULT hr = t.ImportFile(Fixture("sample.ods"));
  SetImportChooser({});
  ASSERT_EQ(hr, S_OK);
  EXPECT_EQ(offered, (QStringList{"Data", "Second"}));
  EXPECT_EQ(t.GetCell(2, 3), "corner");
  EXPECT_TRUE(FUi.Lists.empty());
}

TEST_F(TablesImport, ImportSizesTheGeometryOfAnExtendedTable) {
  TStringTableEx t;
  t.DefaultColWidth = 12;
  ASSERT_EQ(t.ImportFile(Write("a.csv", "1;2;3\n4;5;6\n7;8;9\n")), S_OK);
  EXPECT_EQ(t.ColWidths, (std::vector<double>{12, 12, 12}));
  EXPECT_EQ(t.RowHeights.size(), 3u);
}

}  // namespace

#include "uTableToText.h"

namespace {

TEST_F(TablesImport, CommandLineConverterExitCodes) {
  const QString out = FDir.filePath("out.txt");
  EXPECT_EQ(RunTableToText({Fixture("sample.ods"), out}), 0);
  EXPECT_TRUE(ReadBack(out).startsWith("Name\tValue\tShare\tDate\nalpha\t1,234.50\t25%\t2020-03-15\n"));
  EXPECT_TRUE(FUi.Lists.empty()) << "the first sheet is taken without asking";
  EXPECT_EQ(RunTableToText({Fixture("sample.sqlite"), out}), 0);
  EXPECT_TRUE(ReadBack(out).startsWith("id\tname\tdepth\tnote\n1\tW-1\t1200.5\tfirst\n"));
  EXPECT_EQ(RunTableToText({Fixture("truncated.xlsx"), out}), 1);
  EXPECT_EQ(RunTableToText({FDir.filePath("none.csv"), out}), 1);
  EXPECT_EQ(RunTableToText({Fixture("sample.ods"), FDir.filePath("no/dir/out.txt")}), 1);
  EXPECT_EQ(RunTableToText({Fixture("sample.ods")}), 1);
  EXPECT_TRUE(FUi.Messages.empty()) << "the converter shows nothing";
  EXPECT_EQ(&Ui(), &FUi) << "the caller's UI services are back";
}

}  // namespace

#include <QProcess>

namespace {

TEST_F(TablesImport, ProgramConvertsTablesFromTheCommandLine) {
  const QString program = QStringLiteral(KERNO_PROGRAM_DIR "/Kerno");
  if (!QFile::exists(program)) GTEST_SKIP() << "program not built";
  auto run = [&](const QStringList& args, QString* err) {
    QProcess p;
    p.start(program, QStringList{"--table-to-text"} + args);
    EXPECT_TRUE(p.waitForFinished(60000));
    *err = QString::fromLocal8Bit(p.readAllStandardError());
    return p.exitCode();
  };
  QString err;
  const QString out = FDir.filePath("out.txt");
  EXPECT_EQ(run({Fixture("sample.xls"), out}, &err), 0) << err.toStdString();
  EXPECT_TRUE(ReadBack(out).startsWith("Name\tValue\tShare\tDate\n"));
  EXPECT_EQ(run({Fixture("text-renamed.xls"), out}, &err), 1);
  EXPECT_EQ(err.count(u'\n'), 1) << "one line: " << err.toStdString();
  EXPECT_TRUE(err.startsWith("Kerno: "));
}

}  // namespace
