// Page tiling and printing: which page shows which part of the document,
// the print pen, cancelling, and PDF files (their pages, their paper, and
// that a job that fails leaves no file behind).
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "uDocumentTestEnv.h"
#include "uPdfPrintTarget.h"
#include "uRecordingDevice.h"

namespace {

class Printing : public TDocumentTest {};

// A column that notes the drawing context of every page it is drawn on.
class TNotingColumn : public TTestColumn {
 public:
  void Draw(TDrawContext& context) override {
    Origins.push_back({context.OriginX, context.OriginY});
    Options.push_back(context.Options);
    PenWidths.push_back(context.DC->pen().widthF());
    TTestColumn::Draw(context);
  }
  std::vector<std::pair<int, int>> Origins;
  std::vector<uint32_t> Options;
  std::vector<double> PenWidths;
};

// A print target that records into a TRecordingDevice.
class TRecordingTarget : public TPrintTarget {
 public:
  explicit TRecordingTarget(QSize pageMM) : FPage(pageMM) {}
  QSize PageSizeMM() const override { return FPage; }
  bool BeginJob(const QString& title) override {
    Title = title;
    ++Jobs;
    return FPainter.begin(&Device);
  }
  bool NewPage() override {
    ++NewPages;
    return true;
  }
  bool EndJob() override {
    ++Ended;
    return FPainter.end();
  }
  void AbortJob() override {
    ++Aborted;
    FPainter.end();
  }
  QPainter* Painter() override { return &FPainter; }

