// PlayEmf, the walk over the records and what every record family draws through: the
// shared readers, clipping, raster operations, pens and the fill/stroke of a path.
#include "uEmfPlayer.h"

#include <QPaintEngine>

#include "uEmfPlayback.h"

namespace emf {

namespace {

constexpr double kUniverse = 1e7;  // "everything" for clip arithmetic, reference-device units
constexpr uint32_t kMaxRegionRects = 4096;
// Path arithmetic costs about the product of the operands' sizes: two striped regions of a
// few hundred rectangles each take minutes. Past this many element pairs the larger operand
// gives way to its bounding rectangle, as a region of too many rectangles does.
constexpr qint64 kMaxClipWork = qint64(1) << 17;

QPainterPath Universe() {
  QPainterPath p;
  p.addRect(QRectF(-kUniverse, -kUniverse, 2 * kUniverse, 2 * kUniverse));
  return p;
}

QPainterPath Bounds(const QPainterPath& p) {
  QPainterPath b;
  b.setFillRule(p.fillRule());
  b.addRect(p.boundingRect());
  return b;
}

// Replaces the larger of a and b by its bounds until combining them is affordable.
void Affordable(QPainterPath* a, QPainterPath* b) {
  while (qint64(a->elementCount()) * b->elementCount() > kMaxClipWork) {
    QPainterPath* larger = a->elementCount() >= b->elementCount() ? a : b;
    if (larger->elementCount() <= 5) return;  // already a rectangle
    *larger = Bounds(*larger);
  }
}

}  // namespace

TEmfPlayback::TEmfPlayback(QPainter* painter, const TEmfDocument& doc, const QTransform& device)
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

bool TEmfPlayback::Run() {
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

bool TEmfPlayback::Record(uint32_t type, TEmfCursor& c) {
  if (type == EMR_HEADER || type == EMR_GDICOMMENT)
    return true;  // EMF+ and private data: the EMF records that follow carry the picture
  if (TPlayed r = ShapeRecord(type, c)) return *r;
  if (TPlayed r = StateRecord(type, c)) return *r;
  if (TPlayed r = TextRecord(type, c)) return *r;
  if (TPlayed r = BitmapRecord(type, c)) return *r;
  return true;  // records we do not draw are skipped
}

// ---- shared readers ----

QRectF TEmfPlayback::ReadRect(TEmfCursor& c, size_t off) {
  int32_t l = c.I32(off), t = c.I32(off + 4), r = c.I32(off + 8), b = c.I32(off + 12);
  return QRectF(QPointF(l, t), QPointF(r, b));
}

bool TEmfPlayback::ReadPoints(TEmfCursor& c, size_t off, uint32_t count, bool small, QPolygonF* out) {
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

bool TEmfPlayback::ReadRegion(TEmfCursor& c, size_t off, uint32_t cb, QPainterPath* out) {
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

// ---- clipping ----

void TEmfPlayback::ApplyClip() {
  P_->setWorldTransform(Device_);
  if (S_.Dc.Clip) {
    QPainterPath clip = *S_.Dc.Clip;
    if (InitialClip_) {
      // The painter's own clip is never widened; the picture's gives way when both are complex.
      if (qint64(InitialClip_->elementCount()) * clip.elementCount() > kMaxClipWork) clip = Bounds(clip);
      clip = InitialClip_->intersected(clip);
    }
    P_->setClipPath(clip, Qt::ReplaceClip);
  } else if (InitialClip_) {
    P_->setClipPath(*InitialClip_, Qt::ReplaceClip);
  } else {
    P_->setClipping(false);
  }
}

void TEmfPlayback::CombineClip(const QPainterPath& regionIn, uint32_t mode) {
  std::optional<QPainterPath>& clip = S_.Dc.Clip;
  QPainterPath region = regionIn;
  switch (mode) {
    case RGN_COPY:
      clip = region;
      break;
    case RGN_AND:
      if (clip) Affordable(&*clip, &region);
      clip = clip ? clip->intersected(region) : region;
      break;
    case RGN_OR:
      if (clip) {
        Affordable(&*clip, &region);
        clip = clip->united(region);
      }
      break;
    case RGN_XOR: {
      QPainterPath a = clip ? *clip : Universe();
      Affordable(&a, &region);
      QPainterPath both = a.united(region), common = a.intersected(region);
      Affordable(&both, &common);  // each may hold every crossing of the two
      clip = both.subtracted(common);
      break;
    }
    case RGN_DIFF: {
      QPainterPath a = clip ? *clip : Universe();
      Affordable(&a, &region);
      clip = a.subtracted(region);
      break;
    }
    default:
      return;
  }
  ApplyClip();
}

// ---- drawing ----

bool TEmfPlayback::SetRop2(QColor* forced) {
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
QPen TEmfPlayback::CurrentPen(double scale) const {
  bool aa = P_->testRenderHint(QPainter::Antialiasing);
  return MakeQPen(S_.Dc.Pen, scale, aa ? 0.0 : 1.0 / DeviceScale_);
}

void TEmfPlayback::DrawDevicePath(QPainterPath path, bool fill, bool stroke) {
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

}  // namespace emf

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
    emf::TEmfPlayback playback(painter, doc, device);
    ok = playback.Run();
  }
  painter->restore();
  return ok;
}
