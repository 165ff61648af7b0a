// Device-independent bitmaps as whole BMP file images: what a document stores
// for a picture. The reader checks every size against the bytes before it
// touches a pixel and decodes straight into the size it is asked for, so a
// picture of any stored size costs no more memory than what is drawn.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>

// The most pixels a picture may hold once loaded (8192 x 8192): a stored
// 24-bit image of this size is 192 MB. Larger sources are reduced on loading
// (JPEG while decoding) or refused.
inline constexpr int64_t kMaxPicturePixels = int64_t(8192) * 8192;

// What the headers of a BMP file image say, once checked against its size.
struct TBmpInfo {
  int32_t Width = 0;
  int32_t Height = 0;  // always positive; TopDown tells the row order
  bool TopDown = false;
  int BitCount = 0;           // 1, 4, 8, 16, 24 or 32
  uint32_t Compression = 0;   // 0 plain, 3 bit fields
  uint32_t PixelOffset = 0;   // start of the first stored row
  uint32_t Stride = 0;        // bytes per stored row
  uint32_t Masks[3] = {};     // red, green, blue of 16- and 32-bit images
  uint32_t Colors[256] = {};  // the palette as 0x00RRGGBB
  int ColorCount = 0;
  bool Gray = false;  // every palette entry is a grey
};

// Checks a BMP file image: signature, header, supported bit count and
// compression, palette and pixels inside the bytes, a size of at least one
// pixel. False with the reason in `error` (a language key of section "ERROR").
bool ParseBmp(const char* data, size_t size, TBmpInfo* info, QString* error);
inline bool ParseBmp(const QByteArray& bytes, TBmpInfo* info, QString* error) {
  return ParseBmp(bytes.constData(), static_cast<size_t>(bytes.size()), info, error);
}

// The picture decoded into `target` pixels (at most its own size in each
// direction; a smaller target averages the source pixels each one covers), as
// Format_RGB32. A null image when the bytes are not a BMP ParseBmp accepts.
QImage DecodeBmp(const QByteArray& bytes, QSize target);

// A BMP file image of `image`: 8 bits with a grey palette for grey images,
// else 24 bits; bottom-up, uncompressed, 3780 pixels per metre (96 dpi).
QByteArray EncodeBmp(const QImage& image);

// Writes BMP file images row by row without a decoded copy: the header and
// palette at construction, then each row as it comes (top row first).
class TBmpWriter {
 public:
  // `gray`: 8-bit rows with a grey palette; else 24-bit rows (R, G, B order in).
  TBmpWriter(int width, int height, bool gray);
  bool Valid() const { return !FBytes.isEmpty(); }
  // Row `y` from the top: `width` bytes (grey) or `width` x 3 bytes (R, G, B).
  void SetRow(int y, const uint8_t* pixels);
  QByteArray Take() { return std::move(FBytes); }

 private:
  QByteArray FBytes;
  int FWidth = 0;
  int FHeight = 0;
  bool FGray = false;
  uint32_t FStride = 0;
  uint32_t FOffset = 0;
};

// The largest size within `source` whose pixel count is at most `limit`,
// keeping the proportions (at least 1 x 1).
QSize FitPixels(QSize source, int64_t limit);
