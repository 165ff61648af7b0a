#include "uJpegWriter.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace {

// libjpeg's default error handler ends the process; ours jumps back.
struct TJpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
  auto* e = reinterpret_cast<TJpegError*>(info->err);
  (*info->err->format_message)(info, e->Message);
  std::longjmp(e->Jump, 1);
}

void NoOutput(j_common_ptr) {}

// Everything between setjmp and a possible longjmp is plain data: no object
// with a destructor may be skipped by the jump.
bool Compress(const uint8_t* rows, int width, int height, qsizetype stride, int quality, int dpiX, int dpiY,
              unsigned char** buffer, unsigned long* size, char* message) {
  jpeg_compress_struct info;
  TJpegError error;
  info.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = &ErrorExit;
  error.Manager.output_message = &NoOutput;
  error.Message[0] = 0;
  if (setjmp(error.Jump)) {
    jpeg_destroy_compress(&info);
    std::memcpy(message, error.Message, JMSG_LENGTH_MAX);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, buffer, size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.density_unit = 1;  // dots per inch
  info.X_density = static_cast<UINT16>(std::clamp(dpiX, 1, 65535));
  info.Y_density = static_cast<UINT16>(std::clamp(dpiY, 1, 65535));
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rows + static_cast<qsizetype>(info.next_scanline) * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

bool EncodeJpeg(const QImage& image, int quality, QByteArray* out, QString* error) {
  if (image.isNull() || !out) {
    if (error) *error = QStringLiteral("no picture to encode");
    return false;
  }
  // JPEG sizes are 16-bit.
  if (image.width() > JPEG_MAX_DIMENSION || image.height() > JPEG_MAX_DIMENSION) {
    if (error) *error = QStringLiteral("a JPEG picture is at most %1 pixels on a side").arg(JPEG_MAX_DIMENSION);
    return false;
  }
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  if (rgb.isNull()) {
    if (error) *error = QStringLiteral("not enough memory for the picture");
    return false;
  }
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  char message[JMSG_LENGTH_MAX] = {};
  const int dpiX = static_cast<int>(rgb.dotsPerMeterX() * 0.0254 + 0.5);
  const int dpiY = static_cast<int>(rgb.dotsPerMeterY() * 0.0254 + 0.5);
  const bool ok = Compress(rgb.constBits(), rgb.width(), rgb.height(), rgb.bytesPerLine(), std::clamp(quality, 1, 100),
                           dpiX, dpiY, &buffer, &size, message);
  if (ok) *out = QByteArray(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
  std::free(buffer);
  if (!ok && error) *error = QString::fromLocal8Bit(message);
  return ok;
}
