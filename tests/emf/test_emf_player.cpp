// Playback: the corpus plays without crashing or hanging, and drawn geometry lands where GDI
// would put it.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>

#include "emfTestUtil.h"
#include "uEmfPlayer.h"

namespace {

enum : uint32_t {
  kPolyline16 = 87,
  kPolygon16 = 86,
  kRectangle = 43,
  kEllipse = 42,
  kSelect = 37,
  kCreatePen = 38,
  kCreateBrush = 39,
  kDelete = 40,
  kSetMapMode = 17,
  kWinExt = 9,
  kWinOrg = 10,
  kVpExt = 11,
  kVpOrg = 12,
  kSaveDC = 33,
  kRestoreDC = 34,
  kMoveTo = 27,
  kLineTo = 54,
  kBkMode = 18,
  kBkColor = 25,
  kStock = 0x80000000u,
};

uint32_t P16(int x, int y) { return uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16); }

}  // namespace

TEST(EmfPlayer, CorpusPlaysWithoutCrashOrHang) {
  // Contact sheets of the real files are kept in the build's tests/emf-out for looking at.
  std::vector<std::pair<QString, QImage>> shown;
  // Our own regression inputs (found by fuzzing) beside the shared real and damaged files.
  for (const char* sub : {"emf", "emf-corrupted", "fixtures"}) {
    QDir dir(QString(sub) == "fixtures" ? QString(KERNO_TEST_DATA) + "/emf" : SharedData(sub));
    for (const QString& f : dir.entryList({"*.emf"}, QDir::Files)) {
      auto doc = TEmfDocument::FromFile(dir.filePath(f));
      if (!doc) continue;
      bool ok = false;
      QImage img = Render(*doc, 256, 256, true, &ok);
      EXPECT_FALSE(img.isNull()) << f.toStdString();
      if (QString(sub) == "emf") {
        EXPECT_TRUE(ok) << f.toStdString() << " stopped early";
      }
      shown.emplace_back(QFileInfo(f).completeBaseName(), img);
    }
  }
  const int perRow = 6, rows = 4, tile = 220;
  for (size_t first = 0, sheet = 0; first < shown.size(); first += perRow * rows, ++sheet) {
    QImage out(perRow * tile, rows * (tile + 14), QImage::Format_RGB32);
    out.fill(Qt::lightGray);
    QPainter p(&out);
    for (size_t i = first; i < std::min(shown.size(), first + perRow * rows); ++i) {
      int k = int(i - first), x = (k % perRow) * tile, y = (k / perRow) * (tile + 14);
      p.drawImage(QRect(x + 2, y + 14, tile - 4, tile - 4), shown[i].second);
      p.drawText(x + 2, y + 11, shown[i].first);
    }
    p.end();
    out.save(QString("%1/corpus-%2.png").arg(OutputDir()).arg(sheet));
  }
}

// Vector targets have no raster operations: the player's fallbacks must still produce a
// document (printing and PDF export go this way).
TEST(EmfPlayer, CorpusPlaysIntoPdf) {
  if (!HaveSharedData("emf")) GTEST_SKIP() << "shared data not present";
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter pdf(&buffer);
  QPainter p(&pdf);
  QDir dir(SharedData("emf"));
  int played = 0;
  for (const QString& f : dir.entryList({"*.emf"}, QDir::Files)) {
    auto doc = TEmfDocument::FromFile(dir.filePath(f));
    ASSERT_TRUE(doc) << f.toStdString();
    EXPECT_TRUE(PlayEmf(&p, *doc, QRectF(0, 0, 2000, 2000))) << f.toStdString();
    if (++played % 6 == 0) pdf.newPage();
  }
  p.end();
  EXPECT_GT(buffer.size(), 10000);
  EXPECT_TRUE(buffer.data().startsWith("%PDF"));
}

