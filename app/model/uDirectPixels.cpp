#include "uDirectPixels.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>

TDirectPixels::TDirectPixels(QPainter* painter) {
  if (!painter || !painter->isActive()) return;
  QPaintDevice* device = painter->device();
  if (!device || device->devType() != QInternal::Image) return;
  auto* image = static_cast<QImage*>(device);
  const QImage::Format format = image->format();
  if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
      format != QImage::Format_ARGB32_Premultiplied)
    return;
  // A shared image would be copied by bits() behind the painter's back.
  if (image->devicePixelRatio() != 1 || !image->isDetached()) return;
  const QPaintEngine* engine = painter->paintEngine();
  if (!engine || engine->type() != QPaintEngine::Raster) return;
  if ((painter->renderHints() & QPainter::Antialiasing) ||
      painter->compositionMode() != QPainter::CompositionMode_SourceOver)
    return;
  // The clip is kept in the painter's coordinates: only a painter drawing on
  // the image itself (no redirection) maps them to pixels by its transform.
  const QTransform& m = painter->transform();
  if (painter->deviceTransform() != m) return;
  if (m.type() > QTransform::TxTranslate || m.dx() != std::floor(m.dx()) || m.dy() != std::floor(m.dy())) return;
  FDx = static_cast<int>(m.dx());
  FDy = static_cast<int>(m.dy());
  FClip = image->rect();
  if (painter->hasClipping()) {
    const QRegion clip = painter->clipRegion();  // in the painter's coordinates
    if (clip.rectCount() > 1) return;
    FClip &= clip.boundingRect().translated(FDx, FDy);
  }
  FStride = image->bytesPerLine();
  FBits = image->bits();
}

bool TDirectPixels::Clip(int* at, int* from, int* to, bool column) const {
  if (!FBits) return false;
  if (column) {
    *at += FDx;
    *from += FDy;
    *to += FDy;
    if (*at < FClip.left() || *at > FClip.right()) return false;
    *from = std::max(*from, FClip.top());
    *to = std::min(*to, FClip.bottom());
  } else {
    *at += FDy;
    *from += FDx;
    *to += FDx;
    if (*at < FClip.top() || *at > FClip.bottom()) return false;
    *from = std::max(*from, FClip.left());
    *to = std::min(*to, FClip.right());
  }
  return *from <= *to;
}

void TDirectPixels::Column(int x, int top, int bottom, QRgb color) const {
  if (!Clip(&x, &top, &bottom, true)) return;
  unsigned char* p = FBits + top * FStride + x * 4;
  for (int y = top; y <= bottom; ++y, p += FStride) *reinterpret_cast<QRgb*>(p) = color;
}

void TDirectPixels::Row(int y, int left, int right, QRgb color) const {
  if (!Clip(&y, &left, &right, false)) return;
  auto* p = reinterpret_cast<QRgb*>(FBits + y * FStride) + left;
  std::fill(p, p + (right - left + 1), color);
}

void TDirectPixels::DashedColumn(int x, int top, int bottom, int dashStart, QRgb color) const {
  const int startY = dashStart + FDy;
  if (!Clip(&x, &top, &bottom, true)) return;
  int phase = ((top - startY) % 6 + 6) % 6;
  unsigned char* p = FBits + top * FStride + x * 4;
  for (int y = top; y <= bottom; ++y, p += FStride) {
    if (phase < 4) *reinterpret_cast<QRgb*>(p) = color;
    if (++phase == 6) phase = 0;
  }
}

void TDirectPixels::DashedRow(int y, int left, int right, int dashStart, QRgb color) const {
  const int startX = dashStart + FDx;
  if (!Clip(&y, &left, &right, false)) return;
  int phase = ((left - startX) % 6 + 6) % 6;
  auto* p = reinterpret_cast<QRgb*>(FBits + y * FStride);
  for (int x = left; x <= right; ++x) {
    if (phase < 4) p[x] = color;
    if (++phase == 6) phase = 0;
  }
}
