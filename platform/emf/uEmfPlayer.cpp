#include "uEmfPlayer.h"

#include <QPaintEngine>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <optional>

#include "uEmfDib.h"
#include "uEmfPlayerState.h"
#include "uEmfRecords.h"
#include "uEmfText.h"

using namespace emf;

namespace {

constexpr double kUniverse = 1e7;
constexpr uint32_t kMaxRegionRects = 4096;  // "everything" for clip arithmetic, reference-device units
constexpr uint8_t PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6;

bool Finite(double v) { return std::isfinite(v); }

QPainterPath Universe() {
  QPainterPath p;
  p.addRect(QRectF(-kUniverse, -kUniverse, 2 * kUniverse, 2 * kUniverse));
  return p;
}

class TPlayer {
 public:
  TPlayer(QPainter* painter, const TEmfDocument& doc, const QTransform& device)
      : P_(painter),
        Doc_(doc),
        S_(doc.DevicePixelsPerMMX(), doc.DevicePixelsPerMMY(), doc.Header().Handles),
        Device_(device) {
    QPaintEngine* engine = painter->paintEngine();
    RasterOps_ = engine && engine->hasFeature(QPaintEngine::RasterOpModes);
    P_->setWorldTransform(Device_);
    if (P_->hasClipping()) InitialClip_ = P_->clipPath();
    double det = std::fabs(Device_.m11() * Device_.m22() - Device_.m12() * Device_.m21());
    DeviceScale_ = std::sqrt(det);
    if (!(DeviceScale_ > 0) || !Finite(DeviceScale_)) DeviceScale_ = 1;
  }

  bool Run() {
    const std::vector<uint8_t>& bytes = Doc_.Bytes();
    for (uint32_t off : Doc_.RecordOffsets()) {
      TEmfCursor c(bytes.data() + off, bytes.size() - off);
      uint32_t type = c.U32(0), size = c.U32(4);
      TEmfCursor rec(bytes.data() + off, size);  // sizes were validated on load
      if (type == EMR_EOF) return true;
      if (!Record(type, rec)) return false;
    }
    return true;
  }

 private:
  QPainter* P_;
  const TEmfDocument& Doc_;
  TEmfPlayerState S_;
  QTransform Device_;  // reference device -> painter device
  double DeviceScale_ = 1;
  bool RasterOps_ = false;
  std::optional<QPainterPath> InitialClip_;

  // ---- coordinates ----
  QTransform L2D() const { return S_.LogicalToDevice(); }
  QPointF Map(QPointF p) const { return L2D().map(p); }

  static QRectF ReadRect(TEmfCursor& c, size_t off) {
    int32_t l = c.I32(off), t = c.I32(off + 4), r = c.I32(off + 8), b = c.I32(off + 12);
    return QRectF(QPointF(l, t), QPointF(r, b));
  }

  static bool ReadPoints(TEmfCursor& c, size_t off, uint32_t count, bool small, QPolygonF* out) {
    if (!c.Has(off, count, small ? 4 : 8)) return false;
    out->resize(count);
    for (uint32_t i = 0; i < count; ++i) {
      if (small)
        (*out)[i] = QPointF(c.I16(off + i * 4), c.I16(off + i * 4 + 2));
      else
        (*out)[i] = QPointF(c.I32(off + i * 8), c.I32(off + i * 8 + 4));
    }
    return c.Ok();
  }

  // ---- clipping ----
  void ApplyClip() {
    P_->setWorldTransform(Device_);
    if (S_.Dc.Clip) {
      QPainterPath clip = InitialClip_ ? InitialClip_->intersected(*S_.Dc.Clip) : *S_.Dc.Clip;
      P_->setClipPath(clip, Qt::ReplaceClip);
    } else if (InitialClip_) {
      P_->setClipPath(*InitialClip_, Qt::ReplaceClip);
    } else {
      P_->setClipping(false);
    }
  }

  void CombineClip(const QPainterPath& region, uint32_t mode) {
    std::optional<QPainterPath>& clip = S_.Dc.Clip;
    switch (mode) {
      case RGN_COPY:
        clip = region;
        break;
      case RGN_AND:
        clip = clip ? clip->intersected(region) : region;
        break;
      case RGN_OR:
        if (clip) clip = clip->united(region);
        break;
      case RGN_XOR: {
        QPainterPath a = clip ? *clip : Universe();
        clip = a.united(region).subtracted(a.intersected(region));
        break;
      }
      case RGN_DIFF:
        clip = (clip ? *clip : Universe()).subtracted(region);
        break;
      default:
        return;
    }
    ApplyClip();
  }

