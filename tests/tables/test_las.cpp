// LAS well-log import: curves as the header row, one row per depth, NULL
// values emptied; the public sample files, malformed ones included.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>

#include "uLasImport.h"
#include "uScriptedUi.h"
#include "uStringTable.h"

void PrintTo(const QString& s, std::ostream* os);

namespace {

QString Las(const char* name) { return QStringLiteral(KERNO_SHARED_DATA "/las/") + QString::fromUtf8(name); }

bool HaveSharedLas() { return QFile::exists(Las("1.2/sample.las")); }

QString Cell(const TCellStore& g, int row, int col) {
  if (row >= g.RowCount() || col >= g.ColCount()) return {};
  return g.Text(col, row);
}

TCellStore Parse(const QByteArray& bytes, bool* ok = nullptr, QString* error = nullptr) {
  TCellStore grid;
  QString e;
  const bool done = ParseLas(bytes, &grid, &e);
  if (ok) *ok = done;
  if (error) *error = e;
  return grid;
}

const char* const kHeader =
    "~Version\n VERS. 2.0 : v\n WRAP. NO : one line\n~Well\n NULL. -999.25 : null\n"
    "~Curve\n DEPT.M : depth\n GR.GAPI : gamma\n RT.OHMM : res\n";

TEST(TablesLas, NullValuesBecomeEmptyCellsWhateverTheirSpelling) {
  const TCellStore g = Parse(QByteArray(kHeader) + "~A\n100.0 -999.25 5\n100.5 -999.2500 6\n101.0 7 -999.250\n");
  ASSERT_EQ(g.RowCount(), 4);
  EXPECT_EQ(g.ColCount(), 3);
  EXPECT_EQ(Cell(g, 0, 1), "GR");
  EXPECT_EQ(Cell(g, 1, 1), "");
  EXPECT_EQ(Cell(g, 2, 1), "");
  EXPECT_EQ(Cell(g, 3, 2), "");
  EXPECT_EQ(Cell(g, 3, 1), "7");
}

TEST(TablesLas, WrappedDataRunsOverLinesAndAShortLastStepIsPadded) {
  QByteArray text = kHeader;
  text.replace("WRAP. NO", "WRAP. YES");
  const TCellStore g = Parse(text + "~A\n100.0\n1 2\n100.5\n3\n4\n101.0\n5\n");
  ASSERT_EQ(g.RowCount(), 4);
  EXPECT_EQ(Cell(g, 2, 2), "4");
  EXPECT_EQ(Cell(g, 3, 1), "5");
  EXPECT_EQ(Cell(g, 3, 2), "");
}

TEST(TablesLas, DecimalCommasAndDelimitersOfVersion3) {
  const TCellStore comma = Parse(QByteArray(kHeader) + "~A\n100,5 1,25 -999,25\n");
  EXPECT_EQ(Cell(comma, 1, 0), "100.5");
  EXPECT_EQ(Cell(comma, 1, 1), "1.25");
  EXPECT_EQ(Cell(comma, 1, 2), "") << "NULL written with a decimal comma";
  QByteArray v3 = kHeader;
  v3.replace("WRAP. NO : one line\n", "WRAP. NO : one line\n DLM. COMMA : delimiter\n");
  const TCellStore g = Parse(v3 + "~A\n100.0, \"a b\" ,3\n");
  EXPECT_EQ(Cell(g, 1, 1), "\"a b\"");
  EXPECT_EQ(Cell(g, 1, 2), "3");
  QByteArray tab = kHeader;
  tab.replace("WRAP. NO : one line\n", "WRAP. NO : one line\n DLM. TAB : delimiter\n");
  const TCellStore t = Parse(tab + "~A\n100.0\tsand stone\t3\n");
  EXPECT_EQ(Cell(t, 1, 1), "sand stone");
}

// Data lines of ASCII are split in place, others decoded first: both must
// give the same cells, and a line of one kind must not disturb the next.
TEST(TablesLas, PlainAndDecodedDataLinesAgree) {
  QByteArray text = QByteArray(kHeader).replace("GR.GAPI", "\xC3\xCA.GAPI");  // Windows-1251 file
  text += "~A\n100.0 \"a b\" 1,5\n100.5 \"\xE3\xEB\xE8\xED\xE0 x\" 2,5\n101.0\xA0-999.25 7\n101.5 -999.25 8 9\n";
  const TCellStore g = Parse(text);
  ASSERT_EQ(g.RowCount(), 5);
  EXPECT_EQ(Cell(g, 0, 1), QString::fromUtf8("ГК"));
  EXPECT_EQ(Cell(g, 1, 1), "a b") << "a quoted value with a blank";
  EXPECT_EQ(Cell(g, 1, 2), "1.5");
  EXPECT_EQ(Cell(g, 2, 1), QString::fromUtf8("глина x"));
  EXPECT_EQ(Cell(g, 2, 2), "2.5") << "decimal comma on a decoded line";
  EXPECT_EQ(Cell(g, 3, 0), "101.0") << "a no-break space separates values too";
  EXPECT_EQ(Cell(g, 3, 1), "");
  EXPECT_EQ(Cell(g, 3, 2), "7");
  EXPECT_EQ(Cell(g, 4, 1), "");
  EXPECT_EQ(Cell(g, 4, 2), "8") << "values beyond the curves are dropped";
  // Names that grow when decoded, longer than all the bytes before the data.
  const TCellStore tight = Parse("~A \xC3\xCA\xC4 \xC3\xCA\xC4\n1 2\n");
  EXPECT_EQ(Cell(tight, 0, 1), QString::fromUtf8("ГКД"));
  EXPECT_EQ(Cell(tight, 1, 0), "1");
  // Curves defined after the data (column names in the data title) join the header.
  const TCellStore late = Parse("~A DEPT GR\n1 2\n3 4\n~Curve\n RT.OHMM : res\n");
  ASSERT_EQ(late.ColCount(), 3);
  EXPECT_EQ(Cell(late, 0, 2), "RT");
  EXPECT_EQ(Cell(late, 2, 1), "4");
  EXPECT_EQ(Cell(late, 2, 2), "");
}

// The byte scanners read words past a value's start: damaged files of every
// kind (cut anywhere, bytes changed) must stay inside the bytes (run under
// the address sanitizer) and give whole rows.
TEST(TablesLas, DamagedBytesNeverReadOutside) {
  const QByteArray good = QByteArray(kHeader) + "~A\n100.0 \"a b\" 1,5\n100.5 -999.25 \xC3\xCA\n101.0\t7,25 8\r\n";
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  const char kInteresting[] = {'\n', '\r', ' ', '\t', '"', ',', '~', '#', '\0', '\xA0', '\xD0', '.'};
  for (int round = 0; round < 3000; ++round) {
    QByteArray bytes = good.left(static_cast<qsizetype>(next() % static_cast<uint32_t>(good.size() + 1)));
    for (int k = static_cast<int>(next() % 4); k > 0 && !bytes.isEmpty(); --k)
      bytes[static_cast<qsizetype>(next() % static_cast<uint32_t>(bytes.size()))] =
          kInteresting[next() % sizeof kInteresting];
    bool ok = false;
    QString error;
    const TCellStore g = Parse(bytes, &ok, &error);
    if (!ok) {
      EXPECT_FALSE(error.isEmpty());
      continue;
    }
    ASSERT_GE(g.RowCount(), 2);
    for (int r = 0; r < g.RowCount(); ++r)
      for (int c = 0; c < g.ColCount(); ++c) EXPECT_LE(g.Utf8(c, r).size(), static_cast<size_t>(bytes.size()) * 2);
  }
}

TEST(TablesLas, EncodingsAreDetected) {
  const QByteArray utf8 = QByteArray(kHeader).replace("GR.GAPI", "\xD0\x93\xD0\x9A.GAPI") + "~A\n1 2 3\n";
  EXPECT_EQ(Cell(Parse(utf8), 0, 1), QString::fromUtf8("ГК"));
  EXPECT_EQ(Cell(Parse(QByteArray(kHeader).replace("GR.GAPI", "\xC3\xCA.GAPI") + "~A\n1 2 3\n"), 0, 1),
            QString::fromUtf8("ГК"))
      << "Windows-1251";
  const QString text = QString::fromUtf8(kHeader) + "~A\n1 2 3\n";
  QByteArray le(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
  EXPECT_EQ(Parse(le).RowCount(), 2) << "UTF-16 without a byte-order mark";
  EXPECT_EQ(Parse("\xFF\xFE" + le).RowCount(), 2);
}

TEST(TablesLas, NonLasInputFailsWithAReason) {
  for (const QByteArray& bytes :
       {QByteArray("100.0, 0.63, 302.19\n200.0, 0.5, 284.62\n"), QByteArray("\x00\x01\x02\xFF", 4),
        QByteArray("~Version\n VERS. 2.0 : v\n~A\n1 2 3\n"), QByteArray(kHeader)}) {
    bool ok = true;
    QString error;
    Parse(bytes, &ok, &error);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(error.isEmpty());
  }
}

// The reason goes to the caller, whose command shows it.
TEST(TablesLas, ImportReportsUnreadableFilesToTheCaller) {
  if (!HaveSharedLas()) GTEST_SKIP() << "shared data not present";
  TScriptedUi ui;
  TScopedUi scope(&ui);
  TStringTable t;
  EXPECT_EQ(t.ImportFile(Las("not_a_las_file.las")), E_FAIL);
  EXPECT_TRUE(t.LastError().contains("LAS")) << t.LastError().toStdString();
  EXPECT_EQ(t.ImportFile(Las("missing.las")), E_FAIL);
  EXPECT_TRUE(t.LastError().contains("missing.las")) << t.LastError().toStdString();
  EXPECT_TRUE(ui.Messages.empty());
}

struct TLasExpect {
  const char* File;
  int Curves;
  int Rows;
};

// Counts checked by reading the files: curves of the (log) curve section and depth steps.
TEST(TablesLas, PublicSamplesHaveTheirCurvesAndDepths) {
  if (!HaveSharedLas()) GTEST_SKIP() << "shared data not present";
  const TLasExpect expected[] = {
      {"1.2/sample.las", 8, 3},
      {"1.2/sample_wrapped.las", 36, 5},
      {"2.0/sample_2.0.las", 8, 3},
      {"2.0/sample_2.0_wrapped.las", 36, 2},
      {"3.0/sample_3.0.las", 15, 3},
      {"comma_decimal_mark.las", 8, 3},
      {"encodings_utf16lebom.las", 8, 3},
      {"encodings_utf16be.las", 8, 3},
      {"sample_null.las", 8, 3},
      {"2.0/sample_2.0_universal_newline.las", 8, 3},
      {"issue79.las", 6, 2},
      {"autodepthindex_M.las", 2, 101},
  };
  for (const TLasExpect& e : expected) {
    TCellStore g;
    QString error;
    ASSERT_TRUE(ReadLasFile(Las(e.File), &g, &error)) << e.File << ": " << error.toStdString();
    EXPECT_EQ(g.ColCount(), e.Curves) << e.File;
    EXPECT_EQ(g.RowCount() - 1, e.Rows) << e.File;
  }
  // No curve section: the data title names the columns.
  TCellStore bare;
  QString why;
  ASSERT_TRUE(ReadLasFile(Las("barebones2.las"), &bare, &why));
  EXPECT_EQ(bare.ColCount(), 8);
  EXPECT_EQ(Cell(bare, 0, 0), "DEPTH");
  EXPECT_EQ(bare.RowCount(), 4);
  TCellStore g;
  QString error;
  ASSERT_TRUE(ReadLasFile(Las("3.0/sample_3.0.las"), &g, &error));
  EXPECT_EQ(Cell(g, 1, 9), "DOLOMITE WI/VUGS");
  EXPECT_EQ(Cell(g, 0, 10), "NMR[1]");
  ASSERT_TRUE(ReadLasFile(Las("comma_decimal_mark.las"), &g, &error));
  EXPECT_EQ(Cell(g, 2, 4), "123.420");
  ASSERT_TRUE(ReadLasFile(Las("sample_null.las"), &g, &error));
  EXPECT_EQ(Cell(g, 2, 7), "");
  EXPECT_EQ(Cell(g, 1, 7), "105.600");
}

// Every public file, malformed ones included: a result or a reason, never a crash.
TEST(TablesLas, EveryPublicFileImportsOrFailsCleanly) {
  if (!HaveSharedLas()) GTEST_SKIP() << "shared data not present";
  QDirIterator it(QStringLiteral(KERNO_SHARED_DATA "/las"), {"*.las", "*.LAS"}, QDir::Files,
                  QDirIterator::Subdirectories);
  int files = 0, imported = 0;
  while (it.hasNext()) {
    const QString file = it.next();
    ++files;
    TCellStore g;
    QString error;
    if (ReadLasFile(file, &g, &error)) {
      ++imported;
      EXPECT_GE(g.RowCount(), 2) << file.toStdString();
      EXPECT_GE(g.ColCount(), 1) << file.toStdString();
    } else {
      EXPECT_FALSE(error.isEmpty()) << file.toStdString();
    }
  }
  EXPECT_GT(files, 80);
  EXPECT_GT(imported, files * 3 / 4);
}

}  // namespace
