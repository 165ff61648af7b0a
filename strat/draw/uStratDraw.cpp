#include "uStratDraw.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <optional>

#include "uComPtr.h"
#include "uEmfDocument.h"
#include "uEmfPlayer.h"
#include "uNumbers.h"
#include "uRect.h"
#include "uSignTileCache.h"

namespace {
// Each block plays the whole picture. A page at 600 dpi holds some 60,000 blocks of a 1 mm
// sign; beyond this many in one call the remaining blocks are not drawn.
constexpr int64_t kMaxBlocksPerCall = 65536;

// The rectangle a field drawn on a raster device stays inside (DrawFieldInside), in the
// painter's logical pixels; null when none. A layer of a column draws thousands of times a
// repaint, and a clip saved, set and restored for each costs more than its signs' fills.
struct TFieldBounds {
  const QPainter* Painter;
  QRect Rect;
};
thread_local const TFieldBounds* tBounds = nullptr;
// Blocks played from their pictures on this thread: an image of a field holding such blocks
// may not look the same at another place (stratDrawFieldImage).
thread_local uint64_t tPlayedBlocks = 0;

// Keeps what `dc` draws inside `bounds`, when there are bounds, for as long as it lives.
class TBoundsClip {
 public:
  TBoundsClip(QPainter* dc, const QRect* bounds) : FPainter(bounds ? dc : nullptr) {
    if (!FPainter) return;
    FPainter->save();
    FPainter->setClipRect(*bounds, Qt::IntersectClip);
  }
  ~TBoundsClip() {
    if (FPainter) FPainter->restore();
  }
  TBoundsClip(const TBoundsClip&) = delete;
  TBoundsClip& operator=(const TBoundsClip&) = delete;

 private:
  QPainter* FPainter;
};

// The range of block indexes along one axis whose blocks may touch [low, high):
// block i spans [start + step * i, start + step * i + size).
struct TIndexRange {
  int64_t First, Last;  // inclusive; First > Last when none
};

TIndexRange VisibleRange(int32_t count, double start, double step, double size, double low, double high) {
  if (count < 1) return {0, -1};
  const int64_t last = count - 1;
  if (step == 0) return {0, 0};  // every block lies on the first one
  double a = (low - size - start) / step;
  double b = (high - start) / step;
  if (a > b) std::swap(a, b);
  const double first = std::max<double>(0, std::floor(a));
  const double stop = std::min<double>(static_cast<double>(last), std::ceil(b));
  if (!(first <= stop)) return {0, -1};
  return {static_cast<int64_t>(first), static_cast<int64_t>(stop)};
}

// Draws the blocks in `cols` x `rows` from the picture's block image on a raster device:
// through one repeating brush where the blocks neither overlap nor paint outside themselves,
// else one image per block in the order of playing. False when the metafile must be played.
// With `bounds`, nothing lands outside them: the repeating fill is cut to them, the images
// drawn one by one go under a clip.
bool DrawBlocksFromImage(QPainter* dc, const TEmfDocument& picture, const TBlockLayout& b, TIndexRange cols,
                         TIndexRange rows, double left0, double top0, double stepX, double stepY, const QRect* bounds) {
  if (!TSignTileCache::RasterTarget(dc)) return false;
  const int64_t columns = cols.Last - cols.First + 1;
  const int64_t rowCount = rows.Last - rows.First + 1;
  // A repeating brush when the blocks are spaced (one block along an axis needs no period),
  // and not so far apart that no tile could hold the period.
  const double maxPeriod = static_cast<double>(TSignTileCache::kMaxImagePixels);
  const bool repeat = (columns > 1 || rowCount > 1) && (columns == 1 || (b.GapX >= 0 && stepX <= maxPeriod)) &&
                      (rowCount == 1 || (b.GapY >= 0 && stepY <= maxPeriod));
  const int32_t periodX = !repeat ? 0 : columns > 1 ? static_cast<int32_t>(stepX) : b.Width;
  const int32_t periodY = !repeat ? 0 : rowCount > 1 ? static_cast<int32_t>(stepY) : b.Height;
  const TSignTileCache::TTiles tiles = TSignTileCache::Shared().Tiles(picture, b.Width, b.Height, periodX, periodY, dc);
  const TSignBlockImage& block = tiles.Block;
  if (!block.Usable) return false;
  if (block.Image.isNull()) return true;  // the picture paints nothing
  const double left = left0 + stepX * static_cast<double>(cols.First);
  const double top = top0 + stepY * static_cast<double>(rows.First);
  if (tiles.Brush.style() != Qt::NoBrush) {
    QRectF area(left, top, stepX * static_cast<double>(columns - 1) + b.Width,
                stepY * static_cast<double>(rowCount - 1) + b.Height);
    // Whole pixels on both sides: the cut fills what a clip to the bounds would let through.
    if (bounds) area &= QRectF(*bounds);
    if (area.isEmpty()) return true;
    // The pattern starts at the first block, wherever the painter's brush origin was.
    const QPoint origin = dc->brushOrigin();
    dc->setBrushOrigin(QPointF(left, top));
    dc->fillRect(area, tiles.Brush);
    dc->setBrushOrigin(origin);
    return true;
  }
  const TBoundsClip clip(dc, bounds);
  for (int64_t r = 0; r < rowCount; ++r)
    for (int64_t c = 0; c < columns; ++c)
      dc->drawImage(QPointF(left + stepX * static_cast<double>(c) + block.Offset.x(),
                            top + stepY * static_cast<double>(r) + block.Offset.y()),
                    block.Image);
  return true;
}
}  // namespace

