#include "uPictureDecoders.h"

#include <jpeglib.h>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <csetjmp>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

bool Fail(QString* error, const char* key) {
  if (error) *error = QLatin1String(key);
  return false;
}

// libjpeg reports failures through error_exit, which must not return.
struct TJpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
  const char* Key;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
  auto* error = reinterpret_cast<TJpegError*>(info->err);
  std::longjmp(error->Jump, 1);
}

// Warnings (a truncated file, corrupt data the decoder steps over) are not
// failures: what decodes is shown, as other programs do.
void OnJpegMessage(j_common_ptr, int) {}

// Bounds the work a hostile progressive file can ask for.
constexpr int kMaxJpegScans = 1000;
constexpr long kMaxJpegMemory = 512L * 1024 * 1024;

void OnJpegProgress(j_common_ptr info) {
  if (!info->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans) {
    reinterpret_cast<TJpegError*>(info->err)->Key = "PictureDamaged";
    info->err->error_exit(info);
  }
}

}  // namespace

bool DecodeBmpFile(const QByteArray& data, int64_t limit, TDecodedPicture* out, QString* error) {
  TBmpInfo info;
  if (!ParseBmp(data, &info, error)) return false;
  out->SourceSize = QSize(info.Width, info.Height);
  if (int64_t(info.Width) * info.Height <= limit) {
    out->Bmp = data;
    return true;
  }
  QImage reduced = DecodeBmp(data, FitPixels(out->SourceSize, limit));
  if (info.Gray) reduced = reduced.convertToFormat(QImage::Format_Grayscale8);
  out->Bmp = EncodeBmp(reduced);
  return !out->Bmp.isEmpty() || Fail(error, "PictureTooLarge");
}

bool DecodeJpeg(const char* data, size_t size, int64_t limit, TDecodedPicture* out, QString* error) {
  // Everything with a destructor lives before setjmp: a jump back must not
  // skip one.
  jpeg_decompress_struct info{};
  TJpegError jerr{};
  jpeg_progress_mgr progress{};
  std::optional<TBmpWriter> writer;
  std::vector<uint8_t> row;
  std::vector<uint8_t> rgb;
  info.err = jpeg_std_error(&jerr.Manager);
  jerr.Manager.error_exit = OnJpegError;
  jerr.Manager.emit_message = OnJpegMessage;
  jerr.Key = "PictureDamaged";
  if (!data || size == 0 || size > static_cast<size_t>(kMaxPictureFileBytes)) return Fail(error, "PictureDamaged");
  if (setjmp(jerr.Jump)) {
    jpeg_destroy_decompress(&info);
    return Fail(error, jerr.Key);
  }
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = kMaxJpegMemory;
  progress.progress_monitor = OnJpegProgress;
  info.progress = &progress;
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data), static_cast<unsigned long>(size));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || info.image_width == 0 || info.image_height == 0) {
    jpeg_destroy_decompress(&info);
    return Fail(error, "PictureEmpty");
  }
  out->SourceSize = QSize(static_cast<int>(info.image_width), static_cast<int>(info.image_height));
  unsigned denom = 1;
  auto scaled = [&](unsigned d) {
    const int64_t w = (int64_t(info.image_width) + d - 1) / d;
    const int64_t h = (int64_t(info.image_height) + d - 1) / d;
    return w * h;
  };
  while (denom <= 8 && scaled(denom) > limit) denom *= 2;
  if (denom > 8) {
    jpeg_destroy_decompress(&info);
    return Fail(error, "PictureTooLarge");
  }
  info.scale_num = 1;
  info.scale_denom = denom;
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  const bool gray = info.jpeg_color_space == JCS_GRAYSCALE;
  info.out_color_space = cmyk ? JCS_CMYK : gray ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&info);
  const int width = static_cast<int>(info.output_width);
  const int height = static_cast<int>(info.output_height);
  writer.emplace(width, height, gray);
  if (!writer->Valid() || info.output_components != (cmyk ? 4 : gray ? 1 : 3)) {
    jpeg_destroy_decompress(&info);
    return Fail(error, "PictureTooLarge");
  }
  row.resize(static_cast<size_t>(width) * static_cast<size_t>(info.output_components));
  if (cmyk) rgb.resize(static_cast<size_t>(width) * 3);
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW rows[1] = {row.data()};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    if (cmyk) {
      // Adobe writes CMYK inverted: each stored value is 255 - ink.
      for (int x = 0; x < width; ++x) {
        const uint8_t* p = &row[size_t(x) * 4];
        for (int c = 0; c < 3; ++c) rgb[size_t(x) * 3 + c] = static_cast<uint8_t>((p[c] * p[3] + 127) / 255);
      }
      writer->SetRow(y, rgb.data());
    } else {
      writer->SetRow(y, row.data());
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  out->Bmp = writer->Take();
  return true;
}

