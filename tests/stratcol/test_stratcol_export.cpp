// Export of the layers through the rock filter: rule order and consumption,
// letter case, the target file's holes, headers and delimiter, the log.
#include <QFile>

#include "uStratColExport.h"
#include "uStratColTestEnv.h"

namespace {

QString Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void Write(const QString& path, const QByteArray& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
}

TRockFilter Rules(const std::vector<QStringList>& rows) {
  TRockFilter f;
  for (const QStringList& r : rows) f.push_back({r[0], r.mid(1)});
  return f;
}

class StratColExportTest : public TStratColTest {
 protected:
  void SetUp() override {
    TStratColTest::SetUp();
    SetLayerExportEditor([this](TLayerExportChoice* choice) {
      OfferedHoles = choice->Holes;
      choice->Hole = Hole;
      choice->FilterPath = FilterPath;
      LoadChoiceFilter(choice);
      return true;
    });
  }
  void TearDown() override {
    SetLayerExportEditor(nullptr);
    TStratColTest::TearDown();
  }
  QString Hole;
  QString FilterPath;
  QStringList OfferedHoles;
};

}  // namespace

TEST_F(StratColExportTest, RulesConsumeTheirNamesInOrder) {
  const QStringList signs = {"a", "b", "a"};
  QStringList codes;
  EXPECT_TRUE(TranslateSigns(signs, Rules({{"X", "a", "b"}, {"Y", "a"}}), &codes).isEmpty());
  EXPECT_EQ(codes, QStringList{"X"});
  codes.clear();
  EXPECT_EQ(TranslateSigns(signs, Rules({{"Y", "a"}, {"X", "a", "b"}}), &codes), QStringList{"b"});
  EXPECT_EQ(codes, QStringList{"Y"});
  // Latin letters without case; other alphabets letter for letter.
  codes.clear();
  EXPECT_EQ(TranslateSigns({"sst", "глина"}, Rules({{"S", "SST"}, {"C", "ГЛИНА"}}), &codes), QStringList{"глина"});
  EXPECT_EQ(codes, QStringList{"S"});
  // A rule with an empty code consumes without writing; a line without names is no rule.
  codes.clear();
  EXPECT_TRUE(TranslateSigns({"x"}, Rules({{"ONLY"}, {"", "x"}}), &codes).isEmpty());
  EXPECT_TRUE(codes.isEmpty());
}

TEST_F(StratColExportTest, HolesAreReplacedAndOthersKept) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  col->AddLayer(0, 2.5, {QStringLiteral("SST"), QStringLiteral("LST")});
  col->AddLayer(2.5, 4);  // no signs
  col->AddLayer(4, 5, {QStringLiteral("qqq")});
  FilterPath = Path("filter.txt");
  Write(FilterPath, "SAND\tsst\nLIME\tLST\n");
  const QString target = Path("holes.txt");
  Write(target, "Well;Top;Bottom;Code\nW1;0;1;A\nW2;5;6;B\nW1;1;2;C\nW3;0;9\n");
  Hole = QStringLiteral("W1");
  ASSERT_TRUE(ExportLayersTo(col, target));
  EXPECT_EQ(OfferedHoles, (QStringList{"W1", "W2", "W3"}));
  // W1's rows replaced in W1's place; the file keeps its delimiter and header
  // texts, the new code column gets the standard one, every row the full width.
  EXPECT_EQ(Read(target).toStdString(), std::string("Well;Top;Bottom;Code;Rock2\n"
                                                    "W1;0;2.5;SAND;LIME\n"
                                                    "W1;2.5;4;;\n"
                                                    "W1;4;5;;\n"
                                                    "W2;5;6;B;\n"
                                                    "W3;0;9;;\n"));
  // Exporting the same hole again changes nothing.
  ASSERT_TRUE(ExportLayersTo(col, target));
  EXPECT_EQ(Read(target).count(QStringLiteral("W1;")), 3);
  const QString log = Read(Settings().TempDirectory() + QStringLiteral("Export.log"));
  EXPECT_EQ(log, QStringLiteral("Interval [4..5] No such rock code in filter: qqq\n"));
  EXPECT_EQ(Settings().ReadText(QStringLiteral("EXPORT"), QStringLiteral("RockFilter")), FilterPath);
  // No viewer opened the log (none is installed here): its lines are shown.
  ASSERT_FALSE(FUi.Messages.empty());
  EXPECT_TRUE(FUi.Messages.back().Text.contains(QStringLiteral("1 sign names have no rock code")));
  EXPECT_TRUE(FUi.Messages.back().Text.endsWith(QStringLiteral("\nInterval [4..5] No such rock code in filter: qqq")));
  const size_t shown = FUi.Messages.size();
  QString opened;
  SetExportLogViewer([&opened](const QString& path) {
    opened = path;
    return true;
  });
  ASSERT_TRUE(ExportLayersTo(col, target));
  SetExportLogViewer(nullptr);
  EXPECT_EQ(FUi.Messages.size(), shown) << "a log the viewer opened is not shown again";
  EXPECT_TRUE(opened.endsWith(QStringLiteral("Export.log")));
}