  QSize FPage;
  TRecordingDevice Device{QSize(800, 1100), 96};
  QPainter FPainter;
  QString Title;
  int Jobs = 0;
  int NewPages = 0;
  int Ended = 0;
  int Aborted = 0;
};

// A document 190 x 500 mm whose one column notes what it is drawn with.
TNotingColumn* BuildTallDocument(TPrintDocument* document) {
  auto body = std::make_unique<TPassportBody>();
  TPassportBody* b = body.get();
  document->AddChild(std::move(body));
  auto column = std::make_unique<TNotingColumn>();
  TNotingColumn* c = column.get();
  c->SetBoundsRect({0, 0, 190, 10});
  b->AddChild(std::move(column));
  auto box = std::make_unique<TPrintObject>();
  box->SetBoundsRect({0, 0, 190, 500});
  c->AddChild(std::move(box));
  b->Changed();
  return c;
}

QString Tool(const char* name) { return QStandardPaths::findExecutable(QString::fromLatin1(name)); }

QString RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

TEST_F(Printing, TilesByThePrintableAreaTheOverlapAndTheShift) {
  TPrintDocument document;
  BuildTallDocument(&document);
  ASSERT_DOUBLE_EQ(document.GetWidth(), 190);
  ASSERT_DOUBLE_EQ(document.GetHeight(), 500);
  const TPageTiling page{200, 287, 10, 0, 0};
  EXPECT_EQ(document.PagesAcross(page), 1);
  EXPECT_EQ(document.PagesDown(page), 2);
  EXPECT_EQ(document.PageCount(page), 2);
  EXPECT_EQ(document.PageCount({200, 287, 10, 0, 250}), 3) << "a downward shift pushes the end onto a third page";
  EXPECT_EQ(document.PagesAcross({100, 287, 0, 0, 0}), 2);
  EXPECT_EQ(document.PagesDown({200, 287, 287, 0, 0}), 2) << "an overlap of a whole page counts as none";

  // Narrower than the overlap still prints; nothing prints nothing.
  EXPECT_EQ(PagesAlong(5, 200, 190, 0), 1);
  EXPECT_EQ(PagesAlong(0, 200, 190, 0), 0);
  EXPECT_EQ(PagesAlong(1e300, 200, 190, 0), kMaxPagesPerAxis);
  EXPECT_EQ(PagesAlong(std::nan(""), 200, 190, 0), 0);
  TPrintDocument empty;
  EXPECT_EQ(empty.PageCount(page), 0);
}

TEST_F(Printing, PrintsTheChosenPagesColumnByColumnWithBordersOnly) {
  FSettings->SetPageOverlay(10);
  TPrintDocument document;
  TNotingColumn* column = BuildTallDocument(&document);
  TRecordingTarget target(QSize(200, 287));
  ASSERT_TRUE(document.Print(&target, 2, 2));
  EXPECT_EQ(target.Jobs, 1);
  EXPECT_EQ(target.NewPages, 0) << "one page printed, one sheet";
  EXPECT_EQ(target.Ended, 1);
  EXPECT_EQ(target.Title, "Kerno");
  ASSERT_EQ(column->Origins.size(), 1u);
  EXPECT_EQ(column->Origins[0], std::make_pair(0, 287 - 10));
  EXPECT_EQ(column->Options[0], static_cast<uint32_t>(doBorders));

  column->Origins.clear();
  FSettings->SetPrintShiftX(5);
  FSettings->SetPrintShiftY(3);
  TRecordingTarget all(QSize(110, 287));
  ASSERT_TRUE(document.Print(&all, 1, 99));
  ASSERT_EQ(document.PagesAcross(TPageTiling::FromSettings(QSize(110, 287))), 2);
  ASSERT_EQ(document.PagesDown(TPageTiling::FromSettings(QSize(110, 287))), 2);
  ASSERT_EQ(column->Origins.size(), 4u) << "two columns of two pages";
  EXPECT_EQ(all.NewPages, 3);
  // Down the first column of pages, then the second.
  EXPECT_EQ(column->Origins[0], std::make_pair(-5, -3));
  EXPECT_EQ(column->Origins[1], std::make_pair(-5, 277 - 3));
  EXPECT_EQ(column->Origins[2], std::make_pair(100 - 5, -3));
  EXPECT_EQ(column->Origins[3], std::make_pair(100 - 5, 277 - 3));

  EXPECT_FALSE(document.Print(nullptr, 1, 1)) << "no printer";
}

TEST_F(Printing, DrawsWithThePrintLineWidth) {
  TPrintDocument document;
  TNotingColumn* column = BuildTallDocument(&document);
  FSettings->SetPrintLineWidth(0.5);
  TRecordingTarget target(QSize(200, 287));
  ASSERT_TRUE(document.Print(&target, 1, 1));
  ASSERT_EQ(column->PenWidths.size(), 1u);
  EXPECT_EQ(column->PenWidths[0], 2) << "0.5 mm at 96 dpi";
  FSettings->SetPrintLineWidth(0);
  column->PenWidths.clear();
  TRecordingTarget thin(QSize(200, 287));
  ASSERT_TRUE(document.Print(&thin, 1, 1));
  EXPECT_EQ(column->PenWidths[0], 0) << "at least one pixel: a cosmetic hairline";
}

TEST_F(Printing, ACancelledJobIsAbandoned) {
  TPrintDocument document;
  BuildTallDocument(&document);
  FUi.CancelProgressAt = 1;
  TRecordingTarget target(QSize(200, 287));
  EXPECT_FALSE(document.Print(&target, 1, 2));
  EXPECT_EQ(target.Aborted, 1);
  EXPECT_EQ(target.Ended, 0);
}

TEST_F(Printing, WritesOnePdfPagePerPrintedPageOnThePaperOfTheSettings) {
  TPrintDocument document;
  BuildTallDocument(&document);
  TPdfPrintTarget target(Path("out.pdf"), PrintPaperFromSettings(), PrintOrientationFromSettings());
  EXPECT_EQ(target.PageSizeMM(), QSize(210, 297)) << "A4 when nothing is set";
  ASSERT_TRUE(document.Print(&target, 1, 2)) << target.ErrorText().toStdString();
  EXPECT_EQ(target.PagesWritten(), 2);
  const QByteArray pdf = FileBytes(Path("out.pdf"));
  EXPECT_TRUE(pdf.startsWith("%PDF-"));
  EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
  if (Tool("pdfinfo").isEmpty()) GTEST_SKIP() << "pdfinfo (poppler-utils) not installed";
  const QString info = RunTool(Tool("pdfinfo"), {Path("out.pdf")});
  EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+2\\b"))) << info.toStdString();
  EXPECT_TRUE(info.contains("(A4)")) << info.toStdString();
}

TEST_F(Printing, PaperAndOrientationComeFromThePrintSettings) {
  FSettings->WriteText("PRINT", "PAPER", "a3");
  EXPECT_EQ(TPdfPrintTarget("x.pdf", PrintPaperFromSettings()).PageSizeMM(), QSize(297, 420));
  FSettings->WriteText("PRINT", "PAPER", "120x 80,5");
  EXPECT_EQ(TPdfPrintTarget("x.pdf", PrintPaperFromSettings()).PageSizeMM(), QSize(120, 80));
  FSettings->WriteText("PRINT", "PAPER", "99999x5");
  EXPECT_EQ(TPdfPrintTarget("x.pdf", PrintPaperFromSettings()).PageSizeMM(), QSize(210, 297)) << "no such paper";
  FSettings->WriteText("PRINT", "ORIENTATION", "Landscape");
  EXPECT_EQ(TPdfPrintTarget("x.pdf", QPageSize(QPageSize::A4), PrintOrientationFromSettings()).PageSizeMM(),
            QSize(297, 210));
}

TEST_F(Printing, APdfJobThatFailsOrIsCancelledLeavesNoFileOrThePreviousOne) {
  TPrintDocument document;
  BuildTallDocument(&document);
  TPdfPrintTarget nowhere(Path("no/folder/out.pdf"), QPageSize(QPageSize::A4));
  EXPECT_FALSE(document.Print(&nowhere, 1, 2));
  EXPECT_FALSE(nowhere.ErrorText().isEmpty());

  WriteText("old.pdf", "previous bytes");
  FUi.CancelProgressAt = 1;
  TPdfPrintTarget cancelled(Path("old.pdf"), QPageSize(QPageSize::A4));
  EXPECT_FALSE(document.Print(&cancelled, 1, 2));
  EXPECT_EQ(FileBytes(Path("old.pdf")), "previous bytes");
  EXPECT_EQ(QDir(FDir.path()).entryList({"old.pdf*"}, QDir::Files | QDir::Hidden), QStringList{"old.pdf"});
}

// The printed page as a reader shows it: the document's outline where the
// shift puts it on paper.
TEST_F(Printing, ThePdfShowsTheDocumentWhereTheShiftPutsIt) {
  if (Tool("pdftoppm").isEmpty()) GTEST_SKIP() << "pdftoppm (poppler-utils) not installed";
  FSettings->SetPrintShiftX(20);
  FSettings->SetPrintShiftY(30);
  FSettings->SetPrintLineWidth(1);
  TPrintDocument document;
  BuildTallDocument(&document);
  TPdfPrintTarget target(Path("shift.pdf"), QPageSize(QPageSize::A4));
  ASSERT_TRUE(document.Print(&target, 1, 1));
  RunTool(Tool("pdftoppm"), {"-r", "50.8", "-png", "-singlefile", Path("shift.pdf"), Path("shift")});
  QImage page(Path("shift.png"));
  ASSERT_FALSE(page.isNull());
  // 50.8 dpi: 2 pixels per mm. The body's border runs down x = 20 mm from y = 30 mm.
  ASSERT_NEAR(page.width(), 420, 1);
  auto dark = [&](int x, int y) { return qGray(page.pixel(x, y)) < 128; };
  int darkOnBorder = 0;
  int darkLeftOfIt = 0;
  for (int y = 70; y < 500; y += 10) {
    darkOnBorder += dark(40, y) || dark(41, y) || dark(39, y);
    darkLeftOfIt += dark(30, y);
  }
  EXPECT_GE(darkOnBorder, 40);
  EXPECT_EQ(darkLeftOfIt, 0);
  EXPECT_FALSE(dark(40, 40)) << "nothing above the document's top at 30 mm";
}

TEST_F(Printing, PdfMarginsComeFromThePrintSettingsAndShrinkThePrintableArea) {
  EXPECT_EQ(PrintMarginsFromSettings(), QMarginsF(10, 10, 10, 10)) << "10 mm when nothing is set";
  FSettings->WriteText("PRINT", "MARGINS", "5");
  EXPECT_EQ(PrintMarginsFromSettings(), QMarginsF(5, 5, 5, 5));
  FSettings->WriteText("PRINT", "MARGINS", " 12; 25 ;7,5;0 ");
  EXPECT_EQ(PrintMarginsFromSettings(), QMarginsF(12, 25, 7.5, 0)) << "a comma is a decimal separator";
  EXPECT_EQ(PrintMarginsText(PrintMarginsFromSettings()), "12;25;7.5;0");
  for (const char* bad : {"5;6", "-3", "ten", "1;2;3;x", "1e9"}) {
    FSettings->WriteText("PRINT", "MARGINS", bad);
    EXPECT_EQ(PrintMarginsFromSettings(), QMarginsF(10, 10, 10, 10)) << bad;
  }

  const QPageSize a4(QPageSize::A4);
  EXPECT_EQ(TPdfPrintTarget("x.pdf", a4, QPageLayout::Portrait, 600, QMarginsF(10, 10, 10, 10)).PageSizeMM(),
            QSize(190, 277));
  EXPECT_EQ(TPdfPrintTarget("x.pdf", a4, QPageLayout::Landscape, 600, QMarginsF(12, 25, 7.5, 0)).PageSizeMM(),
            QSize(277, 185));
  EXPECT_EQ(TPdfPrintTarget("x.pdf", a4, QPageLayout::Portrait, 600, QMarginsF(100, 0, 101, 0)).PageSizeMM(),
            QSize(210, 297))
      << "margins that leave no page are dropped";

  // What the page set-up chose comes back from the settings as it was chosen.
  KeepPrintLayoutInSettings(
      QPageLayout(QPageSize(QPageSize::A3), QPageLayout::Landscape, QMarginsF(12, 8, 6.5, 4), QPageLayout::Millimeter));
  EXPECT_EQ(PrintMarginsFromSettings(), QMarginsF(12, 8, 6.5, 4));
  EXPECT_EQ(PrintOrientationFromSettings(), QPageLayout::Landscape);
  EXPECT_EQ(TPdfPrintTarget("x.pdf", PrintPaperFromSettings(), PrintOrientationFromSettings(), 600,
                            PrintMarginsFromSettings())
                .PageSizeMM(),
            QSize(401, 285))
      << "420 - 12 - 6.5 mm across, in whole millimetres";
}

// The printable area starts at the left and top margins: the document's
// outline lies there on paper, and nothing is printed in the margins, not
// even the part of the document that goes on to the next page.
TEST_F(Printing, ThePdfShowsTheDocumentWithinItsMargins) {
  if (Tool("pdftoppm").isEmpty()) GTEST_SKIP() << "pdftoppm (poppler-utils) not installed";
  FSettings->SetPrintLineWidth(1);
  TPrintDocument document;
  BuildTallDocument(&document);
  TPdfPrintTarget target(Path("margins.pdf"), QPageSize(QPageSize::A4), QPageLayout::Portrait, 600,
                         QMarginsF(12, 25, 8, 10));
  ASSERT_EQ(document.PageCount(TPageTiling::FromSettings(target.PageSizeMM())), 2);
  ASSERT_TRUE(document.Print(&target, 1, 1));
  RunTool(Tool("pdftoppm"), {"-r", "50.8", "-png", "-singlefile", Path("margins.pdf"), Path("margins")});
  QImage page(Path("margins.png"));
  ASSERT_FALSE(page.isNull());
  ASSERT_NEAR(page.width(), 420, 1) << "the whole A4 sheet";
  auto dark = [&](int x, int y) { return qGray(page.pixel(x, y)) < 128; };
  int darkOnBorder = 0;
  for (int y = 60; y < 560; y += 10) darkOnBorder += dark(23, y) || dark(24, y) || dark(25, y);
  EXPECT_GE(darkOnBorder, 45) << "the body's border 12 mm from the sheet's left edge";
  for (int y = 0; y < page.height(); y += 4)
    for (int x = 0; x < 22; ++x) ASSERT_FALSE(dark(x, y)) << x << "," << y << ": inside the left margin";
  for (int x = 0; x < page.width(); x += 4)
    for (int y = 0; y < 48; ++y) ASSERT_FALSE(dark(x, y)) << x << "," << y << ": inside the top margin";
  // The document goes on below the page: its border stops at the bottom margin.
  EXPECT_TRUE(dark(24, 570) || dark(23, 570) || dark(25, 570));
  for (int x = 0; x < page.width(); ++x)
    for (int y = 578; y < page.height(); y += 2)
      ASSERT_FALSE(dark(x, y)) << x << "," << y << ": inside the bottom margin";
}
