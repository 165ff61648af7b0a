// Where printed pages go: a printer, a PDF file, or a test's recorder. The
// document prints through this interface only, so the model needs no widget
// and no print dialog; the window makes the target from the printer the user
// chose, the command line makes a PDF one.
#pragma once

#include <QSize>
#include <QString>

class QPainter;

class TPrintTarget {
 public:
  virtual ~TPrintTarget() = default;
  // The printable area of one page in whole millimetres.
  virtual QSize PageSizeMM() const = 0;
  // Starts the job; the painter draws the first page afterwards. False when
  // nothing can be printed.
  virtual bool BeginJob(const QString& title) = 0;
  // Finishes the current page and starts the next one.
  virtual bool NewPage() = 0;
  // Completes the job; false when its output could not be finished.
  virtual bool EndJob() = 0;
  // Abandons a started job: nothing of it stays.
  virtual void AbortJob() = 0;
  // The painter of the current page, between BeginJob and EndJob.
  virtual QPainter* Painter() = 0;
};

// How a document is cut into printed pages: the printable page, the overlap
// of neighbouring pages and the shift of the printout, all in whole mm.
struct TPageTiling {
  int PageWidth = 0;
  int PageHeight = 0;
  int Overlap = 0;
  int ShiftX = 0;
  int ShiftY = 0;

  // A page of the given size with the overlap and shifts of the print settings.
  static TPageTiling FromSettings(QSize pageMM);
  // How far one page column (row) lies from the next. An overlap that would
  // leave no step (as wide as the page or wider) counts as none.
  int StepX() const;
  int StepY() const;
};

// Pages needed along one axis for `extent` mm: ceil((extent - page + shift) /
// step + 1), at least 1 for anything of positive extent (a document narrower
// than the overlap still prints), at most kMaxPagesPerAxis (a damaged size
// must not ask for millions of pages), 0 for nothing to print.
inline constexpr int kMaxPagesPerAxis = 10000;
int PagesAlong(double extent, int page, int step, int shift);