// A brush-filled rectangle with a null pen covers exactly its box; a stock pen outlines it.
TEST(EmfPlayer, RectangleFillAndOutline) {
  TEmfBytes b(100, 100);
  b.Rec(kCreateBrush, {1, 0, Rgb(255, 0, 0), 0})
      .Rec(kSelect, {1})
      .Rec(kSelect, {kStock | 8})  // NULL_PEN
      .Rec(kRectangle, {20, 20, 60, 50})
      .Rec(kSelect, {kStock | 4})  // BLACK_BRUSH
      .Rec(kSelect, {kStock | 7})  // BLACK_PEN
      .Rec(kSelect, {kStock | 5})  // NULL_BRUSH
      .Rec(kRectangle, {70, 70, 90, 90});
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  QImage img = Render(*doc, 100, 100);
  img.save(OutputDir() + "/rect.png");
  EXPECT_GT(Coverage(img, QRect(22, 22, 36, 26), Qt::red), 0.99);
  EXPECT_GT(Coverage(img, QRect(0, 0, 100, 18), Qt::white), 0.99);
  EXPECT_GT(Coverage(img, QRect(62, 20, 6, 30), Qt::white), 0.99);
  // The outlined, unfilled square: black border, white inside.
  EXPECT_GT(Coverage(img, QRect(70, 75, 1, 10), Qt::black), 0.9);
  EXPECT_GT(Coverage(img, QRect(74, 74, 12, 12), Qt::white), 0.99);
}

// Window/viewport mapping: the anisotropic mode scales logical units; save/restore DC brings
// the earlier mapping and objects back.
TEST(EmfPlayer, MapModesAndSaveRestore) {
  TEmfBytes b(100, 100);
  b.Rec(kCreateBrush, {1, 0, Rgb(0, 0, 255), 0})
      .Rec(kSelect, {1})
      .Rec(kSelect, {kStock | 8})
      .Rec(kSaveDC, {})
      .Rec(kSetMapMode, {8})  // ANISOTROPIC
      .Rec(kWinExt, {1000, 1000})
      .Rec(kVpExt, {100, 100})
      .Rec(kWinOrg, {uint32_t(-100), uint32_t(-100)})
      .Rec(kRectangle, {0, 0, 300, 200})  // -> device 10..40 x 10..30
      .Rec(kSelect, {kStock | 4})
      .Rec(kRestoreDC, {uint32_t(-1)})
      .Rec(kRectangle, {60, 60, 80, 80});  // MM_TEXT again, blue brush again
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  QImage img = Render(*doc, 100, 100);
  img.save(OutputDir() + "/mapmode.png");
  EXPECT_GT(Coverage(img, QRect(12, 12, 26, 16), Qt::blue), 0.99);
  EXPECT_GT(Coverage(img, QRect(42, 12, 10, 16), Qt::white), 0.99);
  EXPECT_GT(Coverage(img, QRect(62, 62, 16, 16), Qt::blue), 0.99);
}

// Metric map modes flip the y axis and count 0.1 mm (LOMETRIC) per unit.
TEST(EmfPlayer, MetricMapModeFlipsY) {
  TEmfBytes b(100, 100);  // 96 dpi: 1 mm = 3.78 px
  b.Rec(kCreateBrush, {1, 0, Rgb(0, 128, 0), 0})
      .Rec(kSelect, {1})
      .Rec(kSelect, {kStock | 8})
      .Rec(kSetMapMode, {2})                                       // LOMETRIC
      .Rec(kRectangle, {50, uint32_t(-50), 150, uint32_t(-150)});  // 5..15 mm -> 19..57 px
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  QImage img = Render(*doc, 100, 100);
  EXPECT_GT(Coverage(img, QRect(21, 21, 34, 34), QColor(0, 128, 0)), 0.99);
  EXPECT_GT(Coverage(img, QRect(60, 0, 40, 100), Qt::white), 0.99);
}