TEST_F(StratColExportTest, NewFilesUseTabsWhateverTheirExtension) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  col->AddLayer(1, 2, {QStringLiteral("SST")});
  FilterPath = Path("filter.csv");
  Write(FilterPath, "SAND,SST\n");
  Hole = QStringLiteral("Skv-1");
  // Through the save dialog with the first filter: the name gets ".txt".
  FUi.FileAnswers.push_back(Path("out"));
  SetLayerExportEditor([this](TLayerExportChoice* choice) {
    choice->Hole = Hole;
    choice->FilterPath = FilterPath;
    LoadChoiceFilter(choice);
    return true;
  });
  const QString target = Path("out.txt");
  ASSERT_TRUE(ExportLayers(col));
  EXPECT_EQ(Read(target), QStringLiteral("Hole_ID\tFrom_Depth\tTo_Depth\tRock1\nSkv-1\t1\t2\tSAND\n"));
  EXPECT_FALSE(QFile::exists(Settings().TempDirectory() + QStringLiteral("Export.log")));
  ASSERT_TRUE(ExportLayersTo(col, Path("new.csv")));
  EXPECT_TRUE(Read(Path("new.csv")).startsWith(QStringLiteral("Hole_ID\tFrom_Depth")));
}

// No filter, or one that cannot be read (reported, then cleared): nothing to
// translate through, so the layers' own sign names are their rock codes.
TEST_F(StratColExportTest, WithoutAFilterTheSignNamesAreTheCodes) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  col->AddLayer(0, 1, {QStringLiteral("SST"), QString(), QStringLiteral("LST")});
  col->AddLayer(1, 2);  // no signs
  FilterPath = Path("missing-filter.txt");
  Hole = QStringLiteral("H");
  ASSERT_TRUE(ExportLayersTo(col, Path("t.txt")));
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages.back().Text, QStringLiteral("Can't load filter"));
  EXPECT_EQ(Settings().ReadText(QStringLiteral("EXPORT"), QStringLiteral("RockFilter")), QString());
  EXPECT_EQ(Read(Path("t.txt")),
            QStringLiteral("Hole_ID\tFrom_Depth\tTo_Depth\tRock1\tRock2\nH\t0\t1\tSST\tLST\nH\t1\t2\t\t\n"));
  EXPECT_FALSE(QFile::exists(Settings().TempDirectory() + QStringLiteral("Export.log")));
  // A filter without a rule for these names is a filter: it translates nothing, and says so.
  FilterPath = Path("other-filter.txt");
  Write(FilterPath, "CLAY\tARG\n");
  ASSERT_TRUE(ExportLayersTo(col, Path("t.txt")));
  EXPECT_EQ(Read(Path("t.txt")),
            QStringLiteral("Hole_ID\tFrom_Depth\tTo_Depth\tRock1\tRock2\nH\t0\t1\t\t\nH\t1\t2\t\t\n"));
  EXPECT_EQ(Read(Settings().TempDirectory() + QStringLiteral("Export.log")).count(QLatin1Char('\n')), 2);
  // A cancelled dialog writes nothing.
  SetLayerExportEditor([](TLayerExportChoice*) { return false; });
  EXPECT_FALSE(ExportLayersTo(col, Path("cancelled.txt")));
  EXPECT_FALSE(QFile::exists(Path("cancelled.txt")));
}
