// The curve column: its grid drawn at whole multiples of the step, the stored
// grid with the older whole-number step, the import of all curves of a table,
// the export table, curve parameter files, adding objects by kind, the
// add-curve choices and the histogram.
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <cmath>

#include "qs.h"
#include "qsID.h"
#include "uAddCurve.h"
#include "uComPtr.h"
#include "uCurveReadout.h"
#include "uCurvesTestEnv.h"
#include "uIniFile.h"
#include "uLasFill.h"
#include "uLasFillCommand.h"
#include "uPassportBody.h"
#include "uPrintBitmap.h"
#include "uPrintDeepScale.h"
#include "uPrintDiagrammScale.h"
#include "uPrintDiagrams.h"
#include "uPrintDocument.h"
#include "uPrintHeader.h"
#include "uPrintHistogramm.h"
#include "uPrintText.h"
#include "uStringTable.h"

namespace {

// A body at 1:200 (5 mm per metre) from `start`, with a column 40 mm wide
// and `height` mm high at its top.
struct TColumnFixture {
  explicit TColumnFixture(double start = 0, double height = 100) : Body(200, start) {
    auto made = std::make_unique<TPrintDiagrams>();
    Column = made.get();
    Body.AddChild(std::move(made));
    Column->SetBoundsRect({10, 0, 50, height});
  }
  TTestBody Body;
  TPrintDiagrams* Column;
};

}  // namespace

using CurveColumnTest = TCurvesTest;

TEST_F(CurveColumnTest, GridLinesFallOnWholeMultiplesAndFollowTheirWidth) {
  TColumnFixture f(1005, 50);  // depths 1005 .. 1015
  f.Column->HorzLines1 = {0, 0x0000FF, -1, 10};
  f.Column->VertLines1 = {0, 0, 0, 10};  // width 0: not drawn
  f.Column->HorzLines2 = {2, 0, 0.5, 2};
  TRecordingPage page;
  TDrawContext context = page.Context();
  context.Zoom = 2;
  f.Column->Draw(context);
  std::vector<int> thin, thick;
  for (const TRecordedItem* l : page.Device.Lines()) {
    ASSERT_EQ(l->Line.y1(), l->Line.y2()) << "no vertical set is drawn";
    (l->State.PenWidth <= 1 ? thin : thick).push_back(int(l->Line.y1()));
  }
  // Depth 1010 is 25 mm below the top: 500 pixels at zoom 2.
  EXPECT_EQ(thin, (std::vector<int>{500}));
  // Every 2 m from 1006 to 1014; 0.5 mm is 10 pixels wide at zoom 2.
  EXPECT_EQ(thick, (std::vector<int>{100, 300, 500, 700, 900}));
  for (const TRecordedItem* l : page.Device.Lines()) {
    if (l->State.PenWidth > 1) {
      EXPECT_EQ(l->State.PenWidth, 10);
    }
  }

  TRecordingPage page2;
  f.Column->HorzLines1 = {};
  f.Column->HorzLines2 = {};
  f.Column->VertLines2 = {0, 0, -1, 15};  // 40 mm: lines at 0, 15, 30 mm
  TDrawContext c2 = page2.Context();
  f.Column->Draw(c2);
  std::vector<int> columns;
  for (const TRecordedItem* l : page2.Device.Lines()) columns.push_back(int(l->Line.x1()));
  EXPECT_EQ(columns, (std::vector<int>{100, 250, 400}));
}

// A template's curve has no samples and no height: the editor's window still
// shows its scale header (what the track is for), a printed sheet does not
// show the scale of a curve it lacks.
TEST_F(CurveColumnTest, AnEmptyCurvesScaleShowsOnScreenOnly) {
  TColumnFixture f(1005, 50);
  TPrintDiagramm* gr = f.Column->AddEmptyCurve("GR", 1);
  gr->AddScaleHeader(nullptr)->SetMeasureName(QStringLiteral("GAPI"));
  f.Column->StackHeaders(TPrintDiagrams::THeaderSide::Inside);
  ASSERT_LE(gr->GetHeight(), 0);
  TRecordingPage printed;
  TDrawContext print = printed.Context();
  gr->Draw(print);
  EXPECT_TRUE(printed.Texts().isEmpty());
  TRecordingPage screen;
  TDrawContext window = screen.Context(doBorders | doScreen);
  gr->Draw(window);
  EXPECT_TRUE(screen.Texts().join(' ').contains(QStringLiteral("GAPI"))) << screen.Texts().join(' ').toStdString();
  EXPECT_TRUE(screen.Device.Lines().size() > 0) << "the marks";
}

TEST_F(CurveColumnTest, GridIsStoredWithTheOlderWholeStep) {
  TPrintDiagrams column;
  column.HorzLines1 = {1, 0x123456, 0.3, 2.5};
  column.VertLines2 = {4, 7, -2, 12};
  TComPtr<ICompoundStream> s;
  qsCreateCompoundStream(s.Put());
  ASSERT_TRUE(column.SaveToQS(s.Get()));
  EXPECT_EQ(qsReadInteger(s.Get(), 6400, -5), 2);  // ties to even
  TPrintDiagrams back;
  ASSERT_TRUE(back.LoadFromQS(s.Get()));
  EXPECT_EQ(back.HorzLines1, column.HorzLines1);
  EXPECT_EQ(back.VertLines2, column.VertLines2);
  EXPECT_EQ(back.HorzLines2, TGridLines());
  // A file of the older form carries only the whole-number step.
  s->DeleteValue(6404);
  ASSERT_TRUE(back.LoadFromQS(s.Get()));
  EXPECT_EQ(back.HorzLines1.Step, 2);
}

