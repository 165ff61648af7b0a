// Whole pages against reference images: a drawing that changed shows up as a
// failing test with the reference, the actual image and their difference
// side by side.
#pragma once

#include <QImage>
#include <QString>
#include <functional>

class QPaintDevice;

// Pixels of two images of one size with a channel off by more than
// `tolerance`; -1 when the sizes differ.
int CountDifferingPixels(const QImage& a, const QImage& b, int tolerance);

// What `draw` paints when recorded into a QPicture and played back onto a
// white image of `size`: the vector path, to hold a raster shortcut against.
QImage PlayedVectorDrawing(QSize size, const std::function<void(QPaintDevice*)>& draw);

struct TImageComparison {
  bool Matches = false;
  int DifferingPixels = 0;  // pixels with a channel off by more than the tolerance
  QString Message;          // why it failed, naming the images written
};

// Compares `actual` with the PNG at `reference`. A pixel differs when one of
// its channels is off by more than `tolerance` (0-255); the images match when
// they have the same size and at most `allowed` pixels differ. On a mismatch
// (or without a reference) the actual image is written to `outputDir` as
// <name>.actual.png and a picture of reference | actual | difference (changed
// pixels red over a faded reference) as <name>.diff.png, both named in the
// message (<name> is the reference's base name).
// With the environment variable KERNO_UPDATE_REFERENCES=1 a mismatching or
// missing reference is replaced by the actual image instead (after an
// intended change in drawing: look at the new images before committing them).
TImageComparison CompareWithReference(const QImage& actual, const QString& reference, const QString& outputDir,
                                      int tolerance = 48, int allowed = 0);
