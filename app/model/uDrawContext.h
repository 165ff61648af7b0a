// The drawing context every object draws into, and the GDI-style drawing
// helpers over QPainter. The painter's world transform stays the identity:
// objects compute device pixels themselves with the one page mapping below.
#pragma once

#include <QBrush>
#include <QColor>
#include <QPen>
#include <QRect>
#include <QString>
#include <algorithm>
#include <cstdint>

#include "uRect.h"

class QPainter;
class TPrintObject;

// Colours are stored as the platform's 0x00BBGGRR.
QColor ColorRefToQColor(uint32_t color);
uint32_t QColorToColorRef(const QColor& color);

// The Qt form of a pixel rectangle (width and height from the exclusive edges).
// Edges far beyond any device (sizes from a damaged file) are held where Qt's
// rectangle arithmetic cannot overflow.
inline int32_t DeviceEdge(int32_t v) { return std::clamp<int32_t>(v, -(1 << 28), 1 << 28); }
inline QRect ToQRect(const TRect& r) {
  const int32_t left = DeviceEdge(r.Left);
  const int32_t top = DeviceEdge(r.Top);
  return QRect(left, top, DeviceEdge(r.Right) - left, DeviceEdge(r.Bottom) - top);
}

// Options of a drawing context.
enum TDrawOption : uint32_t {
  doFrames = 1,       // editor outlines of objects
  doBorders = 2,      // printable borders of objects whose Border is set
  doSelection = 4,    // selection marks
  doBackground = 8,   // page background (drawn by the document area)
  doPageBounds = 16,  // page boundaries (drawn by the document area)
  doScreen = 32       // the editor's window, not a printed page or an exported picture
};

// A context's page-to-pixel mapping with its factors worked out once, for
// callers that map many positions: the very numbers of PixelX and PixelY.
struct TPixelMapping {
  double OriginX = 0;
  double OriginY = 0;
  double Kx = 0;
  double Ky = 0;
  double Zoom = 1;
  int32_t X(double mm) const;
  int32_t Y(double mm) const;
};

// The sheets a print cuts the page into along y. Sheet j shows page mm
// [First + j * Step, First + j * Step + Height); the one being drawn is Index.
// Inactive on screens and in pictures.
struct TPrintedPages {
  bool Active = false;
  int32_t First = 0;
  int32_t Step = 0;
  int32_t Height = 0;
  int32_t Index = 0;
};

struct TDrawContext {
  QPainter* DC = nullptr;
  int32_t OriginX = 0;  // page mm shown at the device's left edge
  int32_t OriginY = 0;  // page mm shown at the device's top edge
  float Zoom = 1.0f;
  TRect ClipRect;  // device pixels being repainted
  uint32_t Options = 0;
  // An object (with its children) the drawing leaves out: the document area
  // keeps the marks of everything but a dragged object between mouse moves.
  const TPrintObject* Skip = nullptr;
  // Set while printing: texts keep their lines whole on one sheet.
  TPrintedPages Pages;

  // Logical dots per inch of the painter's device (96 without a device).
  int DpiX() const;
  int DpiY() const;
  // Pixels per millimetre, rounded to single precision.
  float Kx() const { return static_cast<float>(DpiX() / 25.4); }
  float Ky() const { return static_cast<float>(DpiY() / 25.4); }
  // Page millimetres to device pixels, rounded to nearest, ties to even.
  int32_t PixelX(double mm) const { return Pixels().X(mm); }
  int32_t PixelY(double mm) const { return Pixels().Y(mm); }
  TPixelMapping Pixels() const;
  // Device pixels back to page millimetres (mouse positions).
  double PageX(double pixel) const;
  double PageY(double pixel) const;
  // A length in mm as a pixel count (no origin), ties to even.
  int32_t LengthX(double mm) const;
  int32_t LengthY(double mm) const;
  bool Has(uint32_t option) const { return (Options & option) != 0; }
};

// GDI pen styles.
enum TPenStyleCode : int { psSolid = 0, psDash = 1, psDot = 2, psDashDot = 3, psDashDotDot = 4, psClear = 5 };

// A cosmetic pen: width in pixels (0 and 1 are one pixel). As with the
// platform's simple pens, dash styles apply only to pens of one pixel; wider
// dashed pens draw solid.
QPen CosmeticPen(const QColor& color, int style = psSolid, int width = 1);
// A geometric pen: dashes at any width, flat ends and mitred joins.
QPen GeometricPen(const QColor& color, int style, int width);

// GDI hatch styles (brush style 2).
enum THatchCode : int {
  hsHorizontal = 0,
  hsVertical = 1,
  hsFDiagonal = 2,
  hsBDiagonal = 3,
  hsCross = 4,
  hsDiagCross = 5
};
enum TBrushStyleCode : int { bsSolid = 0, bsClear = 1, bsHatched = 2 };
QBrush GdiBrush(const QColor& color, int style = bsSolid, int hatch = hsHorizontal);

// Outline of a pixel rectangle with the painter's current pen: the right and
// bottom lines lie one pixel inside, on the last pixels the rectangle covers.
void DrawOutline(QPainter* dc, const TRect& r);
// The same outline dashed (4 pixels on, 2 off) in `color`, only within `clip`
// (device pixels). On a raster image without scaling the dashes are copied
// from a strip of them instead of stroked: Qt strokes a dashed line a pixel at
// a time, which for a column as tall as the window costs more than the rest
// of a mouse move together.
void DrawDashedOutline(QPainter* dc, const TRect& r, const TRect& clip, const QColor& color);
// A filled rectangle with the current brush and no outline (GDI FillRect).
void FillPixelRect(QPainter* dc, const TRect& r, const QBrush& brush);
// Text whose top-left corner (of the line's cell, ascent included) is at x, y.
void TextOutAt(QPainter* dc, int x, int y, const QString& text);

// GDI DrawText format flags.
enum TDrawTextFlag : uint32_t {
  dtLeft = 0x0,
  dtCenter = 0x1,
  dtRight = 0x2,
  dtVCenter = 0x4,
  dtBottom = 0x8,
  dtWordBreak = 0x10,
  dtSingleLine = 0x20,
  dtExpandTabs = 0x40,
  dtNoClip = 0x100,
  dtCalcRect = 0x400,
  dtNoPrefix = 0x800,
};
// Qt alignment and text flags for GDI DrawText flags.
int DrawTextQtFlags(uint32_t format);
// DrawText: draws `text` inside `rect` (or, with dtCalcRect, only measures it
// and widens/lowers rect to the text's extent); returns the text's height.
int DrawTextFormatted(QPainter* dc, TRect* rect, const QString& text, uint32_t format);
