#include "uPrinterTarget.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>

#include "uPdfPrintTarget.h"

TPrinterTarget::TPrinterTarget(QPrinter* printer) : FPrinter(printer) {}

TPrinterTarget::~TPrinterTarget() { AbortJob(); }

QSize TPrinterTarget::PageSizeMM() const {
  if (!FPrinter) return {};
  // The device's printable area, as the page tiling counts it: whole mm.
  const QRectF area = FPrinter->pageRect(QPrinter::Millimeter);
  return QSize(static_cast<int>(std::floor(area.width() + 1e-6)), static_cast<int>(std::floor(area.height() + 1e-6)));
}

bool TPrinterTarget::BeginJob(const QString& title) {
  if (!FPrinter || !FPrinter->isValid()) return false;
  FPrinter->setDocName(title);
  if (!FPainter.begin(FPrinter)) return false;
  FPainter.setRenderHint(QPainter::NonCosmeticBrushPatterns, true);
  return true;
}

bool TPrinterTarget::NewPage() { return FPainter.isActive() && FPrinter->newPage(); }

bool TPrinterTarget::EndJob() { return FPainter.isActive() && FPainter.end(); }

void TPrinterTarget::AbortJob() {
  if (!FPainter.isActive()) return;
  FPrinter->abort();
  FPainter.end();
}

bool PrinterAvailable() { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

void SetUpPdfPrinter(QPrinter* printer, const QString& path) {
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(path);
  printer->setPageLayout(PrintLayoutFromSettings());
}
