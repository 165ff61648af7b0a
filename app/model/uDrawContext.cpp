#include "uDrawContext.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>

#include "uDirectPixels.h"
#include "uNumbers.h"

QColor ColorRefToQColor(uint32_t color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

uint32_t QColorToColorRef(const QColor& color) {
  return static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
         (static_cast<uint32_t>(color.blue()) << 16);
}

int TDrawContext::DpiX() const { return DC && DC->device() ? DC->device()->logicalDpiX() : 96; }

int TDrawContext::DpiY() const { return DC && DC->device() ? DC->device()->logicalDpiY() : 96; }

TPixelMapping TDrawContext::Pixels() const {
  TPixelMapping m;
  m.OriginX = OriginX;
  m.OriginY = OriginY;
  m.Kx = static_cast<double>(Kx());
  m.Ky = static_cast<double>(Ky());
  m.Zoom = static_cast<double>(Zoom);
  return m;
}

// Positions and lengths from sizes in a damaged file are held within 2^28
// pixels, far beyond any device, where the sums objects make of them (and
// Qt's rectangle arithmetic) cannot overflow.
int32_t TPixelMapping::X(double mm) const { return DeviceEdge(RoundEven((mm - OriginX) * Kx * Zoom)); }

int32_t TPixelMapping::Y(double mm) const { return DeviceEdge(RoundEven((mm - OriginY) * Ky * Zoom)); }

double TDrawContext::PageX(double pixel) const {
  const double k = static_cast<double>(Kx()) * static_cast<double>(Zoom);
  return k > 0 ? pixel / k + OriginX : OriginX;
}

double TDrawContext::PageY(double pixel) const {
  const double k = static_cast<double>(Ky()) * static_cast<double>(Zoom);
  return k > 0 ? pixel / k + OriginY : OriginY;
}

int32_t TDrawContext::LengthX(double mm) const {
  return DeviceEdge(RoundEven(mm * static_cast<double>(Kx()) * static_cast<double>(Zoom)));
}

int32_t TDrawContext::LengthY(double mm) const {
  return DeviceEdge(RoundEven(mm * static_cast<double>(Ky()) * static_cast<double>(Zoom)));
}

namespace {

Qt::PenStyle QtPenStyle(int style) {
  switch (style) {
    case psDash:
      return Qt::DashLine;
    case psDot:
      return Qt::DotLine;
    case psDashDot:
      return Qt::DashDotLine;
    case psDashDotDot:
      return Qt::DashDotDotLine;
    case psClear:
      return Qt::NoPen;
    default:
      return Qt::SolidLine;
  }
}

}  // namespace

QPen CosmeticPen(const QColor& color, int style, int width) {
  Qt::PenStyle s = QtPenStyle(style);
  if (width > 1 && s != Qt::NoPen) s = Qt::SolidLine;
  QPen pen(color, width > 1 ? width : 0, s, Qt::RoundCap, Qt::RoundJoin);
  pen.setCosmetic(true);
  return pen;
}

QPen GeometricPen(const QColor& color, int style, int width) {
  QPen pen(color, width > 1 ? width : 1, QtPenStyle(style), Qt::FlatCap, Qt::MiterJoin);
  pen.setCosmetic(false);
  return pen;
}

QBrush GdiBrush(const QColor& color, int style, int hatch) {
  if (style == bsClear) return QBrush(Qt::NoBrush);
  if (style != bsHatched) return QBrush(color, Qt::SolidPattern);
  Qt::BrushStyle s = Qt::HorPattern;
  switch (hatch) {
    case hsVertical:
      s = Qt::VerPattern;
      break;
    case hsFDiagonal:
      s = Qt::FDiagPattern;
      break;
    case hsBDiagonal:
      s = Qt::BDiagPattern;
      break;
    case hsCross:
      s = Qt::CrossPattern;
      break;
    case hsDiagCross:
      s = Qt::DiagCrossPattern;
      break;
    default:
      break;
  }
  return QBrush(color, s);
}

namespace {

// Whether the painter's pen draws a one-pixel opaque solid line on a raster
// image without scaling, where a line along a row or a column is exactly a
// filled run of pixels.
bool PlainRasterPen(QPainter* dc) {
  const QPaintEngine* engine = dc->paintEngine();
  if (!engine || engine->type() != QPaintEngine::Raster) return false;
  if (dc->transform().type() > QTransform::TxTranslate || (dc->renderHints() & QPainter::Antialiasing)) return false;
  if (dc->compositionMode() != QPainter::CompositionMode_SourceOver) return false;
  const QPen& pen = dc->pen();
  return pen.style() == Qt::SolidLine && pen.brush().style() == Qt::SolidPattern && pen.color().alpha() == 255 &&
         (pen.widthF() == 0 || (pen.isCosmetic() && pen.widthF() == 1));
}

}  // namespace

void DrawOutline(QPainter* dc, const TRect& r) {
  if (!dc) return;
  // Qt strokes each pixel of a line through its span machinery: for the
  // frame of a column as tall as the window that is most of a drag's mouse
  // move. Four filled runs give the same pixels.
  // (A single pixel is left to Qt, whose stroke of a line without length draws nothing.)
  if (r.Right - 1 >= r.Left && r.Bottom - 1 >= r.Top && r.Width() + r.Height() > 2 && PlainRasterPen(dc)) {
    const QColor color = dc->pen().color();
    const int lastX = r.Right - 1;
    const int lastY = r.Bottom - 1;
    if (const TDirectPixels pixels(dc); pixels.Valid()) {
      const QRgb rgb = color.rgba();
      pixels.Row(r.Top, r.Left, lastX, rgb);
      if (lastY > r.Top) pixels.Row(lastY, r.Left, lastX, rgb);
      if (lastY - 1 > r.Top) {
        pixels.Column(r.Left, r.Top + 1, lastY - 1, rgb);
        if (lastX > r.Left) pixels.Column(lastX, r.Top + 1, lastY - 1, rgb);
      }
      return;
    }
    dc->fillRect(QRect(QPoint(r.Left, r.Top), QPoint(lastX, r.Top)), color);
    if (lastY > r.Top) dc->fillRect(QRect(QPoint(r.Left, lastY), QPoint(lastX, lastY)), color);
    if (lastY - 1 > r.Top) {
      dc->fillRect(QRect(QPoint(r.Left, r.Top + 1), QPoint(r.Left, lastY - 1)), color);
      if (lastX > r.Left) dc->fillRect(QRect(QPoint(lastX, r.Top + 1), QPoint(lastX, lastY - 1)), color);
    }
    return;
  }
  const QPoint points[5] = {QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Top), QPoint(r.Right - 1, r.Bottom - 1),
                            QPoint(r.Left, r.Bottom - 1), QPoint(r.Left, r.Top)};
  dc->drawPolyline(points, 5);
}