TEST_F(CurveColumnTest, ImportAllTakesStepFromTheFirstDepthsAndKeepsCurvesOfABadTable) {
  TColumnFixture f;
  f.Column->AddEmptyCurve("OLD", 1);
  const auto tp = MakeTable({{"DEPT", "GR", "RT"}, {"1000.0", "10", "1"}, {"1000.2", "", "2"}, {"1000.4", "30", "x"}});
  const TStringTable& t = *tp;
  {
    // The parameters beside the table apply after the import.
    TIniFile ini(Path("log.ini"));
    ini.WriteString("GR", "COLOR", "255");
  }
  ASSERT_TRUE(f.Column->ImportAllFromTable(t, Path("log.txt")));
  const std::vector<TPrintDiagramm*> curves = f.Column->Curves();
  ASSERT_EQ(curves.size(), 2u);
  EXPECT_EQ(curves[0]->Name(), "GR");
  EXPECT_DOUBLE_EQ(curves[0]->StartDepth(), 1000);
  EXPECT_NEAR(curves[0]->DepthStep(), 0.2, 1e-12);
  EXPECT_EQ(curves[0]->SampleCount(), 3);
  EXPECT_EQ(curves[0]->Samples()[1], curves[0]->NullValue());
  EXPECT_EQ(curves[0]->Color(), 255u);
  EXPECT_EQ(curves[1]->Samples()[2], curves[1]->NullValue());
  // The headers stack at the column's top: caption then scale, 10 mm a curve.
  for (int k = 0; k < 2; ++k)
    for (int i = 0; i < curves[k]->Count(); ++i) {
      TPrintObject* child = curves[k]->GetChild(i);
      EXPECT_DOUBLE_EQ(child->Top(), 10.0 * k + (child->GetKind() == kindDiagrammScale ? 5 : 0));
    }

  // Depths that do not increase: nothing imported, and the curves there stay.
  EXPECT_FALSE(f.Column->ImportAllFromTable(*MakeTable({{"D", "A"}, {"5", "1"}, {"5", "2"}}), QString()));
  EXPECT_EQ(f.Column->Curves().size(), 2u);
}

TEST_F(CurveColumnTest, ExportTableRunsFromDepthZeroAtTheFinestStep) {
  TColumnFixture f(0, 5);  // to depth 1
  TPrintDiagramm* a = f.Column->AddEmptyCurve("A", 0.1);
  a->SetSamples(0.5, 0.1, {1, 2, kDefaultNullValue});
  TPrintDiagramm* b = f.Column->AddEmptyCurve("B", 0.2);
  b->SetSamples(0, 0.2, {7, 8});
  const std::unique_ptr<TStringTable> t = f.Column->ExportTable();
  ASSERT_EQ(t->ColCount(), 3);
  ASSERT_EQ(t->RowCount(), 12);  // the header, then depths 0 .. 1 every 0.1, the bottom edge included
  EXPECT_EQ(t->GetCell(0, 11), "1");
  EXPECT_EQ(t->GetCell(0, 0), "Depth");
  EXPECT_EQ(t->GetCell(0, 6), "0.5");
  EXPECT_EQ(t->GetCell(1, 6), "1");
  EXPECT_EQ(t->GetCell(1, 8), "");  // the curve's missing value
  EXPECT_EQ(t->GetCell(1, 1), "");  // above the curve
  EXPECT_EQ(t->GetCell(2, 1), "7");
  EXPECT_EQ(t->GetCell(2, 3), "8");
  EXPECT_EQ(t->GetCell(2, 5), "");
  // A micrometre step down a kilometre: refused rather than allocated.
  TColumnFixture deep(0, 5000);
  deep.Column->AddEmptyCurve("A", 1e-6)->SetSamples(0, 1e-6, {1, 2});
  EXPECT_EQ(deep.Column->ExportTable(), nullptr);
}

TEST_F(CurveColumnTest, ParameterFilesKeepCaptionAndScaleUnderTheirPrefixes) {
  TColumnFixture f;
  TPrintDiagramm* gr = f.Column->AddEmptyCurve("GR", 1);
  gr->SetSamples(0, 1, {10, 20});
  gr->AddNameCaption(nullptr);
  gr->AddScaleHeader(nullptr)->SetMeasureName("GAPI");
  gr->SetColor(0xFF00);
  gr->SetMeasure(25);
  ASSERT_TRUE(f.Column->SaveParameters(Path("p.ini")));

  TColumnFixture g;
  TPrintDiagramm* other = g.Column->AddEmptyCurve("gr", 1);
  other->AddNameCaption(nullptr);
  TPrintDiagrammScale* scale = other->AddScaleHeader(nullptr);
  g.Column->ApplyParameters(Path("missing.ini"));
  EXPECT_EQ(other->Color(), 0u);
  g.Column->ApplyParameters(Path("p.ini"));
  EXPECT_EQ(other->Color(), 0xFF00u);
  EXPECT_EQ(other->Measure(), 25);
  EXPECT_EQ(scale->MeasureName(), "GAPI");
}

// The status bar over a curve column: each curve with samples, its value at
// the depth (the nearest sample) and its scale's unit; a dash where it has none.
TEST_F(CurveColumnTest, ReadoutGivesEachCurvesValueAtADepth) {
  TColumnFixture f;
  TPrintDiagramm* gr = f.Column->AddEmptyCurve("GR", 0.5);
  gr->SetSamples(1000, 0.5, {7, 8.25, kDefaultNullValue});
  gr->AddScaleHeader(nullptr)->SetMeasureName("GAPI");
  TPrintDiagramm* sp = f.Column->AddEmptyCurve("SP", 0.5);
  sp->SetSamples(1000.5, 0.5, {-31.126});
  f.Column->AddEmptyCurve("CALI", 0.5);  // no samples: not listed
  EXPECT_EQ(CurveReadout(f.Column, 1000.5), "GR 8.25 GAPI   SP -31.13");
  EXPECT_EQ(CurveReadout(sp, 1000.6), "GR 8.25 GAPI   SP -31.13") << "from a curve, the nearest sample";
  EXPECT_EQ(CurveReadout(f.Column, 1001), "GR –   SP –") << "a null sample and beyond the samples";
  EXPECT_EQ(CurveReadout(f.Column, std::nan("")), "");
  EXPECT_EQ(CurveReadout(nullptr, 1000), "");

  // Over the depth scale between the tracks: every track of the body.
  auto other = std::make_unique<TPrintDiagrams>();
  other->AddEmptyCurve("RT", 0.5)->SetSamples(1000, 0.5, {12.5});
  f.Body.AddChild(std::move(other));
  auto scale = std::make_unique<TPrintDeepScale>();
  TPrintDeepScale* depths = scale.get();
  f.Body.AddChild(std::move(scale));
  EXPECT_EQ(CurveReadout(depths, 1000), "GR 7 GAPI   SP –   RT 12.5");
  EXPECT_EQ(CurveReadout(f.Column, 1000), "GR 7 GAPI   SP –") << "over a track, its own curves";
}

