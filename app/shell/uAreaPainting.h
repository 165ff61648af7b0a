// What the document area paints itself, around and over the objects: the
// page background with its shadow, the snapping grid, and the boundaries of
// the printed pages with their numbers.
#pragma once

#include <QRect>

class QPainter;
class TPrintDocument;
struct TDrawContext;
struct TPageTiling;

// Grid colours: the fine lines at every step, the darker ones at every fifth.
inline constexpr unsigned kGridFineRgb = 0xF0F0F0;
inline constexpr unsigned kGridCoarseRgb = 0xB0B0B0;
// Page boundaries and their labels.
inline constexpr unsigned kPageBoundaryRgb = 0x7F7F7F;

// The grid step in mm: the snapping step doubled until it is at least
// 3 / zoom mm, so the lines never crowd closer than about 3 mm on screen.
// With snapping off (step 0 or less) the grid starts from 1 mm.
double GridStep(double snap, double zoom);

// Fills `view` (device pixels): white over the page rectangle `page` widened by
// 2 pixels, light grey around it, a grey edge one pixel outside the white and
// a 4-pixel shadow along the right and bottom edges.
void DrawPageBackground(QPainter* dc, const QRect& page, const QRect& view);

// Grid lines at every multiple of `step` page mm inside `area` (device pixels,
// normally the page rectangle within the view), then at every fifth multiple
// in the darker colour.
void DrawGrid(const TDrawContext& context, const QRect& area, double step);

// Dashed lines along the edges of every printed page of `document` as the
// tiling cuts it, and "page N" centred in each page, numbered down each
// column of pages first (the printing order). Nothing for an empty tiling.
void DrawPageBoundaries(const TDrawContext& context, const TPrintDocument& document, const TPageTiling& tiling);
