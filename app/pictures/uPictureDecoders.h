// Picture files turned into the BMP file image a document stores. Every
// decoder learns the picture's size from its header first and never holds
// more than kMaxPicturePixels: JPEG pictures beyond it are decoded at 1/2,
// 1/4 or 1/8 of their size, BMP pictures averaged down; PNG and TIFF
// pictures beyond it are refused. Failures name a key of section "ERROR".
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>

#include "uBmpImage.h"

struct TDecodedPicture {
  QByteArray Bmp;    // the complete BMP file image
  QSize SourceSize;  // the picture's own size in pixels, before any reduction
};

// Picture files larger than this are refused before they are read.
inline constexpr int64_t kMaxPictureFileBytes = int64_t(512) * 1024 * 1024;

// A BMP file: its own bytes when they fit the limit (so they are kept byte
// for byte), else the picture averaged down into a new BMP image.
bool DecodeBmpFile(const QByteArray& data, int64_t limit, TDecodedPicture* out, QString* error);
// A JPEG file (libjpeg): grey pictures as 8-bit BMP images, others as 24-bit.
bool DecodeJpeg(const char* data, size_t size, int64_t limit, TDecodedPicture* out, QString* error);
// PNG or TIFF (`format` "png" or "tiff") through Qt's image readers;
// transparency is laid over white. Pictures beyond `limit` are refused.
bool DecodeQtImage(const QByteArray& data, const char* format, int64_t limit, TDecodedPicture* out, QString* error);
// An image already in memory (a pasted one), as DecodeQtImage keeps a read one.
bool DecodeImage(const QImage& image, int64_t limit, TDecodedPicture* out, QString* error);

// The picture file types by extension, compared without case.
enum class TPictureType { Unknown, Bmp, Jpeg, Png, Tiff };
TPictureType PictureTypeOf(const QString& path);

// Reads and decodes the file at `path` by its extension.
bool LoadPictureBytes(const QString& path, TDecodedPicture* out, QString* error, int64_t limit = kMaxPicturePixels);
