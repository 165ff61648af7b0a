// Device-independent bitmaps inside EMF records -> QImage.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

#include "uEmfRecords.h"

namespace emf {

// Bitmaps bigger than this many pixels are refused: a corrupt header must not allocate gigabytes.
constexpr int64_t kMaxDibPixels = 32ll * 1024 * 1024;

struct TDibRef {
  uint32_t OffBmi = 0, CbBmi = 0, OffBits = 0, CbBits = 0;
  uint32_t Usage = 0;  // DIB_RGB_COLORS (0) or DIB_PAL_COLORS (1)
};

// Decodes the DIB a record refers to; every offset and size is checked against the record.
// 1/4/8 bpp keep their palette (Format_Indexed8 or Format_Mono for 1 bpp when keepMono);
// 16/24/32 bpp become RGB32 (or premultiplied ARGB32 when useAlpha and 32 bpp).
// RLE compression is not decoded. A null image for anything unsound.
QImage DecodeDib(TEmfCursor& rec, const TDibRef& ref, bool useAlpha = false, bool keepMono = false);

// Builds a 32-bit top-down BI_RGB DIB (BITMAPINFOHEADER + pixels) from an image, for the recorder.
// alpha: keep premultiplied alpha in the fourth byte (for ALPHABLEND). False, with both outputs
// empty, for a null image or one of more than kMaxDibPixels (no reader would take it back).
bool EncodeDib32(const QImage& image, bool alpha, std::vector<uint8_t>* header, std::vector<uint8_t>* bits);

// The image itself when it holds at most kMaxDibPixels, otherwise a copy scaled down to fit
// (nearest pixels, in the image's own format), its proportions kept as closely as whole pixels allow.
QImage FitDibPixels(const QImage& image);

}  // namespace emf
