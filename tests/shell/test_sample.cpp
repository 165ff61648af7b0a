// The shipped sample document as a geologist reads it: its columns fit the
// sheet side by side and share the body's interval, the rocks are described
// layer by layer, the logs agree with the rocks, the curve scales sit above
// the logs, and the printed pages look as tests/data/samples shows them.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

#include "uImageCompare.h"
#include "uKinds.h"
#include "uLasFill.h"
#include "uObjectFile.h"
#include "uPassportBody.h"
#include "uPrintColorLine.h"
#include "uPrintDeepTable.h"
#include "uPrintDesc.h"
#include "uPrintDiagramm.h"
#include "uPrintDiagrammScale.h"
#include "uPrintDiagrams.h"
#include "uPrintDocument.h"
#include "uPrintHeader.h"
#include "uPrintStratCol.h"
#include "uRegistration.h"
#include "uScratchEnvTest.h"
#include "uStratColEntry.h"

namespace {

const QString kSamples = QStringLiteral(KERNO_SOURCE_DIR "/resources/samples/");
const QString kReferences = QStringLiteral(KERNO_TEST_DATA "/samples");

template <class T>
std::vector<T*> ColumnsOf(TPassportBody* body) {
  std::vector<T*> found;
  for (int i = 0; i < body->Count(); ++i)
    if (auto* c = dynamic_cast<T*>(body->GetChild(i))) found.push_back(c);
  return found;
}

// The mean of a curve over a depth interval (its missing samples left out).
double MeanOver(const TPrintDiagramm* curve, double top, double bottom) {
  double sum = 0;
  int n = 0;
  for (double d = top; d <= bottom + 1e-9; d += curve->DepthStep()) {
    const double v = curve->ValueAt(d);
    if (!std::isfinite(v) || v == curve->NullValue()) continue;
    sum += v;
    ++n;
  }
  return n ? sum / n : std::nan("");
}

// The sample in English ("sample") and in Russian ("sample_ru"): the same
// well, the same columns, the texts in the language.
class SampleDocument : public TScratchEnvTest, public ::testing::WithParamInterface<const char*> {
 protected:
  SampleDocument() { UseProgramDir(QStringLiteral(KERNO_PROGRAM_DIR)); }
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    RegisterKinds();
    QString error;
    ASSERT_TRUE(FDocument.LoadFromFile(File(), &error)) << error.toStdString();
    ASSERT_EQ(FDocument.Count(), 4);
    FCaptions = dynamic_cast<TPrintHeader*>(FDocument.GetChild(1));
    FBody = dynamic_cast<TPassportBody*>(FDocument.GetChild(2));
    ASSERT_TRUE(FCaptions && FBody);
    ASSERT_EQ(ColumnsOf<TPrintStratCol>(FBody).size(), 1u);
    FLithology = ColumnsOf<TPrintStratCol>(FBody)[0];
  }

  static QString Name() { return QString::fromLatin1(GetParam()); }
  static QString File() { return kSamples + Name() + QStringLiteral(".knd"); }
  static bool Russian() { return Name().endsWith(QLatin1String("_ru")); }

  const TPrintDiagramm* Curve(const QString& name) const {
    for (TPrintDiagramm* c : FindDocumentCurves(FBody))
      if (c->Name() == name) return c;
    return nullptr;
  }

  TPrintDocument FDocument;
  TPrintHeader* FCaptions = nullptr;
  TPassportBody* FBody = nullptr;
  TPrintStratCol* FLithology = nullptr;
};

}  // namespace

