#include "uImageCompare.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPicture>
#include <algorithm>
#include <cstdlib>

namespace {

bool Differs(QRgb a, QRgb b, int tolerance) {
  return std::abs(qRed(a) - qRed(b)) > tolerance || std::abs(qGreen(a) - qGreen(b)) > tolerance ||
         std::abs(qBlue(a) - qBlue(b)) > tolerance;
}

// Reference, actual and their difference in a row, each 8 pixels apart.
QImage SideBySide(const QImage& reference, const QImage& actual, int tolerance) {
  const int gap = 8;
  const int w = std::max(reference.width(), actual.width());
  const int h = std::max(reference.height(), actual.height());
  QImage difference(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool inReference = x < reference.width() && y < reference.height();
      const bool inActual = x < actual.width() && y < actual.height();
      const QRgb r = inReference ? reference.pixel(x, y) : qRgb(255, 255, 255);
      const QRgb a = inActual ? actual.pixel(x, y) : qRgb(255, 255, 255);
      if (inReference != inActual || Differs(r, a, tolerance)) {
        difference.setPixel(x, y, qRgb(255, 0, 0));
      } else {
        const int grey = 192 + qGray(r) / 4;  // faded: the changes stand out
        difference.setPixel(x, y, qRgb(grey, grey, grey));
      }
    }
  QImage row(3 * w + 2 * gap, h, QImage::Format_RGB32);
  row.fill(qRgb(0, 0, 160));
  QPainter painter(&row);
  painter.drawImage(0, 0, reference);
  painter.drawImage(w + gap, 0, actual);
  painter.drawImage(2 * (w + gap), 0, difference);
  return row;
}

}  // namespace

QImage PlayedVectorDrawing(QSize size, const std::function<void(QPaintDevice*)>& draw) {
  QPicture vectors;
  draw(&vectors);
  QImage played(size, QImage::Format_RGB32);
  played.fill(Qt::white);
  QPainter painter(&played);
  vectors.play(&painter);
  return played;
}

int CountDifferingPixels(const QImage& first, const QImage& second, int tolerance) {
  if (first.size() != second.size()) return -1;
  const QImage a = first.convertToFormat(QImage::Format_RGB32);
  const QImage b = second.convertToFormat(QImage::Format_RGB32);
  int count = 0;
  for (int y = 0; y < a.height(); ++y) {
    const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x) count += Differs(pa[x], pb[x], tolerance);
  }
  return count;
}

TImageComparison CompareWithReference(const QImage& actualImage, const QString& reference, const QString& outputDir,
                                      int tolerance, int allowed) {
  TImageComparison result;
  const QImage actual = actualImage.convertToFormat(QImage::Format_RGB32);
  const QImage expected = QImage(reference).convertToFormat(QImage::Format_RGB32);
  QString why;
  if (expected.isNull()) {
    why = QStringLiteral("no reference image %1").arg(reference);
  } else if (expected.size() != actual.size()) {
    why = QStringLiteral("%1x%2 pixels, the reference %3 has %4x%5")
              .arg(actual.width())
              .arg(actual.height())
              .arg(reference)
              .arg(expected.width())
              .arg(expected.height());
  } else {
    result.DifferingPixels = CountDifferingPixels(actual, expected, tolerance);
    if (result.DifferingPixels <= allowed) {
      result.Matches = true;
      return result;
    }
    why = QStringLiteral("%1 pixels differ from %2 by more than %3 (at most %4 may)")
              .arg(result.DifferingPixels)
              .arg(reference)
              .arg(tolerance)
              .arg(allowed);
  }
  if (qEnvironmentVariableIntValue("KERNO_UPDATE_REFERENCES") == 1) {
    QDir().mkpath(QFileInfo(reference).path());
    if (actualImage.save(reference, "PNG")) {
      result.Matches = true;
      result.Message = QStringLiteral("reference %1 written").arg(reference);
      return result;
    }
  }
  const QString name = QFileInfo(reference).completeBaseName();
  QDir().mkpath(outputDir);
  const QString actualPath = QDir(outputDir).filePath(name + QStringLiteral(".actual.png"));
  const QString diffPath = QDir(outputDir).filePath(name + QStringLiteral(".diff.png"));
  actualImage.save(actualPath, "PNG");
  SideBySide(expected, actual, tolerance).save(diffPath, "PNG");
  result.Message = QStringLiteral("%1; actual image: %2; reference | actual | difference: %3")
                       .arg(why, QFileInfo(actualPath).absoluteFilePath(), QFileInfo(diffPath).absoluteFilePath());
  return result;
}
