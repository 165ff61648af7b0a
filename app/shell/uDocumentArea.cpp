#include "uDocumentArea.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "uAreaPainting.h"
#include "uDrawContext.h"
#include "uHugePageImage.h"
#include "uNumbers.h"
#include "uOverlayBounds.h"
#include "uPrintDocument.h"
#include "uSettings.h"

namespace {

const QColor kCrossColor(0, 0, 192);

// Image resolution in dots per metre for a logical dpi, so that painters on
// the buffer see the window's dpi.
int DotsPerMeter(int dpi) { return static_cast<int>(std::lround(dpi / 0.0254)); }

// Pixels per mm at `dpi` in single precision, as the drawing context has them.
// Out of line: inlined into the two axes' vector arithmetic, the rounding to
// single precision has been seen to vanish (GCC 12, -O2).
[[gnu::noinline]] float PixelsPerMMAt(int dpi) { return static_cast<float>(dpi / 25.4); }

}  // namespace

TDocumentArea::TDocumentArea(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

TDocumentArea::~TDocumentArea() {
  if (FDocument && FDocument->Area() == this) FDocument->SetArea(nullptr);
}

void TDocumentArea::SetDocument(TPrintDocument* document) {
  if (FDocument && FDocument->Area() == this) FDocument->SetArea(nullptr);
  FDocument = document;
  if (FDocument) FDocument->SetArea(this);
  ClampOrigin();
  Repaint();
  emit ViewChanged();
}

// --- TAbstractDocumentArea ---

void TDocumentArea::Repaint() {
  if (FUpdateLock > 0) return;
  Render();
  Present(nullptr);
}

void TDocumentArea::Present(TPrintObject* object) {
  if (FUpdateLock > 0) return;
  EnsureBuffers();
  CopyBufferToScreen(FViewRect);
  const uint32_t overlays = FViewOptions & ~static_cast<uint32_t>(doBorders);
  FOutlineDirty.clear();
  FUnderValid = false;
  FDragBaseValid = false;
  QPainter painter(&FScreen);
  DrawOverlays(&painter, FViewRect, object, overlays);
  DrawCross(&painter);
  update();
}

void TDocumentArea::BeginUpdate() { ++FUpdateLock; }

void TDocumentArea::EndUpdate() {
  if (FUpdateLock > 0) --FUpdateLock;
}

// --- view ---

void TDocumentArea::SetZoom(double zoom) {
  if (!std::isfinite(zoom)) return;
  zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  if (zoom == FZoom) return;
  FZoom = zoom;
  ClampOrigin();
  Repaint();
  emit ViewChanged();
}

void TDocumentArea::FitWidth() {
  if (!FDocument) return;
  constexpr int kMarginMM = 5;
  const double width = FDocument->GetWidth() + 2 * kMarginMM;
  const double window = FViewRect.width() / PixelsPerMM();
  if (!(width > 0) || !(window > 0)) return;
  // Floored to a whole percent, so that the rounding of pixels never pushes the edge out of view.
  SetZoom(std::floor(window / width * 100) / 100);
  SetOriginX(-kMarginMM);
}

void TDocumentArea::SetOriginX(int x) {
  x = std::clamp(x, MinOriginX(), MaxOriginX());
  if (x == FOriginX) return;
  FOriginX = x;
  Repaint();
  emit ViewChanged();
}

void TDocumentArea::SetOriginY(int y) {
  y = std::clamp(y, MinOriginY(), MaxOriginY());
  if (y == FOriginY) return;
  FOriginY = y;
  Repaint();
  emit ViewChanged();
}

void TDocumentArea::SetOrigin(int x, int y) {
  if (FViewRect.isEmpty()) {
    FOriginPending = true;
    FPendingOrigin = QPoint(x, y);
    return;
  }
  const int oldX = FOriginX;
  const int oldY = FOriginY;
  BeginUpdate();
  SetOriginX(x);
  SetOriginY(y);
  EndUpdate();
  if (FOriginX != oldX || FOriginY != oldY) Repaint();
}

int TDocumentArea::WindowMM(int pixels, int dpi) const { return RoundEven(pixels / (dpi / 25.4)); }

int TDocumentArea::MinOriginX() const { return RoundEven(-WindowMM(FViewRect.width(), logicalDpiX()) / FZoom / 2); }

int TDocumentArea::MaxOriginX() const {
  const double width = FDocument ? FDocument->GetWidth() : 0;
  return std::max(MinOriginX(), RoundEven(width - WindowMM(FViewRect.width(), logicalDpiX()) / FZoom / 2));
}

int TDocumentArea::MinOriginY() const { return RoundEven(-WindowMM(FViewRect.height(), logicalDpiY()) / FZoom / 2); }

int TDocumentArea::MaxOriginY() const {
  const double height = FDocument ? FDocument->GetHeight() : 0;
  return std::max(MinOriginY(), RoundEven(height - WindowMM(FViewRect.height(), logicalDpiY()) / FZoom / 2));
}

void TDocumentArea::ClampOrigin() {
  FOriginX = std::clamp(FOriginX, MinOriginX(), MaxOriginX());
  FOriginY = std::clamp(FOriginY, MinOriginY(), MaxOriginY());
}

void TDocumentArea::SetViewOptions(uint32_t options) {
  if (options == FViewOptions) return;
  // Borders and the page background live in the buffer; the rest are overlays.
  const uint32_t rendered = doBorders | doBackground;
  const bool render = (options & rendered) != (FViewOptions & rendered);
  FViewOptions = options;
  if (render)
    Repaint();
  else
    Present(nullptr);
}

void TDocumentArea::SetPageSize(QSize pageMM) {
  if (pageMM == FPageSize) return;
  FPageSize = pageMM;
  Present(nullptr);
}

void TDocumentArea::SetViewRect(const QRect& rect) {
  FViewRect = rect;
  EnsureBuffers();
  if (FOriginPending && !FViewRect.isEmpty()) {
    FOriginPending = false;
    FOriginX = FPendingOrigin.x();
    FOriginY = FPendingOrigin.y();
  }
  ClampOrigin();
  Repaint();
  emit ViewChanged();
}

QPointF TDocumentArea::VisibleOrigin() const {
  const double left = FDocument ? FDocument->Left() : 0;
  const double top = FDocument ? FDocument->Top() : 0;
  return {left + FOriginX, top + FOriginY};
}

double TDocumentArea::PixelsPerMM() const { return PixelsPerMMAt(logicalDpiX()); }

QPointF TDocumentArea::ScreenToPage(QPointF pixel) const {
  const double kx = PixelsPerMMAt(logicalDpiX());
  const double ky = PixelsPerMMAt(logicalDpiY());
  const QPointF origin = VisibleOrigin();
  return {pixel.x() / FZoom / kx + origin.x(), pixel.y() / FZoom / ky + origin.y()};
}

QPoint TDocumentArea::PageToScreen(QPointF mm) const {
  const double kx = PixelsPerMMAt(logicalDpiX());
  const double ky = PixelsPerMMAt(logicalDpiY());
  const QPointF origin = VisibleOrigin();
  return {RoundEven((mm.x() - origin.x()) * kx * FZoom), RoundEven((mm.y() - origin.y()) * ky * FZoom)};
}

// --- overlays ---

void TDocumentArea::ShowDragOutline(TPrintObject* object) {
  EnsureBuffers();
  if (!FDragBaseValid || FDragObject != object) TakeDragBase(object);
  // Only the pixels the last outline covered are put back; the new outline is
  // drawn over them: a mouse move costs the lines of one object, not the
  // window nor a walk through the document.
  const std::vector<QRect> fresh = OverlayPixels([&](QPainter* painter) { DrawOutline(painter, FViewRect, object); });
  QRegion old;
  for (const QRect& r : FOutlineDirty) old += r;
  old &= FViewRect;
  if (FUnderValid)
    RestoreUnderOutline();
  else
    for (const QRect& r : old) CopyToScreen(FDragBase, r);
  QRegion next;
  for (const QRect& r : fresh) next += r;
  next &= FViewRect;
  KeepUnderOutline(next);
  QPainter painter(&FScreen);
  DrawOutline(&painter, FViewRect, object);
  DrawCross(&painter);
  FOutlineDirty = fresh;
  update(old + next);
}

// The edges of a column as tall as the window are a few pixels of every row,
// each row in a memory page of its own: copied into one short run they come
// back at the next move at a fraction of the cost of reading them from the
// kept base, whose rows a redraw elsewhere has long pushed out of the caches.
void TDocumentArea::KeepUnderOutline(const QRegion& region) {
  FUnderValid = false;
  FUnderRects.clear();
  qint64 pixels = 0;
  for (const QRect& r : region) pixels += static_cast<qint64>(r.width()) * r.height();
  // Beyond a strip's worth (every frame of a dragged body) the base is read.
  if (pixels > static_cast<qint64>(FViewRect.width()) * FViewRect.height() / 8) return;
  // Only ever grown: a resize from empty would zero every pixel the copy overwrites next.
  if (FUnderPixels.size() < static_cast<size_t>(pixels)) FUnderPixels.resize(static_cast<size_t>(pixels));
  uint32_t* to = FUnderPixels.data();
  const qsizetype stride = FScreen.bytesPerLine();
  for (const QRect& r : region) {
    const uchar* from = FScreen.constBits() + r.top() * stride + r.left() * 4;
    for (int y = r.top(); y <= r.bottom(); ++y, from += stride, to += r.width())
      std::memcpy(to, from, static_cast<size_t>(r.width()) * 4);
    FUnderRects.push_back(r);
  }
  FUnderValid = true;
}

void TDocumentArea::RestoreUnderOutline() {
  const uint32_t* from = FUnderPixels.data();
  const qsizetype stride = FScreen.bytesPerLine();
  for (const QRect& r : FUnderRects) {
    uchar* to = FScreen.bits() + r.top() * stride + r.left() * 4;
    for (int y = r.top(); y <= r.bottom(); ++y, to += stride, from += r.width())
      std::memcpy(to, from, static_cast<size_t>(r.width()) * 4);
  }
  FUnderValid = false;
}

void TDocumentArea::TakeDragBase(TPrintObject* object) {
  CopyBufferToScreen(FViewRect);
  {
    QPainter painter(&FScreen);
    DrawDragBase(&painter, FViewRect, object);
  }
  if (FDragBase.size() != FScreen.size() || FDragBase.format() != FScreen.format())
    FDragBase = FScreen.copy();
  else
    std::memcpy(FDragBase.bits(), FScreen.constBits(), static_cast<size_t>(FScreen.sizeInBytes()));
  // The window now shows the base alone; the outline comes over it.
  FOutlineDirty.clear();
  FUnderValid = false;
  FDragBaseValid = true;
  FDragObject = object;
  update(FViewRect);
}

void TDocumentArea::CopyToScreen(const QImage& from, const QRect& rect) {
  const QRect r = rect.intersected(from.rect()).intersected(FScreen.rect());
  if (r.isEmpty()) return;
  // Rows by pointer: scanLine() checks for a shared copy at every row, which
  // costs more than copying a narrow strip's row.
  const size_t bytes = static_cast<size_t>(r.width()) * 4;
  const qsizetype fromStride = from.bytesPerLine();
  const qsizetype toStride = FScreen.bytesPerLine();
  const uchar* source = from.constBits() + r.top() * fromStride + r.left() * 4;
  uchar* target = FScreen.bits() + r.top() * toStride + r.left() * 4;
  for (int y = r.top(); y <= r.bottom(); ++y, source += fromStride, target += toStride)
    std::memcpy(target, source, bytes);
}

void TDocumentArea::DrawDragBase(QPainter* painter, const QRect& clip, TPrintObject* object) {
  DrawOverlays(painter, clip, nullptr, (object ? uint32_t{doSelection} : 0u) | (FViewOptions & doPageBounds), object);
}

void TDocumentArea::DrawOutline(QPainter* painter, const QRect& clip, TPrintObject* object) {
  if (!object) return DrawOverlays(painter, clip, nullptr, doFrames);
  DrawOverlays(painter, clip, object, doSelection);
  DrawOverlays(painter, clip, object, doFrames);
}

std::vector<QRect> TDocumentArea::OverlayPixels(const std::function<void(QPainter*)>& draw) const {
  TOverlayBounds bounds(FBuffer.size(), logicalDpiX(), logicalDpiY());
  {
    QPainter painter(&bounds);
    draw(&painter);
  }
  return bounds.Rects();
}

void TDocumentArea::SetCrossX(int x) {
  if (x == FCrossX) return;
  EnsureBuffers();
  FUnderValid = false;  // what the outline covers may change: the next move reads the base
  QPainter painter(&FScreen);
  if (FCrossX >= 0) {
    const QRect strip = QRect(FCrossX, 0, 1, FViewRect.height()).intersected(FViewRect);
    CopyBufferToScreen(strip);
    if (!FQuickMode) DrawOverlays(&painter, strip, nullptr, FViewOptions & ~static_cast<uint32_t>(doBorders));
    if (FCrossY >= 0 && !strip.isEmpty()) {
      painter.setPen(CosmeticPen(kCrossColor));
      painter.drawPoint(FCrossX, FCrossY);
    }
    update(strip);
  }
  FCrossX = x;
  if (FCrossX >= 0) {
    painter.setClipping(false);
    painter.setPen(CosmeticPen(kCrossColor));
    painter.drawLine(FCrossX, FViewRect.top(), FCrossX, FViewRect.bottom());
    update(QRect(FCrossX, 0, 1, height()));
  }
}

void TDocumentArea::SetCrossY(int y) {
  if (y == FCrossY) return;
  EnsureBuffers();
  FUnderValid = false;
  QPainter painter(&FScreen);
  if (FCrossY >= 0) {
    const QRect strip = QRect(0, FCrossY, FViewRect.width(), 1).intersected(FViewRect);
    CopyBufferToScreen(strip);
    if (!FQuickMode) DrawOverlays(&painter, strip, nullptr, FViewOptions & ~static_cast<uint32_t>(doBorders));
    if (FCrossX >= 0 && !strip.isEmpty()) {
      painter.setPen(CosmeticPen(kCrossColor));
      painter.drawPoint(FCrossX, FCrossY);
    }
    update(strip);
  }
  FCrossY = y;
  if (FCrossY >= 0) {
    painter.setClipping(false);
    painter.setPen(CosmeticPen(kCrossColor));
    painter.drawLine(FViewRect.left(), FCrossY, FViewRect.right(), FCrossY);
    update(QRect(0, FCrossY, width(), 1));
  }
}

// --- painting ---

TDrawContext TDocumentArea::Context(QPainter* painter, const QRect& clip) const {
  TDrawContext context;
  context.DC = painter;
  const QPointF origin = VisibleOrigin();
  context.OriginX = RoundEven(origin.x());
  context.OriginY = RoundEven(origin.y());
  context.Zoom = static_cast<float>(FZoom);
  context.ClipRect = TRect{clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1};
  return context;
}

QRect TDocumentArea::DocumentPixels(const TDrawContext& context) const {
  if (!FDocument) return {};
  return ToQRect(FDocument->GetPixelRect(context));
}

void TDocumentArea::EnsureBuffers() {
  const QSize need = FViewRect.size().expandedTo(QSize(1, 1));
  if (FBuffer.width() >= need.width() && FBuffer.height() >= need.height()) return;
  // Growing keeps some room, so that dragging a window's edge does not
  // allocate at every step; shrinking keeps the allocation.
  const QSize size(std::max(FBuffer.width(), need.width() + need.width() / 4),
                   std::max(FBuffer.height(), need.height() + need.height() / 4));
  FBuffer = QImage(size, QImage::Format_RGB32);
  FBuffer.setDotsPerMeterX(DotsPerMeter(logicalDpiX()));
  FBuffer.setDotsPerMeterY(DotsPerMeter(logicalDpiY()));
  FBuffer.fill(QColor(0xC8, 0xC8, 0xC8));
  // The window image is where drag outlines are restored and drawn, a few
  // pixels of every row at each mouse move.
  FScreen = HugePageImage(size, FBuffer.format());
  std::memcpy(FScreen.bits(), FBuffer.constBits(), static_cast<size_t>(FBuffer.sizeInBytes()));
  FScreen.setDotsPerMeterX(FBuffer.dotsPerMeterX());
  FScreen.setDotsPerMeterY(FBuffer.dotsPerMeterY());
  FUnderValid = false;
}

void TDocumentArea::Render() {
  EnsureBuffers();
  FQuickMode = Settings().QuickMode();
  QPainter painter(&FBuffer);
  painter.setClipRect(FViewRect);
  TDrawContext context = Context(&painter, FViewRect);
  context.Options = (FViewOptions & (doBorders | doBackground)) | doScreen;
  const QRect page = DocumentPixels(context);
  if (FViewOptions & doBackground)
    DrawPageBackground(&painter, page, FViewRect);
  else
    painter.fillRect(FViewRect, Qt::white);
  if (FDocument && Settings().Grid())
    DrawGrid(context, page.intersected(FViewRect), GridStep(Settings().Snap(), FZoom));
  painter.setPen(CosmeticPen(Qt::black));
  if (FDocument) FDocument->Draw(context);
  ++FRenderCount;
}

void TDocumentArea::CopyBufferToScreen(const QRect& rect) {
  if (rect.intersected(FBuffer.rect()) == FBuffer.rect()) {
    std::memcpy(FScreen.bits(), FBuffer.constBits(), static_cast<size_t>(FBuffer.sizeInBytes()));
    return;
  }
  CopyToScreen(FBuffer, rect);
}

void TDocumentArea::DrawOverlays(QPainter* painter, const QRect& clip, TPrintObject* object, uint32_t options,
                                 const TPrintObject* skip) {
  if (!FDocument || clip.isEmpty()) return;
  painter->save();
  painter->setClipRect(clip);
  painter->setPen(CosmeticPen(Qt::black));
  painter->setBrush(Qt::NoBrush);
  TDrawContext context = Context(painter, clip);
  // Selection handles reach 2 pixels beyond their object: an object just
  // outside a thin strip still draws into it (the painter clips).
  context.ClipRect = TRect{clip.left() - 3, clip.top() - 3, clip.right() + 4, clip.bottom() + 4};
  context.Options = options & (doFrames | doSelection);
  context.Skip = skip;
  if (context.Options != 0) {
    if (object)
      object->Draw(context);  // selection marks and frames select their own pens
    else
      FDocument->Draw(context);
  }
  // Page boundaries are meaningless without a page to tile by.
  if ((options & doPageBounds) && FPageSize.isValid() && !FPageSize.isEmpty())
    DrawPageBoundaries(context, *FDocument, TPageTiling::FromSettings(FPageSize));
  painter->restore();
}

void TDocumentArea::DrawCross(QPainter* painter) {
  if (FCrossX < 0 && FCrossY < 0) return;
  painter->save();
  painter->setClipping(false);
  painter->setPen(CosmeticPen(kCrossColor));
  if (FCrossX >= 0) painter->drawLine(FCrossX, FViewRect.top(), FCrossX, FViewRect.bottom());
  if (FCrossY >= 0) painter->drawLine(FViewRect.left(), FCrossY, FViewRect.right(), FCrossY);
  painter->restore();
}

void TDocumentArea::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  // One rectangle at a time, each its own clip: through the clip of a region
  // of several rectangles (the edges of a drag outline) Qt blends the image
  // row by row and hands the rows to worker threads, which costs more than
  // the few pixels a mouse move changes.
  for (const QRect& r : event->region()) {
    const QRect shown = r.intersected(FScreen.rect());
    painter.setClipRect(r);
    if (!shown.isEmpty()) painter.drawImage(shown.topLeft(), FScreen, shown);
    // A window larger than the buffer (between a resize and its event) shows grey.
    if (shown != r)
      for (const QRect& part : QRegion(r).subtracted(QRegion(shown))) painter.fillRect(part, QColor(0xC8, 0xC8, 0xC8));
  }
}

void TDocumentArea::resizeEvent(QResizeEvent*) { SetViewRect(rect()); }
