// Styled horizontal lines: the boundary line record shared by the lithology
// column, its layers and every object that draws a styled line, and the
// routine that draws one. Also the platform's pen styles for thin lines.
#pragma once

#include <QPen>
#include <cstdint>

class QPainter;
class TLineBatch;

// 16 bytes, copied whole between the column, its layers and the dialogs.
struct TBoundaryLine {
  int32_t Style = 0;       // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot
  int32_t Color = 0;       // 0x00BBGGRR
  double LineWidth = 0.0;  // > 0: mm; < 0: device pixels (-1 = one pixel); 0: no line
};
static_assert(sizeof(TBoundaryLine) == 16, "the boundary line record is 16 bytes");

// The platform's one-pixel pen of a style, with its pixel patterns (dash 18/6,
// dot 3/3, dash-dot 9/6/3/6, dash-dot-dot 9/3/3/3/3/3); style 5 draws nothing,
// unknown styles are solid.
QPen GdiThinPen(int32_t style, uint32_t color);

// Draws the line from x1 to x2 at device row y (device pixels); zoom scales
// widths and dashes given in millimetres. Dashes of wide lines are drawn as
// patterns in millimetres over a white under-line.
void DrawBoundaryLine(QPainter* dc, int x1, int x2, const TBoundaryLine& line, double zoom, int y);

// The lines DrawBoundaryLine would draw, put in `batch` when they all can join it (thin solid
// pens): the white under-line is left out where the line itself covers every pixel of it.
// False, with nothing put in, when the line must be drawn by DrawBoundaryLine.
bool BatchBoundaryLine(TLineBatch& batch, const QPainter* dc, int x1, int x2, const TBoundaryLine& line, double zoom,
                       int y);