TBlockLayout ComputeBlockLayout(double widthMM, double heightMM, const TStratPlacement& item, double kx, double ky) {
  TBlockLayout layout;
  layout.Width = RoundEven(widthMM * kx);
  layout.Height = RoundEven(heightMM * ky);
  layout.GapX = RoundEven(item.SpaceX * kx);
  layout.GapY = RoundEven(item.SpaceY * ky);
  layout.OffsetX = RoundEven(item.OffsetX * kx);
  layout.OffsetY = RoundEven(item.OffsetY * ky);
  return layout;
}

void DrawSignBlocks(QPainter* dc, const TEmfDocument& picture, double widthMM, double heightMM,
                    const TStratPlacement& item, int32_t x0, int32_t y0, double scale) {
  if (!dc || !(scale > 0) || item.CountX < 1 || item.CountY < 1) return;
  QPaintDevice* device = dc->device();
  if (!device) return;
  const double kx = device->logicalDpiX() / 25.4 * scale;
  const double ky = device->logicalDpiY() / 25.4 * scale;
  const TBlockLayout b = ComputeBlockLayout(widthMM, heightMM, item, kx, ky);
  if (b.Width <= 0 || b.Height <= 0) return;  // an empty block shows nothing

  const double left0 = static_cast<double>(x0) + b.OffsetX;
  const double top0 = static_cast<double>(y0) + b.OffsetY;
  const double stepX = static_cast<double>(b.GapX) + b.Width;
  const double stepY = static_cast<double>(b.GapY) + b.Height;

  // Only the blocks near what can be painted: the device's area and the clip, or the clip
  // alone on a device without a size. A picture may reach a little past its frame, hence one
  // block of slack.
  bool invertible = true;
  const QTransform toLogical = dc->deviceTransform().inverted(&invertible);
  if (!invertible) return;  // every block collapses onto a line: nothing shows
  std::optional<QRectF> area;
  if (device->width() > 0 && device->height() > 0)
    area = toLogical.mapRect(QRectF(0, 0, device->width(), device->height()));
  if (dc->hasClipping()) area = area ? (*area & dc->clipBoundingRect()) : dc->clipBoundingRect();
  const QRect* bounds = tBounds && tBounds->Painter == dc ? &tBounds->Rect : nullptr;
  if (bounds) area = area ? (*area & QRectF(*bounds)) : QRectF(*bounds);
  TIndexRange cols{0, item.CountX - 1};
  TIndexRange rows{0, item.CountY - 1};
  if (area) {
    if (area->isEmpty()) return;
    const double slackX = b.Width + 2.0;
    const double slackY = b.Height + 2.0;
    cols = VisibleRange(item.CountX, left0, stepX, b.Width, area->left() - slackX, area->right() + slackX);
    rows = VisibleRange(item.CountY, top0, stepY, b.Height, area->top() - slackY, area->bottom() + slackY);
  } else {
    if (stepX == 0) cols.Last = 0;
    if (stepY == 0) rows.Last = 0;
  }
  if (cols.First > cols.Last || rows.First > rows.Last) return;
  const int64_t visible = (cols.Last - cols.First + 1) * (rows.Last - rows.First + 1);
  if (visible <= kMaxBlocksPerCall &&
      DrawBlocksFromImage(dc, picture, b, cols, rows, left0, top0, stepX, stepY, bounds))
    return;

  const TBoundsClip clip(dc, bounds);
  ++tPlayedBlocks;
  // Whatever the device says, a damaged count must not stall the drawing.
  int64_t budget = kMaxBlocksPerCall;
  for (int64_t r = rows.First; r <= rows.Last; ++r) {
    const double top = top0 + stepY * static_cast<double>(r);
    for (int64_t c = cols.First; c <= cols.Last; ++c) {
      if (budget-- == 0) return;
      const double left = left0 + stepX * static_cast<double>(c);
      PlayEmf(dc, picture, QRectF(left, top, b.Width, b.Height));
    }
  }
}

