// Helpers for the EMF tests: a tiny record writer, image rendering and pixel comparisons.
#pragma once

#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "uEmfDocument.h"

// Writes EMF records by hand so tests control every field (also malformed ones).
class TEmfBytes {
 public:
  // A header with the given bounds (device pixels) and frame (0.01 mm) on a 96-dpi device.
  TEmfBytes(int widthPx, int heightPx);
  // A record of the given type whose body is the 32-bit words.
  TEmfBytes& Rec(uint32_t type, std::initializer_list<uint32_t> words);
  TEmfBytes& RecBytes(uint32_t type, const std::vector<uint8_t>& body);
  // Appends EOF and fixes nBytes/nRecords.
  std::vector<uint8_t> Finish();
  std::unique_ptr<TEmfDocument> Document();

 private:
  std::vector<uint8_t> B_;
  uint32_t Records_ = 0;
};

void Put32(std::vector<uint8_t>* b, uint32_t v);
uint32_t Rgb(int r, int g, int b);
uint32_t F2U(float f);

// Plays doc into a white image of the given size (antialiasing off unless asked).
QImage Render(const TEmfDocument& doc, int w, int h, bool antialias = false, bool* ok = nullptr);
// Fraction of pixels (0..1) within rect that are close to colour.
double Coverage(const QImage& img, const QRect& rect, QColor color, int tolerance = 40);
// Mean absolute channel difference (0..255) between two images of the same size.
double MeanDifference(const QImage& a, const QImage& b);
// Where rendered images for inspection go (the build's tests folder).
QString OutputDir();
QString SharedData(const QString& sub);
// The public sample folders live beside the repository, not in it; tests that
// read them skip in a clone that has no such folder beside it.
bool HaveSharedData(const QString& sub);
