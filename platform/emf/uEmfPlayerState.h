// The device-context state of EMF playback: graphic objects, the object table, the mapping
// from logical coordinates to the metafile's reference device, clipping and the path.
#pragma once

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace emf {

struct TEmfPen {
  uint32_t Style = 0;  // full GDI style word (style, caps, joins, type)
  double Width = 0;    // logical units (0: one device pixel)
  QColor Color = Qt::black;
  bool Cosmetic = true;            // one device pixel whatever the width
  std::vector<double> UserDashes;  // PS_USERSTYLE entries in logical units (or pixels)
  bool IsNull() const { return (Style & 0xF) == 5; }
};

struct TEmfBrush {
  enum TKind { kSolid, kNull, kHatch, kPattern };
  TKind Kind = kSolid;
  QColor Color = Qt::white;
  uint32_t Hatch = 0;
  QImage Pattern;           // kPattern
  bool Monochrome = false;  // colours come from text and background colours at use
};

struct TEmfFont {
  int32_t Height = 0, Width = 0, Escapement = 0, Orientation = 0, Weight = 400;
  bool Italic = false, Underline = false, StrikeOut = false;
  uint8_t CharSet = 0;
  QString Face;
};

struct TEmfOther {};  // palettes, colour spaces: held so indexes stay valid, never drawn
using TEmfObject = std::variant<std::monostate, TEmfPen, TEmfBrush, TEmfFont, TEmfOther>;

// Everything SAVEDC saves.
struct TEmfDC {
  uint32_t MapMode = 1;
  QPointF WindowOrg, ViewportOrg;
  QSizeF WindowExt{1, 1}, ViewportExt{1, 1};
  QTransform World;
  TEmfPen Pen;
  TEmfBrush Brush;
  TEmfFont Font;
  uint32_t BkMode = 2;  // OPAQUE
  QColor BkColor = Qt::white;
  QColor TextColor = Qt::black;
  uint32_t TextAlign = 0;
  uint32_t PolyFillMode = 1;  // ALTERNATE
  uint32_t Rop2 = 13;         // R2_COPYPEN
  uint32_t ArcDirection = 1;  // AD_COUNTERCLOCKWISE
  double MiterLimit = 10;
  QPointF CurPos;  // logical
  QPointF BrushOrg;
  std::optional<QPainterPath> Clip;  // reference-device coordinates; none: unclipped
};

class TEmfPlayerState {
 public:
  // pxPerMM: the reference device's resolution, for the metric map modes.
  TEmfPlayerState(double pxPerMMX, double pxPerMMY, uint32_t handles);

  TEmfDC Dc;

  // Logical -> reference device.
  QTransform PageTransform() const;
  QTransform LogicalToDevice() const { return Dc.World * PageTransform(); }
  // Length scale of the logical-to-device mapping (for pen widths and font heights).
  double LogicalScale() const;

  void SetMapMode(uint32_t mode);
  // Pictures nest a few saved states; a file of bare SAVEDC records must not fill memory with
  // copies of the DC, so deeper nesting is refused.
  static constexpr size_t kMaxSavedStates = 1024;
  // False (nothing saved) when kMaxSavedStates states are held already.
  bool SaveDC();
  // relative < 0 pops that many levels; > 0 restores the absolute level. False when invalid.
  bool RestoreDC(int32_t relative);

  // Object table of the header's size, grown as objects are stored (a header may claim 65535
  // slots for a picture that uses three). Indexes outside the table are refused (false).
  bool Store(uint32_t index, TEmfObject object);
  bool Delete(uint32_t index);
  // Selects a table object or a stock object into the DC. False for a bad index.
  bool Select(uint32_t index);
  // The brush at a table or stock index (nullptr when there is none).
  std::optional<TEmfBrush> BrushAt(uint32_t index) const;

  // The path under construction (reference-device coordinates).
  bool InPath = false;
  QPainterPath Path;
  bool PathClosedOff = false;  // ENDPATH seen: Path holds a finished path

  // Default stock objects.
  static TEmfPen StockPen(uint32_t which);
  static TEmfBrush StockBrush(uint32_t which);
  static TEmfFont StockFont(uint32_t which);

 private:
  double PxPerMMX_, PxPerMMY_;
  uint32_t Handles_;                 // slots the header declares, slot 0 included
  std::vector<TEmfObject> Objects_;  // the slots stored so far
  std::vector<TEmfDC> Stack_;
};

// GDI pen -> QPen in reference-device units (scale: logical-to-device length scale;
// minDeviceWidth: below this the pen is drawn as a one-pixel cosmetic line).
QPen MakeQPen(const TEmfPen& pen, double scale, double minDeviceWidth);
// GDI brush -> QBrush (textColor/bkColor for monochrome patterns).
QBrush MakeQBrush(const TEmfBrush& brush, const QColor& textColor, const QColor& bkColor);

QColor ColorRef(uint32_t colorref);

}  // namespace emf
