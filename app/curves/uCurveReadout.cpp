#include "uCurveReadout.h"

#include <QStringList>
#include <cmath>
#include <vector>

#include "uCurveOutline.h"
#include "uLasFill.h"
#include "uNumbers.h"
#include "uPrintDeepScale.h"
#include "uPrintDiagramm.h"
#include "uPrintDiagrams.h"

namespace {

// The curve columns the readout lists: the one `object` is or lies in; over a
// depth scale, which stands between the tracks, every one of its body.
std::vector<TPrintDiagrams*> ColumnsRead(TPrintObject* object) {
  for (TPrintObject* o = object; o; o = o->Parent())
    if (auto* column = dynamic_cast<TPrintDiagrams*>(o)) return {column};
  if (dynamic_cast<TPrintDeepScale*>(object) && object->Parent()) return FindCurveColumns(object->Parent());
  return {};
}

}  // namespace

QString CurveReadout(TPrintObject* object, double depth) {
  if (!std::isfinite(depth)) return {};
  QStringList values;
  for (const TPrintDiagrams* column : ColumnsRead(object)) {
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
  }
  return values.join(QStringLiteral("   "));
}