TEST_F(CurveColumnTest, MenuAndInsertableKindsFollowTheCommandTable) {
  RegisterCurvePlotKinds();
  TPrintDiagrams column;
  ASSERT_EQ(column.GetMenuCommandCount(), 11);
  QStringList captions;
  for (int i = 0; i < 11; ++i) {
    QString text;
    column.GetMenuCommandCaption(i, &text);
    captions << text;
  }
  EXPECT_EQ(captions, (QStringList{"Import", "Add", "-", "Export", "-", "Load parameters", "Save parameters",
                                   "Load default parameters", "Save default parameters", "-", "Properties"}));
  std::vector<int> kinds;
  for (int i = 0; column.GetInsertableKind(i) != 0; ++i) kinds.push_back(column.GetInsertableKind(i));
  EXPECT_EQ(kinds, (std::vector<int>{276, 272, 11, 12, 284}));
  EXPECT_EQ(column.CreateChild(kindDeepScale), nullptr);
  EXPECT_NE(column.CreateChild(kindHistogramm), nullptr);
}

TEST_F(CurveColumnTest, BodyOffersTheColumnKindAndItsCommandsInTheBlockMenu) {
  RegisterCurvePlotKinds();
  TPassportBody body;
  QStringList offered;
  for (int i = 0; const int kind = body.GetInsertableKind(i); ++i)
    if (IsKindRegistered(kind)) offered << KindName(kind);
  EXPECT_TRUE(offered.contains("Diagrams"));
  auto column = CreateKindObject(kindDiagrams, {kindDiagrams});
  ASSERT_NE(column, nullptr);
  body.AddChild(std::move(column));
  TMenuEntry menu;
  body.AddChildCommands(&menu);
  ASSERT_EQ(menu.Items.size(), 1u);
  EXPECT_EQ(menu.Items[0].IconKind, kindDiagrams);
  EXPECT_EQ(menu.Items[0].Items.size(), 11u);
  EXPECT_EQ(menu.Items[0].Items[5].Caption, "Load parameters");
}

TEST_F(CurveColumnTest, InsertedRulerSpansTheColumnAndCancelledCommandsChangeNothing) {
  RegisterCurvePlotKinds();
  TColumnFixture f;
  // The kind list offers the registered kinds; answer "object ruler".
  QStringList offered;
  for (int i = 0; const int kind = f.Column->GetInsertableKind(i); ++i)
    if (IsKindRegistered(kind)) offered << TranslateKindName(kind);
  FUi.ListAnswers.push_back(static_cast<int>(offered.indexOf(TranslateKindName(kindObjectRuller))));
  // Reported as an edit, so that the window keeps it as an undo step.
  EXPECT_TRUE(f.Column->InsertNewChildAt(0, 20, 0, 30));
  ASSERT_EQ(f.Column->Count(), 1);
  const TPrintObject* ruler = f.Column->GetChild(0);
  EXPECT_EQ(ruler->GetKind(), kindObjectRuller);
  EXPECT_DOUBLE_EQ(ruler->Left(), 10);
  EXPECT_DOUBLE_EQ(ruler->GetWidth(), 40);
  EXPECT_DOUBLE_EQ(ruler->Top(), 25);
  // Every file dialog is cancelled: nothing is imported, exported or loaded.
  EXPECT_FALSE(f.Column->ExecuteMenuCommand(ccImport));
  EXPECT_FALSE(f.Column->ExecuteMenuCommand(ccExport));
  EXPECT_FALSE(f.Column->ExecuteMenuCommand(ccLoadParams));
  EXPECT_EQ(f.Column->Count(), 1);

  // Histograms from a table file are an edit too; a cancelled file dialog is none.
  QFile csv(Path("core.csv"));
  ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
  csv.write("Top;Bottom;Porosity\n1;2;18\n2;3;12\n");
  csv.close();
  const int histogram = static_cast<int>(offered.indexOf(TranslateKindName(kindHistogramm)));
  FUi.ListAnswers = {histogram, histogram};
  FUi.FileAnswers = {Path("core.csv")};
  EXPECT_TRUE(f.Column->InsertNewChildAt(0, 20, 0, 30));
  EXPECT_TRUE(f.Column->FindCurve("Porosity"));
  EXPECT_FALSE(f.Column->InsertNewChildAt(0, 20, 0, 30));
  EXPECT_EQ(f.Column->Count(), 2);
}

