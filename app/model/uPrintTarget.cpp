#include "uPrintTarget.h"

#include <cmath>

#include "uSettings.h"

TPageTiling TPageTiling::FromSettings(QSize pageMM) {
  TPageTiling t;
  t.PageWidth = pageMM.width();
  t.PageHeight = pageMM.height();
  t.Overlap = Settings().PageOverlay();
  t.ShiftX = Settings().PrintShiftX();
  t.ShiftY = Settings().PrintShiftY();
  return t;
}

namespace {
int Step(int page, int overlap) {
  const int step = page - (overlap > 0 ? overlap : 0);
  return step > 0 ? step : page;
}
}  // namespace

int TPageTiling::StepX() const { return Step(PageWidth, Overlap); }

int TPageTiling::StepY() const { return Step(PageHeight, Overlap); }

int PagesAlong(double extent, int page, int step, int shift) {
  if (!(extent > 0) || page <= 0 || step <= 0) return 0;
  const double pages = std::ceil((extent - page + shift) / step + 1);
  if (!(pages >= 1)) return 1;
  if (pages > kMaxPagesPerAxis) return kMaxPagesPerAxis;
  return static_cast<int>(pages);
}
