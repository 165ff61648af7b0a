// A printed page with a free table, a depth table and a description column
// after its automatic layout, as a PDF reader shows it, against a reference
// picture: catches what the geometric checks let through (text placement,
// colours, boxes and brackets, the layout's result on paper).
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include "uImageCompare.h"
#include "uPassportBody.h"
#include "uPdfPrintTarget.h"
#include "uPrintDeepTable.h"
#include "uPrintDesc.h"
#include "uPrintDocument.h"
#include "uPrintHeader.h"
#include "uPrintTable.h"
#include "uTablesTestEnv.h"

namespace {

// A head holding a free table of parameters, then a body at 1:500 from
// 1200 m: a depth table of layers at the left, the description column beside it.
void BuildPage(TPrintDocument* document) {
  auto head = std::make_unique<TPrintHeader>();
  TPrintHeader* h = head.get();
  document->AddChild(std::move(head));
  h->SetBoundsRect({0, 0, 150, 20});
  auto free = std::make_unique<TPrintTable>();
  TPrintTable* table = free.get();
  h->AddChild(std::move(free));
  table->SetBoundsRect({5, 3, 5, 3});
  Fill(&table->Table(), {{"Well", "K-17"}, {"Field", "North"}});
  table->Table().ColWidths = {25, 40};
  table->Table().RowHeights = {7, 7};
  table->Table().SetCellData(1, 0, 0x00A000);
  table->Changed();
  h->SetHeight(20);

  auto made = std::make_unique<TPassportBody>();
  TPassportBody* body = made.get();
  document->AddChild(std::move(made));
  body->SetVertScale(500);
  body->SetStartDepth(1200);

  auto deep = std::make_unique<TPrintDeepTable>();
  TPrintDeepTable* layers = deep.get();
  body->AddChild(std::move(deep));
  layers->SetBoundsRect({5, body->Top(), 65, body->Top() + 100});
  Fill(&layers->Table(), {{"1200", "1212", "sand"}, {"1212", "1214", "clay"}, {"1214", "1240", "limestone"}});
  layers->Table().ColWidths = {15, 15, 30};
  layers->Table().SetCellData(2, 1, 0x0000C0);
  layers->RebuildIntervals();

  auto column = std::make_unique<TPrintDesc>();
  TPrintDesc* desc = column.get();
  body->AddChild(std::move(column));
  desc->SetBoundsRect({70, body->Top(), 150, body->Top() + 80});
  desc->TextBorders = true;
  desc->LeftTick = 3;
  desc->Font.SetSizeMM(3);
  desc->CreateText(1200, 1212, "Sandstone, grey, fine-grained");
  desc->CreateText(1212, 1213, "Clay");
  desc->CreateText(1213, 1213.5, "Coal seam");
  desc->CreateText(1213.5, 1240, "Limestone\r\nwith fossils");
  desc->PlaceAutomatically();

  body->Changed();
  document->Changed();
}

}  // namespace

using TablesPdf = TTablesTest;

TEST_F(TablesPdf, APrintedPageMatchesItsReference) {
  const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
  if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm (poppler-utils) not installed";
  FSettings->SetPrintLineWidth(0.25);
  TPrintDocument document;
  BuildPage(&document);
  TPdfPrintTarget target(Path("tables.pdf"), QPageSize(QSizeF(160, 110), QPageSize::Millimeter));
  ASSERT_TRUE(document.Print(&target, 1, 1));
  QProcess p;
  // 101.6 dpi: 4 pixels per millimetre.
  p.start(pdftoppm, {"-r", "101.6", "-png", "-gray", "-singlefile", Path("tables.pdf"), Path("tables")});
  ASSERT_TRUE(p.waitForFinished(60000));
  const QImage actual = QImage(Path("tables.png")).convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(actual.isNull());

  // Glyph rasterisation moves single edge pixels between versions; a moved
  // text, box or line changes hundreds.
  const TImageComparison result =
      CompareWithReference(actual, QStringLiteral(KERNO_TEST_DATA "/tables/tables-page-reference.png"),
                           QDir::currentPath(), 64, actual.width() * actual.height() / 500);
  EXPECT_TRUE(result.Matches) << result.Message.toStdString();
}

