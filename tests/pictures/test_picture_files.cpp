// Picture files into stored BMP images: JPEG through libjpeg (reduced while
// decoding when too large), PNG and TIFF through Qt's readers, and damaged or
// oversized files refused without allocating what their headers claim.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "uPictureDecoders.h"

namespace {

QByteArray Encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format, 95)) << format;
  return bytes;
}

QImage Gradient(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 128));
  return image;
}

bool DecodeJpegBytes(const QByteArray& bytes, int64_t limit, TDecodedPicture* out, QString* error) {
  return DecodeJpeg(bytes.constData(), static_cast<size_t>(bytes.size()), limit, out, error);
}

// Writes a big-endian 16-bit size into the first baseline frame header.
QByteArray WithJpegSize(QByteArray jpeg, int width, int height) {
  const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
  EXPECT_GT(sof, 0);
  jpeg[sof + 5] = char(height >> 8), jpeg[sof + 6] = char(height);
  jpeg[sof + 7] = char(width >> 8), jpeg[sof + 8] = char(width);
  return jpeg;
}

int Near(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

}  // namespace

TEST(PictureFiles, JpegDecodesIntoTwentyFourOrEightBitImages) {
  const QImage source = Gradient(64, 40);
  TDecodedPicture color;
  QString error;
  ASSERT_TRUE(DecodeJpegBytes(Encoded(source, "JPG"), kMaxPicturePixels, &color, &error)) << error.toStdString();
  TBmpInfo info;
  ASSERT_TRUE(ParseBmp(color.Bmp, &info, nullptr));
  EXPECT_EQ(info.BitCount, 24);
  EXPECT_EQ(color.SourceSize, QSize(64, 40));
  const QImage back = DecodeBmp(color.Bmp, QSize(64, 40));
  EXPECT_LE(Near(back.pixel(10, 30), source.pixel(10, 30)), 12);
  EXPECT_LE(Near(back.pixel(60, 2), source.pixel(60, 2)), 12);

  TDecodedPicture gray;
  ASSERT_TRUE(DecodeJpegBytes(Encoded(source.convertToFormat(QImage::Format_Grayscale8), "JPG"), kMaxPicturePixels,
                              &gray, &error));
  ASSERT_TRUE(ParseBmp(gray.Bmp, &info, nullptr));
  EXPECT_EQ(info.BitCount, 8);
  EXPECT_TRUE(info.Gray);
}

TEST(PictureFiles, OversizedJpegIsReducedWhileDecodingOrRefused) {
  const QByteArray jpeg = Encoded(Gradient(100, 80), "JPG");
  TDecodedPicture half;
  QString error;
  // 100 x 80 over a limit of 2,000 pixels: 1/2 gives 50 x 40, just within.
  ASSERT_TRUE(DecodeJpegBytes(jpeg, 2000, &half, &error));
  TBmpInfo info;
  ASSERT_TRUE(ParseBmp(half.Bmp, &info, nullptr));
  EXPECT_EQ(QSize(info.Width, info.Height), QSize(50, 40));
  EXPECT_EQ(half.SourceSize, QSize(100, 80));
  EXPECT_FALSE(DecodeJpegBytes(jpeg, 100, &half, &error));  // even 1/8 (13 x 10) is more
  EXPECT_EQ(error, QStringLiteral("PictureTooLarge"));

  // A header claiming 30,000 x 30,000 over a few hundred bytes: what is
  // decoded stays within the limit, whatever the header says.
  const QByteArray huge = WithJpegSize(jpeg, 30000, 30000);
  EXPECT_FALSE(DecodeJpegBytes(huge, int64_t(1000) * 1000, &half, &error));
  EXPECT_EQ(error, QStringLiteral("PictureTooLarge"));
  TDecodedPicture bounded;
  if (DecodeJpegBytes(huge, int64_t(4000) * 4000, &bounded, &error)) {
    EXPECT_EQ(bounded.SourceSize, QSize(30000, 30000));
    EXPECT_LE(bounded.Bmp.size(), 4000 * 4000 * 3 + 4096);
  }
}

TEST(PictureFiles, DamagedJpegFilesAreRefused) {
  const QByteArray jpeg = Encoded(Gradient(16, 16), "JPG");
  const QByteArray cases[] = {
      QByteArray(),
      QByteArray("\xFF\xD8", 2),
      QByteArray("\xFF\xD8\xFF\xE0garbage", 11),
      QByteArray("not a jpeg at all"),
      jpeg.left(jpeg.indexOf(QByteArray("\xFF\xC0", 2)) + 4),  // cut inside the frame header
      WithJpegSize(jpeg, 0, 16),
  };
  for (const QByteArray& bytes : cases) {
    TDecodedPicture out;
    QString error;
    EXPECT_FALSE(DecodeJpegBytes(bytes, kMaxPicturePixels, &out, &error)) << bytes.size();
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(out.Bmp.isEmpty());
  }
}

TEST(PictureFiles, PngAndTiffAreStoredAsBmpWithTransparencyOverWhite) {
  QImage source(6, 4, QImage::Format_ARGB32);
  source.fill(qRgb(10, 120, 200));
  source.setPixel(2, 1, qRgba(0, 0, 0, 0));
  for (const char* format : {"png", "tiff"}) {
    TDecodedPicture out;
    QString error;
    ASSERT_TRUE(DecodeQtImage(Encoded(source, format), format, kMaxPicturePixels, &out, &error))
        << format << " " << error.toStdString();
    TBmpInfo info;
    ASSERT_TRUE(ParseBmp(out.Bmp, &info, nullptr)) << format;
    EXPECT_EQ(info.BitCount, 24);
    const QImage back = DecodeBmp(out.Bmp, QSize(6, 4));
    EXPECT_EQ(back.pixel(0, 0) & 0xFFFFFF, 0x0A78C8u) << format;
    EXPECT_EQ(back.pixel(2, 1) & 0xFFFFFF, 0xFFFFFFu) << format;
    // Beyond the limit: refused from the header, before decoding.
    EXPECT_FALSE(DecodeQtImage(Encoded(source, format), format, 20, &out, &error)) << format;
    EXPECT_EQ(error, QStringLiteral("PictureTooLarge"));
    EXPECT_FALSE(DecodeQtImage(Encoded(source, format).left(30), format, kMaxPicturePixels, &out, &error)) << format;
  }
}
