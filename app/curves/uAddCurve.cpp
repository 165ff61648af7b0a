#include "uAddCurve.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "uIniFile.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPrintDiagramm.h"
#include "uPrintDiagrams.h"
#include "uStringTable.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double Number(const QString& text) { return ReadNumber(text.trimmed().toStdString(), kNaN); }
bool IsNumber(const QString& text) { return !std::isnan(Number(text)); }

// The measure "kerno.ini" keeps for a name; empty when it keeps none.
QString RememberedMeasure(const TIniFile& ini, const QString& name) {
  const QString measure = ini.ReadString(name, QStringLiteral("SCALE.MEASUREMENT"), QString());
  return IsNumber(measure) ? measure : QString();
}

}  // namespace

QStringList CurveColumnCaptions(const TStringTable& table) {
  QStringList result;
  for (int j = 0; j < table.ColCount(); ++j) {
    const QString head = table.RowCount() > 0 ? table.GetCell(j, 0) : QString();
    result << (head.isEmpty() ? TranslateWord(QStringLiteral("Column")) + QString::number(j)
                              : QStringLiteral("%1 (%2)").arg(head).arg(j));
  }
  return result;
}

void ChooseCurveColumn(const TStringTable& table, int column, TAddCurveChoice* choice) {
  choice->Column = column;
  choice->StepText.clear();
  if (column < 0 || column >= table.ColCount()) return;
  const QString head = table.GetCell(column, 0);
  if (IsNumber(head)) {
    choice->FirstRow = 0;
    choice->Name.clear();
  } else {
    choice->FirstRow = 1;
    choice->Name = head;
  }
  if (column == 0) return;
  const QString t0 = table.GetCell(0, 0), t1 = table.GetCell(0, 1), t2 = table.GetCell(0, 2);
  double step = kNaN;
  if (IsNumber(t0) && IsNumber(t1))
    step = Number(t1) - Number(t0);
  else if (!IsNumber(t0) && IsNumber(t1) && IsNumber(t2))
    step = Number(t2) - Number(t1);
  if (std::isnan(step)) return;
  step = std::nearbyint(step * 1000) / 1000;
  choice->StepText = QString::fromStdString(FormatGeneral(step));
}

void LoadRememberedCurve(const QString& name, TAddCurveChoice* choice) {
  TIniFile ini(CurveDefaultsFileName());
  if (const QString measure = RememberedMeasure(ini, name); !measure.isEmpty()) choice->MeasureText = measure;
  choice->Color =
      static_cast<uint32_t>(ini.ReadInteger(name, QStringLiteral("COLOR"), static_cast<int32_t>(choice->Color)));
  choice->Interpolate = ini.ReadBool(name, QStringLiteral("INTERPOLATE"), false);
}

bool RemembersMeasure(const QString& name) {
  return !name.isEmpty() && !RememberedMeasure(TIniFile(CurveDefaultsFileName()), name).isEmpty();
}

std::pair<double, double> ColumnValueRange(const TStringTable& table, int column, int firstRow) {
  std::vector<double> values;
  if (column >= 0 && column < table.ColCount())
    for (int r = std::max(firstRow, 0); r < table.RowCount(); ++r)
      // The curve's missing value is no value (ImportColumn leaves a gap).
      if (const double v = Number(table.GetCell(column, r)); v != kDefaultNullValue) values.push_back(v);
  return ValueRange(values);
}

std::pair<double, double> ValueRange(const std::vector<double>& values) {
  double least = kNaN;
  double most = kNaN;
  for (const double v : values) {
    if (!std::isfinite(v)) continue;
    if (!(v >= least)) least = v;
    if (!(v <= most)) most = v;
  }
  return {least, most};
}

double FittingMeasure(double maxValue, double widthMm) {
  if (!(maxValue > 0) || !std::isfinite(maxValue) || !(widthMm > 0) || !std::isfinite(widthMm)) return 0;
  const double wanted = maxValue * 10 / widthMm;  // value per cm that just fits
  const double decade = std::pow(10.0, std::floor(std::log10(wanted)));
  for (const double step : {1.0, 2.0, 5.0, 10.0})
    if (step * decade >= wanted * (1 - 1e-9)) return step * decade;
  return 10 * decade;
}

double FittingMeasureForRange(double low, double high, double widthMm) {
  if (!(low < 0) || !std::isfinite(low)) return FittingMeasure(high, widthMm);
  const double top = std::isfinite(high) ? std::max(high, 0.0) : 0.0;
  double measure = FittingMeasure(top - low, widthMm);
  // The left edge goes down to a whole measure below `low`, which may need the next step.
  for (int i = 0; i < 4 && measure > 0; ++i) {
    const double from = std::floor(low / measure) * measure;
    if (from + widthMm * measure / 10 >= top * (1 - 1e-9)) break;
    measure = FittingMeasure((top - from) * (1 + 1e-9), widthMm);
  }
  return measure;
}

bool FitCurveAxis(TPrintDiagrammBase* curve, double low, double x0, double x1) {
  if (!curve || curve->Logarithmic() || !(low < 0) || !std::isfinite(low)) return false;
  const double measure = curve->Measure();
  if (!(measure > 0)) return false;
  const double from = std::floor(low / measure) * measure;
  return curve->SetValueRange(from, from + (x1 - x0) * measure / 10, x0, x1);
}

bool CurveChoiceComplete(const TAddCurveChoice& choice) {
  const double step = Number(choice.StepText);
  return !choice.Name.isEmpty() && step > 0 && std::isfinite(step) && IsNumber(choice.MeasureText);
}

TPrintDiagramm* AddCurveFromChoice(TPrintDiagrams* column, const TStringTable& table, const TAddCurveChoice& choice) {
  if (!column || !CurveChoiceComplete(choice) || choice.Column < 0 || choice.Column >= table.ColCount() ||
      table.RowCount() <= choice.FirstRow)
    return nullptr;
  TPrintDiagramm* curve = column->AddEmptyCurve(choice.Name, Number(choice.StepText));
  if (!curve) return nullptr;
  if (!curve->ImportColumn(&table, choice.Column, choice.FirstRow, table.RowCount() - 1)) {
    column->DeleteChild(column->IndexOf(curve));
    return nullptr;
  }
  if (choice.Interpolate) curve->Interpolate();
  curve->Changed();
  curve->SetColor(choice.Color);
  const double measure = Number(choice.MeasureText);
  if (measure != 0 && std::isfinite(measure)) curve->SetMeasure(measure);
  FitCurveAxis(curve, ColumnValueRange(table, choice.Column, choice.FirstRow).first, column->Left(),
               column->Left() + column->GetWidth());
  column->StackAddedHeaders();
  column->SetModified(true);
  TIniFile ini(CurveDefaultsFileName());
  const QString section = table.GetCell(choice.Column, 0);
  ini.WriteString(section, QStringLiteral("SCALE.MEASUREMENT"), choice.MeasureText);
  ini.WriteInteger(section, QStringLiteral("COLOR"), static_cast<int32_t>(choice.Color));
  ini.WriteBool(section, QStringLiteral("INTERPOLATE"), choice.Interpolate);
  return curve;
}