// A column's own LAS export names the well of the document it stands in, as
// the document's export does.
TEST_F(CurveColumnTest, AColumnsLasExportNamesTheWellOfItsDocument) {
  TPrintDocument document;
  auto head = std::make_unique<TPrintHeader>();
  head->Parameters().SetValue("WELL", "7-K");
  document.AddChild(std::move(head));
  auto body = std::make_unique<TPassportBody>();
  auto column = std::make_unique<TPrintDiagrams>();
  TPrintDiagrams* c = column.get();
  body->AddChild(std::move(column));
  document.AddChild(std::move(body));
  c->AddEmptyCurve("GR", 1)->SetSamples(0, 1, {1, 2});
  FUi.FileAnswers = {Path("column.las")};
  ASSERT_TRUE(c->ExecuteMenuCommand(ccExport));
  TLasData back;
  QString error;
  ASSERT_TRUE(ReadLasCurves(Path("column.las"), &back, &error)) << error.toStdString();
  EXPECT_EQ(back.Header.WellValue("WELL"), "7-K");
  ASSERT_EQ(back.Curves.size(), 1u);
  QFile file(Path("column.las"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QRegularExpression wellLine(QStringLiteral("^WELL\\.\\s+7-K\\s+: WELL$"), QRegularExpression::MultilineOption);
  EXPECT_TRUE(wellLine.match(QString::fromLatin1(file.readAll())).hasMatch()) << "with the usual description";
}

TEST_F(CurveColumnTest, AddCurveChoicesProposeStepNameAndRememberSettings) {
  const auto tp = MakeTable({{"DEPT", "GR", ""}, {"1000.0", "10", "1"}, {"1000.2", "20", "2"}, {"1000.4", "", "3"}});
  const TStringTable& t = *tp;
  EXPECT_EQ(CurveColumnCaptions(t), (QStringList{"DEPT (0)", "GR (1)", "Column2"}));
  TAddCurveChoice choice;
  ChooseCurveColumn(t, 1, &choice);
  EXPECT_EQ(choice.Name, "GR");
  EXPECT_EQ(choice.FirstRow, 1);
  EXPECT_EQ(choice.StepText, "0.2");  // to the nearest 0.001
  ChooseCurveColumn(t, 0, &choice);
  EXPECT_EQ(choice.StepText, "");
  const auto barep = MakeTable({{"5", "1"}, {"6", "2"}});
  ChooseCurveColumn(*barep, 1, &choice);
  EXPECT_EQ(choice.FirstRow, 0);
  EXPECT_EQ(choice.Name, "");
  EXPECT_EQ(choice.StepText, "1");
  EXPECT_FALSE(CurveChoiceComplete(choice));

  TColumnFixture f;
  ChooseCurveColumn(t, 1, &choice);
  choice.MeasureText = "12.5";
  choice.Color = 0xFF;
  choice.Interpolate = true;
  TPrintDiagramm* curve = AddCurveFromChoice(f.Column, t, choice);
  ASSERT_NE(curve, nullptr);
  EXPECT_DOUBLE_EQ(curve->StartDepth(), 1000);
  EXPECT_EQ(curve->SampleCount(), 3);
  EXPECT_EQ(curve->Samples()[2], curve->NullValue());
  EXPECT_EQ(curve->Measure(), 12.5);
  TAddCurveChoice remembered;
  LoadRememberedCurve("GR", &remembered);
  EXPECT_EQ(remembered.MeasureText, "12.5");
  EXPECT_EQ(remembered.Color, 0xFFu);
  EXPECT_TRUE(remembered.Interpolate);
}

TEST_F(CurveColumnTest, LasFillMatchesMnemonicsWithoutCaseAndReportsTheRest) {
  TColumnFixture f(0, 100);
  f.Column->AddEmptyCurve("gr", 0.5);
  f.Column->AddEmptyCurve("CALI", 0.5);
  TLasData las;
  las.Start = 1200;
  las.Step = 0.1;
  las.Curves.push_back({"GR", "GAPI", {1, NAN, 3}});
  las.Curves.push_back({"NPHI", "V/V", {0.1, 0.2, 0.3}});
  const TLasFillReport report = FillFromLas(&f.Body, las);
  EXPECT_EQ(report.FilledCurves, 1);
  EXPECT_EQ(report.EmptyCurves, QStringList{"CALI"});
  EXPECT_EQ(report.UnusedCurves, QStringList{"NPHI"});
  const TPrintDiagramm* gr = f.Column->Curves()[0];
  EXPECT_DOUBLE_EQ(gr->StartDepth(), 1200);
  EXPECT_DOUBLE_EQ(gr->DepthStep(), 0.1);
  EXPECT_EQ(gr->Samples()[1], gr->NullValue());
  EXPECT_EQ(HeadParameterOfMnemonic("fld"), "FIELD");
  EXPECT_EQ(HeadParameterOfMnemonic("WELL"), "");
}

// Logging companies name the same log differently: a template's GR takes the
// file's GK or GAMN when it has no GR, but never a curve another took, and an
// exact name always wins.
TEST_F(CurveColumnTest, LasFillTakesOtherNamesOfTheSameLog) {
  TColumnFixture f(0, 100);
  f.Column->AddEmptyCurve("GR", 0.5);
  f.Column->AddEmptyCurve("gr", 0.5);
  f.Column->AddEmptyCurve("gr", 0.5);
  f.Column->AddEmptyCurve("RT", 0.5);
  f.Column->AddEmptyCurve("NPHI", 0.5);
  f.Column->AddEmptyCurve("SP", 0.5);
  f.Column->AddEmptyCurve("DT", 0.5);
  TLasData las;
  las.Start = 100;
  las.Step = 0.5;
  las.Curves.push_back({"GAMN", "GAPI", {1, 2}});
  las.Curves.push_back({"gk", "UR/H", {3, 4}});
  las.Curves.push_back({"LLD", "OHMM", {5, 6}});
  las.Curves.push_back({"NPHI", "V/V", {0.1, 0.2}});
  las.Curves.push_back({"TNPH", "V/V", {0.3, 0.4}});
  las.Curves.push_back({"ак", "US/F", {70, 80}});  // acoustic log, named in Cyrillic
  const TLasFillReport report = FillFromLas(&f.Body, las);
  EXPECT_EQ(report.FilledCurves, 5);
  EXPECT_EQ(report.EmptyCurves, (QStringList{"gr", "SP"}));
  EXPECT_EQ(report.UnusedCurves, QStringList{"TNPH"});
  const std::vector<std::pair<QString, QString>> others = {{"GR", "gk"}, {"gr", "GAMN"}, {"RT", "LLD"}, {"DT", "ак"}};
  EXPECT_EQ(report.FilledFromOthers, others);
  const std::vector<TPrintDiagramm*> curves = f.Column->Curves();
  EXPECT_EQ(curves[0]->Samples()[0], 3);
  EXPECT_EQ(curves[1]->Samples()[0], 1);
  EXPECT_EQ(curves[2]->SampleCount(), 0);
  EXPECT_EQ(curves[3]->Samples()[1], 6);
  EXPECT_EQ(curves[4]->Samples()[0], 0.1);
  EXPECT_EQ(curves[6]->Samples()[0], 70);
}

// A template's scale header names the unit its marks are in: a file's curve
// in another unit of the same quantity is converted, other units are drawn as
// read and reported.
TEST_F(CurveColumnTest, LasFillConvertsCurvesToTheTemplatesUnits) {
  TColumnFixture f(0, 100);
  const struct {
    const char* Name;
    const char* TemplateUnit;
    const char* FileUnit;
    double Read, Drawn;
  } cases[] = {
      {"CALI", "IN", "MM", 254, 10},
      {"RHOB", "G/C3", "k/m3", 2450, 2.45},
      {"NPHI", "V/V", "%", 25, 0.25},
      {"DT", "US/F", "US/M", 100 / 0.3048, 100},
      {"GR", "GAPI", "API", 80, 80},
      {"SP", "MV", "UR/H", 12, 12},
      {"RT", "", "OHMM", 7, 7},
      // As Russian files write the units.
      {"DEN", "G/C3", "кг/м3", 2450, 2.45},
      {"CAL", "IN", "мм", 254, 10},
      {"RES", "OHMM", "Омм", 7, 7},
      {"PS", "MV", "мВ", -12, -12},
      {"GK", "UR/H", "мкР/ч", 9, 9},
  };
  TLasData las;
  las.Start = 0;
  las.Step = 1;
  for (const auto& k : cases) {
    TPrintDiagramm* curve = f.Column->AddEmptyCurve(k.Name, 1);
    if (*k.TemplateUnit) curve->AddScaleHeader(nullptr)->SetMeasureName(k.TemplateUnit);
    las.Curves.push_back({k.Name, k.FileUnit, {k.Read, NAN}});
  }
  const TLasFillReport report = FillFromLas(&f.Body, las);
  const std::vector<TPrintDiagramm*> curves = f.Column->Curves();
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_NEAR(curves[i]->Samples()[0], cases[i].Drawn, 1e-9) << cases[i].Name;
    EXPECT_EQ(curves[i]->Samples()[1], curves[i]->NullValue()) << cases[i].Name;
  }
  using TChange = TLasFillReport::TUnitChange;
  EXPECT_EQ(report.ConvertedCurves, (std::vector<TChange>{{"CALI", "MM", "IN"},
                                                          {"RHOB", "k/m3", "G/C3"},
                                                          {"NPHI", "%", "V/V"},
                                                          {"DT", "US/M", "US/F"},
                                                          {"DEN", "кг/м3", "G/C3"},
                                                          {"CAL", "мм", "IN"}}));
  EXPECT_EQ(report.UnitMismatches, (std::vector<TChange>{{"SP", "UR/H", "MV"}}));
}

// Importing a LAS file into a column that has curves (a template's track):
// they take the file's curve of their name or another name of their log, in
// their scale's unit, and say so; the file's other curves join as new ones.
TEST_F(CurveColumnTest, LasImportFillsTheColumnsCurvesUnderOtherNamesAndUnits) {
  TColumnFixture f(0, 100);
  f.Column->AddEmptyCurve("GR", 0.5)->AddScaleHeader(nullptr)->SetMeasureName("GAPI");
  f.Column->AddEmptyCurve("CALI", 0.5)->AddScaleHeader(nullptr)->SetMeasureName("IN");
  f.Column->AddEmptyCurve("SP", 0.5)->AddScaleHeader(nullptr)->SetMeasureName("MV");
  TLasData las;
  las.Start = 10;
  las.Step = 0.5;
  las.Curves.push_back({"CALI", "MM", {254, 228.6}});
  las.Curves.push_back({"GAMN", "GAPI", {40, 50}});
  las.Curves.push_back({"SP", "UR/H", {7, 8}});
  las.Curves.push_back({"GK", "UR/H", {9, 10}});
  QStringList notes;
  ASSERT_EQ(f.Column->ImportLas(las, nullptr, &notes), 4);
  const std::vector<TPrintDiagramm*> curves = f.Column->Curves();
  ASSERT_EQ(curves.size(), 4u);
  EXPECT_EQ(curves[0]->Samples(), (std::vector<double>{40, 50})) << "GR from GAMN: GK comes first, but in UR/H";
  EXPECT_DOUBLE_EQ(curves[1]->Samples()[0], 10);
  EXPECT_DOUBLE_EQ(curves[1]->Samples()[1], 9);
  EXPECT_EQ(curves[2]->Samples(), (std::vector<double>{7, 8}));
  EXPECT_EQ(curves[3]->Name(), "GK") << "a curve no curve of the column took joins as it is";
  EXPECT_EQ(notes, (QStringList{"GR: filled from GAMN of the file", "CALI: converted from MM to IN",
                                "SP: the file's unit UR/H is not the scale's MV; drawn as read"}));
}

// File > Fill from LAS file: the file asked for, the document's curves
// filled, and one message saying what was filled, taken, converted, left
// empty and not used; nothing changes without a curve column, without a file
// or with a file that is no LAS.
TEST_F(CurveColumnTest, FillFromLasCommandAsksFillsAndReports) {
  WriteText("log.las",
            "~Version\nVERS. 2.0 :\n~Well\nSTRT.M 100 :\n~Curve\nDEPT.M :\nGAMN.GAPI :\nCALI.MM :\nXYZ.U :\n"
            "~A\n100 40 254 1\n100.5 50 228.6 2\n");
  TColumnFixture f(0, 100);
  f.Column->AddEmptyCurve("GR", 0.5);
  f.Column->AddEmptyCurve("CALI", 0.5)->AddScaleHeader(nullptr)->SetMeasureName("IN");
  f.Column->AddEmptyCurve("SP", 0.5);
  FUi.FileAnswers.push_back(Path("log.las"));
  ASSERT_TRUE(FillDocumentFromLas(&f.Body));
  ASSERT_EQ(FUi.FileDialogs.size(), 1u);
  EXPECT_TRUE(FUi.FileDialogs[0].Filter.contains("*.las"));
  const std::vector<TPrintDiagramm*> curves = f.Column->Curves();
  EXPECT_EQ(curves[0]->Samples(), (std::vector<double>{40, 50}));
  EXPECT_DOUBLE_EQ(curves[1]->Samples()[0], 10);
  EXPECT_EQ(curves[2]->SampleCount(), 0);
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Information);
  EXPECT_EQ(FUi.Messages[0].Text.split('\n'),
            (QStringList{"Curves filled: 2; head parameters filled: 0", "GR: filled from GAMN of the file",
                         "CALI: converted from MM to IN", "Not in the file, left as they were: SP",
                         "Curves of the file no curve of the document takes: XYZ"}));

  // Cancelled, unreadable, or nothing to fill: no change, and a reason where there is one.
  FUi.Messages.clear();
  EXPECT_FALSE(FillDocumentFromLas(&f.Body));
  EXPECT_TRUE(FUi.Messages.empty()) << "a cancelled dialog says nothing";
  WriteText("bad.las", "not a log");
  EXPECT_FALSE(FillDocumentFromLas(&f.Body, Path("bad.las")));
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Error);
  EXPECT_TRUE(FUi.Messages[0].Text.startsWith(Path("bad.las"))) << FUi.Messages[0].Text.toStdString();
  EXPECT_EQ(curves[0]->Samples(), (std::vector<double>{40, 50}));
  TTestBody empty;
  FUi.Messages.clear();
  EXPECT_FALSE(FillDocumentFromLas(&empty, Path("log.las")));
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_TRUE(FUi.Messages[0].Text.contains("no curve column")) << FUi.Messages[0].Text.toStdString();
}

