#include "uBmpImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "uLittleEndian.h"

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCompressionPlain = 0;
constexpr uint32_t kCompressionBitFields = 3;
constexpr uint32_t kCompressionAlphaBitFields = 6;
constexpr int32_t kPixelsPerMetre = 3780;

uint32_t U32(const char* p) { return GetLE32(reinterpret_cast<const uint8_t*>(p)); }
uint16_t U16(const char* p) { return GetLE16(reinterpret_cast<const uint8_t*>(p)); }
void Put32(char* p, uint32_t v) { PutLE32(reinterpret_cast<uint8_t*>(p), v); }
void Put16(char* p, uint16_t v) { PutLE16(reinterpret_cast<uint8_t*>(p), v); }

bool Fail(QString* error, const char* key) {
  if (error) *error = QLatin1String(key);
  return false;
}

// Shift and width of a channel mask, so that a masked value scales to 0-255.
struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;
  explicit TChannel(uint32_t mask) : Mask(mask) {
    if (!mask) return;
    while (!((mask >> Shift) & 1)) ++Shift;
    while (Bits < 32 - Shift && ((mask >> (Shift + Bits)) & 1)) ++Bits;
  }
  uint32_t Value(uint32_t pixel) const {
    if (!Bits) return 0;
    const uint32_t v = (pixel & Mask) >> Shift;
    if (Bits >= 8) return v >> (Bits - 8);
    const uint32_t top = (1u << Bits) - 1;
    return (v * 255 + top / 2) / top;
  }
};

// One stored row as 0x00RRGGBB pixels.
class TRowDecoder {
 public:
  explicit TRowDecoder(const TBmpInfo& info)
      : FInfo(info), FRed(info.Masks[0]), FGreen(info.Masks[1]), FBlue(info.Masks[2]) {}
  void Decode(const uint8_t* row, uint32_t* out) const {
    const int w = FInfo.Width;
    switch (FInfo.BitCount) {
      case 1:
      case 4:
      case 8: {
        const int bits = FInfo.BitCount;
        const int perByte = 8 / bits;
        const uint32_t mask = (1u << bits) - 1;
        for (int x = 0; x < w; ++x) {
          const int shift = 8 - bits * (x % perByte + 1);
          const uint32_t index = (row[x / perByte] >> shift) & mask;
          out[x] = static_cast<int>(index) < FInfo.ColorCount ? FInfo.Colors[index] : 0;
        }
        break;
      }
      case 16:
        for (int x = 0; x < w; ++x) out[x] = Pack(row[2 * x] | (uint32_t(row[2 * x + 1]) << 8));
        break;
      case 24:
        for (int x = 0; x < w; ++x, row += 3) out[x] = (uint32_t(row[2]) << 16) | (uint32_t(row[1]) << 8) | row[0];
        break;
      case 32:
        for (int x = 0; x < w; ++x, row += 4)
          out[x] = Pack(row[0] | (uint32_t(row[1]) << 8) | (uint32_t(row[2]) << 16) | (uint32_t(row[3]) << 24));
        break;
      default:
        std::fill(out, out + w, 0u);
    }
  }

 private:
  uint32_t Pack(uint32_t pixel) const {
    return (FRed.Value(pixel) << 16) | (FGreen.Value(pixel) << 8) | FBlue.Value(pixel);
  }
  const TBmpInfo& FInfo;
  TChannel FRed, FGreen, FBlue;
};

}  // namespace