namespace {

// Runs of rows holding ink between columns x0 and x1 of a page, leaving out
// rows inked across most of the span (table rules): the text lines' heights.
std::vector<int> InkedRuns(const QImage& page, int x0, int x1) {
  std::vector<int> runs;
  int run = 0;
  for (int y = 0; y <= page.height(); ++y) {
    int ink = 0;
    for (int x = x0; y < page.height() && x < x1; ++x) ink += qGray(page.pixel(x, y)) < 128;
    const bool text = ink > 0 && ink < (x1 - x0) * 8 / 10;
    if (text) {
      ++run;
    } else if (run > 0) {
      runs.push_back(run);
      run = 0;
    }
  }
  return runs;
}

}  // namespace

// A description and a depth table's cell that a sheet's foot cuts: each line
// prints whole on one sheet, none lost, wherever the break falls among them.
TEST_F(TablesPdf, TextsCrossingASheetBreakPrintWholeLines) {
  const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
  if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm (poppler-utils) not installed";
  const QStringList lines = {"FIRST LINE", "SECOND LINE", "THIRD LINE", "FOURTH LINE",
                             "FIFTH LINE", "SIXTH LINE",  "SEVENTH",    "EIGHTH"};
  // Sheets of 100 x 150 mm with no margins; at 1:200 from 1000 m the first
  // break lies at 1030 m. The texts move down by about a fifth of a line.
  for (int step = 0; step < 5; ++step) {
    const double shift = step * 0.14;
    TPrintDocument document;
    auto made = std::make_unique<TPassportBody>();
    TPassportBody* body = made.get();
    document.AddChild(std::move(made));
    body->SetVertScale(200);
    body->SetStartDepth(1000);
    auto deep = std::make_unique<TPrintDeepTable>();
    TPrintDeepTable* cores = deep.get();
    body->AddChild(std::move(deep));
    cores->SetBoundsRect({0, body->Top(), 30, body->Top() + 200});
    Fill(&cores->Table(), {{QString::number(1027 + shift), QString::number(1033 + shift), "CORE"}});
    cores->Table().ColWidths = {5, 5, 20};
    cores->RebuildIntervals();
    auto column = std::make_unique<TPrintDesc>();
    TPrintDesc* desc = column.get();
    body->AddChild(std::move(column));
    desc->SetBoundsRect({35, body->Top(), 80, body->Top() + 200});
    desc->Font.SetSizeMM(3);
    desc->CreateText(1028 + shift, 1040, lines.join("\r\n"));
    body->Changed();
    document.Changed();

    const QString pdf = Path(QStringLiteral("break%1.pdf").arg(step));
    TPdfPrintTarget target(pdf, QPageSize(QSizeF(100, 150), QPageSize::Millimeter));
    ASSERT_TRUE(document.Print(&target, 1, 2));
    QProcess p;
    // 4 pixels per millimetre.
    p.start(pdftoppm, {"-r", "101.6", "-png", "-gray", pdf, Path(QStringLiteral("break%1").arg(step))});
    ASSERT_TRUE(p.waitForFinished(60000));
    std::vector<int> descRuns, coreRuns;
    for (const char* suffix : {"-1.png", "-2.png"}) {
      const QImage page(Path(QStringLiteral("break%1").arg(step)) + QLatin1String(suffix));
      ASSERT_FALSE(page.isNull()) << suffix;
      // The columns inside their edges: the description 37-78 mm, the cell's text 11-29 mm.
      for (int h : InkedRuns(page, 37 * 4, 78 * 4)) descRuns.push_back(h);
      for (int h : InkedRuns(page, 11 * 4, 29 * 4)) coreRuns.push_back(h);
    }
    // Capitals alone: every whole line inks the same rows, give or take one.
    EXPECT_EQ(descRuns.size(), static_cast<size_t>(lines.size())) << "shift " << shift;
    ASSERT_FALSE(descRuns.empty());
    const int full = *std::max_element(descRuns.begin(), descRuns.end());
    for (int h : descRuns) EXPECT_GE(h, full - 1) << "a description line cut; shift " << shift;
    EXPECT_EQ(coreRuns.size(), 1u) << "the cell's text cut in two or lost; shift " << shift;
    for (int h : coreRuns) EXPECT_GE(h, full - 1) << "the cell's text cut; shift " << shift;
  }
}
