// Pictures of objects without the user: formats by extension, picture sizes
// from the scale, every format written and read back, and failures that
// leave an existing picture alone.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>

#include "uEmfDocument.h"
#include "uEmfPlayer.h"
#include "uExportTestEnv.h"
#include "uObjectImage.h"

namespace {

bool IsInk(QRgb p) { return qGray(p) < 128; }

// The dark pixels' columns along a row three quarters down, which crosses
// the outer borders and the inner box of MakeBoxes (not their top or bottom
// lines, which would ink every column).
std::vector<int> InkColumns(const QImage& image) {
  std::vector<int> columns;
  const int y = image.height() * 3 / 4;
  for (int x = 0; x < image.width(); ++x)
    if (IsInk(image.pixel(x, y))) columns.push_back(x);
  return columns;
}

bool InkNear(const std::vector<int>& columns, int x) {
  return std::any_of(columns.begin(), columns.end(), [x](int c) { return std::abs(c - x) <= 1; });
}

QString PdfInfo(const QString& path) {
  const QString pdfinfo = QStandardPaths::findExecutable("pdfinfo");
  if (pdfinfo.isEmpty()) return {};
  QProcess p;
  p.start(pdfinfo, {path});
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

TEST(ImageFormats, FollowTheExtensionInAnyCaseAndRefuseOthers) {
  EXPECT_EQ(ImageFormatOfPath("a/b.EMF"), TImageFormat::Emf);
  EXPECT_EQ(ImageFormatOfPath("b.Jpeg"), TImageFormat::Jpg);
  EXPECT_EQ(ImageFormatOfPath("b.jpg"), TImageFormat::Jpg);
  EXPECT_EQ(ImageFormatOfPath("b.svg"), TImageFormat::Svg);
  EXPECT_EQ(ImageFormatOfPath("b.png.txt"), TImageFormat::None);
  EXPECT_EQ(ImageFormatOfPath("emf"), TImageFormat::None) << "a name without extension";
  EXPECT_TRUE(IsRasterFormat(TImageFormat::Png));
  EXPECT_FALSE(IsRasterFormat(TImageFormat::Pdf));
}

TEST(ImageFormats, TheChosenFilterSetsTheExtension) {
  const QString mask = "Metafile|*.emf|Bitmap|*.bmp|JPEG|*.jpg;*.jpeg|PNG|*.png|All files|*.*";
  EXPECT_EQ(ExportFileName("/tmp/log.txt", 3, mask), "/tmp/log.jpg");
  EXPECT_EQ(ExportFileName("/tmp/log", 1, mask), "/tmp/log.emf");
  EXPECT_EQ(ExportFileName("/tmp/log.PNG", 2, mask), "/tmp/log.bmp");
  EXPECT_EQ(ExportFileName("/tmp/well.2021.txt", 4, mask), "/tmp/well.2021.png") << "only the last extension goes";
  EXPECT_EQ(ExportFileName("/tmp/a.b/log", 4, mask), "/tmp/a.b/log.png") << "a dotted folder is not an extension";
  // Entries that name no picture format, and indexes past the list, keep the name.
  EXPECT_EQ(ExportFileName("/tmp/log.svg", 5, mask), "/tmp/log.svg");
  EXPECT_EQ(ExportFileName("/tmp/log.txt", 9, mask), "/tmp/log.txt");
  EXPECT_EQ(ExportFileName("/tmp/log.txt", 0, mask), "/tmp/log.txt");
}

TEST(ImageScale, PercentagesFromOneToAThousandOnly) {
  EXPECT_EQ(ParseExportScalePercent("1000"), 1000);
  EXPECT_EQ(ParseExportScalePercent("1"), 1);
  EXPECT_EQ(ParseExportScalePercent(" 150,5"), 150.5) << "the tolerant number reader";
  for (const char* bad : {"1000.01", "0.99", "0", "-5", "", "abc", "1e4"})
    EXPECT_EQ(ParseExportScalePercent(bad), 0) << bad;
}

TEST_F(TExportTest, BitmapSizesFollowTheScaleRule) {
  const auto boxes = MakeBoxes(0, 0, 100, 50);
  // 96 dots per inch: 100 mm are 377.95 pixels.
  EXPECT_EQ(ObjectBitmapSize(boxes.get(), 1), QSize(378, 189));
  EXPECT_EQ(ObjectBitmapSize(boxes.get(), 2.5), QSize(945, 472));
  EXPECT_EQ(ObjectBitmapSize(boxes.get(), 0.01), QSize(4, 2));
  EXPECT_TRUE(ObjectBitmapSize(boxes.get(), 0).isEmpty());
  EXPECT_TRUE(ObjectBitmapSize(boxes.get(), -1).isEmpty());
  EXPECT_TRUE(RenderObjectBitmap(boxes.get(), 0).isNull());
  EXPECT_EQ(RenderObjectBitmap(boxes.get(), 2.5).size(), QSize(945, 472));

  // A 5 m document at 1000 % would need gigabytes: refused, not allocated.
  const auto tall = MakeBoxes(0, 0, 200, 5000);
  EXPECT_FALSE(BitmapSizeAllowed(ObjectBitmapSize(tall.get(), 10)));
  EXPECT_TRUE(RenderObjectBitmap(tall.get(), 10).isNull());
  EXPECT_TRUE(BitmapSizeAllowed(ObjectBitmapSize(tall.get(), 1)));
}

// The origin is a whole millimetre: an object at 10.4 mm must still show its
// right border inside its picture.
TEST_F(TExportTest, ABitmapHoldsTheWholeObjectWhereverItStands) {
  for (const double left : {0.0, 10.4, 10.5, 33.7}) {
    const auto boxes = MakeBoxes(left, 7.6, 50, 30);
    const QImage image = RenderObjectBitmap(boxes.get(), 1);
    ASSERT_EQ(image.size(), QSize(189, 113)) << left;
    const std::vector<int> ink = InkColumns(image);
    ASSERT_FALSE(ink.empty()) << left;
    EXPECT_LE(ink.front(), 1) << left << ": the left border";
    EXPECT_GE(ink.back(), image.width() - 2) << left << ": the right border";
    // The inner box starts half way across; nothing is drawn between.
    EXPECT_TRUE(InkNear(ink, image.width() / 2)) << left;
    EXPECT_FALSE(InkNear(ink, image.width() / 4)) << left;
    EXPECT_EQ(image.pixel(image.width() / 4, image.height() / 4), qRgb(255, 255, 255)) << "a white background";
  }
}

TEST_F(TExportTest, AMetafileFrameIsTheObjectsSizeInHundredthsOfAMillimetre) {
  const auto boxes = MakeBoxes(12.3, 40, 210, 148.5);
  QString error;
  ASSERT_TRUE(ExportObjectImageTo(Path("a.emf"), boxes.get(), {}, &error)) << error.toStdString();
  const auto emf = TEmfDocument::FromFile(Path("a.emf"));
  ASSERT_TRUE(emf);
  EXPECT_EQ(emf->Header().FrameLeft, 0);
  EXPECT_EQ(emf->Header().FrameTop, 0);
  EXPECT_EQ(emf->Header().FrameRight, 21000);
  EXPECT_EQ(emf->Header().FrameBottom, 14850);
  // Played back by our player, the borders are where they belong.
  QImage played(420, 297, QImage::Format_RGB32);
  played.fill(Qt::white);
  QPainter painter(&played);
  ASSERT_TRUE(PlayEmf(&painter, *emf, QRectF(0, 0, 420, 297)));
  painter.end();
  const std::vector<int> ink = InkColumns(played);
  ASSERT_FALSE(ink.empty());
  EXPECT_LE(ink.front(), 1);
  EXPECT_GE(ink.back(), 418);
  EXPECT_EQ(played.pixel(100, 70), qRgb(255, 255, 255));
}

TEST_F(TExportTest, MetafileCorrectionFactorsStretchTheDrawingInsideTheFrame) {
  const auto boxes = MakeBoxes(0, 0, 100, 100);
  FSettings->SetEmfScaleX(0.5);
  ASSERT_TRUE(ExportObjectImageTo(Path("half.emf"), boxes.get()));
  const auto emf = TEmfDocument::FromFile(Path("half.emf"));
  ASSERT_TRUE(emf);
  EXPECT_EQ(emf->Header().FrameRight, 10000) << "the frame keeps the object's size";
  QImage played(200, 200, QImage::Format_RGB32);
  played.fill(Qt::white);
  QPainter painter(&played);
  PlayEmf(&painter, *emf, QRectF(0, 0, 200, 200));
  painter.end();
  const std::vector<int> ink = InkColumns(played);
  ASSERT_FALSE(ink.empty());
  EXPECT_NEAR(ink.back(), 99, 2) << "the drawing is half as wide";
  // A nonsense factor is ignored rather than shrinking the picture to a dot.
  FSettings->SetEmfScaleX(0);
  ASSERT_TRUE(ExportObjectImageTo(Path("zero.emf"), boxes.get()));
  played.fill(Qt::white);
  painter.begin(&played);
  PlayEmf(&painter, *TEmfDocument::FromFile(Path("zero.emf")), QRectF(0, 0, 200, 200));
  painter.end();
  EXPECT_GE(InkColumns(played).back(), 197);
}

TEST_F(TExportTest, EveryFormatIsWrittenAndReadsBack) {
  const auto boxes = MakeBoxes(5, 5, 80, 40);
  const QSize at150 = ObjectBitmapSize(boxes.get(), 1.5);
  for (const char* name : {"p.bmp", "p.png", "p.jpg"}) {
    QString error;
    ASSERT_TRUE(ExportObjectImageTo(Path(name), boxes.get(), {1.5, 90}, &error)) << name << error.toStdString();
    QImage back(Path(name));
    ASSERT_FALSE(back.isNull()) << name;
    EXPECT_EQ(back.size(), at150) << name;
    EXPECT_FALSE(InkColumns(back).empty()) << name;
  }
  EXPECT_TRUE(Read("p.jpg").startsWith("\xFF\xD8\xFF")) << "JPEG bytes";
  EXPECT_TRUE(Read("p.bmp").startsWith("BM"));

  ASSERT_TRUE(ExportObjectImageTo(Path("p.svg"), boxes.get()));
  QSvgRenderer svg(Path("p.svg"));
  ASSERT_TRUE(svg.isValid());
  const QString svgText = QString::fromUtf8(Read("p.svg"));
  EXPECT_TRUE(svgText.contains(QRegularExpression(R"(width="80(\.0+)?mm")"))) << "true size";
  EXPECT_TRUE(svgText.contains(QRegularExpression(R"(height="40(\.0+)?mm")")));

  ASSERT_TRUE(ExportObjectImageTo(Path("p.pdf"), boxes.get()));
  EXPECT_TRUE(Read("p.pdf").startsWith("%PDF-"));
  const QString info = PdfInfo(Path("p.pdf"));
  if (info.isEmpty()) GTEST_SKIP() << "pdfinfo (poppler-utils) not installed";
  EXPECT_TRUE(info.contains(QRegularExpression(R"(Pages:\s+1\n)"))) << info.toStdString();
  // 80 x 40 mm are 226.77 x 113.39 points; the writer may round them to whole points.
  EXPECT_TRUE(info.contains(QRegularExpression(R"(Page size:\s+22[67](\.\d+)? x 113(\.\d+)? pts)")))
      << info.toStdString();
}

TEST_F(TExportTest, JpegQualityTradesSizeForDetail) {
  // A picture with detail: many small boxes.
  auto list = MakeBoxes(0, 0, 120, 120);
  for (int i = 0; i < 40; ++i) {
    auto box = std::make_unique<TPrintObject>();
    box->SetBoundsRect({i * 3.0, i * 2.5, i * 3.0 + 7, i * 2.5 + 9});
    list->AddChild(std::move(box));
  }
  ASSERT_TRUE(ExportObjectImageTo(Path("low.jpg"), list.get(), {1, 5}));
  ASSERT_TRUE(ExportObjectImageTo(Path("high.jpg"), list.get(), {1, 100}));
  EXPECT_LT(Read("low.jpg").size() * 2, Read("high.jpg").size());
}

TEST_F(TExportTest, AFailedExportLeavesTheOldPictureAndSaysWhy) {
  WriteText("old.png", "old picture");
  WriteText("old.emf", "old metafile");
  const auto tall = MakeBoxes(0, 0, 200, 5000);
  const auto empty = MakeBoxes(0, 0, 0, 0);
  const auto boxes = MakeBoxes(0, 0, 20, 20);
  struct TCase {
    QString Path;
    TPrintObject* Object;
    TImageExportOptions Options;
  } cases[] = {
      {Path("old.png"), tall.get(), {10, 90}},      // too large a bitmap
      {Path("old.png"), boxes.get(), {0, 90}},      // no scale
      {Path("old.png"), empty.get(), {1, 90}},      // nothing to draw
      {Path("old.emf"), empty.get(), {1, 90}},      // a metafile of nothing
      {Path("old.png.txt"), boxes.get(), {1, 90}},  // not a picture type
  };
  for (const TCase& c : cases) {
    QString error;
    EXPECT_FALSE(ExportObjectImageTo(c.Path, c.Object, c.Options, &error)) << c.Path.toStdString();
    EXPECT_FALSE(error.isEmpty()) << c.Path.toStdString();
    EXPECT_FALSE(error.contains('\n')) << "one line: " << error.toStdString();
  }
  EXPECT_EQ(Read("old.png"), "old picture");
  EXPECT_EQ(Read("old.emf"), "old metafile");
  EXPECT_FALSE(QFile::exists(Path("old.png.txt")));
  // A folder that does not exist: reported, nothing written anywhere.
  QString error;
  EXPECT_FALSE(ExportObjectImageTo(Path("no/such/p.svg"), boxes.get(), {}, &error));
  EXPECT_TRUE(error.contains("p.svg")) << error.toStdString();
  // And a successful export replaces the old file whole.
  ASSERT_TRUE(ExportObjectImageTo(Path("old.png"), boxes.get()));
  EXPECT_FALSE(QImage(Path("old.png")).isNull());
  EXPECT_EQ(QDir(FDir.path()).entryList({"*.png", "*.emf"}, QDir::Files).size(), 2) << "no temporary file is left";
}
