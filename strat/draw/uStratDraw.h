// The block layout of signs and the drawing of fields.
#pragma once

#include <cstdint>

#include "strat.h"

class QPainter;
class QRect;
class TEmfDocument;

// Block geometry in device pixels, each value rounded to nearest with ties to even.
struct TBlockLayout {
  int32_t Width, Height;     // one block
  int32_t GapX, GapY;        // between neighbouring blocks
  int32_t OffsetX, OffsetY;  // from the rectangle's corner to the first block
};

// kx, ky: pixels per millimetre.
TBlockLayout ComputeBlockLayout(double widthMM, double heightMM, const TStratPlacement& item, double kx, double ky);

// Plays `picture` into every block of `item`: rows outer, columns inner; block
// (c, r) has its left edge at x0 + OffsetX + (GapX + Width) * c. Blocks that
// cannot reach the painter's device or its clip are skipped (the result looks
// the same); one call plays at most 65,536 blocks.
void DrawSignBlocks(QPainter* dc, const TEmfDocument& picture, double widthMM, double heightMM,
                    const TStratPlacement& item, int32_t x0, int32_t y0, double scale);

// Draws one item with the sign of its name from `database` (nothing when the sign is missing).
void DrawFieldItem(const TStratPlacement& item, QPainter* dc, int32_t x0, int32_t y0, double scale,
                   IStratDataBase* database);

// Draws the items of `pass` as field->Draw does, with nothing painted outside `bounds` (the
// painter's logical pixels), as a clip to them would show it. On a raster device the blocks'
// fills are cut to the bounds and the painter's clip is left alone (a clip set and restored
// per layer of a column costs more than the layer's signs); elsewhere the field draws under
// that clip, so vector output keeps it.
HRESULT DrawFieldInside(IStratField* field, QPainter* dc, const QRect& bounds, int32_t x0, int32_t y0, int32_t pass,
                        double scale, IStratDataBase* database);
