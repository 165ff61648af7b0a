// The BMP file images pictures are stored as: every layout the reader
// accepts decodes to the right pixels, reductions average, and damaged
// headers are refused before any pixel is read.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "uBmpImage.h"
#include "uLittleEndian.h"

namespace {

// A BMP image built field by field, for layouts EncodeBmp never writes.
QByteArray MakeBmp(int width, int height, int bits, const std::vector<uint32_t>& palette,
                   const std::vector<uint8_t>& rows, uint32_t compression = 0,
                   const std::vector<uint32_t>& masks = {}) {
  const uint32_t masksSize = static_cast<uint32_t>(masks.size() * 4);
  const uint32_t offset = 14 + 40 + masksSize + static_cast<uint32_t>(palette.size() * 4);
  QByteArray b(static_cast<qsizetype>(offset + rows.size()), '\0');
  auto* p = reinterpret_cast<uint8_t*>(b.data());
  p[0] = 'B', p[1] = 'M';
  PutLE32(p + 2, static_cast<uint32_t>(b.size()));
  PutLE32(p + 10, offset);
  PutLE32(p + 14, 40);
  PutLE32(p + 18, static_cast<uint32_t>(width));
  PutLE32(p + 22, static_cast<uint32_t>(height));
  PutLE16(p + 26, 1);
  PutLE16(p + 28, static_cast<uint16_t>(bits));
  PutLE32(p + 30, compression);
  PutLE32(p + 46, static_cast<uint32_t>(palette.size()));
  for (size_t i = 0; i < masks.size(); ++i) PutLE32(p + 54 + 4 * i, masks[i]);
  for (size_t i = 0; i < palette.size(); ++i) PutLE32(p + 54 + masksSize + 4 * i, palette[i]);
  if (!rows.empty()) std::memcpy(p + offset, rows.data(), rows.size());
  return b;
}

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

}  // namespace

TEST(BmpImage, EncodedPicturesDecodeToTheirPixels) {
  QImage color(5, 3, QImage::Format_RGB32);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) color.setPixel(x, y, qRgb(x * 50, y * 100, 7));
  const QByteArray bmp = EncodeBmp(color);
  TBmpInfo info;
  ASSERT_TRUE(ParseBmp(bmp, &info, nullptr));
  EXPECT_EQ(info.BitCount, 24);
  EXPECT_EQ(info.Stride, 16u);  // 15 bytes padded to 4
  EXPECT_EQ(bmp.size(), 14 + 40 + 16 * 3);
  const QImage back = DecodeBmp(bmp, QSize(5, 3));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(At(back, x, y), color.pixel(x, y) & 0xFFFFFF) << x << "," << y;

  QImage gray(3, 2, QImage::Format_Grayscale8);
  gray.fill(0);
  gray.setPixel(1, 0, qRgb(200, 200, 200));
  const QByteArray grayBmp = EncodeBmp(gray);
  ASSERT_TRUE(ParseBmp(grayBmp, &info, nullptr));
  EXPECT_EQ(info.BitCount, 8);
  EXPECT_TRUE(info.Gray);
  EXPECT_EQ(At(DecodeBmp(grayBmp, QSize(3, 2)), 1, 0), 0xC8C8C8u);
  EXPECT_EQ(At(DecodeBmp(grayBmp, QSize(3, 2)), 1, 1), 0u);
}

TEST(BmpImage, ReadsPalettedBitFieldAndTopDownLayouts) {
  // 1 bit: rows bottom-up, 4-byte padded; pixel 1 of the top row set.
  const QByteArray mono = MakeBmp(3, 2, 1, {0x000000, 0xFFFFFF}, {0x00, 0, 0, 0, 0x40, 0, 0, 0});
  QImage m = DecodeBmp(mono, QSize(3, 2));
  EXPECT_EQ(At(m, 1, 0), 0xFFFFFFu);
  EXPECT_EQ(At(m, 0, 0), 0u);
  EXPECT_EQ(At(m, 1, 1), 0u);
  // 4 bits: high nibble first; an index past the palette draws black.
  const QByteArray nibbles = MakeBmp(3, 1, 4, {0x0000FF, 0x00FF00}, {0x10, 0x50, 0, 0});
  QImage n = DecodeBmp(nibbles, QSize(3, 1));
  EXPECT_EQ(At(n, 0, 0), 0x00FF00u);
  EXPECT_EQ(At(n, 1, 0), 0x0000FFu);
  EXPECT_EQ(At(n, 2, 0), 0u);
  // 16 bits 5-6-5 through bit fields: full red and full green scale to 255.
  const QByteArray rgb565 = MakeBmp(2, 1, 16, {}, {0x00, 0xF8, 0xE0, 0x07}, 3, {0xF800, 0x07E0, 0x001F});
  QImage f = DecodeBmp(rgb565, QSize(2, 1));
  EXPECT_EQ(At(f, 0, 0), 0xFF0000u);
  EXPECT_EQ(At(f, 1, 0), 0x00FF00u);
  // 32 bits, top-down (negative height): the first stored row is the top one.
  const QByteArray topDown = MakeBmp(1, -2, 32, {}, {1, 2, 3, 0, 9, 9, 9, 0});
  TBmpInfo info;
  ASSERT_TRUE(ParseBmp(topDown, &info, nullptr));
  EXPECT_TRUE(info.TopDown);
  EXPECT_EQ(info.Height, 2);
  EXPECT_EQ(At(DecodeBmp(topDown, QSize(1, 2)), 0, 0), 0x030201u);
}

