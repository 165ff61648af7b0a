#include "uEmfPlayerState.h"

#include <algorithm>
#include <cmath>

#include "uEmfRecords.h"

namespace emf {

namespace {
// GDI's object table is bounded by the header's 16-bit handle count.
constexpr uint32_t kMaxHandles = 65536;
}  // namespace

QColor ColorRef(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

TEmfPlayerState::TEmfPlayerState(double pxPerMMX, double pxPerMMY, uint32_t handles)
    : PxPerMMX_(pxPerMMX > 0 ? pxPerMMX : 1),
      PxPerMMY_(pxPerMMY > 0 ? pxPerMMY : 1),
      Handles_(std::clamp<uint32_t>(handles, 1, kMaxHandles)) {
  Dc.Pen = StockPen(BLACK_PEN);
  Dc.Brush = StockBrush(WHITE_BRUSH);
  Dc.Font = StockFont(SYSTEM_FONT);
}

void TEmfPlayerState::SetMapMode(uint32_t mode) {
  if (mode < MM_TEXT || mode > MM_ANISOTROPIC) return;
  Dc.MapMode = mode;
  // The metric modes and MM_TEXT fix the extents; the scalable modes keep the current ones.
  double unitsPerMM = 0;
  switch (mode) {
    case MM_TEXT:
      Dc.WindowExt = QSizeF(1, 1);
      Dc.ViewportExt = QSizeF(1, 1);
      return;
    case MM_LOMETRIC:
      unitsPerMM = 10;
      break;
    case MM_HIMETRIC:
      unitsPerMM = 100;
      break;
    case MM_LOENGLISH:
      unitsPerMM = 100 / 25.4;
      break;
    case MM_HIENGLISH:
      unitsPerMM = 1000 / 25.4;
      break;
    case MM_TWIPS:
      unitsPerMM = 1440 / 25.4;
      break;
    default:
      return;
  }
  Dc.WindowExt = QSizeF(unitsPerMM, unitsPerMM);
  Dc.ViewportExt = QSizeF(PxPerMMX_, -PxPerMMY_);
}

QTransform TEmfPlayerState::PageTransform() const {
  double wx = Dc.WindowExt.width(), wy = Dc.WindowExt.height();
  double vx = Dc.ViewportExt.width(), vy = Dc.ViewportExt.height();
  double sx = (wx != 0 && std::isfinite(vx / wx)) ? vx / wx : 1;
  double sy = (wy != 0 && std::isfinite(vy / wy)) ? vy / wy : 1;
  if (sx == 0) sx = 1;
  if (sy == 0) sy = 1;
  if (Dc.MapMode == MM_ISOTROPIC) {
    double s = std::min(std::fabs(sx), std::fabs(sy));
    sx = std::copysign(s, sx);
    sy = std::copysign(s, sy);
  }
  return QTransform(sx, 0, 0, sy, Dc.ViewportOrg.x() - Dc.WindowOrg.x() * sx,
                    Dc.ViewportOrg.y() - Dc.WindowOrg.y() * sy);
}

double TEmfPlayerState::LogicalScale() const {
  QTransform t = LogicalToDevice();
  double det = std::fabs(t.m11() * t.m22() - t.m12() * t.m21());
  double s = std::sqrt(det);
  return std::isfinite(s) ? s : 1;
}

bool TEmfPlayerState::SaveDC() {
  if (Stack_.size() >= kMaxSavedStates) return false;
  Stack_.push_back(Dc);
  return true;
}

bool TEmfPlayerState::RestoreDC(int32_t relative) {
  size_t depth = Stack_.size();
  size_t target;  // number of saved states that remain after the restore
  if (relative < 0) {
    uint64_t n = uint64_t(-int64_t(relative));
    if (n > depth) return false;
    target = depth - size_t(n);
  } else if (relative > 0) {
    if (uint64_t(relative) > depth) return false;
    target = size_t(relative) - 1;
  } else {
    return false;
  }
  Dc = Stack_[target];
  Stack_.resize(target);
  return true;
}

bool TEmfPlayerState::Store(uint32_t index, TEmfObject object) {
  if (index == 0 || index >= Handles_) return false;
  if (index >= Objects_.size()) Objects_.resize(size_t(index) + 1);
  Objects_[index] = std::move(object);
  return true;
}

bool TEmfPlayerState::Delete(uint32_t index) {
  if (index & kStockFlag) return true;  // deleting a stock object is a no-op
  if (index == 0 || index >= Handles_) return false;
  if (index < Objects_.size()) Objects_[index] = std::monostate{};
  return true;
}

bool TEmfPlayerState::Select(uint32_t index) {
  if (index & kStockFlag) {
    uint32_t which = index & ~kStockFlag;
    if (which <= NULL_BRUSH || which == DC_BRUSH) {
      Dc.Brush = StockBrush(which == DC_BRUSH ? WHITE_BRUSH : which);
    } else if (which >= WHITE_PEN && which <= NULL_PEN) {
      Dc.Pen = StockPen(which);
    } else if (which == DC_PEN) {
      Dc.Pen = StockPen(BLACK_PEN);
    } else if ((which >= OEM_FIXED_FONT && which <= DEVICE_DEFAULT_FONT) || which == SYSTEM_FIXED_FONT ||
               which == DEFAULT_GUI_FONT) {
      Dc.Font = StockFont(which);
    } else if (which != DEFAULT_PALETTE) {
      return false;
    }
    return true;
  }
  if (index == 0 || index >= Objects_.size()) return false;
  const TEmfObject& o = Objects_[index];
  if (auto* p = std::get_if<TEmfPen>(&o)) {
    Dc.Pen = *p;
  } else if (auto* b = std::get_if<TEmfBrush>(&o)) {
    Dc.Brush = *b;
  } else if (auto* f = std::get_if<TEmfFont>(&o)) {
    Dc.Font = *f;
  } else if (std::holds_alternative<std::monostate>(o)) {
    return false;
  }
  return true;
}

std::optional<TEmfBrush> TEmfPlayerState::BrushAt(uint32_t index) const {
  if (index & kStockFlag) {
    uint32_t which = index & ~kStockFlag;
    if (which <= NULL_BRUSH) return StockBrush(which);
    return std::nullopt;
  }
  if (index == 0 || index >= Objects_.size()) return std::nullopt;
  if (auto* b = std::get_if<TEmfBrush>(&Objects_[index])) return *b;
  return std::nullopt;
}

TEmfPen TEmfPlayerState::StockPen(uint32_t which) {
  TEmfPen p;
  p.Style = which == NULL_PEN ? PS_NULL : PS_SOLID;
  p.Color = which == WHITE_PEN ? QColor(Qt::white) : QColor(Qt::black);
  return p;
}

TEmfBrush TEmfPlayerState::StockBrush(uint32_t which) {
  TEmfBrush b;
  switch (which) {
    case WHITE_BRUSH:
      b.Color = QColor(255, 255, 255);
      break;
    case LTGRAY_BRUSH:
      b.Color = QColor(192, 192, 192);
      break;
    case GRAY_BRUSH:
      b.Color = QColor(128, 128, 128);
      break;
    case DKGRAY_BRUSH:
      b.Color = QColor(64, 64, 64);
      break;
    case BLACK_BRUSH:
      b.Color = QColor(0, 0, 0);
      break;
    default:
      b.Kind = TEmfBrush::kNull;
      break;
  }
  return b;
}

TEmfFont TEmfPlayerState::StockFont(uint32_t which) {
  TEmfFont f;
  bool fixed = which == OEM_FIXED_FONT || which == ANSI_FIXED_FONT || which == SYSTEM_FIXED_FONT;
  f.Face = fixed ? QStringLiteral("Courier New") : QStringLiteral("Arial");
  f.Height = which == DEFAULT_GUI_FONT ? -11 : 16;
  f.Weight = which == SYSTEM_FONT ? 700 : 400;
  return f;
}

QPen MakeQPen(const TEmfPen& pen, double scale, double minDeviceWidth) {
  if (pen.IsNull()) return QPen(Qt::NoPen);
  uint32_t style = pen.Style & PS_STYLE_MASK;
  double width = pen.Cosmetic ? 0 : pen.Width * scale;
  if (!std::isfinite(width) || width < 0) width = 0;
  width = std::min(width, 1e6);  // wider than any picture: keeps the stroker sane
  bool hairline = width <= 0 || width < minDeviceWidth;
  QPen q(pen.Color);
  q.setWidthF(hairline ? 0 : width);
  q.setCosmetic(hairline);
  if (!pen.Cosmetic) {
    switch (pen.Style & PS_ENDCAP_MASK) {
      case PS_ENDCAP_SQUARE:
        q.setCapStyle(Qt::SquareCap);
        break;
      case PS_ENDCAP_FLAT:
        q.setCapStyle(Qt::FlatCap);
        break;
      default:
        q.setCapStyle(Qt::RoundCap);
        break;
    }
    switch (pen.Style & PS_JOIN_MASK) {
      case PS_JOIN_BEVEL:
        q.setJoinStyle(Qt::BevelJoin);
        break;
      case PS_JOIN_MITER:
        q.setJoinStyle(Qt::MiterJoin);
        break;
      default:
        q.setJoinStyle(Qt::RoundJoin);
        break;
    }
  } else {
    q.setCapStyle(Qt::FlatCap);
    q.setJoinStyle(Qt::BevelJoin);
  }
  // Dash lengths: cosmetic pens count device pixels, geometric pens pen widths; Qt counts
  // pen widths (a hairline counts as one pixel).
  QList<qreal> dashes;
  switch (style) {
    case PS_DASH:
      dashes = hairline ? QList<qreal>{18, 6} : QList<qreal>{3, 1};
      break;
    case PS_DOT:
      dashes = hairline ? QList<qreal>{3, 3} : QList<qreal>{1, 1};
      break;
    case PS_DASHDOT:
      dashes = hairline ? QList<qreal>{9, 6, 3, 6} : QList<qreal>{3, 1, 1, 1};
      break;
    case PS_DASHDOTDOT:
      dashes = hairline ? QList<qreal>{9, 3, 3, 3, 3, 3} : QList<qreal>{3, 1, 1, 1, 1, 1};
      break;
    case PS_ALTERNATE:
      dashes = {1, 1};
      break;
    case PS_USERSTYLE: {
      double unit = hairline ? 1.0 : std::max(width, 1e-9);
      double total = 0;
      for (double e : pen.UserDashes) {
        double len = pen.Cosmetic ? e : e * scale;
        dashes.push_back(std::max(len / unit, 0.01));
        total += len;
      }
      if (dashes.size() % 2 == 1) dashes.append(dashes);  // odd lists repeat with roles swapped
      if (dashes.isEmpty() || !(total > 0)) dashes.clear();
      break;
    }
    default:
      break;
  }
  if (!dashes.isEmpty()) {
    q.setDashPattern(dashes);
  }
  return q;
}

QBrush MakeQBrush(const TEmfBrush& brush, const QColor& textColor, const QColor& bkColor) {
  switch (brush.Kind) {
    case TEmfBrush::kNull:
      return QBrush(Qt::NoBrush);
    case TEmfBrush::kSolid:
      return QBrush(brush.Color);
    case TEmfBrush::kHatch: {
      Qt::BrushStyle s = Qt::HorPattern;
      switch (brush.Hatch) {
        case HS_HORIZONTAL:
          s = Qt::HorPattern;
          break;
        case HS_VERTICAL:
          s = Qt::VerPattern;
          break;
        case HS_FDIAGONAL:
          s = Qt::FDiagPattern;
          break;  // "\\\\"
        case HS_BDIAGONAL:
          s = Qt::BDiagPattern;
          break;  // "////"
        case HS_CROSS:
          s = Qt::CrossPattern;
          break;
        case HS_DIAGCROSS:
          s = Qt::DiagCrossPattern;
          break;
        default:
          return QBrush(brush.Color);  // unknown hatch: GDI fills solid
      }
      return QBrush(brush.Color, s);
    }
    case TEmfBrush::kPattern: {
      if (brush.Pattern.isNull()) return QBrush(brush.Color);
      if (brush.Monochrome && brush.Pattern.format() == QImage::Format_Mono) {
        QImage img = brush.Pattern;
        img.setColorTable({textColor.rgb(), bkColor.rgb()});
        return QBrush(img);
      }
      return QBrush(brush.Pattern);
    }
  }
  return QBrush(Qt::NoBrush);
}

}  // namespace emf