namespace {

constexpr int kDashOn = 4;
constexpr int kDashPeriod = 6;
constexpr int kDashStrip = 2048;

// A line of dashes `length` + one period long, across or down, in `color`
// (transparent between the dashes); the last colour's strips are kept.
const QImage& DashStrip(const QColor& color, bool down) {
  thread_local QRgb kept = 0;
  thread_local QImage across, along;
  const QRgb rgb = color.rgba();
  if (across.isNull() || kept != rgb) {
    const QRgb on = qPremultiply(rgb);
    across = QImage(kDashStrip + kDashPeriod, 1, QImage::Format_ARGB32_Premultiplied);
    along = QImage(1, kDashStrip + kDashPeriod, QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < kDashStrip + kDashPeriod; ++i) {
      const QRgb pixel = i % kDashPeriod < kDashOn ? on : 0;
      across.setPixel(i, 0, pixel);
      along.setPixel(0, i, pixel);
    }
    kept = rgb;
  }
  return down ? along : across;
}

// Dashes along one edge from `from` (inclusive) to `to` (exclusive) on the
// line `at`, the pattern counted from `start`, drawn only within [low, high).
void DashedEdge(QPainter* dc, bool down, int at, int start, int from, int to, int low, int high, const QColor& color,
                const TDirectPixels& pixels) {
  from = std::max(from, low);
  to = std::min(to, high);
  if (pixels.Valid() && color.alpha() == 255) {
    if (from >= to) return;
    if (down)
      pixels.DashedColumn(at, from, to - 1, start, color.rgba());
    else
      pixels.DashedRow(at, from, to - 1, start, color.rgba());
    return;
  }
  const QImage& strip = DashStrip(color, down);
  while (from < to) {
    const int phase = ((from - start) % kDashPeriod + kDashPeriod) % kDashPeriod;
    const int length = std::min(to - from, kDashStrip);
    if (down)
      dc->drawImage(QPoint(at, from), strip, QRect(0, phase, 1, length));
    else
      dc->drawImage(QPoint(from, at), strip, QRect(phase, 0, length, 1));
    from += length;
  }
}

}  // namespace

