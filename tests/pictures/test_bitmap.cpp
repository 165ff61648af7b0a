// The image object: loading picture files by extension and its size in mm,
// the stored picture kept byte for byte through a document file, and drawing
// through the kept copy of the drawn size.
#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>

#include "qs.h"
#include "uBmpImage.h"
#include "uComPtr.h"
#include "uIniFile.h"
#include "uObjectFile.h"
#include "uPictureDrop.h"
#include "uPictureKinds.h"
#include "uPrintBitmap.h"
#include "uPrintDeepTable.h"
#include "uPrintHeader.h"
#include "uRecordingDevice.h"
#include "uScratchEnvTest.h"

namespace {

class BitmapTest : public TScratchEnvTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    RegisterHeadKinds();
    RegisterPictureKinds();
  }
  QString Write(const QString& name, const QByteArray& bytes) {
    QFile file(FDir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
  }
  QString WriteImage(const QString& name, const QImage& image, const char* format) {
    const QString path = FDir.filePath(name);
    EXPECT_TRUE(image.save(path, format));
    return path;
  }
  static QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  static QImage Filled(int w, int h, QRgb color) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    return image;
  }
};

TDrawContext PageContext(QPainter* painter, uint32_t options = doBorders) {
  TDrawContext c;
  c.DC = painter;
  c.Options = options;
  c.ClipRect = {0, 0, 2000, 2000};
  return c;
}

}  // namespace

TEST_F(BitmapTest, LoadingSizesTheImageAtThreePixelsPerMillimetre) {
  TPrintBitmap image;
  EXPECT_FALSE(image.Border());
  EXPECT_EQ(image.Flags() & 0x0F, 0x0Fu);
  const QString wide = Write("wide.bmp", EncodeBmp(Filled(300, 150, qRgb(1, 2, 3))));
  ASSERT_TRUE(image.LoadPictureFile(wide));
  EXPECT_EQ(image.GetWidth(), 100);
  EXPECT_EQ(image.GetHeight(), 50);
  // The file's own bytes are the stored picture.
  EXPECT_EQ(image.Picture(), ReadAll(wide));
  ASSERT_TRUE(image.LoadPictureFile(Write("odd.BMP", EncodeBmp(Filled(301, 152, 0)))));
  EXPECT_EQ(image.GetWidth(), 100);
  EXPECT_EQ(image.GetHeight(), 50);

  // Any case of the extension; JPEG, PNG and TIFF become BMP images.
  ASSERT_TRUE(image.LoadPictureFile(WriteImage("scan.Jpeg", Filled(90, 30, qRgb(200, 0, 0)), "JPG")));
  EXPECT_EQ(image.PictureSize(), QSize(90, 30));
  EXPECT_TRUE(image.Picture().startsWith("BM"));
  ASSERT_TRUE(image.LoadPictureFile(WriteImage("logo.png", Filled(12, 9, 0), "PNG")));
  EXPECT_EQ(image.PictureSize(), QSize(12, 9));
  ASSERT_TRUE(image.LoadPictureFile(WriteImage("logo.TIF", Filled(15, 6, 0), "TIFF")));
  EXPECT_EQ(image.GetWidth(), 5);
  EXPECT_EQ(image.GetHeight(), 2);

  // Refused files leave the picture and the size as they were.
  const QByteArray before = image.Picture();
  QString error;
  EXPECT_FALSE(image.LoadPictureFile(WriteImage("logo.gif", Filled(9, 9, 0), "PNG"), &error));
  EXPECT_EQ(error, QStringLiteral("PictureUnknownType"));
  EXPECT_FALSE(image.LoadPictureFile(Write("broken.jpg", QByteArray("\xFF\xD8\xFF\xDBxx", 6)), &error));
  EXPECT_FALSE(image.LoadPictureFile(Write("empty.bmp", QByteArray()), &error));
  EXPECT_FALSE(image.LoadPictureFile(FDir.filePath("missing.bmp"), &error));
  EXPECT_EQ(error, QStringLiteral("CantLoadFile"));
  EXPECT_EQ(image.Picture(), before);
  EXPECT_EQ(image.GetWidth(), 5);
}

TEST_F(BitmapTest, PropertiesAskForAFileAndReportARefusal) {
  TPrintBitmap image;
  FUi.FileAnswers.push_back(Write("bad.bmp", QByteArray("BM not really a bitmap, just words")));
  EXPECT_FALSE(image.EditProperties()) << "refused: nothing changed, and a new picture is not added empty";
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Error);
  EXPECT_TRUE(FUi.Messages[0].Text.contains(QStringLiteral("bad.bmp")));
  EXPECT_TRUE(FUi.FileDialogs[0].Filter.contains(QStringLiteral("*.jpeg")));
  EXPECT_TRUE(image.Picture().isEmpty());
  EXPECT_FALSE(image.EditProperties());  // cancelled
}

