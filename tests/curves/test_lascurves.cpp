// LAS files as curves: the grid a file gives (its step, irregular depths
// resampled, upward logs), damaged files refused with a message, and the
// round trip of every public LAS file through export and import.
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "uCurvesTestEnv.h"
#include "uKernoRun.h"
#include "uLasCurves.h"
#include "uObjectFile.h"
#include "uPrintDiagrammScale.h"
#include "uPrintDiagrams.h"
#include "uPrintHistogramm.h"
#include "uPrintText.h"

namespace {

QByteArray Las(const QByteArray& well, const QByteArray& curves, const QByteArray& data) {
  return "~Version\nVERS. 2.0 :\nWRAP. NO :\n~Well\n" + well + "~Curve\n" + curves + "~A\n" + data;
}

const QByteArray kCurves = "DEPT.M : depth\nGR.GAPI : gamma\nRT.OHMM : resistivity\n";

bool Parse(const QByteArray& bytes, TLasData* data, QString* error) { return ParseLasCurves(bytes, data, error); }

}  // namespace

using LasCurvesTest = TCurvesTest;

TEST_F(LasCurvesTest, RegularFileGivesItsGridUnitsAndMissingSamples) {
  TLasData d;
  QString error;
  ASSERT_TRUE(Parse(Las("STRT.M 1000.0 :\nSTEP.M 0.2 :\nNULL. -999.25 :\nWELL. Test 1 : name\n", kCurves,
                        "1000.0 10 1.5\n1000.2 -999.25 2.5\n1000.4 30 3.5\n"),
                    &d, &error))
      << error.toStdString();
  EXPECT_DOUBLE_EQ(d.Start, 1000);
  EXPECT_DOUBLE_EQ(d.Step, 0.2);
  EXPECT_FALSE(d.Resampled);
  ASSERT_EQ(d.Curves.size(), 2u);
  EXPECT_EQ(d.Curves[0].Mnemonic, "GR");
  EXPECT_EQ(d.Curves[0].Unit, "GAPI");
  EXPECT_EQ(d.Curves[1].Unit, "OHMM");
  ASSERT_EQ(d.Curves[0].Samples.size(), 3u);
  EXPECT_EQ(d.Curves[0].Samples[0], 10);
  EXPECT_TRUE(std::isnan(d.Curves[0].Samples[1]));
  EXPECT_EQ(d.Curves[1].Samples[2], 3.5);
  EXPECT_EQ(d.Header.WellValue("well"), "Test 1");
}

TEST_F(LasCurvesTest, StepComesFromTheDepthsWhenStepIsZeroOrWrong) {
  TLasData d;
  QString error;
  // STEP 0 (allowed for irregular files) and a STEP the depths do not keep.
  for (const QByteArray& step : {QByteArray("0"), QByteArray("0.5")}) {
    ASSERT_TRUE(Parse(Las("STEP.M " + step + " :\n", kCurves, "1000.0 1 1\n1000.2 2 2\n1000.4 3 3\n"), &d, &error));
    EXPECT_DOUBLE_EQ(d.Step, 0.2) << step.constData();
    EXPECT_EQ(d.Curves[0].Samples.size(), 3u);
    EXPECT_FALSE(d.Resampled);
  }
}

TEST_F(LasCurvesTest, IrregularDepthsAreResampledAlongStraightLines) {
  TLasData d;
  QString error;
  // Differences 1, 1, 0.5, 1.5: the median 1 is the step; the grid depth
  // 103 lies between the rows at 102.5 (value 25) and 104 (value 40).
  ASSERT_TRUE(Parse(Las("", kCurves, "100 0 1\n101 10 -999.25\n102 20 3\n102.5 25 4\n104 40 5\n"), &d, &error));
  EXPECT_DOUBLE_EQ(d.Step, 1);
  EXPECT_TRUE(d.Resampled);
  const std::vector<double>& gr = d.Curves[0].Samples;
  ASSERT_EQ(gr.size(), 5u);
  EXPECT_DOUBLE_EQ(gr[2], 20);
  EXPECT_DOUBLE_EQ(gr[3], 25 + (40 - 25) * (0.5 / 1.5));
  EXPECT_DOUBLE_EQ(gr[4], 40);
  // No NULL declared: -999.25 is an ordinary number here.
  EXPECT_EQ(d.Curves[1].Samples[1], -999.25);
}

