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
class TSettings;

class TPdfPrintTarget final : public TPrintTarget {
 public:
  static constexpr int kDefaultDpi = 600;

  // Pages of `size` drawn at `dpi` device pixels per inch. The printable area
  // is the page less `marginsMM` (none by default: a PDF page is printable to
  // its edges); margins that would leave less than 10 mm are dropped.
  TPdfPrintTarget(const QString& path, const QPageSize& size,
                  QPageLayout::Orientation orientation = QPageLayout::Portrait, int dpi = kDefaultDpi,
                  const QMarginsF& marginsMM = QMarginsF());
  // Pages of `layout`'s paper, orientation and margins (in mm).
  TPdfPrintTarget(const QString& path, const QPageLayout& layout, int dpi = kDefaultDpi);
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
  QMarginsF FMargins;
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
// "PRINT"/"MARGINS": the unprinted edges of a PDF page in mm, as one number for
// all four or "left;top;right;bottom"; 10 mm each when missing or not
// understood, so that a sheet made without a printer does not print up to the
// paper's edge.
QMarginsF PrintMarginsFromSettings();
QMarginsF PrintMarginsFromSettings(const TSettings& settings);
// `text` as "PRINT"/"MARGINS" holds it; false (and `margins` untouched) when
// it is not one number or four, or a margin is negative or beyond 1 m.
bool ParsePrintMargins(const QString& text, QMarginsF* margins);
// `marginsMM` when they leave at least 10 mm of the page both ways, no margins
// otherwise (as every PDF page of that paper gets them).
QMarginsF MarginsWithin(const QPageSize& size, QPageLayout::Orientation orientation, const QMarginsF& marginsMM);
// The page of the print settings: their paper and orientation, and their PDF
// margins where they leave a page.
QPageLayout PrintLayoutFromSettings();
// The text "PRINT"/"MARGINS" keeps for `margins`.
QString PrintMarginsText(const QMarginsF& margins);
// Keeps the paper, orientation and margins of `layout` in the print settings,
// where the three readers above find them.
void KeepPrintLayoutInSettings(const QPageLayout& layout);
