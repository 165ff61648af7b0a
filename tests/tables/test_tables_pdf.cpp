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