TEST_P(SampleDocument, ColumnsShareTheIntervalAndFitTheSheetSideBySide) {
  const double width = FDocument.GetChild(0)->GetWidth();
  std::vector<TPrintObject*> columns;
  for (int i = 0; i < FBody->Count(); ++i) columns.push_back(FBody->GetChild(i));
  ASSERT_GE(columns.size(), 8u);
  std::sort(columns.begin(), columns.end(), [](auto* a, auto* b) { return a->Left() < b->Left(); });
  for (size_t i = 0; i < columns.size(); ++i) {
    TPrintObject* c = columns[i];
    SCOPED_TRACE(KindName(c->GetKind()).toStdString() + " at " + std::to_string(c->Left()));
    EXPECT_DOUBLE_EQ(c->Top(), FBody->Top());
    EXPECT_DOUBLE_EQ(c->GetHeight(), FBody->GetHeight());
    EXPECT_GT(c->GetWidth(), 0);
    EXPECT_GE(c->Left(), FBody->Left());
    EXPECT_LE(c->Left() + c->GetWidth(), FBody->Left() + width + 1e-9) << "inside the sheet";
    if (i + 1 < columns.size()) {
      EXPECT_LE(c->Left() + c->GetWidth(), columns[i + 1]->Left() + 1e-9) << "no overlap";
    }
  }
  EXPECT_DOUBLE_EQ(FBody->GetWidth(), width);
  // The body covers the described interval, which the layers fill without gaps.
  const double top = FBody->GetStartDepth();
  const double bottom = top + FBody->GetHeight() * FBody->GetVertScale() / 1000;
  double reached = top;
  for (TStratColEntry* layer : FLithology->Layers()) {
    EXPECT_NEAR(layer->TopDepth(), reached, 1e-6);
    EXPECT_TRUE(layer->SignsKnown()) << layer->SignNames().join(' ').toStdString();
    reached = layer->BottomDepth();
  }
  EXPECT_NEAR(reached, bottom, 1e-6);
  // Each layer has its description on its own interval; stages cover the interval too.
  std::vector<TPrintDesc*> texts = ColumnsOf<TPrintDesc>(FBody);
  ASSERT_EQ(texts.size(), 2u);
  TPrintDesc* stages = texts[0]->Left() < texts[1]->Left() ? texts[0] : texts[1];
  TPrintDesc* rocks = stages == texts[0] ? texts[1] : texts[0];
  const std::vector<TDescEntry> descriptions = rocks->Entries();
  const std::vector<TStratColEntry*> layers = FLithology->Layers();
  ASSERT_EQ(descriptions.size(), layers.size());
  for (size_t i = 0; i < layers.size(); ++i) {
    EXPECT_NEAR(descriptions[i].TopDepth, layers[i]->TopDepth(), 1e-6);
    EXPECT_NEAR(descriptions[i].BottomDepth, layers[i]->BottomDepth(), 1e-6);
    EXPECT_GE(descriptions[i].Text.size(), 30) << "a real description";
    EXPECT_EQ(descriptions[i].Text.contains(QRegularExpression(QStringLiteral("[а-яё]"))), Russian())
        << "in the sample's language: " << descriptions[i].Text.toStdString();
  }
  const std::vector<TDescEntry> units = stages->Entries();
  ASSERT_GE(units.size(), 2u);
  EXPECT_NEAR(units.front().TopDepth, top, 1e-6);
  EXPECT_NEAR(units.back().BottomDepth, bottom, 1e-6);
  // The core runs lie inside the interval, each with what it recovered.
  TPrintDeepTable* core = ColumnsOf<TPrintDeepTable>(FBody).at(0);
  ASSERT_GE(core->Table().RowCount(), 1);
  for (int r = 0; r < core->Table().RowCount(); ++r) {
    const double from = core->Table().GetCell(0, r).toDouble(), to = core->Table().GetCell(1, r).toDouble();
    const double recovered = core->Table().GetCell(2, r).toDouble();
    EXPECT_TRUE(top <= from && from < to && to <= bottom) << r;
    EXPECT_TRUE(recovered > 0 && recovered <= to - from) << r;
  }
}