TEST(BmpImage, SmallerTargetsAverageWhatTheyCover) {
  QImage image(4, 2, QImage::Format_RGB32);
  image.fill(qRgb(0, 0, 0));
  image.setPixel(0, 0, qRgb(255, 255, 255));
  image.setPixel(1, 1, qRgb(255, 255, 255));
  image.setPixel(3, 0, qRgb(100, 0, 0));
  const QImage half = DecodeBmp(EncodeBmp(image), QSize(2, 1));
  ASSERT_EQ(half.size(), QSize(2, 1));
  EXPECT_EQ(At(half, 0, 0), qRgb(128, 128, 128) & 0xFFFFFF);  // two of four white, rounded
  EXPECT_EQ(At(half, 1, 0), qRgb(25, 0, 0) & 0xFFFFFF);
  // A target beyond the picture is held to its size: nothing is enlarged.
  EXPECT_EQ(DecodeBmp(EncodeBmp(image), QSize(40, 40)).size(), QSize(4, 2));
  const QSize square = FitPixels(QSize(30000, 30000), kMaxPicturePixels);
  EXPECT_LE(int64_t(square.width()) * square.height(), kMaxPicturePixels);
  EXPECT_GE(square.width(), 8190);
  EXPECT_EQ(square.width(), square.height());
  const QSize tall = FitPixels(QSize(6000, 40000), 1000000);
  EXPECT_LE(int64_t(tall.width()) * tall.height(), 1000000);
  EXPECT_NEAR(double(tall.height()) / tall.width(), 40000.0 / 6000.0, 0.05);
}

TEST(BmpImage, DamagedHeadersAreRefusedWithTheirReason) {
  const QByteArray good = EncodeBmp(QImage(4, 4, QImage::Format_RGB32));
  ASSERT_FALSE(good.isEmpty());
  struct TCase {
    const char* What;
    QByteArray Bytes;
    const char* Key;
  };
  QByteArray truncated = good.left(good.size() - 1);
  QByteArray zeroWidth = good;
  PutLE32(reinterpret_cast<uint8_t*>(zeroWidth.data()) + 18, 0);
  QByteArray huge = good;  // 30,000 x 30,000 claimed by a file of 102 bytes
  PutLE32(reinterpret_cast<uint8_t*>(huge.data()) + 18, 30000);
  PutLE32(reinterpret_cast<uint8_t*>(huge.data()) + 22, 30000);
  QByteArray badBits = good;
  PutLE16(reinterpret_cast<uint8_t*>(badBits.data()) + 28, 7);
  QByteArray rle = good;
  PutLE32(reinterpret_cast<uint8_t*>(rle.data()) + 30, 1);
  QByteArray offsetPast = good;
  PutLE32(reinterpret_cast<uint8_t*>(offsetPast.data()) + 10, 0x7FFFFFFF);
  QByteArray header = good;
  PutLE32(reinterpret_cast<uint8_t*>(header.data()) + 14, 1000);
  const QByteArray palettePast = MakeBmp(1, 1, 8, std::vector<uint32_t>(256), {}).left(200);
  const TCase cases[] = {
      {"empty", QByteArray(), "BmpNotBitmap"},
      {"not BM", QByteArray("GIF89a").append(QByteArray(60, '\0')), "BmpNotBitmap"},
      {"pixels cut short", truncated, "BmpDamaged"},
      {"zero width", zeroWidth, "PictureEmpty"},
      {"huge claimed size", huge, "BmpDamaged"},
      {"bit count 7", badBits, "BmpUnsupported"},
      {"run-length compressed", rle, "BmpUnsupported"},
      {"pixel offset past the end", offsetPast, "BmpDamaged"},
      {"header size 1000", header, "BmpUnsupported"},
      {"palette past the end", palettePast, "BmpDamaged"},
  };
  for (const TCase& c : cases) {
    QString error;
    EXPECT_FALSE(ParseBmp(c.Bytes, nullptr, &error)) << c.What;
    EXPECT_EQ(error, QLatin1String(c.Key)) << c.What;
    EXPECT_TRUE(DecodeBmp(c.Bytes, QSize(4, 4)).isNull()) << c.What;
  }
}
