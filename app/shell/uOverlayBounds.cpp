#include "uOverlayBounds.h"

#include <QPaintEngine>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

// Beyond so many pieces the region is one rectangle around them all: a
// region of thousands of rectangles costs more than the pixels it saves.
constexpr size_t kMaxPieces = 64;

}  // namespace

class TOverlayBoundsEngine final : public QPaintEngine {
 public:
  explicit TOverlayBoundsEngine(TOverlayBounds* device) : QPaintEngine(QPaintEngine::AllFeatures), FDevice(device) {}

  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  Type type() const override { return QPaintEngine::User; }

  void updateState(const QPaintEngineState& state) override {
    const QPaintEngine::DirtyFlags dirty = state.state();
    if (dirty & DirtyTransform) FTransform = state.transform();
    if (dirty & DirtyPen) {
      const QPen pen = state.pen();
      const double width = pen.style() == Qt::NoPen ? 0 : std::max(1.0, pen.widthF());
      FMargin = static_cast<int>(std::ceil(width / 2)) + 1;
    }
    if (dirty & DirtyBrush) FFilled = state.brush().style() != Qt::NoBrush;
    if (dirty & DirtyClipEnabled) FClipped = state.isClipEnabled();
    if (dirty & (DirtyClipRegion | DirtyClipPath)) {
      if (dirty & DirtyClipRegion) FClip = FTransform.map(state.clipRegion()).boundingRect();
      if (dirty & DirtyClipPath) FClip = FTransform.map(state.clipPath()).boundingRect().toAlignedRect();
      FClipped = state.clipOperation() != Qt::NoClip;
    }
  }

  void drawRects(const QRectF* rects, int count) override {
    for (int i = 0; i < count; ++i) Add(rects[i]);
  }
  void drawRects(const QRect* rects, int count) override {
    for (int i = 0; i < count; ++i) Add(QRectF(rects[i]));
  }
  void drawLines(const QLineF* lines, int count) override {
    for (int i = 0; i < count; ++i) Add(QRectF(lines[i].p1(), lines[i].p2()).normalized());
  }
  void drawLines(const QLine* lines, int count) override {
    for (int i = 0; i < count; ++i) Add(QRectF(QPointF(lines[i].p1()), QPointF(lines[i].p2())).normalized());
  }
  void drawEllipse(const QRectF& rect) override { Add(rect); }
  void drawEllipse(const QRect& rect) override { Add(QRectF(rect)); }
  void drawPath(const QPainterPath& path) override { Add(path.boundingRect()); }
  void drawPoints(const QPointF* points, int count) override {
    for (int i = 0; i < count; ++i) Add(QRectF(points[i], QSizeF(0, 0)));
  }
  void drawPoints(const QPoint* points, int count) override {
    for (int i = 0; i < count; ++i) Add(QRectF(QPointF(points[i]), QSizeF(0, 0)));
  }
  // An unfilled outline of a few points (an object's frame) covers its edges,
  // not its box: a frame as tall as the window would otherwise have the whole
  // column copied back at every move. Curves reach here with thousands of
  // points: their box, without a copy.
  void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override { AddPolygon(points, count, mode); }
  void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override { AddPolygon(points, count, mode); }
  void drawPixmap(const QRectF& r, const QPixmap&, const QRectF&) override { Add(r); }
  void drawImage(const QRectF& r, const QImage&, const QRectF&, Qt::ImageConversionFlags) override { Add(r); }
  void drawTiledPixmap(const QRectF& r, const QPixmap&, const QPointF&) override { Add(r); }
  void drawTextItem(const QPointF& p, const QTextItem& item) override {
    Add(QRectF(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent()));
  }

 private:
  static constexpr int kMaxEdges = 16;
  template <class Point>
  void AddPolygon(const Point* points, int count, PolygonDrawMode mode) {
    if (count <= 0) return;
    if ((mode != PolylineMode && FFilled) || count > kMaxEdges) return Add(Box(points, count));
    for (int i = 1; i < count; ++i) Add(Box2(points[i - 1], points[i]));
    if (mode != PolylineMode || count == 1) Add(Box2(points[count - 1], points[0]));
  }
  template <class Point>
  static QRectF Box2(const Point& a, const Point& b) {
    return QRectF(QPointF(a), QPointF(b)).normalized();
  }
  template <class Point>
  static QRectF Box(const Point* points, int count) {
    if (count <= 0) return {};
    double left = points[0].x(), right = left, top = points[0].y(), bottom = top;
    for (int i = 1; i < count; ++i) {
      left = std::min<double>(left, points[i].x());
      right = std::max<double>(right, points[i].x());
      top = std::min<double>(top, points[i].y());
      bottom = std::max<double>(bottom, points[i].y());
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
  }
  void Add(const QRectF& rect) {
    QRect r = FTransform.mapRect(rect).toAlignedRect().adjusted(-FMargin, -FMargin, FMargin, FMargin);
    if (FClipped) r = r.intersected(FClip);
    FDevice->Add(r);
  }

  TOverlayBounds* FDevice;
  QTransform FTransform;
  QRect FClip;
  bool FClipped = false;
  bool FFilled = true;  // until the painter says otherwise: a box is never too small
  int FMargin = 2;
};

TOverlayBounds::TOverlayBounds(QSize size, int dpiX, int dpiY)
    : FSize(size), FDpiX(dpiX), FDpiY(dpiY), FEngine(std::make_unique<TOverlayBoundsEngine>(this)) {}

TOverlayBounds::~TOverlayBounds() = default;

QPaintEngine* TOverlayBounds::paintEngine() const { return FEngine.get(); }

int TOverlayBounds::metric(PaintDeviceMetric metric) const {
  switch (metric) {
    case PdmWidth:
      return FSize.width();
    case PdmHeight:
      return FSize.height();
    case PdmWidthMM:
      return static_cast<int>(std::lround(FSize.width() * 25.4 / FDpiX));
    case PdmHeightMM:
      return static_cast<int>(std::lround(FSize.height() * 25.4 / FDpiY));
    case PdmNumColors:
      return 1 << 24;
    case PdmDepth:
      return 32;
    case PdmDpiX:
    case PdmPhysicalDpiX:
      return FDpiX;
    case PdmDpiY:
    case PdmPhysicalDpiY:
      return FDpiY;
    case PdmDevicePixelRatio:
      return 1;
    case PdmDevicePixelRatioScaled:
      return static_cast<int>(devicePixelRatioFScale());
    default:
      return 0;
  }
}

void TOverlayBounds::Add(const QRect& rect) {
  if (rect.isEmpty()) return;
  ++FCount;
  if (FRects.size() < kMaxPieces) {
    FRects.push_back(rect);
    return;
  }
  // Too many pieces: one rectangle around them all.
  QRect all = rect;
  for (const QRect& r : FRects) all = all.united(r);
  FRects.assign(1, all);
}
