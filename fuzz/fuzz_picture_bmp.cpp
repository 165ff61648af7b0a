// Fuzz target for the BMP reader: arbitrary bytes go through ParseBmp; what it
// accepts must decode at its own size and into smaller targets (box
// averaging) without reading outside the bytes, and DecodeBmpFile must keep
// or reduce it within the pixel limit it is given.
#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <cstdlib>

#include "uBmpImage.h"
#include "uPictureDecoders.h"

namespace {
void Check(bool condition) {
  if (!condition) std::abort();
}
// Small enough that every accepted picture is decoded whole within the run's time.
constexpr int64_t kLimit = 64 * 64;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  TBmpInfo info;
  QString error;
  if (!ParseBmp(bytes, &info, &error)) {
    Check(!error.isEmpty());
    Check(DecodeBmp(bytes, QSize(8, 8)).isNull());
    return 0;
  }
  Check(info.Width > 0 && info.Height > 0);
  Check(uint64_t(info.PixelOffset) + uint64_t(info.Stride) * uint64_t(info.Height) <= size);
  const QSize small = FitPixels(QSize(info.Width, info.Height), kLimit);
  const QImage reduced = DecodeBmp(bytes, small);
  Check(!reduced.isNull() && reduced.size() == small);
  Check(DecodeBmp(bytes, QSize(1, 1)).size() == QSize(1, 1));
  if (int64_t(info.Width) * info.Height <= kLimit)
    Check(DecodeBmp(bytes, QSize(info.Width, info.Height)).size() == QSize(info.Width, info.Height));
  TDecodedPicture picture;
  if (DecodeBmpFile(bytes, kLimit, &picture, &error)) {
    TBmpInfo stored;
    Check(ParseBmp(picture.Bmp, &stored, nullptr));
    Check(int64_t(stored.Width) * stored.Height <= kLimit);
    Check(picture.SourceSize == QSize(info.Width, info.Height));
  }
  return 0;
}