  // ---- drawing ----
  // Sets the composition mode for the DC's ROP2; false when nothing is to be drawn.
  bool SetRop2(QColor* forced) {
    P_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (S_.Dc.Rop2) {
      case R2_NOP:
        return false;
      case R2_BLACK:
        *forced = Qt::black;
        return true;
      case R2_WHITE:
        *forced = Qt::white;
        return true;
      case R2_NOT:
        mode = QPainter::RasterOp_NotDestination;
        break;
      case R2_XORPEN:
        mode = QPainter::RasterOp_SourceXorDestination;
        break;
      case R2_NOTXORPEN:
        mode = QPainter::RasterOp_NotSourceXorDestination;
        break;
      case R2_MASKPEN:
        mode = QPainter::RasterOp_SourceAndDestination;
        break;
      case R2_MERGEPEN:
        mode = QPainter::RasterOp_SourceOrDestination;
        break;
      case R2_NOTCOPYPEN:
        mode = QPainter::RasterOp_NotSource;
        break;
      case R2_MASKPENNOT:
        mode = QPainter::RasterOp_SourceAndNotDestination;
        break;
      case R2_MASKNOTPEN:
        mode = QPainter::RasterOp_NotSourceAndDestination;
        break;
      case R2_MERGENOTPEN:
        mode = QPainter::RasterOp_NotSourceOrDestination;
        break;
      case R2_MERGEPENNOT:
        mode = QPainter::RasterOp_SourceOrNotDestination;
        break;
      case R2_NOTMASKPEN:
        mode = QPainter::RasterOp_NotSourceOrNotDestination;
        break;
      case R2_NOTMERGEPEN:
        mode = QPainter::RasterOp_NotSourceAndNotDestination;
        break;
      default:
        return true;
    }
    if (RasterOps_) P_->setCompositionMode(mode);
    return true;
  }

  // Geometric pens thinner than a painter pixel: an antialiased painter draws them faint, as
  // the same drawing made directly would look; otherwise they take GDI's one-pixel minimum.
  QPen CurrentPen(double scale) const {
    bool aa = P_->testRenderHint(QPainter::Antialiasing);
    return MakeQPen(S_.Dc.Pen, scale, aa ? 0.0 : 1.0 / DeviceScale_);
  }