// Low gamma ray in sandstones, high in argillaceous rocks; the coal seam
// light and resistive; oil and water marked only in sandstones.
TEST_P(SampleDocument, LogsAgreeWithTheRocks) {
  const TPrintDiagramm* gr = Curve("GR");
  const TPrintDiagramm* ild = Curve("ILD");
  const TPrintDiagramm* nphi = Curve("NPHI");
  ASSERT_TRUE(gr && ild && nphi);
  int sandstones = 0, clays = 0, coals = 0;
  for (TStratColEntry* layer : FLithology->Layers()) {
    const QString rock = layer->SignNames().value(0);
    SCOPED_TRACE(rock.toStdString() + " at " + std::to_string(layer->TopDepth()));
    // Half a metre inside the boundaries: the logs change over a sample or two.
    const double top = layer->TopDepth() + 0.5, bottom = layer->BottomDepth() - 0.5;
    const double gamma = MeanOver(gr, top, bottom);
    if (rock.startsWith("SST")) {
      EXPECT_LT(gamma, 60);
      ++sandstones;
    } else if (rock == "ARG" || rock == "MDST" || rock.startsWith("SH") || rock.startsWith("SLT")) {
      EXPECT_GT(gamma, 80);
      ++clays;
    } else if (rock == "COAL") {
      EXPECT_GT(MeanOver(ild, top, bottom), 300);
      EXPECT_GT(MeanOver(nphi, top, bottom), 0.4);
      ++coals;
    } else if (rock.startsWith("LST")) {
      EXPECT_LT(gamma, 40);
      EXPECT_GT(MeanOver(ild, top, bottom), 50);
    }
  }
  EXPECT_GE(sandstones, 3);
  EXPECT_GE(clays, 3);
  EXPECT_EQ(coals, 1);
  const std::vector<TPrintColorLine*> lines = ColumnsOf<TPrintColorLine>(FBody);
  ASSERT_EQ(lines.size(), 1u);
  int bars = 0;
  for (const auto& category : lines[0]->Categories()) {
    category->BuildBars();
    for (const TColorLineBufer& bar : category->Bars) {
      ++bars;
      for (double d = bar.TopDepth + 0.25; d < bar.BottomDepth; d += 0.5) {
        QString rock;
        for (TStratColEntry* layer : FLithology->Layers())
          if (layer->TopDepth() <= d && d < layer->BottomDepth()) rock = layer->SignNames().value(0);
        EXPECT_TRUE(rock.startsWith("SST"))
            << category->Name.toStdString() << " at " << d << ": " << rock.toStdString();
      }
    }
  }
  EXPECT_GE(bars, 2);
}

// The curve tracks' scale headers lie in the caption head's rows above their
// track, one row each, so that none hides the top of a log.
TEST_P(SampleDocument, CurveScalesSitAboveTheLogs) {
  const std::vector<TPrintDiagrams*> tracks = FindCurveColumns(FBody);
  ASSERT_EQ(tracks.size(), 2u);
  for (TPrintDiagrams* track : tracks) {
    std::vector<double> rows;
    for (TPrintDiagramm* curve : track->Curves()) {
      SCOPED_TRACE(curve->Name().toStdString());
      EXPECT_GT(curve->SampleCount(), 0);
      int headers = 0;
      for (int i = 0; i < curve->Count(); ++i) {
        auto* scale = dynamic_cast<TPrintDiagrammScale*>(curve->GetChild(i));
        if (!scale) continue;
        ++headers;
        EXPECT_GE(scale->Top(), FCaptions->Top());
        EXPECT_LE(scale->Top() + scale->GetHeight(), FBody->Top() + 1e-9);
        EXPECT_GE(scale->Left(), track->Left());
        EXPECT_LE(scale->Left() + scale->GetWidth(), track->Left() + track->GetWidth() + 1e-9);
        EXPECT_FALSE(scale->MeasureName().isEmpty()) << "the unit of the LAS file";
        rows.push_back(scale->Top());
      }
      EXPECT_EQ(headers, 1);
    }
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(std::adjacent_find(rows.begin(), rows.end()), rows.end()) << "one row per curve";
  }
}

TEST_P(SampleDocument, PrintsAsTheReferencePages) {
  const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
  if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm (poppler-utils) not installed: pages not compared";
  const QString pdf = FDir.filePath(Name() + ".pdf");
  QProcess kerno;
  kerno.start(QStringLiteral(KERNO_PROGRAM_DIR "/Kerno"), {"--export", File(), pdf});
  ASSERT_TRUE(kerno.waitForFinished(60000));
  ASSERT_EQ(kerno.exitCode(), 0) << kerno.readAllStandardError().toStdString();
  QProcess render;
  render.start(pdftoppm, {"-r", "100", "-gray", "-png", pdf, FDir.filePath(Name())});
  ASSERT_TRUE(render.waitForFinished(60000));
  const QStringList pages = QDir(FDir.path()).entryList({Name() + "-*.png"}, QDir::Files, QDir::Name);
  ASSERT_EQ(pages.size(), 2) << "the sheet, then its end with the closing head";
  const QString mismatches = QDir::current().filePath(QStringLiteral("test_sample-mismatches"));
  for (int i = 0; i < pages.size(); ++i) {
    const TImageComparison result =
        CompareWithReference(QImage(FDir.filePath(pages[i])),
                             kReferences + QStringLiteral("/%1-%2.png").arg(Name()).arg(i + 1), mismatches, 64, 4);
    EXPECT_TRUE(result.Matches) << result.Message.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, SampleDocument, ::testing::Values("sample", "sample_ru"));
