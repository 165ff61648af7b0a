// Paths and shapes: lines, polygons and curves (16- and 32-bit), rectangles, ellipses and
// arcs, the path brackets and their fill/stroke, regions and single pixels.
#include <QPainterPathStroker>
#include <algorithm>

#include "uEmfPlayback.h"

namespace emf {

namespace {
constexpr uint8_t PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6;
constexpr int kMaxWidenedElements = 65536;
}  // namespace

TEmfPlayback::TPlayed TEmfPlayback::ShapeRecord(uint32_t type, TEmfCursor& c) {
  TEmfDC& dc = S_.Dc;
  switch (type) {
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
    case EMR_POLYPOLYGON16:
      return PolyPoly(c, type);
    case EMR_POLYDRAW:
    case EMR_POLYDRAW16:
      return PolyDraw(c, type);

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
    case EMR_ANGLEARC:
      return AngleArc(c);

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
    case EMR_STROKEANDFILLPATH:
      EndPath(type);
      return true;
    case EMR_WIDENPATH:
      return WidenPath();
    case EMR_FLATTENPATH:
      return true;  // curves stay exact

    case EMR_FILLRGN:
    case EMR_PAINTRGN:
    case EMR_INVERTRGN:
    case EMR_FRAMERGN:
      return RegionRecord(c, type);

    default:
      return std::nullopt;
  }
}

// A closed shape in logical coordinates: added to the path under construction or drawn.
void TEmfPlayback::Shape(const QPainterPath& logical) {
  QPainterPath dev = L2D().map(logical);
  if (S_.InPath) {
    S_.Path.addPath(dev);
    return;
  }
  DrawDevicePath(dev, true, true);
}

// Open or closed figures from a point list (16/32-bit POLY* records).
void TEmfPlayback::Poly(uint32_t type, const QPolygonF& pts) {
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
size_t TEmfPlayback::AppendTo(QPainterPath* p, const QPolygonF& pts, qsizetype first, bool bezier,
                              const QTransform& m) {
  qsizetype i = first;
  if (bezier) {
    for (; i + 2 < pts.size(); i += 3) p->cubicTo(m.map(pts[i]), m.map(pts[i + 1]), m.map(pts[i + 2]));
  } else {
    for (; i < pts.size(); ++i) p->lineTo(m.map(pts[i]));
  }
  return size_t(i);
}

bool TEmfPlayback::PolyPoly(TEmfCursor& c, uint32_t type) {
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

bool TEmfPlayback::PolyDraw(TEmfCursor& c, uint32_t type) {
  TEmfDC& dc = S_.Dc;
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

// The arc of box from the radial through start to the radial through end (logical space).
QPainterPath TEmfPlayback::ArcPath(const QRectF& boxIn, QPointF start, QPointF end, int kind, QPointF* arcStart,
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

void TEmfPlayback::Arc(TEmfCursor& c, uint32_t type) {
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

bool TEmfPlayback::AngleArc(TEmfCursor& c) {
  TEmfDC& dc = S_.Dc;
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

// FILLPATH, STROKEPATH, STROKEANDFILLPATH: the path is drawn and forgotten.
void TEmfPlayback::EndPath(uint32_t type) {
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
}

bool TEmfPlayback::WidenPath() {
  // An outline has several times the elements of its path, so each WIDENPATH multiplies the
  // path: a run of them (8 bytes each) would grow it without end. A path past the bound stays
  // as it is.
  if (S_.Path.elementCount() > kMaxWidenedElements) return true;
  QPen pen = CurrentPen(S_.LogicalScale());
  if (pen.style() == Qt::NoPen) return true;
  if (pen.widthF() <= 0) pen.setWidthF(1 / DeviceScale_);
  QPainterPathStroker stroker(pen);
  S_.Path = stroker.createStroke(S_.Path);
  return true;
}

bool TEmfPlayback::RegionRecord(TEmfCursor& c, uint32_t type) {
  uint32_t cb = c.U32(24);
  size_t at = type == EMR_FILLRGN ? 32 : type == EMR_FRAMERGN ? 40 : 28;
  if (!c.Ok()) return false;
  QPainterPath region;
  if (!ReadRegion(c, at, cb, &region)) return false;
  QPainterPath dev = L2D().map(region);
  if (type == EMR_PAINTRGN) {
    FillRegion(dev, S_.Dc.Brush);
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

void TEmfPlayback::FillRegion(const QPainterPath& dev, const TEmfBrush& brush) {
  TEmfBrush saved = S_.Dc.Brush;
  TEmfPen savedPen = S_.Dc.Pen;
  S_.Dc.Brush = brush;
  S_.Dc.Pen = TEmfPlayerState::StockPen(NULL_PEN);
  DrawDevicePath(dev, true, false);
  S_.Dc.Brush = saved;
  S_.Dc.Pen = savedPen;
}

}  // namespace emf
