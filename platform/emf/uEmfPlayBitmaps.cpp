// Bitmap records: BITBLT, STRETCHBLT, ALPHABLEND, TRANSPARENTBLT, STRETCHDIBITS and
// SETDIBITSTODEVICE, with the raster operations a QPainter can stand in for.
#include "uEmfDib.h"
#include "uEmfPlayback.h"

namespace emf {

TEmfPlayback::TPlayed TEmfPlayback::BitmapRecord(uint32_t type, TEmfCursor& c) {
  switch (type) {
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_ALPHABLEND:
    case EMR_TRANSPARENTBLT:
      return PlayBlt(c, type);
    case EMR_STRETCHDIBITS:
      return PlayStretchDibits(c);
    case EMR_SETDIBITSTODEVICE:
      return PlaySetDibitsToDevice(c);
    default:
      return std::nullopt;
  }
}

void TEmfPlayback::Blit(QRectF dest, const QImage& image, QRectF src, uint32_t rop, double opacity) {
  if (dest.width() == 0 || dest.height() == 0) return;
  QTransform m = L2D() * Device_;
  auto fillDest = [&](const QBrush& b, QPainter::CompositionMode mode) {
    P_->setWorldTransform(m);
    P_->setCompositionMode(mode);
    P_->fillRect(dest.normalized(), b);
  };
  bool usesSource = !image.isNull();
  switch (rop) {
    case BLACKNESS:
      fillDest(Qt::black, QPainter::CompositionMode_SourceOver);
      break;
    case WHITENESS:
      fillDest(Qt::white, QPainter::CompositionMode_SourceOver);
      break;
    case DSTINVERT:
      if (RasterOps_) fillDest(Qt::white, QPainter::RasterOp_NotDestination);
      break;
    case PATCOPY:
    case PATINVERT:
    case PATPAINT:
      if (S_.Dc.Brush.Kind != TEmfBrush::kNull) {
        QBrush b = MakeQBrush(S_.Dc.Brush, S_.Dc.TextColor, S_.Dc.BkColor);
        QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
        if (rop == PATINVERT && RasterOps_) mode = QPainter::RasterOp_SourceXorDestination;
        fillDest(b, mode);
      }
      break;
    default: {
      if (!usesSource) break;
      QImage img = image;
      if (dest.width() < 0 || dest.height() < 0) {
        img = img.mirrored(dest.width() < 0, dest.height() < 0);
        if (dest.width() < 0) src.moveLeft(img.width() - src.right());
        if (dest.height() < 0) src.moveTop(img.height() - src.bottom());
        dest = dest.normalized();
      }
      QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
      switch (rop) {
        case SRCPAINT:
          mode = RasterOps_ ? QPainter::RasterOp_SourceOrDestination : QPainter::CompositionMode_Lighten;
          break;
        case SRCAND:
          mode = RasterOps_ ? QPainter::RasterOp_SourceAndDestination : QPainter::CompositionMode_Multiply;
          break;
        case SRCINVERT:
          mode = RasterOps_ ? QPainter::RasterOp_SourceXorDestination : QPainter::CompositionMode_Difference;
          break;
        case NOTSRCCOPY:
          if (RasterOps_)
            mode = QPainter::RasterOp_NotSource;
          else
            img.invertPixels();
          break;
        case SRCERASE:
          if (RasterOps_) mode = QPainter::RasterOp_SourceAndNotDestination;
          break;
        case NOTSRCERASE:
          if (RasterOps_) mode = QPainter::RasterOp_NotSourceAndNotDestination;
          break;
        case MERGEPAINT:
          if (RasterOps_) mode = QPainter::RasterOp_NotSourceOrDestination;
          break;
        default:
          break;
      }
      P_->setWorldTransform(m);
      P_->setCompositionMode(mode);
      P_->setOpacity(opacity);
      P_->drawImage(dest, img, src);
      P_->setOpacity(1);
      break;
    }
  }
  P_->setCompositionMode(QPainter::CompositionMode_SourceOver);
  P_->setWorldTransform(Device_);
}

// BITBLT, STRETCHBLT, ALPHABLEND, TRANSPARENTBLT share one layout.
bool TEmfPlayback::PlayBlt(TEmfCursor& c, uint32_t type) {
  size_t need = type == EMR_BITBLT ? 100 : 108;
  if (!c.Need(0, need)) return false;
  QRectF dest(c.I32(24), c.I32(28), c.I32(32), c.I32(36));
  uint32_t rop = c.U32(40);
  double xSrc = c.I32(44), ySrc = c.I32(48);
  TDibRef ref{c.U32(84), c.U32(88), c.U32(92), c.U32(96), c.U32(80)};
  double cxSrc = type == EMR_BITBLT ? dest.width() : c.I32(100);
  double cySrc = type == EMR_BITBLT ? dest.height() : c.I32(104);
  QImage img;
  double opacity = 1;
  if (ref.CbBmi != 0) {
    bool alpha = type == EMR_ALPHABLEND && ((rop >> 24) & 0xFF) == 1;  // AC_SRC_ALPHA
    img = DecodeDib(c, ref, alpha);
  }
  if (type == EMR_ALPHABLEND) {
    opacity = ((rop >> 16) & 0xFF) / 255.0;
    rop = SRCCOPY;
    if (img.isNull()) return true;
  } else if (type == EMR_TRANSPARENTBLT) {
    if (img.isNull()) return true;
    QColor key = ColorRef(rop);
    img = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
      QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
      for (int x = 0; x < img.width(); ++x)
        if ((line[x] & 0xFFFFFF) == (key.rgb() & 0xFFFFFF)) line[x] = 0;
    }
    rop = SRCCOPY;
  }
  Blit(dest, img, QRectF(xSrc, ySrc, std::fabs(cxSrc), std::fabs(cySrc)), rop, opacity);
  return true;
}

bool TEmfPlayback::PlayStretchDibits(TEmfCursor& c) {
  if (!c.Need(0, 80)) return false;
  QRectF dest(c.I32(24), c.I32(28), c.I32(72), c.I32(76));
  double xSrc = c.I32(32), ySrc = c.I32(36), cxSrc = c.I32(40), cySrc = c.I32(44);
  TDibRef ref{c.U32(48), c.U32(52), c.U32(56), c.U32(60), c.U32(64)};
  uint32_t rop = c.U32(68);
  QImage img = ref.CbBmi ? DecodeDib(c, ref) : QImage();
  if (!img.isNull()) {
    // Bottom-up bitmaps count source rows from the bottom.
    int32_t h = c.Has(ref.OffBmi + 8, 4) ? c.I32(ref.OffBmi + 8) : 0;
    if (h > 0 && c.U32(ref.OffBmi) != 12) ySrc = img.height() - ySrc - std::fabs(cySrc);
  }
  Blit(dest, img, QRectF(xSrc, ySrc, std::fabs(cxSrc), std::fabs(cySrc)), rop, 1);
  return true;
}

bool TEmfPlayback::PlaySetDibitsToDevice(TEmfCursor& c) {
  if (!c.Need(0, 76)) return false;
  double xDest = c.I32(24), yDest = c.I32(28), xSrc = c.I32(32), ySrc = c.I32(36);
  double cx = c.I32(40), cy = c.I32(44);
  TDibRef ref{c.U32(48), c.U32(52), c.U32(56), c.U32(60), c.U32(64)};
  QImage img = DecodeDib(c, ref);
  if (img.isNull()) return true;
  Blit(QRectF(xDest, yDest, cx, cy), img, QRectF(xSrc, img.height() - ySrc - cy, cx, cy), SRCCOPY, 1);
  return true;
}

}  // namespace emf
