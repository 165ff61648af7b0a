// A paint device that draws nothing and collects where drawing would land:
// the document area draws its overlays here first, so that a drag outline
// restores and redraws only the pixels the overlays really cover.
#pragma once

#include <QPaintDevice>
#include <QRect>
#include <memory>
#include <vector>

class TOverlayBoundsEngine;

class TOverlayBounds final : public QPaintDevice {
 public:
  // A device of `size` pixels at `dpiX` x `dpiY` (the window's).
  TOverlayBounds(QSize size, int dpiX, int dpiY);
  ~TOverlayBounds() override;

  // The pixels drawn so far: the bounding box of each primitive, pens
  // included (they may overlap).
  const std::vector<QRect>& Rects() const { return FRects; }
  // Primitives drawn so far.
  int Count() const { return FCount; }

  QPaintEngine* paintEngine() const override;

 protected:
  int metric(PaintDeviceMetric metric) const override;

 private:
  friend class TOverlayBoundsEngine;
  void Add(const QRect& rect);

  QSize FSize;
  int FDpiX;
  int FDpiY;
  std::vector<QRect> FRects;
  int FCount = 0;
  std::unique_ptr<TOverlayBoundsEngine> FEngine;
};