  // Fills and/or strokes a path given in reference-device coordinates with the DC's objects.
  void DrawDevicePath(QPainterPath path, bool fill, bool stroke) {
    QColor forced;
    if (!SetRop2(&forced)) return;
    // Logical raster operations combine whole pixels, as GDI does; antialiasing them only
    // costs time (a picture of XOR lines played four times slower).
    bool aa = P_->testRenderHint(QPainter::Antialiasing);
    bool logicalOp = P_->compositionMode() >= QPainter::RasterOp_SourceOrDestination;
    if (logicalOp && aa) P_->setRenderHint(QPainter::Antialiasing, false);
    const TEmfDC& dc = S_.Dc;
    path.setFillRule(dc.PolyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    if (fill && dc.Brush.Kind != TEmfBrush::kNull) {
      QBrush brush = MakeQBrush(dc.Brush, dc.TextColor, dc.BkColor);
      if (forced.isValid()) brush = QBrush(forced);
      if (brush.style() == Qt::TexturePattern) {
        // Pattern brushes repeat in device pixels, not in the picture's units.
        QTransform inv(Device_.m11(), Device_.m12(), Device_.m21(), Device_.m22(), 0, 0);
        brush.setTransform(inv.inverted());
      } else if (brush.style() >= Qt::HorPattern && brush.style() <= Qt::DiagCrossPattern && dc.BkMode == OPAQUE &&
                 !forced.isValid()) {
        P_->fillPath(path, dc.BkColor);
      }
      P_->fillPath(path, brush);
    }
    if (stroke && !dc.Pen.IsNull()) {
      QPen pen = CurrentPen(S_.LogicalScale());
      if (forced.isValid()) pen.setColor(forced);
      // drawPath rather than strokePath: thin pens then take the painter's one-pixel line
      // path, exactly as the same lines drawn directly would.
      P_->setBrush(Qt::NoBrush);
      if (pen.style() == Qt::CustomDashLine && dc.BkMode == OPAQUE && !forced.isValid()) {
        QPen gap = pen;
        gap.setStyle(Qt::SolidLine);
        gap.setColor(dc.BkColor);
        P_->setPen(gap);
        P_->drawPath(path);
      }
      P_->setPen(pen);
      P_->drawPath(path);
      P_->setPen(Qt::NoPen);
    }
    P_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (logicalOp && aa) P_->setRenderHint(QPainter::Antialiasing, true);
  }

  // A closed shape in logical coordinates: added to the path under construction or drawn.
  void Shape(const QPainterPath& logical) {
    QPainterPath dev = L2D().map(logical);
    if (S_.InPath) {
      S_.Path.addPath(dev);
      return;
    }
    DrawDevicePath(dev, true, true);
  }

  // Open or closed figures from a point list (16/32-bit POLY* records).
  void Poly(uint32_t type, const QPolygonF& pts) {
    QTransform m = L2D();
    switch (type) {
      case EMR_POLYGON:
      case EMR_POLYGON16: {
        if (pts.isEmpty()) return;
        QPainterPath p;
        p.addPolygon(m.map(pts));
        p.closeSubpath();
        if (S_.InPath)
          S_.Path.addPath(p);
        else
          DrawDevicePath(p, true, true);
        return;
      }
      case EMR_POLYLINE:
      case EMR_POLYLINE16:
      case EMR_POLYBEZIER:
      case EMR_POLYBEZIER16: {
        if (pts.isEmpty()) return;
        QPainterPath p;
        p.moveTo(m.map(pts[0]));
        bool bezier = type == EMR_POLYBEZIER || type == EMR_POLYBEZIER16;
        AppendTo(&p, pts, 1, bezier, m);
        if (S_.InPath)
          S_.Path.addPath(p);
        else
          DrawDevicePath(p, false, true);
        return;
      }
      default: {  // the -TO forms continue from the current position
        bool bezier = type == EMR_POLYBEZIERTO || type == EMR_POLYBEZIERTO16;
        QPainterPath p;
        QPainterPath* target = S_.InPath ? &S_.Path : &p;
        QPointF start = m.map(S_.Dc.CurPos);
        if (target->elementCount() == 0 || target->currentPosition() != start) target->moveTo(start);
        size_t used = AppendTo(target, pts, 0, bezier, m);
        if (used > 0) S_.Dc.CurPos = pts[qsizetype(used - 1)];
        if (!S_.InPath) DrawDevicePath(p, false, true);
        return;
      }
    }
  }

  // Appends lines or cubic segments from pts[first..]; returns the index past the last used point.
  static size_t AppendTo(QPainterPath* p, const QPolygonF& pts, qsizetype first, bool bezier, const QTransform& m) {
    qsizetype i = first;
    if (bezier) {
      for (; i + 2 < pts.size(); i += 3) p->cubicTo(m.map(pts[i]), m.map(pts[i + 1]), m.map(pts[i + 2]));
    } else {
      for (; i < pts.size(); ++i) p->lineTo(m.map(pts[i]));
    }
    return size_t(i);
  }

  // The arc of box from the radial through start to the radial through end (logical space).
  QPainterPath ArcPath(const QRectF& boxIn, QPointF start, QPointF end, int kind, QPointF* arcStart,
                       QPointF* arcEnd) const {
    QRectF box = boxIn.normalized();
    QPainterPath p;
    double rx = box.width() / 2, ry = box.height() / 2;
    if (!(rx > 0) || !(ry > 0)) return p;
    QPointF c = box.center();
    auto angle = [&](QPointF q) { return std::atan2(-(q.y() - c.y()) / ry, (q.x() - c.x()) / rx) * 180 / M_PI; };
    double a0 = angle(start), a1 = angle(end);
    bool ccw = S_.Dc.ArcDirection != 2;
    QTransform m = L2D();
    if (m.m11() * m.m22() - m.m12() * m.m21() < 0) ccw = !ccw;  // the direction holds on the device
    double sweep;
    if (ccw) {
      sweep = std::fmod(a1 - a0 + 720, 360);
      if (sweep <= 1e-9) sweep = 360;
    } else {
      sweep = -std::fmod(a0 - a1 + 720, 360);
      if (sweep >= -1e-9) sweep = -360;
    }
    if (kind == 2)
      p.moveTo(c);
    else
      p.arcMoveTo(box, a0);
    if (arcStart) {
      QPainterPath s;
      s.arcMoveTo(box, a0);
      *arcStart = s.currentPosition();
    }
    p.arcTo(box, a0, sweep);
    if (arcEnd) {
      QPainterPath e;
      e.arcMoveTo(box, a0 + sweep);
      *arcEnd = e.currentPosition();
    }
    if (kind == 1 || kind == 2) p.closeSubpath();
    return p;
  }

  void Arc(TEmfCursor& c, uint32_t type) {
    QRectF box = ReadRect(c, 8);
    QPointF s(c.I32(24), c.I32(28)), e(c.I32(32), c.I32(36));
    int kind = type == EMR_CHORD ? 1 : type == EMR_PIE ? 2 : 0;
    QPointF arcStart, arcEnd;
    QPainterPath p = ArcPath(box, s, e, kind, &arcStart, &arcEnd);
    if (p.isEmpty()) return;
    QTransform m = L2D();
    if (type == EMR_ARCTO) {
      QPainterPath full;
      full.moveTo(S_.Dc.CurPos);
      full.lineTo(arcStart);
      full.connectPath(p);
      S_.Dc.CurPos = arcEnd;
      p = full;
    }
    QPainterPath dev = m.map(p);
    if (S_.InPath) {
      if (type == EMR_ARCTO)
        S_.Path.connectPath(dev);
      else
        S_.Path.addPath(dev);
      return;
    }
    DrawDevicePath(dev, kind != 0, true);
  }

  // ---- regions ----
  static bool ReadRegion(TEmfCursor& c, size_t off, uint32_t cb, QPainterPath* out) {
    if (cb < 32 || !c.Has(off, cb)) return false;
    uint32_t count = c.U32(off + 8);
    if (uint64_t(count) * 16 > cb - 32) return false;
    QPainterPath p;
    p.setFillRule(Qt::WindingFill);
    if (count > kMaxRegionRects) {
      // Path arithmetic on so many rectangles would take minutes: keep their bounds.
      QRectF bounds;
      for (uint32_t i = 0; i < count; ++i) bounds |= ReadRect(c, off + 32 + size_t(i) * 16).normalized();
      p.addRect(bounds);
    } else {
      for (uint32_t i = 0; i < count; ++i) p.addRect(ReadRect(c, off + 32 + size_t(i) * 16));
    }
    *out = p;
    return c.Ok();
  }

  void FillRegion(const QPainterPath& dev, const TEmfBrush& brush) {
    TEmfBrush saved = S_.Dc.Brush;
    TEmfPen savedPen = S_.Dc.Pen;
    S_.Dc.Brush = brush;
    S_.Dc.Pen = TEmfPlayerState::StockPen(NULL_PEN);
    DrawDevicePath(dev, true, false);
    S_.Dc.Brush = saved;
    S_.Dc.Pen = savedPen;
  }

  // ---- bitmaps ----
  void Blit(QRectF dest, const QImage& image, QRectF src, uint32_t rop, double opacity) {
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
  bool PlayBlt(TEmfCursor& c, uint32_t type) {
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

  bool PlayStretchDibits(TEmfCursor& c) {
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

  bool PlaySetDibitsToDevice(TEmfCursor& c) {
    if (!c.Need(0, 76)) return false;
    double xDest = c.I32(24), yDest = c.I32(28), xSrc = c.I32(32), ySrc = c.I32(36);
    double cx = c.I32(40), cy = c.I32(44);
    TDibRef ref{c.U32(48), c.U32(52), c.U32(56), c.U32(60), c.U32(64)};
    QImage img = DecodeDib(c, ref);
    if (img.isNull()) return true;
    Blit(QRectF(xDest, yDest, cx, cy), img, QRectF(xSrc, img.height() - ySrc - cy, cx, cy), SRCCOPY, 1);
    return true;
  }

  // ---- objects ----
  bool CreatePen(TEmfCursor& c) {
    if (!c.Need(0, 28)) return false;
    TEmfPen pen;
    pen.Style = c.U32(12);
    int32_t w = c.I32(16);
    pen.Width = std::abs(double(w));
    pen.Cosmetic = w == 0;
    if (!pen.Cosmetic) pen.Style |= PS_GEOMETRIC;
    pen.Color = ColorRef(c.U32(24));
    S_.Store(c.U32(8), pen);
    return true;
  }

  bool ExtCreatePen(TEmfCursor& c) {
    if (!c.Need(0, 52)) return false;
    TEmfPen pen;
    pen.Style = c.U32(28);
    pen.Width = c.U32(32);
    uint32_t brushStyle = c.U32(36);
    pen.Color = ColorRef(c.U32(40));
    uint32_t entries = c.U32(48);
    pen.Cosmetic = (pen.Style & PS_TYPE_MASK) == PS_COSMETIC;
    if (brushStyle == BS_NULL) pen.Style = (pen.Style & ~PS_STYLE_MASK) | PS_NULL;
    if ((pen.Style & PS_STYLE_MASK) == PS_USERSTYLE) {
      if (!c.Has(52, entries, 4) || entries > 16) {
        pen.Style &= ~PS_STYLE_MASK;  // a damaged style list draws solid
      } else {
        for (uint32_t i = 0; i < entries; ++i) pen.UserDashes.push_back(c.U32(52 + i * 4));
      }
    }
    S_.Store(c.U32(8), pen);
    return true;
  }

  bool CreateBrush(TEmfCursor& c) {
    if (!c.Need(0, 24)) return false;
    TEmfBrush b;
    uint32_t style = c.U32(12);
    b.Color = ColorRef(c.U32(16));
    b.Hatch = c.U32(20);
    b.Kind = style == BS_NULL ? TEmfBrush::kNull : style == BS_HATCHED ? TEmfBrush::kHatch : TEmfBrush::kSolid;
    S_.Store(c.U32(8), b);
    return true;
  }

  bool CreatePatternBrush(TEmfCursor& c, bool mono) {
    if (!c.Need(0, 32)) return false;
    TDibRef ref{c.U32(16), c.U32(20), c.U32(24), c.U32(28), c.U32(12)};
    TEmfBrush b;
    b.Kind = TEmfBrush::kPattern;
    b.Color = Qt::black;
    b.Pattern = DecodeDib(c, ref, false, mono);
    b.Monochrome = mono;
    if (b.Pattern.isNull()) b.Kind = TEmfBrush::kNull;  // a brush without a bitmap paints nothing
    S_.Store(c.U32(8), b);
    return true;
  }

  bool CreateFont(TEmfCursor& c) {
    if (!c.Need(0, 104)) return false;
    TEmfFont f;
    if (!ReadLogFont(c, 12, &f)) return false;
    S_.Store(c.U32(8), f);
    return true;
  }

  // ---- the dispatch ----
  bool Record(uint32_t type, TEmfCursor& c) {
    TEmfDC& dc = S_.Dc;
    switch (type) {
      case EMR_HEADER:
      case EMR_GDICOMMENT:  // EMF+ and private data: the EMF records that follow carry the picture
        return true;

      case EMR_POLYBEZIER:
      case EMR_POLYGON:
      case EMR_POLYLINE:
      case EMR_POLYBEZIERTO:
      case EMR_POLYLINETO:
      case EMR_POLYBEZIER16:
      case EMR_POLYGON16:
      case EMR_POLYLINE16:
      case EMR_POLYBEZIERTO16:
      case EMR_POLYLINETO16: {
        bool small = type >= EMR_POLYBEZIER16;
        uint32_t n = c.U32(24);
        QPolygonF pts;
        if (!c.Ok() || !ReadPoints(c, 28, n, small, &pts)) return false;
        Poly(type, pts);
        return true;
      }
      case EMR_POLYPOLYLINE:
      case EMR_POLYPOLYGON:
      case EMR_POLYPOLYLINE16:
      case EMR_POLYPOLYGON16: {
        bool small = type >= EMR_POLYPOLYLINE16;
        uint32_t polys = c.U32(24), total = c.U32(28);
        if (!c.Ok() || !c.Has(32, polys, 4)) return false;
        uint64_t sum = 0;
        for (uint32_t i = 0; i < polys; ++i) sum += c.U32(32 + i * 4);
        if (sum > total) return false;
        QPolygonF pts;
        if (!ReadPoints(c, 32 + size_t(polys) * 4, total, small, &pts)) return false;
        bool polygon = type == EMR_POLYPOLYGON || type == EMR_POLYPOLYGON16;
        QTransform m = L2D();
        QPainterPath p;
        qsizetype at = 0;
        for (uint32_t i = 0; i < polys; ++i) {
          uint32_t n = c.U32(32 + i * 4);
          if (n == 0) continue;
          QPolygonF part = m.map(pts.mid(at, n));
          at += n;
          p.moveTo(part[0]);
          for (qsizetype k = 1; k < part.size(); ++k) p.lineTo(part[k]);
          if (polygon) p.closeSubpath();
        }
        if (S_.InPath)
          S_.Path.addPath(p);
        else
          DrawDevicePath(p, polygon, true);
        return true;
      }
      case EMR_POLYDRAW:
      case EMR_POLYDRAW16: {
        bool small = type == EMR_POLYDRAW16;
        uint32_t n = c.U32(24);
        QPolygonF pts;
        if (!c.Ok() || !ReadPoints(c, 28, n, small, &pts)) return false;
        size_t typesAt = 28 + size_t(n) * (small ? 4 : 8);
        if (!c.Has(typesAt, n)) return false;
        QTransform m = L2D();
        QPainterPath p;
        QPainterPath* target = S_.InPath ? &S_.Path : &p;
        target->moveTo(m.map(dc.CurPos));
        for (uint32_t i = 0; i < n; ++i) {
          uint8_t t = c.U8(typesAt + i);
          if ((t & ~PT_CLOSEFIGURE) == PT_MOVETO) {
            target->moveTo(m.map(pts[i]));
          } else if ((t & ~PT_CLOSEFIGURE) == PT_BEZIERTO && i + 2 < n) {
            target->cubicTo(m.map(pts[i]), m.map(pts[i + 1]), m.map(pts[i + 2]));
            i += 2;
            t = c.U8(typesAt + i);
          } else {
            target->lineTo(m.map(pts[i]));
          }
          if (t & PT_CLOSEFIGURE) target->closeSubpath();
          dc.CurPos = pts[i];
        }
        if (!S_.InPath) DrawDevicePath(p, false, true);
        return true;
      }

      case EMR_SETWINDOWEXTEX:
      case EMR_SETVIEWPORTEXTEX: {
        int32_t x = c.I32(8), y = c.I32(12);
        if (!c.Ok()) return false;
        if (x == 0 || y == 0 || (dc.MapMode != MM_ISOTROPIC && dc.MapMode != MM_ANISOTROPIC)) return true;
        (type == EMR_SETWINDOWEXTEX ? dc.WindowExt : dc.ViewportExt) = QSizeF(x, y);
        return true;
      }
      case EMR_SETWINDOWORGEX:
      case EMR_SETVIEWPORTORGEX: {
        QPointF p(c.I32(8), c.I32(12));
        if (!c.Ok()) return false;
        (type == EMR_SETWINDOWORGEX ? dc.WindowOrg : dc.ViewportOrg) = p;
        return true;
      }
      case EMR_SCALEVIEWPORTEXTEX:
      case EMR_SCALEWINDOWEXTEX: {
        int32_t xn = c.I32(8), xd = c.I32(12), yn = c.I32(16), yd = c.I32(20);
        if (!c.Ok()) return false;
        if (xd == 0 || yd == 0 || xn == 0 || yn == 0) return true;
        if (dc.MapMode != MM_ISOTROPIC && dc.MapMode != MM_ANISOTROPIC) return true;
        QSizeF& ext = type == EMR_SCALEWINDOWEXTEX ? dc.WindowExt : dc.ViewportExt;
        ext = QSizeF(ext.width() * xn / xd, ext.height() * yn / yd);
        return true;
      }
      case EMR_SETBRUSHORGEX:
        dc.BrushOrg = QPointF(c.I32(8), c.I32(12));
        return c.Ok();
      case EMR_SETMAPMODE:
        S_.SetMapMode(c.U32(8));
        return c.Ok();
      case EMR_SETBKMODE:
        dc.BkMode = c.U32(8);
        return c.Ok();
      case EMR_SETPOLYFILLMODE:
        dc.PolyFillMode = c.U32(8);
        return c.Ok();
      case EMR_SETROP2:
        dc.Rop2 = c.U32(8);
        return c.Ok();
      case EMR_SETTEXTALIGN:
        dc.TextAlign = c.U32(8);
        return c.Ok();
      case EMR_SETTEXTCOLOR:
        dc.TextColor = ColorRef(c.U32(8));
        return c.Ok();
      case EMR_SETBKCOLOR:
        dc.BkColor = ColorRef(c.U32(8));
        return c.Ok();
      case EMR_SETARCDIRECTION:
        dc.ArcDirection = c.U32(8);
        return c.Ok();
      case EMR_SETMITERLIMIT:
        dc.MiterLimit = c.U32(8);
        return c.Ok();
      case EMR_SETSTRETCHBLTMODE:
      case EMR_SETMAPPERFLAGS:
      case EMR_SETICMMODE:
      case EMR_SETLAYOUT:
      case EMR_SETCOLORADJUSTMENT:
      case EMR_SELECTPALETTE:
      case EMR_FLATTENPATH:
        return true;

      case EMR_MOVETOEX: {
        QPointF p(c.I32(8), c.I32(12));
        if (!c.Ok()) return false;
        dc.CurPos = p;
        if (S_.InPath) S_.Path.moveTo(Map(p));
        return true;
      }
      case EMR_LINETO: {
        QPointF p(c.I32(8), c.I32(12));
        if (!c.Ok()) return false;
        QPointF from = Map(dc.CurPos), to = Map(p);
        dc.CurPos = p;
        if (S_.InPath) {
          if (S_.Path.elementCount() == 0 || S_.Path.currentPosition() != from) S_.Path.moveTo(from);
          S_.Path.lineTo(to);
        } else {
          QPainterPath line;
          line.moveTo(from);
          line.lineTo(to);
          DrawDevicePath(line, false, true);
        }
        return true;
      }
      case EMR_SETPIXELV: {
        QPointF p = Map(QPointF(c.I32(8), c.I32(12)));
        QColor color = ColorRef(c.U32(16));
        if (!c.Ok()) return false;
        P_->fillRect(QRectF(p, QSizeF(1 / DeviceScale_, 1 / DeviceScale_)), color);
        return true;
      }

      case EMR_SAVEDC:
        S_.SaveDC();
        return true;
      case EMR_RESTOREDC: {
        int32_t rel = c.I32(8);
        if (!c.Ok()) return false;
        if (S_.RestoreDC(rel)) ApplyClip();
        return true;
      }
      case EMR_SETWORLDTRANSFORM:
      case EMR_MODIFYWORLDTRANSFORM: {
        double v[6];
        for (int i = 0; i < 6; ++i) v[i] = c.F32(8 + i * 4);
        uint32_t mode = type == EMR_SETWORLDTRANSFORM ? MWT_SET : c.U32(32);
        if (!c.Ok()) return false;
        for (double x : v)
          if (!Finite(x) || std::fabs(x) > 1e12) return true;  // ignore nonsense transforms
        QTransform x(v[0], v[1], v[2], v[3], v[4], v[5]);
        switch (mode) {
          case MWT_IDENTITY:
            dc.World = QTransform();
            break;
          case MWT_LEFTMULTIPLY:
            dc.World = x * dc.World;
            break;
          case MWT_RIGHTMULTIPLY:
            dc.World = dc.World * x;
            break;
          case MWT_SET:
            dc.World = x;
            break;
          default:
            break;
        }
        return true;
      }

      case EMR_SELECTOBJECT:
        S_.Select(c.U32(8));
        return c.Ok();
      case EMR_DELETEOBJECT:
        S_.Delete(c.U32(8));
        return c.Ok();
      case EMR_CREATEPEN:
        return CreatePen(c);
      case EMR_EXTCREATEPEN:
        return ExtCreatePen(c);
      case EMR_CREATEBRUSHINDIRECT:
        return CreateBrush(c);
      case EMR_CREATEDIBPATTERNBRUSHPT:
        return CreatePatternBrush(c, false);
      case EMR_CREATEMONOBRUSH:
        return CreatePatternBrush(c, true);
      case EMR_EXTCREATEFONTINDIRECTW:
        return CreateFont(c);
      case EMR_CREATEPALETTE:
        S_.Store(c.U32(8), TEmfOther{});
        return c.Ok();

      case EMR_RECTANGLE:
      case EMR_ELLIPSE:
      case EMR_ROUNDRECT: {
        QRectF r = ReadRect(c, 8).normalized();
        double cw = type == EMR_ROUNDRECT ? c.I32(24) : 0, ch = type == EMR_ROUNDRECT ? c.I32(28) : 0;
        if (!c.Ok()) return false;
        QPainterPath p;
        if (type == EMR_RECTANGLE)
          p.addRect(r);
        else if (type == EMR_ELLIPSE)
          p.addEllipse(r);
        else
          p.addRoundedRect(r, std::fabs(cw) / 2, std::fabs(ch) / 2);
        Shape(p);
        return true;
      }
      case EMR_ARC:
      case EMR_ARCTO:
      case EMR_CHORD:
      case EMR_PIE:
        if (!c.Need(0, 40)) return false;
        Arc(c, type);
        return true;
      case EMR_ANGLEARC: {
        QPointF center(c.I32(8), c.I32(12));
        double r = c.U32(16), start = c.F32(20), sweep = c.F32(24);
        if (!c.Ok()) return false;
        if (!Finite(start) || !Finite(sweep)) return true;
        sweep = std::clamp(sweep, -3600.0, 3600.0);
        QRectF box(center.x() - r, center.y() - r, 2 * r, 2 * r);
        QPainterPath p;
        p.moveTo(dc.CurPos);
        QPainterPath arcStart;
        arcStart.arcMoveTo(box, start);
        p.lineTo(arcStart.currentPosition());
        p.arcTo(box, start, sweep);
        dc.CurPos = p.currentPosition();
        QPainterPath dev = L2D().map(p);
        if (S_.InPath)
          S_.Path.connectPath(dev);
        else
          DrawDevicePath(dev, false, true);
        return true;
      }

      case EMR_BEGINPATH:
        S_.InPath = true;
        S_.Path = QPainterPath();
        S_.Path.moveTo(Map(dc.CurPos));
        return true;
      case EMR_ENDPATH:
        S_.InPath = false;
        return true;
      case EMR_CLOSEFIGURE:
        if (S_.InPath) S_.Path.closeSubpath();
        return true;
      case EMR_ABORTPATH:
        S_.InPath = false;
        S_.Path = QPainterPath();
        return true;
      case EMR_FILLPATH:
      case EMR_STROKEPATH:
      case EMR_STROKEANDFILLPATH: {
        S_.InPath = false;
        QPainterPath p = S_.Path;
        S_.Path = QPainterPath();
        if (type == EMR_STROKEANDFILLPATH || type == EMR_FILLPATH) {
          // Filling closes every open figure.
          QPainterPath closed;
          closed.setFillRule(p.fillRule());
          for (const QPolygonF& poly : p.toSubpathPolygons()) {
            closed.addPolygon(poly);
            closed.closeSubpath();
          }
          if (type == EMR_FILLPATH)
            DrawDevicePath(closed, true, false);
          else {
            DrawDevicePath(closed, true, false);
            DrawDevicePath(p, false, true);
          }
        } else {
          DrawDevicePath(p, false, true);
        }
        return true;
      }
      case EMR_WIDENPATH: {
        QPen pen = CurrentPen(S_.LogicalScale());
        if (pen.style() == Qt::NoPen) return true;
        if (pen.widthF() <= 0) pen.setWidthF(1 / DeviceScale_);
        QPainterPathStroker stroker(pen);
        S_.Path = stroker.createStroke(S_.Path);
        return true;
      }
      case EMR_SELECTCLIPPATH: {
        uint32_t mode = c.U32(8);
        if (!c.Ok()) return false;
        QPainterPath p = S_.Path;
        p.setFillRule(dc.PolyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        S_.InPath = false;
        S_.Path = QPainterPath();
        CombineClip(p, mode);
        return true;
      }

      case EMR_INTERSECTCLIPRECT:
      case EMR_EXCLUDECLIPRECT: {
        QRectF r = ReadRect(c, 8).normalized();
        if (!c.Ok()) return false;
        QPainterPath p;
        p.addRect(r);
        CombineClip(L2D().map(p), type == EMR_INTERSECTCLIPRECT ? RGN_AND : RGN_DIFF);
        return true;
      }
      case EMR_EXTSELECTCLIPRGN: {
        uint32_t cb = c.U32(8), mode = c.U32(12);
        if (!c.Ok()) return false;
        if (cb == 0) {
          if (mode == RGN_COPY) {
            dc.Clip.reset();
            ApplyClip();
          }
          return true;
        }
        QPainterPath region;
        if (!ReadRegion(c, 16, cb, &region)) return false;
        CombineClip(region, mode);
        return true;
      }
      case EMR_OFFSETCLIPRGN: {
        QPointF d(c.I32(8), c.I32(12));
        if (!c.Ok()) return false;
        if (dc.Clip) {
          QTransform m = L2D();
          QPointF dd = m.map(d) - m.map(QPointF(0, 0));
          dc.Clip->translate(dd);
          ApplyClip();
        }
        return true;
      }
      case EMR_SETMETARGN:
        return true;  // the clip becomes the meta region: same visible area

      case EMR_FILLRGN:
      case EMR_PAINTRGN:
      case EMR_INVERTRGN:
      case EMR_FRAMERGN: {
        uint32_t cb = c.U32(24);
        size_t at = type == EMR_FILLRGN ? 32 : type == EMR_FRAMERGN ? 40 : 28;
        if (!c.Ok()) return false;
        QPainterPath region;
        if (!ReadRegion(c, at, cb, &region)) return false;
        QPainterPath dev = L2D().map(region);
        if (type == EMR_PAINTRGN) {
          FillRegion(dev, dc.Brush);
        } else if (type == EMR_INVERTRGN) {
          if (RasterOps_) {
            P_->setCompositionMode(QPainter::RasterOp_NotDestination);
            P_->fillPath(dev, Qt::white);
            P_->setCompositionMode(QPainter::CompositionMode_SourceOver);
          }
        } else {
          std::optional<TEmfBrush> brush = S_.BrushAt(c.U32(28));
          if (!brush) return true;
          if (type == EMR_FILLRGN) {
            FillRegion(dev, *brush);
          } else {
            double w = std::max(1.0, std::fabs(double(c.I32(32)))) * S_.LogicalScale();
            if (!Finite(w) || w > 1e6) return true;
            QPainterPathStroker stroker;
            stroker.setWidth(2 * w);
            QPainterPath outline = dev.simplified();
            FillRegion(stroker.createStroke(outline).intersected(outline), *brush);
          }
        }
        return true;
      }

      case EMR_BITBLT:
      case EMR_STRETCHBLT:
      case EMR_ALPHABLEND:
      case EMR_TRANSPARENTBLT:
        return PlayBlt(c, type);
      case EMR_STRETCHDIBITS:
        return PlayStretchDibits(c);
      case EMR_SETDIBITSTODEVICE:
        return PlaySetDibitsToDevice(c);

      case EMR_EXTTEXTOUTA:
      case EMR_EXTTEXTOUTW: {
        bool ok = PlayExtTextOut(P_, S_, c, type == EMR_EXTTEXTOUTW, Device_);
        P_->setWorldTransform(Device_);
        return ok;
      }

      default:
        return true;  // records we do not draw are skipped
    }
  }
};

}  // namespace

bool PlayEmf(QPainter* painter, const TEmfDocument& doc, const QRectF& target) {
  if (!painter || !painter->isActive()) return false;
  const TEmfHeaderInfo& h = doc.Header();
  double ppmx = doc.DevicePixelsPerMMX(), ppmy = doc.DevicePixelsPerMMY();
  // The frame (0.01 mm) in reference-device pixels; the bounds when the frame is empty.
  QRectF frame(QPointF(h.FrameLeft / 100.0 * ppmx, h.FrameTop / 100.0 * ppmy),
               QPointF(h.FrameRight / 100.0 * ppmx, h.FrameBottom / 100.0 * ppmy));
  if (!(frame.width() > 0) || !(frame.height() > 0))
    frame = QRectF(QPointF(h.BoundsLeft, h.BoundsTop), QPointF(h.BoundsRight + 1.0, h.BoundsBottom + 1.0));
  if (!(frame.width() > 0) || !(frame.height() > 0) || target.isEmpty()) return true;
  QTransform device = QTransform::fromTranslate(-frame.left(), -frame.top()) *
                      QTransform::fromScale(target.width() / frame.width(), target.height() / frame.height()) *
                      QTransform::fromTranslate(target.left(), target.top()) * painter->worldTransform();
  if (!device.isInvertible()) return true;
  painter->save();
  bool ok;
  {
    TPlayer player(painter, doc, device);
    ok = player.Run();
  }
  painter->restore();
  return ok;
}
