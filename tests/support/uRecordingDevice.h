// A paint device for tests that keeps what QPainter draws instead of pixels.
// Every primitive is recorded in device pixels (the painter's transform is
// applied), with the pen, brush, background, clip, composition mode and
// opacity in force, so a test can state "the 10 m mark is a line from
// (x1, y) to (x2, y)" instead of comparing images.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLineF>
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QRegion>
#include <QSize>
#include <QString>
#include <QTransform>
#include <memory>
#include <string>
#include <vector>

enum class TRecordKind { Line, Rect, Ellipse, Polygon, Path, Point, Text, Image };

// What was in force when a primitive was drawn.
struct TRecordedState {
  QColor PenColor;
  double PenWidth = 0;        // as set on the pen (0 = cosmetic hairline)
  double PenDeviceWidth = 0;  // in device pixels: cosmetic pens are not scaled
  Qt::PenStyle PenStyle = Qt::SolidLine;
  QList<qreal> DashPattern;  // in pen widths, as QPen reports it; empty for solid lines
  bool Cosmetic = false;
  Qt::PenCapStyle Cap = Qt::SquareCap;
  Qt::PenJoinStyle Join = Qt::BevelJoin;
  Qt::BrushStyle BrushStyle = Qt::NoBrush;
  QColor BrushColor;
  Qt::BGMode BackgroundMode = Qt::TransparentMode;
  QColor BackgroundColor;
  bool Clipped = false;
  QRectF ClipRect;        // bounding rectangle of the clip, device pixels
  QPainterPath ClipPath;  // the exact clip, device pixels
  QRegion ClipRegion;     // the clip as QPainter reports it, mapped to device pixels
  QPainter::CompositionMode Composition = QPainter::CompositionMode_SourceOver;
  double Opacity = 1;
  QTransform Transform;  // logical -> device
};

struct TRecordedPathElement {
  QPainterPath::ElementType Type;
  QPointF Point;  // device pixels
};

struct TRecordedItem {
  TRecordKind Kind = TRecordKind::Line;
  TRecordedState State;

  // Line.
  QLineF Line;
  // Rect, Ellipse, Image target, Path, Polygon, Text: bounding rectangle in device pixels.
  QRectF Rect;
  // Rect, Ellipse, Image: the four mapped corners; Polygon: its points.
  QPolygonF Polygon;
  // Polygon: false for polylines. Path: whether the last subpath is closed.
  bool Closed = false;
  QPaintEngine::PolygonDrawMode PolygonMode = QPaintEngine::OddEvenMode;
  Qt::FillRule FillRule = Qt::OddEvenFill;
  // Path: each subpath as a polygon (curves flattened), and the element list.
  QList<QPolygonF> Polygons;
  std::vector<TRecordedPathElement> PathElements;
  // Point.
  QPointF Point;

  // Text.
  QString Text;
  QPointF TextPos;   // logical, as QPainter handed it to the engine (the baseline start)
  QPointF Baseline;  // TextPos in device pixels
  QString FontFamily;
  int FontPixelSize = -1;       // as set on the font, -1 when set in points
  double FontPointSize = -1;    // as set on the font, -1 when set in pixels
  double FontDevicePixels = 0;  // em height in device pixels (device dpi and transform applied)
  int FontWeight = QFont::Normal;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  // Rotation of the baseline in degrees, as QPainter::rotate takes it
  // (clockwise on screen positive), in (-180, 180].
  double Angle = 0;
  double TextWidth = 0;  // advance along the baseline, device pixels
  double Ascent = 0;     // device pixels
  double Descent = 0;

  // Image (drawImage, drawPixmap, drawTiledPixmap).
  QSizeF SourceSize;  // the part of the source drawn
  QSize ImageSize;    // the whole source
  bool Pixmap = false;
  bool Tiled = false;

  // One readable line for failure messages.
  std::string Describe() const;
};

class TRecordingEngine;

class TRecordingDevice : public QPaintDevice {
 public:
  // A device of `size` pixels at `dpi` logical dots per inch; the physical
  // dpi is the logical one unless given.
  explicit TRecordingDevice(QSize size = QSize(1000, 1000), int dpi = 96, int physicalDpi = 0);
  ~TRecordingDevice() override;

  void SetSize(QSize size) { FSize = size; }
  void SetDpi(int logical, int physical = 0);

  QPaintEngine* paintEngine() const override;

  const std::vector<TRecordedItem>& Items() const { return FItems; }
  void Clear() { FItems.clear(); }

  std::vector<const TRecordedItem*> OfKind(TRecordKind kind) const;
  std::vector<const TRecordedItem*> Lines() const { return OfKind(TRecordKind::Line); }
  std::vector<const TRecordedItem*> Rects() const { return OfKind(TRecordKind::Rect); }
  std::vector<const TRecordedItem*> Texts() const { return OfKind(TRecordKind::Text); }
  size_t Count(TRecordKind kind) const { return OfKind(kind).size(); }

  // The first line between the two points (either direction) within
  // `tolerance` device pixels at both ends, or null.
  const TRecordedItem* FindLine(QPointF a, QPointF b, double tolerance = 0.5) const;
  // The first line from (x1, y) to (x2, y).
  const TRecordedItem* FindHorizontalLine(double x1, double x2, double y, double tolerance = 0.5) const;
  // The first item of `kind` whose bounding rectangle in device pixels
  // matches `rect` within `tolerance` on every edge, or null.
  const TRecordedItem* FindRect(const QRectF& rect, double tolerance = 0.5, TRecordKind kind = TRecordKind::Rect) const;
  // The first text item whose string equals `text`, or null.
  const TRecordedItem* FindText(const QString& text) const;
  // Text items whose string contains `part`.
  std::vector<const TRecordedItem*> TextsContaining(const QString& part) const;

  // Every record, one per line, numbered.
  std::string Dump() const;

 protected:
  int metric(PaintDeviceMetric metric) const override;

 private:
  friend class TRecordingEngine;
  QSize FSize;
  int FDpi;
  int FPhysicalDpi;
  std::vector<TRecordedItem> FItems;
  std::unique_ptr<TRecordingEngine> FEngine;
};

const char* RecordKindName(TRecordKind kind);

// Writes `image` as `name` (".png" appended when missing) into the current
// working directory, for looking at a rendering by eye; returns the path or
// an empty string when it could not be written.
QString SaveDebugPng(const QImage& image, const QString& name);
