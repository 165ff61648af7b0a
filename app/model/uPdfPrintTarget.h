// Printing into a PDF file: one PDF page per printed page. Works without a
// display or a printer (QPdfWriter is part of QtGui). The file is written
// beside its target and renamed over it only when the whole job completed.
#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <memory>

#include "uPrintTarget.h"

class QPdfWriter;
class QSaveFile;

class TPdfPrintTarget final : public TPrintTarget {
 public:
  // Pages of `size` without margins (a PDF page is printable to its edges),
  // drawn at `dpi` device pixels per inch.
  TPdfPrintTarget(const QString& path, const QPageSize& size,
                  QPageLayout::Orientation orientation = QPageLayout::Portrait, int dpi = 600);
  ~TPdfPrintTarget() override;

  QSize PageSizeMM() const override;
  bool BeginJob(const QString& title) override;
  bool NewPage() override;
  bool EndJob() override;
  void AbortJob() override;
  QPainter* Painter() override { return &FPainter; }

  int PagesWritten() const { return FPages; }
  // Why the job failed, for the caller's message.
  QString ErrorText() const { return FError; }

 private:
  QString FPath;
  QPageSize FSize;
  QPageLayout::Orientation FOrientation;
  int FDpi;
  std::unique_ptr<QSaveFile> FFile;
  std::unique_ptr<QPdfWriter> FWriter;
  QPainter FPainter;
  int FPages = 0;
  QString FError;
};

// The paper of the print settings: "PRINT"/"PAPER" names it ("A4", "A3",
// "A5", "Letter", "Legal") or gives its size in mm ("210x297"); A4 when it is
// missing or not understood.
QPageSize PrintPaperFromSettings();
// "PRINT"/"ORIENTATION": "LANDSCAPE" (any case) turns the paper; portrait otherwise.
QPageLayout::Orientation PrintOrientationFromSettings();
