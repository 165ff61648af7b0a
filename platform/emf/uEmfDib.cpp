#include "uEmfDib.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

namespace emf {

namespace {

enum : uint32_t {
  BI_RGB = 0,
  BI_RLE8 = 1,
  BI_RLE4 = 2,
  BI_BITFIELDS = 3,
  BI_JPEG = 4,
  BI_PNG = 5,
  BI_ALPHABITFIELDS = 6
};

// Extracts the channel selected by mask from a pixel and scales it to 0..255.
inline int Channel(uint32_t v, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = std::countr_zero(mask);
  uint32_t bits = mask >> shift;
  uint32_t x = (v & mask) >> shift;
  return int((uint64_t(x) * 255 + bits / 2) / bits);
}

}  // namespace

QImage DecodeDib(TEmfCursor& rec, const TDibRef& ref, bool useAlpha, bool keepMono) {
  if (ref.CbBmi < 12 || !rec.Has(ref.OffBmi, ref.CbBmi)) return {};
  if (!rec.Has(ref.OffBits, ref.CbBits)) return {};
  TEmfCursor h(rec.Data() + ref.OffBmi, ref.CbBmi);
  uint32_t hsize = h.U32(0);
  int64_t width, height;
  uint32_t bpp, compression = BI_RGB, clrUsed = 0;
  bool core = hsize == 12;
  if (core) {
    width = h.U16(4);
    height = h.I16(6);
    bpp = h.U16(10);
  } else {
    if (hsize < 40 || hsize > ref.CbBmi) return {};
    width = h.I32(4);
    height = h.I32(8);
    bpp = h.U16(14);
    compression = h.U32(16);
    clrUsed = h.U32(32);
  }
  if (!h.Ok()) return {};
  bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width * height > kMaxDibPixels) return {};
  if (compression != BI_RGB && compression != BI_BITFIELDS && compression != BI_ALPHABITFIELDS)
    return {};  // RLE, JPEG, PNG: not decoded
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return {};

  // Colour table (or masks) follow the header.
  size_t entrySize = core ? 3 : 4;
  std::vector<QRgb> palette;
  uint32_t rMask = 0, gMask = 0, bMask = 0, aMask = 0;
  if (bpp <= 8) {
    uint32_t n = clrUsed ? clrUsed : (1u << bpp);
    n = std::min<uint32_t>(n, 1u << bpp);
    if (ref.Usage == 1) {
      // Palette indexes into a logical palette we do not track: a grey ramp keeps shapes visible.
      for (uint32_t i = 0; i < n; ++i) {
        int g = n > 1 ? int(i * 255 / (n - 1)) : 0;
        palette.push_back(qRgb(g, g, g));
      }
    } else {
      for (uint32_t i = 0; i < n; ++i) {
        size_t o = hsize + i * entrySize;
        if (!h.Has(o, entrySize)) break;  // short tables: missing entries stay black
        palette.push_back(qRgb(h.U8(o + 2), h.U8(o + 1), h.U8(o)));
      }
    }
    palette.resize(size_t(1) << bpp, qRgb(0, 0, 0));
  } else if (compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS) {
    size_t o = 40;  // masks follow a 40-byte header or sit inside a larger one
    rMask = h.U32(o);
    gMask = h.U32(o + 4);
    bMask = h.U32(o + 8);
    if (compression == BI_ALPHABITFIELDS || hsize >= 56) aMask = h.Has(o + 12, 4) ? h.U32(o + 12) : 0;
    if (!h.Ok()) return {};
    if (bpp != 16 && bpp != 32) return {};
  } else if (bpp == 16) {
    rMask = 0x7C00, gMask = 0x03E0, bMask = 0x001F;
  } else if (bpp == 32) {
    rMask = 0xFF0000, gMask = 0xFF00, bMask = 0xFF, aMask = 0xFF000000;
  }

  int64_t stride = ((width * bpp + 31) / 32) * 4;
  if (stride * height > int64_t(ref.CbBits)) return {};
  const uint8_t* bits = rec.Data() + ref.OffBits;
  int w = int(width), hgt = int(height);

