#include "uCurveReadout.h"

#include <QStringList>
#include <cmath>

#include "uCurveOutline.h"
#include "uNumbers.h"
#include "uPrintDiagramm.h"
#include "uPrintDiagrams.h"

QString CurveReadout(TPrintObject* object, double depth) {
  const TPrintDiagrams* column = nullptr;
  for (TPrintObject* o = object; o && !column; o = o->Parent()) column = dynamic_cast<const TPrintDiagrams*>(o);
  if (!column || !std::isfinite(depth)) return {};
  QStringList values;
  for (const TPrintDiagramm* curve : column->Curves()) {
    if (curve->SampleCount() == 0) continue;
    const double v = curve->ValueAt(depth);
    const bool missing = IsMissingSample(v, curve->NullValue()) || !std::isfinite(v);
    QString item = curve->Name() + QLatin1Char(' ');
    item += missing ? QStringLiteral("–") : QString::fromStdString(FormatSignificant(v, 4));
    const QString unit = CurveUnit(curve);
    if (!unit.isEmpty() && !missing) item += QLatin1Char(' ') + unit;
    values << item;
  }
  return values.join(QStringLiteral("   "));
}
