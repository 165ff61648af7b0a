// Fuzz target for the picture file decoders: the first byte chooses JPEG
// (libjpeg, instrumented here only in our code), PNG or TIFF (Qt's readers);
// the rest is the file. A refusal comes with a reason; an accepted picture is
// a BMP image ParseBmp accepts, within the pixel limit, and never larger than
// the size the file claims.
#include <QByteArray>
#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>

#include "uBmpImage.h"
#include "uPictureDecoders.h"

namespace {
void Check(bool condition) {
  if (!condition) std::abort();
}
// A header may claim any size: the decoders must reduce or refuse it.
constexpr int64_t kLimit = 256 * 256;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // Qt's image readers come as plugins: they need an application object.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication* app = new QGuiApplication(*argc, *argv);
  (void)app;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const char* file = reinterpret_cast<const char*>(data + 1);
  const size_t length = size - 1;
  TDecodedPicture picture;
  QString error;
  bool ok = false;
  switch (data[0] % 3) {
    case 0:
      ok = DecodeJpeg(file, length, kLimit, &picture, &error);
      break;
    case 1:
      ok = DecodeQtImage(QByteArray(file, static_cast<qsizetype>(length)), "png", kLimit, &picture, &error);
      break;
    default:
      ok = DecodeQtImage(QByteArray(file, static_cast<qsizetype>(length)), "tiff", kLimit, &picture, &error);
      break;
  }
  if (!ok) {
    Check(!error.isEmpty());
    return 0;
  }
  TBmpInfo info;
  Check(ParseBmp(picture.Bmp, &info, nullptr));
  Check(int64_t(info.Width) * info.Height <= kLimit);
  Check(info.Width <= picture.SourceSize.width() && info.Height <= picture.SourceSize.height());
  return 0;
}