bool ParseBmp(const char* data, size_t size, TBmpInfo* info, QString* error) {
  TBmpInfo out;
  if (!data || size < kFileHeaderSize + 12 || data[0] != 'B' || data[1] != 'M') return Fail(error, "BmpNotBitmap");
  const uint32_t offset = U32(data + 10);
  const uint32_t headerSize = U32(data + kFileHeaderSize);
  const char* h = data + kFileHeaderSize;
  int64_t width = 0, height = 0;
  int planes = 0;
  uint32_t colorsUsed = 0;
  int paletteEntry = 4;
  if (headerSize == 12) {
    width = U16(h + 4);
    height = U16(h + 6);
    planes = U16(h + 8);
    out.BitCount = U16(h + 10);
    paletteEntry = 3;
  } else if (headerSize >= kInfoHeaderSize && headerSize <= 124) {
    if (size < kFileHeaderSize + headerSize) return Fail(error, "BmpDamaged");
    width = static_cast<int32_t>(U32(h + 4));
    height = static_cast<int32_t>(U32(h + 8));
    planes = U16(h + 12);
    out.BitCount = U16(h + 14);
    out.Compression = U32(h + 16);
    colorsUsed = U32(h + 32);
  } else {
    return Fail(error, "BmpUnsupported");
  }
  if (planes != 1) return Fail(error, "BmpDamaged");
  if (height < 0) {
    out.TopDown = true;
    height = -height;
  }
  if (width <= 0 || height <= 0) return Fail(error, "PictureEmpty");
  if (width > INT32_MAX || height > INT32_MAX) return Fail(error, "BmpDamaged");
  out.Width = static_cast<int32_t>(width);
  out.Height = static_cast<int32_t>(height);

  const int bits = out.BitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return Fail(error, "BmpUnsupported");
  if (out.Compression == kCompressionAlphaBitFields) out.Compression = kCompressionBitFields;
  if (out.Compression != kCompressionPlain && !(out.Compression == kCompressionBitFields && (bits == 16 || bits == 32)))
    return Fail(error, "BmpUnsupported");

  uint64_t paletteStart = kFileHeaderSize + uint64_t(headerSize);
  if (out.Compression == kCompressionBitFields) {
    // An info header of 40 bytes keeps the masks after itself; longer ones inside.
    const uint64_t masksAt = kFileHeaderSize + kInfoHeaderSize;
    if (masksAt + 12 > size) return Fail(error, "BmpDamaged");
    for (int i = 0; i < 3; ++i) out.Masks[i] = U32(data + masksAt + 4 * i);
    if (headerSize == kInfoHeaderSize) paletteStart += 12;
  } else if (bits == 16) {
    out.Masks[0] = 0x7C00, out.Masks[1] = 0x03E0, out.Masks[2] = 0x001F;
  } else if (bits == 32) {
    out.Masks[0] = 0xFF0000, out.Masks[1] = 0xFF00, out.Masks[2] = 0xFF;
  }

  if (bits <= 8) {
    const uint32_t most = 1u << bits;
    const uint32_t count = colorsUsed ? colorsUsed : most;
    if (count > most) return Fail(error, "BmpDamaged");
    if (paletteStart + uint64_t(count) * paletteEntry > size) return Fail(error, "BmpDamaged");
    out.ColorCount = static_cast<int>(count);
    out.Gray = true;
    for (uint32_t i = 0; i < count; ++i) {
      const auto* e = reinterpret_cast<const uint8_t*>(data + paletteStart + i * paletteEntry);
      out.Colors[i] = (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
      if (e[0] != e[1] || e[1] != e[2]) out.Gray = false;
    }
  }

  const uint64_t stride = ((uint64_t(out.Width) * bits + 31) / 32) * 4;
  if (stride > UINT32_MAX) return Fail(error, "BmpDamaged");
  out.Stride = static_cast<uint32_t>(stride);
  out.PixelOffset = offset;
  if (offset < paletteStart || offset > size || stride * uint64_t(out.Height) > size - offset)
    return Fail(error, "BmpDamaged");
  if (info) *info = out;
  return true;
}

QSize FitPixels(QSize source, int64_t limit) {
  const int64_t w = std::max(1, source.width());
  const int64_t h = std::max(1, source.height());
  if (w * h <= limit) return QSize(int(w), int(h));
  const double k = std::sqrt(double(limit) / double(w * h));
  int64_t fw = std::clamp<int64_t>(int64_t(w * k), 1, w);
  int64_t fh = std::clamp<int64_t>(int64_t(h * k), 1, h);
  while (fw * fh > limit) (fw >= fh ? fw : fh) -= 1;
  return QSize(int(fw), int(fh));
}

QImage DecodeBmp(const QByteArray& bytes, QSize target) {
  TBmpInfo info;
  if (!ParseBmp(bytes, &info, nullptr)) return {};
  const int tw = std::clamp(target.width(), 1, info.Width);
  const int th = std::clamp(target.height(), 1, info.Height);
  QImage image(tw, th, QImage::Format_RGB32);
  if (image.isNull()) return {};
  const auto* pixels = reinterpret_cast<const uint8_t*>(bytes.constData()) + info.PixelOffset;
  const TRowDecoder decoder(info);
  auto storedRow = [&](int64_t y) {
    const int64_t stored = info.TopDown ? y : info.Height - 1 - y;
    return pixels + stored * info.Stride;
  };

  if (tw == info.Width && th == info.Height) {
    for (int y = 0; y < th; ++y) decoder.Decode(storedRow(y), reinterpret_cast<uint32_t*>(image.scanLine(y)));
    return image;
  }

  // Box averaging: each target pixel is the mean of the source pixels it covers.
  std::vector<uint32_t> row(static_cast<size_t>(info.Width));
  std::vector<int> column(static_cast<size_t>(info.Width));
  std::vector<uint32_t> perColumn(static_cast<size_t>(tw), 0);
  for (int x = 0; x < info.Width; ++x) {
    column[x] = static_cast<int>(int64_t(x) * tw / info.Width);
    ++perColumn[column[x]];
  }
  std::vector<uint64_t> sums(static_cast<size_t>(tw) * 3);
  for (int ty = 0; ty < th; ++ty) {
    const int64_t y0 = int64_t(ty) * info.Height / th;
    const int64_t y1 = int64_t(ty + 1) * info.Height / th;
    std::fill(sums.begin(), sums.end(), 0);
    for (int64_t y = y0; y < y1; ++y) {
      decoder.Decode(storedRow(y), row.data());
      for (int x = 0; x < info.Width; ++x) {
        uint64_t* s = &sums[size_t(column[x]) * 3];
        const uint32_t p = row[x];
        s[0] += (p >> 16) & 0xFF;
        s[1] += (p >> 8) & 0xFF;
        s[2] += p & 0xFF;
      }
    }
    auto* out = reinterpret_cast<uint32_t*>(image.scanLine(ty));
    for (int x = 0; x < tw; ++x) {
      const uint64_t n = uint64_t(perColumn[x]) * uint64_t(y1 - y0);
      const uint64_t* s = &sums[size_t(x) * 3];
      out[x] = n ? 0xFF000000u | uint32_t((s[0] + n / 2) / n) << 16 | uint32_t((s[1] + n / 2) / n) << 8 |
                       uint32_t((s[2] + n / 2) / n)
                 : 0xFF000000u;
    }
  }
  return image;
}

TBmpWriter::TBmpWriter(int width, int height, bool gray) : FWidth(width), FHeight(height), FGray(gray) {
  if (width <= 0 || height <= 0) return;
  const uint64_t stride = ((uint64_t(width) * (gray ? 8 : 24) + 31) / 32) * 4;
  const uint64_t offset = kFileHeaderSize + kInfoHeaderSize + (gray ? 1024 : 0);
  const uint64_t total = offset + stride * uint64_t(height);
  if (total > uint64_t(INT32_MAX)) return;
  FStride = static_cast<uint32_t>(stride);
  FOffset = static_cast<uint32_t>(offset);
  FBytes = QByteArray(static_cast<qsizetype>(total), '\0');
  char* p = FBytes.data();
  p[0] = 'B', p[1] = 'M';
  Put32(p + 2, static_cast<uint32_t>(total));
  Put32(p + 10, FOffset);
  char* h = p + kFileHeaderSize;
  Put32(h, kInfoHeaderSize);
  Put32(h + 4, static_cast<uint32_t>(width));
  Put32(h + 8, static_cast<uint32_t>(height));
  Put16(h + 12, 1);
  Put16(h + 14, static_cast<uint16_t>(gray ? 8 : 24));
  Put32(h + 16, kCompressionPlain);
  Put32(h + 20, static_cast<uint32_t>(stride * uint64_t(height)));
  Put32(h + 24, static_cast<uint32_t>(kPixelsPerMetre));
  Put32(h + 28, static_cast<uint32_t>(kPixelsPerMetre));
  Put32(h + 32, gray ? 256 : 0);
  if (gray)
    for (int i = 0; i < 256; ++i) {
      auto* e = reinterpret_cast<uint8_t*>(h + kInfoHeaderSize + 4 * i);
      e[0] = e[1] = e[2] = static_cast<uint8_t>(i);
    }
}

void TBmpWriter::SetRow(int y, const uint8_t* pixels) {
  if (!Valid() || y < 0 || y >= FHeight) return;
  auto* out = reinterpret_cast<uint8_t*>(FBytes.data()) + FOffset + uint64_t(FHeight - 1 - y) * FStride;
  if (FGray) {
    std::memcpy(out, pixels, static_cast<size_t>(FWidth));
    return;
  }
  for (int x = 0; x < FWidth; ++x, pixels += 3, out += 3) {
    out[0] = pixels[2];
    out[1] = pixels[1];
    out[2] = pixels[0];
  }
}

QByteArray EncodeBmp(const QImage& image) {
  if (image.isNull() || image.width() <= 0 || image.height() <= 0) return {};
  const bool gray = image.isGrayscale();
  const QImage source = image.convertToFormat(gray ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
  TBmpWriter writer(source.width(), source.height(), gray);
  if (!writer.Valid()) return {};
  for (int y = 0; y < source.height(); ++y) writer.SetRow(y, source.constScanLine(y));
  return writer.Take();
}
