// One-pixel runs written straight into the pixels of the image a painter
// draws on. Qt draws a run one pixel wide as one span per row through its
// blending machinery: for the edges of a window-tall outline that is most of
// a drag's mouse move, against one store per row here. Used only where the
// pixels are certain to be Qt's own: an opaque colour on a 32-bit image of
// its own (not shared), device pixel ratio 1, a whole-pixel translation at
// most, no antialiasing, source-over, and a clip of at most one rectangle.
#pragma once

#include <QRect>
#include <QRgb>
#include <cstddef>

class QPainter;

class TDirectPixels {
 public:
  // Not valid (every write refused) where the conditions above do not hold.
  explicit TDirectPixels(QPainter* painter);
  bool Valid() const { return FBits != nullptr; }

  // In the painter's coordinates, both ends included, within its clip; the
  // colour must be opaque. With a dash start, only the pixels whose distance
  // from it is 0-3 modulo 6 are written (4 on, 2 off).
  void Column(int x, int top, int bottom, QRgb color) const;
  void Row(int y, int left, int right, QRgb color) const;
  void DashedColumn(int x, int top, int bottom, int dashStart, QRgb color) const;
  void DashedRow(int y, int left, int right, int dashStart, QRgb color) const;

 private:
  // The device range of a run, clipped; false when nothing is left.
  bool Clip(int* at, int* from, int* to, bool column) const;

  unsigned char* FBits = nullptr;
  std::ptrdiff_t FStride = 0;
  int FDx = 0;
  int FDy = 0;
  QRect FClip;  // device pixels
};