void DrawFieldItem(const TStratPlacement& item, QPainter* dc, int32_t x0, int32_t y0, double scale,
                   IStratDataBase* database) {
  TComPtr<IStratSign> sign;
  if (database->FindByName(item.SignName, sign.Put()) != S_OK || !sign) return;
  sign->Draw(dc, item, x0, y0, scale);
}

HRESULT DrawFieldInside(IStratField* field, QPainter* dc, const QRect& bounds, int32_t x0, int32_t y0, int32_t pass,
                        double scale, IStratDataBase* database) {
  if (!field || !dc) return E_INVALIDARG;
  if (!TSignTileCache::RasterTarget(dc)) {
    const TBoundsClip clip(dc, &bounds);
    return field->Draw(dc, x0, y0, pass, scale, database);
  }
  // A field drawn from within a sign's drawing keeps the outer bounds as well.
  const TFieldBounds* outer = tBounds;
  TFieldBounds inner{dc, outer && outer->Painter == dc ? (outer->Rect & bounds) : bounds};
  tBounds = &inner;
  const HRESULT hr = field->Draw(dc, x0, y0, pass, scale, database);
  tBounds = outer;
  return hr;
}

KERNO_EXPORT bool stratRasterPainter(const QPainter* dc) { return TSignTileCache::RasterTarget(dc); }

KERNO_EXPORT HRESULT stratDrawFieldInside(IStratField* field, QPainter* dc, const TRect& bounds, int32_t x0, int32_t y0,
                                          int32_t pass, double scale, IStratDataBase* database) {
  const QRect rect(bounds.Left, bounds.Top, bounds.Right - bounds.Left, bounds.Bottom - bounds.Top);
  return DrawFieldInside(field, dc, rect, x0, y0, pass, scale, database);
}

KERNO_EXPORT uint64_t stratPlayedBlocks() { return tPlayedBlocks; }

KERNO_EXPORT HRESULT stratDrawFieldImage(IStratField* field, QImage* image, int32_t pass, double scale,
                                         IStratDataBase* database, int32_t renderHints) {
  if (!field || !image || image->isNull()) return E_INVALIDARG;
  QPainter painter(image);
  painter.setRenderHints(painter.renderHints(), false);
  painter.setRenderHints(QPainter::RenderHints(renderHints), true);
  const uint64_t played = tPlayedBlocks;
  const HRESULT hr = DrawFieldInside(field, &painter, image->rect(), 0, 0, pass, scale, database);
  if (hr != S_OK) return hr;
  return tPlayedBlocks == played ? S_OK : S_FALSE;
}