// Headers a template puts above the column (into the head over the body)
// stay above it when curves come or the column is restacked; a column whose
// headers are inside keeps stacking them down from its top.
TEST_F(CurveColumnTest, HeadersAboveTheColumnStayAboveWhenRestacked) {
  TColumnFixture f(0, 100);
  f.Column->SetTop(40);
  TPrintDiagramm* gr = f.Column->AddEmptyCurve("GR", 0.5);
  gr->AddNameCaption(nullptr);
  gr->AddScaleHeader(nullptr);
  EXPECT_FALSE(f.Column->HeadersAbove()) << "a new curve's caption starts above it, its scale does not";
  f.Column->StackHeaders(TPrintDiagrams::THeaderSide::Above);
  EXPECT_TRUE(f.Column->HeadersAbove());
  TLasData las;
  las.Start = 0;
  las.Step = 0.5;
  las.Curves.push_back({"GR", "GAPI", {1, 2, 3}});
  las.Curves.push_back({"SP", "MV", {-10, -20, -30}});
  ASSERT_EQ(f.Column->ImportLas(las, nullptr), 2);
  const std::vector<TPrintDiagramm*> curves = f.Column->Curves();
  ASSERT_EQ(curves.size(), 2u);
  // Two bands of 10 mm ending at the column's top, in curve order.
  for (size_t k = 0; k < curves.size(); ++k)
    for (int i = 0; i < curves[k]->Count(); ++i) {
      const TPrintObject* child = curves[k]->GetChild(i);
      EXPECT_DOUBLE_EQ(child->Top(), 20.0 + 10.0 * k + (child->GetKind() == kindDiagrammScale ? 5 : 0));
    }
  f.Column->StackHeaders(TPrintDiagrams::THeaderSide::Inside);
  EXPECT_FALSE(f.Column->HeadersAbove());
  EXPECT_DOUBLE_EQ(curves[1]->GetChild(0)->Top(), 50);
}