TEST_F(BitmapTest, DocumentFilesKeepThePictureByteForByte) {
  const QString jpeg = WriteImage("photo.jpg", Filled(40, 20, qRgb(0, 90, 200)), "JPG");
  const QByteArray damaged = EncodeBmp(Filled(8, 8, 0)).left(60);  // stored by someone else, cut short
  QByteArray firstSave, picture;
  {
    TPrintHeader head;
    head.SetBoundsRect({0, 0, 100, 100});  // a head clamps its children to its own size
    auto a = std::make_unique<TPrintBitmap>();
    ASSERT_TRUE(a->LoadPictureFile(jpeg));
    picture = a->Picture();
    head.AddChild(std::move(a));
    auto b = std::make_unique<TPrintBitmap>();
    b->SetBoundsRect({0, 20, 10, 30});
    head.AddChild(std::move(b));
    ASSERT_EQ(SaveObjectFile(&head, FDir.filePath("one.knd")), S_OK);
    firstSave = ReadAll(FDir.filePath("one.knd"));
  }
  // Bytes the reader refuses are kept as well: a document this program cannot
  // draw a picture of must not lose it on saving.
  QString error;
  std::unique_ptr<TPrintObjectList> loaded = LoadObjectFile(FDir.filePath("one.knd"), &error);
  ASSERT_TRUE(loaded) << error.toStdString();
  ASSERT_EQ(loaded->Count(), 2);
  auto* a = dynamic_cast<TPrintBitmap*>(loaded->GetChild(0));
  ASSERT_TRUE(a);
  EXPECT_EQ(a->Picture(), picture);
  EXPECT_EQ(a->PictureSize(), QSize(40, 20));
  EXPECT_TRUE(dynamic_cast<TPrintBitmap*>(loaded->GetChild(1))->Picture().isEmpty());
  ASSERT_EQ(SaveObjectFile(loaded.get(), FDir.filePath("two.knd")), S_OK);
  const QByteArray secondSave = ReadAll(FDir.filePath("two.knd"));
  EXPECT_EQ(secondSave.size(), firstSave.size());
  EXPECT_TRUE(secondSave == firstSave);

  TPrintBitmap copy;
  copy.Assign(a);
  EXPECT_EQ(copy.Picture(), picture);
  EXPECT_FALSE(copy.SetPicture(damaged));
  EXPECT_EQ(copy.Picture(), picture);
}

TEST_F(BitmapTest, DrawingStretchesAKeptCopyIntoTheRectangle) {
  TPrintBitmap image;
  ASSERT_TRUE(image.SetPicture(EncodeBmp(Filled(300, 150, qRgb(0, 0, 255)))));
  image.SetBoundsRect({10, 10, 40, 30});  // 300 x 200 pixels at 10 pixels per mm
  TRecordingDevice device(QSize(2000, 2000), 254);
  QPainter painter(&device);
  TDrawContext c = PageContext(&painter);
  image.Draw(c);
  auto images = device.OfKind(TRecordKind::Image);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0]->Rect, QRectF(100, 100, 300, 200));
  // Never more pixels than the picture has; the painter stretches the rest.
  EXPECT_EQ(images[0]->ImageSize, QSize(300, 150));
  image.SetBoundsRect({10, 10, 20, 15});
  device.Clear();
  image.Draw(c);
  images = device.OfKind(TRecordKind::Image);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0]->ImageSize, QSize(100, 50));
  EXPECT_EQ(image.ScaledCopySize(), QSize(100, 50));

  // Only the printable pass draws the picture, and only where it is seen.
  device.Clear();
  TDrawContext frames = PageContext(&painter, doFrames);
  image.Draw(frames);
  EXPECT_EQ(device.Count(TRecordKind::Image), 0u);
  TDrawContext elsewhere = PageContext(&painter);
  elsewhere.ClipRect = {500, 500, 900, 900};
  image.Draw(elsewhere);
  EXPECT_EQ(device.Count(TRecordKind::Image), 0u);

  // A stored picture the reader refuses draws as no picture.
  TPrintBitmap broken;
  TComPtr<ICompoundStream> stream;
  qsCreateCompoundStream(stream.Put());
  ASSERT_TRUE(stream);
  ASSERT_TRUE(image.SaveToQS(stream.Get()));
  const QByteArray cut = image.Picture().left(100);
  stream->WriteBuffer(9216, cut.constData(), static_cast<int32_t>(cut.size()));
  ASSERT_TRUE(broken.LoadFromQS(stream.Get()));
  EXPECT_EQ(broken.Picture(), cut);
  EXPECT_TRUE(broken.PictureSize().isEmpty());
  broken.Draw(c);
  EXPECT_EQ(device.Count(TRecordKind::Image), 0u);
}