bool DecodeQtImage(const QByteArray& data, const char* format, int64_t limit, TDecodedPicture* out, QString* error) {
  QBuffer buffer;
  buffer.setData(data);
  if (!buffer.open(QIODevice::ReadOnly)) return Fail(error, "PictureDamaged");
  QImageReader reader(&buffer, format);
  const QSize size = reader.size();
  if (!size.isValid()) return Fail(error, reader.canRead() ? "PictureEmpty" : "PictureDamaged");
  if (size.width() <= 0 || size.height() <= 0) return Fail(error, "PictureEmpty");
  // Qt's PNG and TIFF readers reduce only after decoding the whole picture.
  if (int64_t(size.width()) * size.height() > limit) return Fail(error, "PictureTooLarge");
  const QImage image = reader.read();
  if (image.isNull()) return Fail(error, "PictureDamaged");
  return DecodeImage(image, limit, out, error);
}

bool DecodeImage(const QImage& image, int64_t limit, TDecodedPicture* out, QString* error) {
  if (image.isNull() || image.width() <= 0 || image.height() <= 0) return Fail(error, "PictureEmpty");
  if (int64_t(image.width()) * image.height() > limit) return Fail(error, "PictureTooLarge");
  QImage flat = image;
  if (image.hasAlphaChannel()) {
    flat = QImage(image.size(), QImage::Format_RGB32);
    if (flat.isNull()) return Fail(error, "PictureTooLarge");
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
  }
  out->SourceSize = image.size();
  out->Bmp = EncodeBmp(flat);
  return !out->Bmp.isEmpty() || Fail(error, "PictureTooLarge");
}

TPictureType PictureTypeOf(const QString& path) {
  const QString ext = QFileInfo(path).suffix().toUpper();
  if (ext == QLatin1String("BMP")) return TPictureType::Bmp;
  if (ext == QLatin1String("JPG") || ext == QLatin1String("JPEG")) return TPictureType::Jpeg;
  if (ext == QLatin1String("PNG")) return TPictureType::Png;
  if (ext == QLatin1String("TIF") || ext == QLatin1String("TIFF")) return TPictureType::Tiff;
  return TPictureType::Unknown;
}

bool LoadPictureBytes(const QString& path, TDecodedPicture* out, QString* error, int64_t limit) {
  const TPictureType type = PictureTypeOf(path);
  if (type == TPictureType::Unknown) return Fail(error, "PictureUnknownType");
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return Fail(error, "CantLoadFile");
  if (file.size() > kMaxPictureFileBytes) return Fail(error, "PictureTooLarge");
  const QByteArray data = file.readAll();
  if (data.isEmpty()) return Fail(error, "PictureEmpty");
  TDecodedPicture picture;
  bool ok = false;
  switch (type) {
    case TPictureType::Bmp:
      ok = DecodeBmpFile(data, limit, &picture, error);
      break;
    case TPictureType::Jpeg:
      ok = DecodeJpeg(data.constData(), static_cast<size_t>(data.size()), limit, &picture, error);
      break;
    case TPictureType::Png:
      ok = DecodeQtImage(data, "png", limit, &picture, error);
      break;
    case TPictureType::Tiff:
      ok = DecodeQtImage(data, "tiff", limit, &picture, error);
      break;
    case TPictureType::Unknown:
      break;
  }
  if (ok) *out = std::move(picture);
  return ok;
}