// A curve in a curve column is cut at the column's edges: values beyond
// the track's scale leave the neighbouring columns untouched.
TEST_F(CurveColumnTest, CurvesAreCutAtTheirColumnsEdges) {
  TColumnFixture f(0, 100);  // the column spans 10-50 mm: pixels 100-500 at 254 dpi
  TPrintDiagramm* curve = f.Column->AddEmptyCurve("RHOB", 0.5);
  curve->SetMeasure(1);
  curve->SetLeft(-20);  // the zero 30 mm left of the column: values 3-7 inside it
  ASSERT_TRUE(curve->SetSamples(0, 0.5, {0, 5, 9, 5, 1, 5}));
  curve->Changed();
  QImage image(700, 300, QImage::Format_RGB32);
  image.fill(Qt::white);
  image.setDotsPerMeterX(10000);
  image.setDotsPerMeterY(10000);
  QPainter painter(&image);
  TDrawContext c;
  c.DC = &painter;
  c.ClipRect = {0, 0, 700, 300};
  c.Options = doBorders;
  curve->Draw(c);
  painter.end();
  int inside = 0, outside = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != qRgb(255, 255, 255)) (x >= 100 && x <= 500 ? inside : outside)++;
  EXPECT_GT(inside, 100);
  EXPECT_EQ(outside, 0);
  // Cut, not left out: the segments run up to both edges.
  int atLeft = 0, atRight = 0;
  for (int y = 0; y < image.height(); ++y) {
    atLeft += image.pixel(100, y) != qRgb(255, 255, 255);
    atRight += image.pixel(500, y) != qRgb(255, 255, 255) || image.pixel(499, y) != qRgb(255, 255, 255);
  }
  EXPECT_GT(atLeft, 0);
  EXPECT_GT(atRight, 0);

  // An SVG file keeps no clip: the curve's polylines themselves end at the
  // edges, and a stretch coming back into the column starts a new one there.
  QBuffer svg;
  svg.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&svg);
  generator.setResolution(254);
  generator.setSize(QSize(700, 300));
  QPainter vector(&generator);
  c.DC = &vector;
  curve->Draw(c);
  vector.end();
  const QString text = QString::fromUtf8(svg.data());
  static const QRegularExpression kPolyline(QStringLiteral("<polyline[^>]*points=\"([^\"]*)\""));
  std::vector<std::vector<QPoint>> pieces;
  for (auto m = kPolyline.globalMatch(text); m.hasNext();) {
    std::vector<QPoint> points;
    for (const QString& pair : m.next().captured(1).split(' ', Qt::SkipEmptyParts)) {
      const QStringList xy = pair.split(',');
      ASSERT_EQ(xy.size(), 2) << pair.toStdString();
      points.emplace_back(qRound(xy[0].toDouble()), qRound(xy[1].toDouble()));
    }
    pieces.push_back(points);
  }
  // Values 0 5 9 5 1 5 at 1 unit a mm from -20 mm: 5 is inside, 0 and 1 left
  // of the column, 9 right of it: three stretches inside.
  ASSERT_EQ(pieces.size(), 3u) << text.toStdString();
  for (const auto& piece : pieces)
    for (const QPoint& p : piece) {
      EXPECT_GE(p.x(), 100) << text.toStdString();
      EXPECT_LE(p.x(), 500) << text.toStdString();
    }
  EXPECT_EQ(pieces[0].front().x(), 100);
  EXPECT_EQ(pieces[0].back().x(), 500);
  EXPECT_EQ(pieces[1].front().x(), 500);
  EXPECT_EQ(pieces[1].back().x(), 100);
  EXPECT_EQ(pieces[2].front().x(), 100);
  EXPECT_EQ(pieces[2].back().x(), 300) << "the last sample, inside";
}

using HistogramTest = TCurvesTest;

