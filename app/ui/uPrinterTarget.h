// Printing on a QPrinter the window has set up (printer, paper, or a PDF file
// when no printer is installed). The printable area in whole millimetres is
// what the document tiles its pages by.
#pragma once

#include <QPainter>

#include "uPrintTarget.h"

class QPrinter;

class TPrinterTarget final : public TPrintTarget {
 public:
  // `printer` is not owned and must outlive the target.
  explicit TPrinterTarget(QPrinter* printer);
  ~TPrinterTarget() override;

  QSize PageSizeMM() const override;
  bool BeginJob(const QString& title) override;
  bool NewPage() override;
  bool EndJob() override;
  void AbortJob() override;
  QPainter* Painter() override { return &FPainter; }

 private:
  QPrinter* FPrinter;
  QPainter FPainter;
};

// Whether a printer is installed (otherwise printing goes to a PDF file).
bool PrinterAvailable();
// Sets `printer` up to write the PDF file `path` with the paper and PDF
// margins of the print settings.
void SetUpPdfPrinter(QPrinter* printer, const QString& path);
