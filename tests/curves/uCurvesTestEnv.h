// Test environment of the depth scale: program folder, settings and a
// scripted user on a temporary folder; a deep parent owning the depth mapping
// as a body does; a recording page of exactly 10 pixels per millimetre; a
// string table made from rows of cells.
#pragma once

#include <gtest/gtest.h>

#include <QPainter>
#include <QStringList>
#include <memory>
#include <vector>

#include "uPrintDeepScale.h"
#include "uPrintDiagramm.h"
#include "uRecordingDevice.h"
#include "uScratchEnvTest.h"
#include "uStringTable.h"
#include "uTestDeepBody.h"

class TCurvesTest : public TScratchEnvTest {
 protected:
  TCurvesTest() { UseScratchAsProgramDir(); }
};

class TTestBody : public TTestDeepBody {
 public:
  explicit TTestBody(uint16_t scale = 200, double startDepth = 0)
      : TTestDeepBody({kindDeepScale, kindDiagramm, kindObjectRuller}, scale, startDepth) {}
  TPrintDeepScale* AddScale(double left, double top, double right, double bottom) {
    return Add<TPrintDeepScale>(TBoundsRect{left, top, right, bottom});
  }
  // A curve at `left` with samples from `start` every `step` metres.
  TPrintDiagramm* AddCurve(double left, double start, double step, std::vector<double> values) {
    TPrintDiagramm* c = Add<TPrintDiagramm>();
    c->SetLeft(left);
    c->SetTop(DepthToPage(start));
    c->SetSamples(start, step, std::move(values));
    c->Changed();
    return c;
  }
};

struct TRecordingPage {
  TRecordingDevice Device{QSize(3000, 3000), 254};
  QPainter Painter{&Device};
  TDrawContext Context(uint32_t options = doBorders) {
    TDrawContext c;
    c.DC = &Painter;
    c.Options = options;
    c.ClipRect = {0, 0, 3000, 3000};
    return c;
  }
  // Rows of the horizontal lines, in drawing order.
  std::vector<int> MarkRows() const {
    std::vector<int> rows;
    for (const TRecordedItem* l : Device.Lines())
      if (l->Line.y1() == l->Line.y2()) rows.push_back(int(l->Line.y1()));
    return rows;
  }
  QStringList Texts() const {
    QStringList out;
    for (const TRecordedItem* t : Device.Texts()) out << t->Text;
    return out;
  }
};

inline TRuller MakeRuller(double step, double modulus, double mark, bool right, bool font) {
  TRuller r;
  r.SetModulus(modulus);
  r.SetStep(step);
  r.SetMarkSize(mark);
  r.SetRight(right);
  if (!font) r.RemoveFont();
  return r;
}

inline QStringList TextForms(const TRullerList& rulers) {
  QStringList out;
  for (const TRuller& r : rulers) out << r.ToText();
  return out;
}

// A table of `rows`, as many columns as the first row has (a curve's source
// or a column's import).
inline std::unique_ptr<TStringTable> MakeTable(const std::vector<QStringList>& rows) {
  auto t = std::make_unique<TStringTable>();
  t->SetColCount(static_cast<int>(rows.front().size()));
  t->SetRowCount(static_cast<int>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (int c = 0; c < rows[r].size(); ++c) t->SetCell(c, static_cast<int>(r), rows[r][c]);
  return t;
}

// An interval table as the interval import gives one: the column names as
// headers, every row data.
inline std::unique_ptr<TStringTable> MakeIntervals(const QStringList& names, const std::vector<QStringList>& rows) {
  auto t = MakeTable(rows);
  for (int c = 0; c < names.size(); ++c) t->SetHeader(c, names[c]);
  return t;
}