TEST_F(LasCurvesTest, UpwardLogsAndWrappedFilesReadTopDown) {
  TLasData d;
  QString error;
  ASSERT_TRUE(Parse(Las("NULL. -999 :\n", kCurves, "1002 3 30\n1001 2 -999\n1000 1 10\n"), &d, &error));
  EXPECT_DOUBLE_EQ(d.Start, 1000);
  EXPECT_EQ(d.Curves[0].Samples, (std::vector<double>{1, 2, 3}));
  EXPECT_TRUE(std::isnan(d.Curves[1].Samples[1]));

  const QByteArray wrapped =
      "~Version\nVERS. 2.0 :\nWRAP. YES :\n~Well\nSTEP.M 0.5 :\n~Curve\n" + kCurves + "~A\n10.0\n 1 2\n10.5\n 3\n 4\n";
  ASSERT_TRUE(Parse(wrapped, &d, &error)) << error.toStdString();
  EXPECT_DOUBLE_EQ(d.Step, 0.5);
  EXPECT_EQ(d.Curves[1].Samples, (std::vector<double>{2, 4}));
}

// A document's depths are metres: a file logged in feet would otherwise be
// drawn at the wrong scale and exported again as metres.
TEST_F(LasCurvesTest, DepthsInFeetBecomeMetres) {
  TLasData d;
  QString error;
  ASSERT_TRUE(Parse(Las("STRT.FT 1000 :\nSTOP.FT 1001 :\nSTEP.FT 0.5 :\nWELL. W :\n",
                        "DEPT.FT : depth\nGR.GAPI : gamma\n", "1000 1\n1000.5 2\n1001 3\n"),
                    &d, &error))
      << error.toStdString();
  EXPECT_DOUBLE_EQ(d.Start, 304.8);
  EXPECT_DOUBLE_EQ(d.Step, 0.1524);
  EXPECT_FALSE(d.Resampled);
  EXPECT_EQ(d.Curves[0].Samples, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(d.Header.WellValue("STRT"), "304.8");
  EXPECT_EQ(d.Header.WellValue("STOP"), "305.1048");
  EXPECT_EQ(d.Warnings.size(), 1);
  EXPECT_TRUE(d.Warnings.value(0).contains("FT"));
  // The index's own unit decides; STRT's only when the index has none.
  ASSERT_TRUE(Parse(Las("STRT.F 10 :\n", "DEPT. : depth\nGR.GAPI : gamma\n", "10 1\n20 2\n"), &d, &error));
  EXPECT_DOUBLE_EQ(d.Start, 3.048);
  ASSERT_TRUE(Parse(Las("STRT.FT 10 :\n", kCurves, "10 1 1\n20 2 2\n"), &d, &error));
  EXPECT_DOUBLE_EQ(d.Start, 10);
  EXPECT_TRUE(d.Warnings.isEmpty());
}

TEST_F(LasCurvesTest, DamagedFilesAreRefusedOrReadWithWarnings) {
  TLasData d;
  QString error;
  EXPECT_FALSE(Parse("~Version\nVERS. 2.0 :\n~A\n1 2\n", &d, &error));
  EXPECT_TRUE(error.contains("~Curve")) << error.toStdString();
  EXPECT_FALSE(Parse("~Version\n~Curve\n" + kCurves, &d, &error));
  EXPECT_TRUE(error.contains("~A")) << error.toStdString();
  EXPECT_FALSE(Parse(Las("", kCurves, "x 1 2\ny 3 4\n"), &d, &error));
  EXPECT_FALSE(error.isEmpty());
  // Two rows a kilometre apart with a millimetre between others: far more
  // samples than a curve may hold; refused before anything is allocated.
  EXPECT_FALSE(Parse(Las("", kCurves, "0 1 1\n0.000001 1 1\n0.000002 1 1\n1e9 2 2\n"), &d, &error));
  EXPECT_TRUE(error.contains("more samples")) << error.toStdString();

  // Text in number columns: the row is skipped (bad depth) or the sample missing.
  ASSERT_TRUE(Parse(Las("", kCurves, "1 1 1\nabc 2 2\n2 zz 3\n3 4 4\n"), &d, &error)) << error.toStdString();
  EXPECT_EQ(d.Curves[0].Samples.size(), 3u);
  EXPECT_TRUE(std::isnan(d.Curves[0].Samples[1]));
  ASSERT_EQ(d.Warnings.size(), 2);
  EXPECT_TRUE(d.Warnings[0].contains("abc"));
  EXPECT_TRUE(d.Warnings[1].contains("zz"));

  // Many bad cells: the first five named curve by curve, the rest counted.
  ASSERT_TRUE(Parse(Las("", kCurves, "1 a1 b1\n2 a2 2\n3 a3 b3\n4 4 b4\n5 a5 b5\n"), &d, &error));
  ASSERT_EQ(d.Warnings.size(), 6);
  const char* named[] = {"a1", "a2", "a3", "a5", "b1"};
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(d.Warnings[i].contains(named[i])) << d.Warnings[i].toStdString();
  EXPECT_TRUE(d.Warnings[5].contains("3 more")) << d.Warnings[5].toStdString();
  EXPECT_EQ(d.Curves[1].Samples[1], 2);
  EXPECT_TRUE(std::isnan(d.Curves[1].Samples[2]));
}

TEST_F(LasCurvesTest, ExportReadsBackOnTheFinestMergedGrid) {
  TTestBody body;
  TPrintDiagramm* a = body.AddCurve(0, 100, 0.1, {1, 2, 3, 4, 5});
  a->SetName("GR");
  TPrintDiagramm* b = body.AddCurve(0, 100.2, 0.2, {7, kDefaultNullValue, 9});
  b->SetName("RT deep");
  QString error;
  const QString file = Path("out.las");
  ASSERT_TRUE(WriteLasFile(file, {a, b}, {"GAPI", "OHMM"}, {{"WELL", "", "W-1: north", ""}}, &error))
      << error.toStdString();
  TLasData d;
  ASSERT_TRUE(ReadLasCurves(file, &d, &error)) << error.toStdString();
  EXPECT_DOUBLE_EQ(d.Start, 100);
  EXPECT_DOUBLE_EQ(d.Step, 0.1);
  EXPECT_EQ(d.Header.WellValue("WELL"), "W-1; north");
  EXPECT_EQ(d.Header.WellValue("NULL"), "-999.25");
  ASSERT_EQ(d.Curves.size(), 2u);
  EXPECT_EQ(d.Curves[1].Mnemonic, "RT_deep");
  EXPECT_EQ(d.Curves[1].Unit, "OHMM");
  ASSERT_EQ(d.Curves[0].Samples.size(), 7u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(d.Curves[0].Samples[i], i + 1);
  // 100.0 .. 100.6: b starts at 100.2 and has a missing sample at 100.4.
  ASSERT_EQ(d.Curves[1].Samples.size(), 7u);
  EXPECT_TRUE(std::isnan(d.Curves[1].Samples[0]));
  EXPECT_EQ(d.Curves[1].Samples[2], 7);
  EXPECT_TRUE(std::isnan(d.Curves[1].Samples[4]));
  EXPECT_EQ(d.Curves[1].Samples[6], 9);
  EXPECT_TRUE(std::isnan(d.Curves[0].Samples[6]));
}

// Every public LAS file our reader takes imports into a column, and what the
// column exports reads back as the same curves on the same grid.
TEST_F(LasCurvesTest, PublicFilesRoundTripThroughExport) {
  int tried = 0, roundTripped = 0;
  QDirIterator it(QStringLiteral(KERNO_SHARED_DATA "/las"), {"*.las", "*.LAS"}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString file = it.next();
    ++tried;
    TLasData in;
    QString error;
    if (!ReadLasCurves(file, &in, &error)) {
      EXPECT_FALSE(error.isEmpty()) << file.toStdString();
      continue;
    }
    TTestBody body;
    auto column = std::make_unique<TPrintDiagrams>();
    TPrintDiagrams* c = column.get();
    body.AddChild(std::move(column));
    c->SetBoundsRect({0, 0, 100, 100});
    ASSERT_EQ(c->ImportLas(in, &error), static_cast<int>(in.Curves.size())) << file.toStdString();
    std::vector<const TPrintDiagramm*> curves;
    QStringList units;
    for (const TPrintDiagramm* curve : c->Curves()) {
      curves.push_back(curve);
      units << CurveUnit(curve);
    }
    const QString out = Path("round.las");
    ASSERT_TRUE(WriteLasFile(out, curves, units, {}, &error)) << file.toStdString() << error.toStdString();
    TLasData back;
    ASSERT_TRUE(ReadLasCurves(out, &back, &error)) << file.toStdString() << error.toStdString();
    ASSERT_EQ(back.Curves.size(), in.Curves.size()) << file.toStdString();
    EXPECT_NEAR(back.Start, in.Start, 1e-6 * std::max(1.0, std::fabs(in.Start))) << file.toStdString();
    EXPECT_NEAR(back.Step, in.Step, 1e-6 * in.Step) << file.toStdString();
    for (size_t k = 0; k < in.Curves.size(); ++k) {
      ASSERT_EQ(back.Curves[k].Samples.size(), in.Curves[k].Samples.size()) << file.toStdString();
      for (size_t i = 0; i < in.Curves[k].Samples.size(); ++i) {
        const double a = in.Curves[k].Samples[i], b = back.Curves[k].Samples[i];
        if (std::isnan(a) || a == kLasNull) {
          EXPECT_TRUE(std::isnan(b)) << file.toStdString() << " " << k << " " << i;
        } else {
          EXPECT_NEAR(b, a, 1e-9 * std::max(1.0, std::fabs(a))) << file.toStdString() << " " << k << " " << i;
        }
      }
    }
    ++roundTripped;
  }
  EXPECT_GT(tried, 100);
  EXPECT_GT(roundTripped, 60);
}

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

}  // namespace

// A column file with a curve and a histogram: --dump names what they hold,
// --export writes its curve as LAS, and the commands refuse what they cannot
// use with one line saying why, leaving no output behind.
TEST_F(LasCurvesTest, CommandLineDumpsExportsAndRefusesBadInput) {
  RegisterTextKinds();
  RegisterCurvePlotKinds();
  TTestBody body;
  TPrintDiagrams* column = body.Add<TPrintDiagrams>(TBoundsRect{0, 0, 40, 100});
  column->HorzLines1 = {0, 0, -1, 10};
  column->AddEmptyCurve("GR", 0.5)->SetSamples(100, 0.5, {1, 2, 3});
  auto histogram = std::make_unique<TPrintHistogramm>();
  histogram->SetName("POR");
  histogram->SetIntervals({{100, 101, 0.2}, {101, 103, 0.1}});
  column->AddChild(std::move(histogram));
  const QString file = Path("column.kno");
  ASSERT_EQ(SaveObjectFile(column, file), S_OK);

  const TKernoRun dump = RunKerno({"--dump", file});
  ASSERT_EQ(dump.Status, 0) << dump.Err.toStdString();
  const QJsonObject object = QJsonDocument::fromJson(dump.Out).object()["object"].toObject();
  EXPECT_EQ(object["curveCount"].toInt(), 1);
  EXPECT_EQ(object["horzLines1"].toObject()["step"].toDouble(), 10);
  const QJsonArray children = object["children"].toArray();
  ASSERT_EQ(children.size(), 2);
  EXPECT_EQ(children[0].toObject()["sampleCount"].toInt(), 3);
  EXPECT_EQ(children[1].toObject()["intervalCount"].toInt(), 2);
  EXPECT_EQ(children[1].toObject()["lastInterval"].toArray()[1].toDouble(), 103);

  WriteFile(Path("bad.las"), "~Version\nVERS. 2.0 :\n~Curve\nDEPT.M :\nGR.API :\n");
  const TKernoRun fill = RunKerno({"--fill", "curve_log.knt", "--las", Path("bad.las"), Path("out.knd")});
  EXPECT_EQ(fill.Status, 1);
  EXPECT_TRUE(fill.Err.contains("~A")) << fill.Err.toStdString();
  EXPECT_EQ(fill.Err.count('\n'), 1);
  EXPECT_FALSE(QFile::exists(Path("out.knd")));
  const TKernoRun wrongOut = RunKerno({"--fill", "curve_log.knt", "--las", Path("bad.las"), Path("out.txt")});
  EXPECT_EQ(wrongOut.Status, 1);
  EXPECT_TRUE(wrongOut.Err.contains(".knd, .pdf or .las")) << wrongOut.Err.toStdString();

  // A document without curve samples has nothing to write as LAS.
  const TKernoRun made2 = RunKerno({"--new", "well_log.knt", Path("empty.knd")});
  ASSERT_EQ(made2.Status, 0) << made2.Err.toStdString();
  const TKernoRun empty = RunKerno({"--export", Path("empty.knd"), Path("empty.las")});
  EXPECT_EQ(empty.Status, 1);
  EXPECT_TRUE(empty.Err.contains("no curve samples")) << empty.Err.toStdString();
  EXPECT_FALSE(QFile::exists(Path("empty.las")));
  const TKernoRun pages = RunKerno({"--export", Path("empty.knd"), Path("empty.las"), "--pages", "1"});
  EXPECT_EQ(pages.Status, 1);
}