void DrawDashedOutline(QPainter* dc, const TRect& r, const TRect& clip, const QColor& color) {
  if (!dc || r.IsEmpty()) return;
  const QTransform& m = dc->transform();
  const QPaintEngine* engine = dc->paintEngine();
  if (!engine || engine->type() != QPaintEngine::Raster || m.type() > QTransform::TxTranslate ||
      (dc->renderHints() & QPainter::Antialiasing)) {
    const QPen previous = dc->pen();
    dc->setPen(CosmeticPen(color, psDash, 1));
    DrawOutline(dc, r);
    dc->setPen(previous);
    return;
  }
  // The clip in the painter's units (a translation at most).
  const int dx = static_cast<int>(m.dx());
  const int dy = static_cast<int>(m.dy());
  const int left = clip.Left - dx, right = clip.Right - dx, top = clip.Top - dy, bottom = clip.Bottom - dy;
  const int lastX = r.Right - 1;
  const int lastY = r.Bottom - 1;
  const TDirectPixels pixels(dc);
  if (r.Top >= top && r.Top < bottom) DashedEdge(dc, false, r.Top, r.Left, r.Left, r.Right, left, right, color, pixels);
  if (lastY != r.Top && lastY >= top && lastY < bottom)
    DashedEdge(dc, false, lastY, r.Left, r.Left, r.Right, left, right, color, pixels);
  if (r.Left >= left && r.Left < right)
    DashedEdge(dc, true, r.Left, r.Top, r.Top + 1, lastY, top, bottom, color, pixels);
  if (lastX != r.Left && lastX >= left && lastX < right)
    DashedEdge(dc, true, lastX, r.Top, r.Top + 1, lastY, top, bottom, color, pixels);
}

void FillPixelRect(QPainter* dc, const TRect& r, const QBrush& brush) {
  if (!dc || r.IsEmpty()) return;
  dc->fillRect(ToQRect(r), brush);
}

void TextOutAt(QPainter* dc, int x, int y, const QString& text) {
  if (!dc) return;
  dc->drawText(QPoint(x, y + dc->fontMetrics().ascent()), text);
}

int DrawTextQtFlags(uint32_t format) {
  int flags = 0;
  if (format & dtCenter)
    flags |= Qt::AlignHCenter;
  else if (format & dtRight)
    flags |= Qt::AlignRight;
  else
    flags |= Qt::AlignLeft;
  // Vertical placement applies only to single lines, as on the platform.
  if ((format & dtSingleLine) && (format & dtVCenter))
    flags |= Qt::AlignVCenter;
  else if ((format & dtSingleLine) && (format & dtBottom))
    flags |= Qt::AlignBottom;
  else
    flags |= Qt::AlignTop;
  if (format & dtSingleLine)
    flags |= Qt::TextSingleLine;
  else if (format & dtWordBreak)
    flags |= Qt::TextWordWrap;
  if (format & dtExpandTabs) flags |= Qt::TextExpandTabs;
  if (format & dtNoClip) flags |= Qt::TextDontClip;
  if (!(format & dtNoPrefix)) flags |= Qt::TextShowMnemonic;
  return flags;
}

int DrawTextFormatted(QPainter* dc, TRect* rect, const QString& text, uint32_t format) {
  if (!dc || !rect) return 0;
  const int flags = DrawTextQtFlags(format);
  const QRect box = ToQRect(*rect);
  if (format & dtCalcRect) {
    const int width = (format & dtWordBreak) && box.width() > 0 ? box.width() : 1 << 20;
    const QRect need = dc->fontMetrics().boundingRect(QRect(box.left(), box.top(), width, 1 << 20), flags, text);
    rect->Right = rect->Left + need.width();
    rect->Bottom = rect->Top + need.height();
    return need.height();
  }
  QRect used;
  dc->drawText(box, flags, text, &used);
  return used.height();
}