// Lines use the pen's colour; the current position carries from MOVETOEX to LINETO; a damaged
// polyline (count beyond the record) stops playback instead of reading past it.
TEST(EmfPlayer, LinesAndDamagedPolyline) {
  TEmfBytes b(100, 100);
  b.Rec(kCreatePen, {1, 0, 3, 0, Rgb(0, 0, 255)})
      .Rec(kSelect, {1})
      .Rec(kMoveTo, {10, 50})
      .Rec(kLineTo, {90, 50})
      .Rec(kPolyline16, {0, 0, 0, 0, 2, P16(50, 10), P16(50, 40)})
      .Rec(kPolyline16, {0, 0, 0, 0, 1000, P16(0, 0), P16(99, 99)})
      .Rec(kRectangle, {0, 0, 100, 100});  // never reached
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  bool ok = true;
  QImage img = Render(*doc, 100, 100, false, &ok);
  EXPECT_FALSE(ok);
  EXPECT_GT(Coverage(img, QRect(15, 50, 70, 1), Qt::blue), 0.99);
  EXPECT_GT(Coverage(img, QRect(50, 12, 1, 26), Qt::blue), 0.99);
  EXPECT_GT(Coverage(img, QRect(0, 0, 40, 40), Qt::white), 0.99);
}

// Object indexes outside the table and deleted objects are ignored, not dereferenced.
TEST(EmfPlayer, BadObjectIndexesAreIgnored) {
  TEmfBytes b(50, 50);
  b.Rec(kCreateBrush, {60000, 0, Rgb(255, 0, 0), 0})  // beyond nHandles
      .Rec(kSelect, {60000})
      .Rec(kSelect, {kStock | 999})
      .Rec(kCreateBrush, {1, 0, Rgb(255, 0, 0), 0})
      .Rec(kDelete, {1})
      .Rec(kSelect, {1})
      .Rec(kDelete, {0xFFFFFF})
      .Rec(kSelect, {kStock | 8})
      .Rec(kRectangle, {10, 10, 40, 40});
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  bool ok = false;
  QImage img = Render(*doc, 50, 50, false, &ok);
  EXPECT_TRUE(ok);
  // The default white brush stayed selected.
  EXPECT_GT(Coverage(img, QRect(0, 0, 50, 50), Qt::white), 0.99);
}

// Playback respects the painter's own transform and stretches the frame onto the target.
TEST(EmfPlayer, StretchesIntoTargetUnderPainterTransform) {
  TEmfBytes b(100, 100);
  b.Rec(kSelect, {kStock | 4}).Rec(kSelect, {kStock | 8}).Rec(kRectangle, {0, 0, 50, 50});
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  QImage img(200, 200, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  QPainter p(&img);
  p.translate(100, 0);
  EXPECT_TRUE(PlayEmf(&p, *doc, QRectF(0, 100, 100, 50)));
  p.end();
  // Top-left quarter of the picture -> x 100..150, y 100..125.
  EXPECT_GT(Coverage(img, QRect(102, 102, 46, 21), Qt::black), 0.99);
  EXPECT_GT(Coverage(img, QRect(152, 100, 40, 50), Qt::white), 0.99);
  EXPECT_GT(Coverage(img, QRect(102, 128, 40, 20), Qt::white), 0.99);
  EXPECT_GT(Coverage(img, QRect(0, 0, 100, 200), Qt::white), 0.99);
}

// A handful of the real files at a size where details show (written for looking at), with
// a check that each drew something in its frame.
TEST(EmfPlayer, RendersSelectedFilesLarge) {
  if (!HaveSharedData("emf")) GTEST_SKIP() << "shared data not present";
  for (const char* name : {"test-104", "test-131", "test-174", "test-183", "test-123", "test-022"}) {
    auto doc = TEmfDocument::FromFile(SharedData("emf") + "/" + name + ".emf");
    ASSERT_TRUE(doc) << name;
    QSizeF mm = doc->NaturalSizeMM();
    int w = 800, h = std::max(1, int(800 * mm.height() / mm.width()));
    bool ok = false;
    QImage img = Render(*doc, w, h, true, &ok);
    EXPECT_TRUE(ok) << name;
    img.save(OutputDir() + "/large-" + name + ".png");
    EXPECT_LT(Coverage(img, img.rect(), Qt::white, 8), 0.999) << name << " drew nothing";
  }
}
