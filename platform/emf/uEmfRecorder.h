// A paint device whose paint engine writes what QPainter draws as EMF records (libUEMF).
#pragma once

#include <QPaintDevice>
#include <QSizeF>
#include <memory>

#include "uEmfDocument.h"

class TEmfPaintEngine;

class TEmfRecorder : public QPaintDevice {
 public:
  // sizeMM: the picture's size in millimetres (frame rectangle = sizeMM * 100);
  // dpi: the resolution of the recording's device units.
  explicit TEmfRecorder(QSizeF sizeMM, int dpi = 96);
  ~TEmfRecorder() override;
  TEmfRecorder(const TEmfRecorder&) = delete;
  TEmfRecorder& operator=(const TEmfRecorder&) = delete;

  QPaintEngine* paintEngine() const override;
  // Call after QPainter::end(): the finished document (nullptr on failure, or while painting).
  std::unique_ptr<TEmfDocument> Finish();

  QSizeF SizeMM() const { return SizeMM_; }
  int Dpi() const { return Dpi_; }
  // Device pixels of the picture (sizeMM at dpi).
  int WidthPx() const;
  int HeightPx() const;

 protected:
  int metric(PaintDeviceMetric metric) const override;

 private:
  QSizeF SizeMM_;
  int Dpi_;
  std::unique_ptr<TEmfPaintEngine> Engine_;
};