  auto rowPtr = [&](int y) { return bits + (topDown ? y : hgt - 1 - y) * stride; };
  QImage img;
  if (bpp <= 8) {
    if (bpp == 1 && keepMono) {
      img = QImage(w, hgt, QImage::Format_Mono);
      if (img.isNull()) return {};
      img.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
      for (int y = 0; y < hgt; ++y) memcpy(img.scanLine(y), rowPtr(y), size_t((w + 7) / 8));
      return img;
    }
    img = QImage(w, hgt, QImage::Format_Indexed8);
    if (img.isNull()) return {};
    img.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    for (int y = 0; y < hgt; ++y) {
      const uint8_t* src = rowPtr(y);
      uint8_t* dst = img.scanLine(y);
      for (int x = 0; x < w; ++x) {
        if (bpp == 8)
          dst[x] = src[x];
        else if (bpp == 4)
          dst[x] = (src[x / 2] >> ((x & 1) ? 0 : 4)) & 0xF;
        else
          dst[x] = (src[x / 8] >> (7 - (x & 7))) & 1;
      }
    }
    return img;
  }
  bool alpha = useAlpha && bpp == 32 && aMask != 0;
  img = QImage(w, hgt, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  if (img.isNull()) return {};
  for (int y = 0; y < hgt; ++y) {
    const uint8_t* src = rowPtr(y);
    QRgb* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < w; ++x) {
      if (bpp == 24) {
        const uint8_t* p = src + x * 3;
        dst[x] = qRgb(p[2], p[1], p[0]);
        continue;
      }
      uint32_t v = bpp == 16 ? uint32_t(src[x * 2] | (src[x * 2 + 1] << 8))
                             : uint32_t(src[x * 4] | (src[x * 4 + 1] << 8) | (src[x * 4 + 2] << 16) |
                                        (uint32_t(src[x * 4 + 3]) << 24));
      int a = alpha ? Channel(v, aMask) : 255;
      int r = Channel(v, rMask), g = Channel(v, gMask), b = Channel(v, bMask);
      if (alpha) {  // premultiplied data must not exceed its alpha
        r = std::min(r, a);
        g = std::min(g, a);
        b = std::min(b, a);
      }
      dst[x] = qRgba(r, g, b, a);
    }
  }
  return img;
}

bool EncodeDib32(const QImage& image, bool alpha, std::vector<uint8_t>* header, std::vector<uint8_t>* bits) {
  header->clear();
  bits->clear();
  // Sizes in 64 bits before anything is converted: the pixel count of a large image overflows int.
  const int64_t pixels = int64_t(image.width()) * int64_t(image.height());
  if (image.isNull() || pixels > kMaxDibPixels) return false;
  const size_t bytes = size_t(pixels) * 4;  // at most 128 MiB: fits the 32-bit size field
  QImage img = image.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  if (img.isNull()) return false;
  int w = img.width(), h = img.height();
  header->assign(40, 0);
  auto put32 = [&](size_t o, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*header)[o + i] = uint8_t(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, uint32_t(w));
  put32(8, uint32_t(-h));  // top-down
  (*header)[12] = 1;
  (*header)[14] = 32;
  put32(16, 0);  // BI_RGB
  put32(20, uint32_t(bytes));
  bits->resize(bytes);
  for (int y = 0; y < h; ++y) {
    const QRgb* src = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    uint8_t* dst = bits->data() + size_t(y) * size_t(w) * 4;
    for (int x = 0; x < w; ++x) {
      QRgb p = src[x];
      dst[x * 4] = uint8_t(qBlue(p));
      dst[x * 4 + 1] = uint8_t(qGreen(p));
      dst[x * 4 + 2] = uint8_t(qRed(p));
      dst[x * 4 + 3] = alpha ? uint8_t(qAlpha(p)) : 0;
    }
  }
  return true;
}

QImage FitDibPixels(const QImage& image) {
  const int64_t w = image.width(), h = image.height();
  if (w * h <= kMaxDibPixels) return image;
  const double k = std::sqrt(double(kMaxDibPixels) / double(w * h));
  const int64_t nh = std::clamp<int64_t>(int64_t(double(h) * k), 1, kMaxDibPixels);
  const int64_t nw = std::clamp<int64_t>(int64_t(double(w) * k), 1, kMaxDibPixels / nh);
  return image.scaled(int(nw), int(nh), Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

}  // namespace emf
