// One playback of a metafile onto a QPainter. The records are played by family, each in its
// own unit: state (uEmfPlayState.cpp), paths and shapes (uEmfPlayShapes.cpp), bitmaps
// (uEmfPlayBitmaps.cpp) and text (uEmfText.cpp); uEmfPlayer.cpp walks the records and holds
// what every family draws through (clipping, raster operations, pens and fills).
#pragma once

#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QTransform>
#include <cmath>
#include <cstdint>
#include <optional>

#include "uEmfDocument.h"
#include "uEmfPlayerState.h"
#include "uEmfRecords.h"

namespace emf {

inline bool Finite(double v) { return std::isfinite(v); }

class TEmfPlayback {
 public:
  // device: the reference device -> the painter's device.
  TEmfPlayback(QPainter* painter, const TEmfDocument& doc, const QTransform& device);
  // Plays the records up to EOF; false when one of them stopped playback.
  bool Run();

 private:
  // A family's answer for a record: nothing when the record is not of its family, otherwise
  // whether playback goes on (false: malformed or beyond what we play).
  using TPlayed = std::optional<bool>;
  bool Record(uint32_t type, TEmfCursor& c);
  TPlayed ShapeRecord(uint32_t type, TEmfCursor& c);
  TPlayed StateRecord(uint32_t type, TEmfCursor& c);
  TPlayed TextRecord(uint32_t type, TEmfCursor& c);
  TPlayed BitmapRecord(uint32_t type, TEmfCursor& c);

  // ---- coordinates and shared readers (uEmfPlayer.cpp) ----
  QTransform L2D() const { return S_.LogicalToDevice(); }
  QPointF Map(QPointF p) const { return L2D().map(p); }
  static QRectF ReadRect(TEmfCursor& c, size_t off);
  static bool ReadPoints(TEmfCursor& c, size_t off, uint32_t count, bool small, QPolygonF* out);
  // A RGNDATA of cb bytes at off, as a path in the record's coordinates.
  static bool ReadRegion(TEmfCursor& c, size_t off, uint32_t cb, QPainterPath* out);

  // ---- what every family draws through (uEmfPlayer.cpp) ----
  void ApplyClip();
  void CombineClip(const QPainterPath& region, uint32_t mode);
  // Sets the composition mode for the DC's ROP2; false when nothing is to be drawn.
  bool SetRop2(QColor* forced);
  QPen CurrentPen(double scale) const;
  // Fills and/or strokes a path given in reference-device coordinates with the DC's objects.
  void DrawDevicePath(QPainterPath path, bool fill, bool stroke);

  // ---- paths and shapes (uEmfPlayShapes.cpp) ----
  void Shape(const QPainterPath& logical);
  void Poly(uint32_t type, const QPolygonF& pts);
  static size_t AppendTo(QPainterPath* p, const QPolygonF& pts, qsizetype first, bool bezier, const QTransform& m);
  QPainterPath ArcPath(const QRectF& boxIn, QPointF start, QPointF end, int kind, QPointF* arcStart,
                       QPointF* arcEnd) const;
  void Arc(TEmfCursor& c, uint32_t type);
  bool PolyPoly(TEmfCursor& c, uint32_t type);
  bool PolyDraw(TEmfCursor& c, uint32_t type);
  bool AngleArc(TEmfCursor& c);
  void EndPath(uint32_t type);
  bool WidenPath();
  bool RegionRecord(TEmfCursor& c, uint32_t type);
  void FillRegion(const QPainterPath& dev, const TEmfBrush& brush);

  // ---- state: mapping, modes, objects, clipping (uEmfPlayState.cpp) ----
  bool WorldTransform(TEmfCursor& c, uint32_t type);
  bool CreatePen(TEmfCursor& c);
  bool ExtCreatePen(TEmfCursor& c);
  bool CreateBrush(TEmfCursor& c);
  bool CreatePatternBrush(TEmfCursor& c, bool mono);
  bool SelectClipRegion(TEmfCursor& c);

  // ---- bitmaps (uEmfPlayBitmaps.cpp) ----
  void Blit(QRectF dest, const QImage& image, QRectF src, uint32_t rop, double opacity);
  bool PlayBlt(TEmfCursor& c, uint32_t type);
  bool PlayStretchDibits(TEmfCursor& c);
  bool PlaySetDibitsToDevice(TEmfCursor& c);

  QPainter* P_;
  const TEmfDocument& Doc_;
  TEmfPlayerState S_;
  QTransform Device_;  // reference device -> painter device
  double DeviceScale_ = 1;
  bool RasterOps_ = false;
  std::optional<QPainterPath> InitialClip_;
};

}  // namespace emf
