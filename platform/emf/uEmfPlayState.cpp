// State records: mapping modes, window and viewport, world transforms, the DC's modes and
// colours, SAVEDC/RESTOREDC, the object table (pens, brushes, palettes) and clipping.
#include "uEmfDib.h"
#include "uEmfPlayback.h"

namespace emf {

TEmfPlayback::TPlayed TEmfPlayback::StateRecord(uint32_t type, TEmfCursor& c) {
  TEmfDC& dc = S_.Dc;
  switch (type) {
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
      return true;

    case EMR_SAVEDC:
      return S_.SaveDC();  // nesting beyond the bound: the rest of the picture is not played
    case EMR_RESTOREDC: {
      int32_t rel = c.I32(8);
      if (!c.Ok()) return false;
      if (S_.RestoreDC(rel)) ApplyClip();
      return true;
    }
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM:
      return WorldTransform(c, type);

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
    case EMR_CREATEPALETTE:
      S_.Store(c.U32(8), TEmfOther{});
      return c.Ok();

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
    case EMR_EXTSELECTCLIPRGN:
      return SelectClipRegion(c);
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

    default:
      return std::nullopt;
  }
}

bool TEmfPlayback::WorldTransform(TEmfCursor& c, uint32_t type) {
  double v[6];
  for (int i = 0; i < 6; ++i) v[i] = c.F32(8 + i * 4);
  uint32_t mode = type == EMR_SETWORLDTRANSFORM ? MWT_SET : c.U32(32);
  if (!c.Ok()) return false;
  for (double x : v)
    if (!Finite(x) || std::fabs(x) > 1e12) return true;  // ignore nonsense transforms
  QTransform x(v[0], v[1], v[2], v[3], v[4], v[5]);
  QTransform& world = S_.Dc.World;
  switch (mode) {
    case MWT_IDENTITY:
      world = QTransform();
      break;
    case MWT_LEFTMULTIPLY:
      world = x * world;
      break;
    case MWT_RIGHTMULTIPLY:
      world = world * x;
      break;
    case MWT_SET:
      world = x;
      break;
    default:
      break;
  }
  return true;
}

bool TEmfPlayback::SelectClipRegion(TEmfCursor& c) {
  uint32_t cb = c.U32(8), mode = c.U32(12);
  if (!c.Ok()) return false;
  if (cb == 0) {
    if (mode == RGN_COPY) {
      S_.Dc.Clip.reset();
      ApplyClip();
    }
    return true;
  }
  QPainterPath region;
  if (!ReadRegion(c, 16, cb, &region)) return false;
  CombineClip(region, mode);
  return true;
}

// ---- objects ----

bool TEmfPlayback::CreatePen(TEmfCursor& c) {
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

bool TEmfPlayback::ExtCreatePen(TEmfCursor& c) {
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

bool TEmfPlayback::CreateBrush(TEmfCursor& c) {
  if (!c.Need(0, 24)) return false;
  TEmfBrush b;
  uint32_t style = c.U32(12);
  b.Color = ColorRef(c.U32(16));
  b.Hatch = c.U32(20);
  b.Kind = style == BS_NULL ? TEmfBrush::kNull : style == BS_HATCHED ? TEmfBrush::kHatch : TEmfBrush::kSolid;
  S_.Store(c.U32(8), b);
  return true;
}

bool TEmfPlayback::CreatePatternBrush(TEmfCursor& c, bool mono) {
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

}  // namespace emf