TEST_F(HistogramTest, TouchingIntervalsDrawOneStepLineAndGapsBreakIt) {
  TTestBody body(200, 0);
  auto made = std::make_unique<TPrintHistogramm>();
  TPrintHistogramm* h = made.get();
  body.AddChild(std::move(made));
  h->SetBoundsRect({0, 0, 20, 500});
  h->SetMeasure(1);  // 1 unit per cm: value 5 at 50 mm
  h->SetIntervals({{100, 110, 5}, {110, 120, 8}, {125, 130, 2}});
  TRecordingPage page;
  TDrawContext context = page.Context();
  h->DrawData(context);
  std::vector<QLineF> lines;
  for (const TRecordedItem* l : page.Device.Lines()) lines.push_back(l->Line);
  // 1:200 at 10 px/mm: depth 100 at row 5000 (beyond the page, still drawn).
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], QLineF(500, 5000, 500, 5500));
  EXPECT_EQ(lines[1], QLineF(500, 5500, 800, 5500));  // the step joining 5 and 8
  EXPECT_EQ(lines[2], QLineF(800, 5500, 800, 6000));
  EXPECT_EQ(lines[3], QLineF(200, 6250, 200, 6500));  // after the gap: no join
  EXPECT_EQ(h->FindInterval(110), 0);                 // the boundary belongs to the first
  EXPECT_EQ(h->FindInterval(122), -1);
  EXPECT_EQ(h->MaxValue(), 8);
}

TEST_F(HistogramTest, ImportSkipsRowsWithoutNumbersAndStoresIntervalsInOrder) {
  const auto tp =
      MakeIntervals({"From", "To", "Value1"}, {{"10", "20", "3"}, {"20", "25", ""}, {"5", "8", "x"}, {"1", "2", "-4"}});
  const TStringTable& t = *tp;
  TTestBody body;
  auto made = std::make_unique<TPrintHistogramm>();
  TPrintHistogramm* h = made.get();
  body.AddChild(std::move(made));
  h->ImportIntervalColumn(t, 0, 2, 1);
  EXPECT_EQ(h->Name(), "Value1");
  ASSERT_EQ(h->Intervals().size(), 2u);
  EXPECT_EQ(h->Intervals()[1], (THistInterval{1, 2, -4}));
  EXPECT_EQ(h->MaxValue(), 3);

  TComPtr<ICompoundStream> s;
  qsCreateCompoundStream(s.Put());
  ASSERT_TRUE(h->SaveToQS(s.Get()));
  TPrintHistogramm back;
  ASSERT_TRUE(back.LoadFromQS(s.Get()));
  EXPECT_EQ(back.Intervals(), h->Intervals());
  // A count the bytes cannot hold: no intervals, and the user is told.
  ASSERT_TRUE(qsWriteInteger(s.Get(), 5394, 1000));
  ASSERT_TRUE(back.LoadFromQS(s.Get()));
  EXPECT_TRUE(back.Intervals().empty());
  EXPECT_EQ(FUi.Messages.size(), 1u);

  const auto nonep = MakeIntervals({"From", "To", "V"}, {{"1", "2", ""}});
  TPrintHistogramm empty;
  empty.ImportIntervalColumn(*nonep, 0, 2, 1);
  EXPECT_TRUE(empty.Intervals().empty());
  EXPECT_EQ(empty.MaxValue(), 0);
  EXPECT_EQ(empty.GetWidth(), kMinCurveWidth);
}

// A measure that keeps values within a track: rounded up to 1, 2 or 5 times a
// power of ten, none for values or widths that give no scale.
TEST(FittingMeasure, RoundsUpToAStepThatFits) {
  EXPECT_EQ(FittingMeasure(150, 34), 50) << "44.1 per cm needed";
  EXPECT_EQ(FittingMeasure(22, 34), 10);
  EXPECT_EQ(FittingMeasure(20, 20), 10) << "an exact fit is kept";
  EXPECT_DOUBLE_EQ(FittingMeasure(0.35, 40), 0.1);
  EXPECT_EQ(FittingMeasure(2600, 50), 1000) << "520 per cm";
  for (const double none : {0.0, -5.0, std::nan(""), HUGE_VAL}) EXPECT_EQ(FittingMeasure(none, 34), 0);
  EXPECT_EQ(FittingMeasure(10, 0), 0);
  // Values below zero count from the whole measure below the smallest.
  EXPECT_EQ(FittingMeasureForRange(-40, -20, 40), 10) << "-40 to 0";
  EXPECT_EQ(FittingMeasureForRange(-35, 4, 40), 20) << "10 would show -40 to 0 only";
  EXPECT_EQ(FittingMeasureForRange(0, 150, 34), 50) << "no value below zero: as FittingMeasure";
  EXPECT_EQ(FittingMeasureForRange(std::nan(""), std::nan(""), 34), 0);
}

// A new curve is drawn where the track shows it: SP's values below zero were
// left of the zero at the track's edge and cut off, a LAS curve without
// remembered settings got 1 unit per centimetre (gamma ray over 15 cm of a
// 4 cm track). Curves remembered by name keep their settings.
TEST_F(CurveColumnTest, NewCurvesAreLaidWithinTheirTrack) {
  TColumnFixture f;  // 10-50 mm
  // -9999.9 is the curves' missing value: a gap, not a value to fit.
  const auto tp =
      MakeTable({{"DEPT", "SP"}, {"1000", "-35"}, {"1000.5", "-22"}, {"1001", "-28"}, {"1001.5", "-9999.9"}});
  TAddCurveChoice choice;
  ChooseCurveColumn(*tp, 1, &choice);
  choice.MeasureText = "10";
  TPrintDiagramm* sp = AddCurveFromChoice(f.Column, *tp, choice);
  ASSERT_NE(sp, nullptr);
  EXPECT_NEAR(sp->XToValue(10), -40, 1e-9);
  EXPECT_NEAR(sp->XToValue(50), 0, 1e-9);
  const auto* scale = dynamic_cast<TPrintDiagrammScale*>(sp->GetChild(1));
  ASSERT_NE(scale, nullptr);
  EXPECT_EQ(scale->MarkIndex1(), -2) << "marks every 20 mm left of the zero at the right edge";
  EXPECT_EQ(scale->MarkIndex2(), 0);

  TColumnFixture g;
  TLasData las;
  las.Start = 0;
  las.Step = 0.5;
  las.Curves.push_back({"GR", "GAPI", {20, 150, 80}});
  las.Curves.push_back({"SP2", "MV", {-10, -20, -30}});
  las.Curves.push_back({"SP", "MV", {-10, -20, -30}});  // remembered above: 10 per cm
  ASSERT_EQ(g.Column->ImportLas(las, nullptr), 3);
  const std::vector<TPrintDiagramm*> curves = g.Column->Curves();
  ASSERT_EQ(curves.size(), 3u);
  EXPECT_EQ(curves[0]->Measure(), 50) << "150 API within 40 mm";
  EXPECT_NEAR(curves[0]->XToValue(10), 0, 1e-9) << "the zero stays at the track's edge";
  EXPECT_NEAR(curves[1]->XToValue(10), -30, 1e-9) << "from the whole 10 below -30";
  EXPECT_NEAR(curves[1]->XToValue(50), 10, 1e-9);
  EXPECT_EQ(curves[2]->Measure(), 10) << "remembered by name";
  EXPECT_NEAR(curves[2]->XToValue(10), 0, 1e-9) << "remembered settings place the curve as they say";
}