TEST_F(BitmapTest, TemplatesNameTheirPictureBesideThemselves) {
  const QByteArray logo = EncodeBmp(Filled(30, 30, qRgb(9, 9, 9)));
  Write("logo.bmp", logo);
  TIniFile ini(FDir.filePath("sheet.knt"));
  ini.WriteString("Logo", "LEFT", "2");
  ini.WriteString("Logo", "WIDTH", "12");
  ini.WriteString("Logo", "HEIGHT", "12");
  ini.WriteString("Logo", "PICTURE", "logo.bmp");
  ini.WriteString("Gone", "PICTURE", "gone.bmp");
  TPrintBitmap image;
  ASSERT_TRUE(image.LoadFromIni(&ini, "Logo", ""));
  EXPECT_EQ(image.Picture(), logo);
  EXPECT_EQ(image.GetWidth(), 12);  // the template's size, not the picture's
  EXPECT_EQ(image.PictureFile(), QStringLiteral("logo.bmp"));
  ASSERT_TRUE(image.SaveToIni(&ini, "Copy", ""));
  EXPECT_EQ(ini.ReadString("Copy", "PICTURE", ""), QStringLiteral("logo.bmp"));
  TPrintBitmap missing;
  ASSERT_TRUE(missing.LoadFromIni(&ini, "Gone", ""));
  EXPECT_TRUE(missing.Picture().isEmpty());
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_TRUE(FUi.Messages[0].Text.contains(QStringLiteral("gone.bmp")));
}

// A picture takes its file's size (3 pixels a millimetre): one added to a head
// or into a table column is scaled down to fit it, its proportions kept. A
// file that cannot be read adds nothing.
TEST_F(BitmapTest, APictureAddedToABlockOrColumnFitsInsideIt) {
  TPrintHeader head;
  head.SetBoundsRect({0, 0, 190, 40});
  auto title = std::make_unique<TPrintBitmap>();  // a head is as wide as what it holds
  title->SetBoundsRect({0, 0, 190, 10});
  head.AddChild(std::move(title));
  FUi.ListAnswers = {0, 0};
  FUi.FileAnswers.push_back(WriteImage("logo.png", Filled(1200, 300, qRgb(200, 0, 0)), "PNG"));
  ASSERT_TRUE(head.InsertNewChildAt(150, 20, 170, 20));
  const TPrintObject* logo = head.GetChild(head.Count() - 1);
  EXPECT_EQ(logo->GetBoundsRect(), (TBoundsRect{30, 0, 190, 40})) << "400 x 100 mm cut to the head's height";

  TPrintDeepTable table;
  table.SetBoundsRect({100, 50, 130, 60});
  FUi.FileAnswers.push_back(WriteImage("core.png", Filled(300, 900, qRgb(150, 100, 50)), "PNG"));
  ASSERT_TRUE(table.InsertNewChildAt(120, 70, 140, 70));
  const TPrintObject* core = table.GetChild(table.Count() - 1);
  EXPECT_EQ(core->GetBoundsRect(), (TBoundsRect{100, 70, 130, 160})) << "100 x 300 mm cut to the table's width";

  FUi.ListAnswers = {0};
  FUi.FileAnswers.push_back(Write("bad.png", QByteArray("not a picture")));
  const int before = table.Count();
  EXPECT_FALSE(table.InsertNewChildAt(120, 70, 140, 70));
  EXPECT_EQ(table.Count(), before) << "no empty picture left behind";
}

// A picture file dropped on a depth table: fitted inside at the drop; a file
// that cannot be read says why and adds nothing.
TEST_F(BitmapTest, ADroppedPictureFileJoinsAtTheDropOrSaysWhyNot) {
  TPrintDeepTable table;
  table.SetBoundsRect({100, 50, 130, 60});
  QString error;
  EXPECT_FALSE(AddPictureFileAt(&table, Write("bad.png", QByteArray("not a picture")), 105, 70, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("bad.png"))) << error.toStdString();
  EXPECT_EQ(table.Count(), 0);
  ASSERT_TRUE(
      AddPictureFileAt(&table, WriteImage("core.png", Filled(300, 900, qRgb(150, 100, 50)), "PNG"), 120, 70, &error));
  ASSERT_EQ(table.Count(), 1);
  EXPECT_EQ(table.GetChild(0)->GetBoundsRect(), (TBoundsRect{100, 70, 130, 160}));
  EXPECT_TRUE(table.GetModified());
}
