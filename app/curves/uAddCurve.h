// The choices of the add-curve dialog over a loaded table, kept apart from
// the widgets: which column, its name, depth step, measure, colour and
// whether gaps are interpolated.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <utility>
#include <vector>

class TPrintDiagramm;
class TPrintDiagrammBase;
class TPrintDiagrams;
class TStringTable;

struct TAddCurveChoice {
  int Column = -1;
  int FirstRow = 1;  // 0 when row 0 already holds numbers
  QString Name;
  QString StepText;
  QString MeasureText = QStringLiteral("1");
  uint32_t Color = 0;
  bool Interpolate = false;
};

// Each column as its row-0 text and index ("GR (1)"), "Column 3" for an empty one.
QStringList CurveColumnCaptions(const TStringTable& table);
// Choosing a column: its header row (Name, FirstRow) and the depth step
// proposed from column 0 (to the nearest 0.001; empty for column 0 or when
// the first depths are not numbers).
void ChooseCurveColumn(const TStringTable& table, int column, TAddCurveChoice* choice);
// The remembered measure, colour and interpolation of a name ("kerno.ini").
void LoadRememberedCurve(const QString& name, TAddCurveChoice* choice);
// Whether "kerno.ini" remembers a measure for the name.
bool RemembersMeasure(const QString& name);
// The smallest and largest numbers of a table column from `firstRow`, the
// curves' missing value left out; NaN when it holds none.
std::pair<double, double> ColumnValueRange(const TStringTable& table, int column, int firstRow);
// The smallest and largest finite values of `values`; NaN when there are none.
std::pair<double, double> ValueRange(const std::vector<double>& values);
// The measure (value per cm) that puts values up to `maxValue` within
// `widthMm`, rounded up to 1, 2 or 5 times a power of ten; 0 when the values
// or the width give none (the measure then stays as it is).
double FittingMeasure(double maxValue, double widthMm);
// The same for values from `low` to `high`: values below zero count from the
// whole measure below `low` (where FitCurveAxis puts the column's left edge).
double FittingMeasureForRange(double low, double high, double widthMm);
// A new curve with values below zero would draw them left of its zero, at
// the column's left edge, where they are cut off: its axis is laid from the
// whole measure below `low` at the column's left edge. Other curves keep
// their zero at the edge. Returns whether the axis moved.
bool FitCurveAxis(TPrintDiagrammBase* curve, double low, double x0, double x1);
// A name, a step > 0 and a numeric measure.
bool CurveChoiceComplete(const TAddCurveChoice& choice);
// Adds the chosen column as a curve of `column` and remembers its settings
// under the column's header; null when the choice is incomplete or the
// column holds no readable depth.
TPrintDiagramm* AddCurveFromChoice(TPrintDiagrams* column, const TStringTable& table, const TAddCurveChoice& choice);