// Histograms added to a track fit it, unless their name is remembered with a
// measure of its own.
TEST_F(HistogramTest, AddedHistogramsFitTheirTrackUnlessTheirMeasureIsRemembered) {
  TTestBody body;
  TPrintDiagrams* column = body.Add<TPrintDiagrams>(TBoundsRect{50, 0, 84, 100});
  TIniFile(CurveDefaultsFileName()).WriteString("KERN", "SCALE.MEASUREMENT", "2");
  const auto table = MakeIntervals({"From", "To", "Porosity", "KERN"}, {{"1", "2", "22", "4"}, {"2", "3", "9", "3"}});
  ASSERT_EQ(column->AddHistograms(*table), 2);
  const auto* porosity = dynamic_cast<TPrintHistogramm*>(column->FindCurve("Porosity"));
  const auto* kern = dynamic_cast<TPrintHistogramm*>(column->FindCurve("KERN"));
  ASSERT_TRUE(porosity && kern);
  EXPECT_EQ(porosity->Measure(), 10);
  EXPECT_LE(porosity->GetWidth(), column->GetWidth());
  EXPECT_EQ(kern->Measure(), 2) << "the remembered measure";
  ASSERT_EQ(porosity->Intervals().size(), 2u) << "the shallowest interval too";
  EXPECT_EQ(porosity->Intervals()[0], (THistInterval{1, 2, 22}));
  // A chosen column without a number anywhere adds no empty histogram.
  EXPECT_EQ(column->AddHistograms(*MakeIntervals({"From", "To", "Empty"}, {{"1", "2", ""}})), 0);
  EXPECT_FALSE(column->FindCurve("Empty"));
}

// Scale headers stacked above a track stand in the head of column titles, in
// the room under the track's title. Curves added beyond that room make the
// head taller at its bottom row instead of covering the title and the rows
// above it.
TEST_F(HistogramTest, HeadersAddedAboveATrackMakeRoomInTheHeadOverIt) {
  TPrintDocument document;
  auto titles = std::make_unique<TPrintHeader>();
  TPrintHeader* head = titles.get();
  head->SetBoundsRect({0, 0, 90, 16});
  const auto addText = [&](TBoundsRect r, const QString& text) {
    auto t = std::make_unique<TPrintText>();
    t->SetBoundsRect(r);
    t->SetText(text);
    TPrintText* p = t.get();
    head->AddChild(std::move(t));
    return p;
  };
  TPrintText* stage = addText({0, 0, 14, 16}, "Stage");
  TPrintText* title = addText({56, 0, 90, 6}, "Gamma ray");
  TPrintText* room = addText({56, 6, 90, 16}, "");
  auto picture = std::make_unique<TPrintBitmap>();
  picture->SetBoundsRect({14, 10, 20, 16});
  TPrintBitmap* logo = picture.get();
  head->AddChild(std::move(picture));
  document.AddChild(std::move(titles));
  auto made = std::make_unique<TPassportBody>();
  TPassportBody* body = made.get();
  auto track = std::make_unique<TPrintDiagrams>();
  TPrintDiagrams* column = track.get();
  column->SetBoundsRect({56, 0, 90, 100});
  body->AddChild(std::move(track));
  document.AddChild(std::move(made));
  document.Changed();
  ASSERT_DOUBLE_EQ(body->Top(), 16);
  TPrintDiagramm* gr = column->AddEmptyCurve("GR", 1);
  gr->SetSamples(0, 1, {10, 20, 30});
  gr->AddNameCaption(nullptr);
  gr->AddScaleHeader(nullptr);
  column->StackHeaders(TPrintDiagrams::THeaderSide::Above);
  column->StackAddedHeaders();
  EXPECT_DOUBLE_EQ(head->GetHeight(), 16) << "one curve fits the room";

  const auto porosity = MakeIntervals({"From", "To", "Porosity", "Density"}, {{"1", "2", "22", "2.3"}});
  ASSERT_EQ(column->AddHistograms(*porosity), 2);
  EXPECT_DOUBLE_EQ(head->GetHeight(), 36) << "three 10 mm bands under a 6 mm title";
  EXPECT_DOUBLE_EQ(body->Top(), 36);
  EXPECT_DOUBLE_EQ(column->Top(), 36);
  EXPECT_DOUBLE_EQ(stage->GetHeight(), 36);
  EXPECT_DOUBLE_EQ(room->GetHeight(), 30);
  EXPECT_DOUBLE_EQ(title->GetHeight(), 6);
  EXPECT_DOUBLE_EQ(logo->GetHeight(), 6) << "a picture is not stretched";
  int headers = 0;
  for (int i = 0; i < column->Count(); ++i)
    for (int k = 0; k < column->GetChild(i)->AsObjectList()->Count(); ++k) {
      const TPrintObject* h = column->GetChild(i)->AsObjectList()->GetChild(k);
      if (h->GetKind() != kindDiagrammScale && h->GetKind() != kindText) continue;
      ++headers;
      EXPECT_GE(h->Top(), title->Top() + title->GetHeight() - 1e-9) << "below the title";
      EXPECT_LE(h->Top() + h->GetHeight(), body->Top() + 1e-9) << "above the logs";
    }
  EXPECT_EQ(headers, 6);

  // Headers inside the track take no room from the head.
  column->StackHeaders(TPrintDiagrams::THeaderSide::Inside);
  column->AddHistograms(*MakeIntervals({"From", "To", "Permeability"}, {{"1", "2", "5"}}));
  EXPECT_DOUBLE_EQ(head->GetHeight(), 36);
}
