#include "uLasFill.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "uLasMatch.h"
#include "uPassportBody.h"
#include "uPrintDiagramm.h"
#include "uPrintDiagrammScale.h"
#include "uPrintDiagrams.h"
#include "uPrintHeader.h"

namespace {

struct TAlias {
  const char* Mnemonic;
  const char* Parameter;
};
constexpr TAlias kAliases[] = {{"FLD", "FIELD"},     {"COMP", "COMPANY"},   {"SRVC", "LOGGING_COMPANY"},
                               {"DATE", "LOG_DATE"}, {"STRT", "TOP_DEPTH"}, {"STOP", "BOTTOM_DEPTH"}};

template <class Visit>
void Walk(TPrintObject* object, Visit visit) {
  if (!object) return;
  visit(object);
  if (TPrintObjectList* list = object->AsObjectList())
    for (int i = 0; i < list->Count(); ++i) Walk(list->GetChild(i), visit);
}

// A depth as files write it ("0.0500000", "136.600") is shown without the
// zeros that say nothing: "0.05", "136.6"; "1450.0" keeps its one decimal.
QString ShortDepthText(const QString& value) {
  static const QRegularExpression number(QStringLiteral("^[-+]?\\d+\\.\\d+$"));
  QString text = value.trimmed();
  if (!number.match(text).hasMatch()) return value;
  while (text.endsWith(QLatin1Char('0')) && text[text.size() - 2] != QLatin1Char('.')) text.chop(1);
  return text;
}

int FindParameter(const TNamedValueList& list, const QString& name) {
  for (int i = 0; i < list.Count(); ++i)
    if (list.At(i).Name.compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

}  // namespace

std::vector<TPrintDiagrams*> FindCurveColumns(TPrintObject* root) {
  std::vector<TPrintDiagrams*> result;
  Walk(root, [&](TPrintObject* o) {
    if (auto* c = dynamic_cast<TPrintDiagrams*>(o)) result.push_back(c);
  });
  return result;
}

std::vector<TPrintDiagramm*> FindDocumentCurves(TPrintObject* root) {
  std::vector<TPrintDiagramm*> result;
  for (TPrintDiagrams* column : FindCurveColumns(root))
    for (TPrintDiagramm* c : column->Curves()) result.push_back(c);
  return result;
}

bool HoldsCurveSamples(TPrintObject* root) {
  const std::vector<TPrintDiagramm*> curves = FindDocumentCurves(root);
  return std::any_of(curves.begin(), curves.end(), [](const TPrintDiagramm* c) { return c->SampleCount() > 0; });
}

int WriteDocumentLas(TPrintObject* root, const QString& fileName, QString* error) {
  std::vector<const TPrintDiagramm*> curves;
  QStringList units;
  for (const TPrintDiagramm* c : FindDocumentCurves(root)) {
    if (c->SampleCount() == 0) continue;
    curves.push_back(c);
    units << CurveUnit(c);
  }
  // WriteLasFile names the want of samples itself.
  return WriteLasFile(fileName, curves, units, WellItemsOf(root), error) ? static_cast<int>(curves.size()) : -1;
}

QString HeadParameterOfMnemonic(const QString& mnemonic) {
  for (const TAlias& a : kAliases)
    if (mnemonic.compare(QLatin1String(a.Mnemonic), Qt::CaseInsensitive) == 0) return QLatin1String(a.Parameter);
  return QString();
}

TLasFillReport FillFromLas(TPrintObject* root, const TLasData& las) {
  TLasFillReport report;
  // The bodies first: their start depth places the curves, and the sheet
  // shows the file's interval (a template's longer one would stay empty).
  size_t rows = 0;
  for (const TLasData::TCurve& c : las.Curves) rows = std::max(rows, c.Samples.size());
  const double length = rows > 1 ? static_cast<double>(rows - 1) * las.Step : 0;
  uint16_t bodyScale = 0;
  Walk(root, [&](TPrintObject* o) {
    auto* body = dynamic_cast<TPassportBody*>(o);
    if (!body || FindCurveColumns(body).empty() || !std::isfinite(las.Start)) return;
    // Layers or texts above the file's top keep the sheet starting at them.
    const double placed = body->PlacedContentDepth();
    const double start = std::isfinite(placed) ? std::min(las.Start, placed) : las.Start;
    body->SetStartDepth(start);
    if (std::isfinite(length) && length > 0) body->SetIntervalLength(las.Start + length - start);
    if (bodyScale == 0) bodyScale = body->GetVertScale();
  });
  std::vector<bool> used(las.Curves.size(), false);
  for (TPrintDiagrams* column : FindCurveColumns(root)) {
    for (TPrintDiagramm* curve : column->Curves()) {
      int found = FindLasCurve(las, curve->Name());
      if (found < 0) found = FindOtherNameOfLog(las, curve->Name(), used, CurveUnit(curve));
      if (found < 0) {
        report.EmptyCurves << curve->Name();
        continue;
      }
      const size_t k = static_cast<size_t>(found);
      std::vector<double> samples = las.Curves[k].Samples;
      const QString scaleUnit = CurveUnit(curve).trimmed();
      const TUnitFit fit = FitUnit(las.Curves[k].Unit, scaleUnit);
      if (fit.Kind == TUnitFit::Converted)
        report.ConvertedCurves.push_back({curve->Name(), las.Curves[k].Unit.trimmed(), scaleUnit});
      else if (fit.Kind == TUnitFit::Different)
        report.UnitMismatches.push_back({curve->Name(), las.Curves[k].Unit.trimmed(), scaleUnit});
      const double factor = fit.Factor;
      for (double& v : samples) v = std::isnan(v) ? curve->NullValue() : v * factor;
      if (!curve->SetSamples(las.Start, las.Step, std::move(samples))) {
        report.EmptyCurves << curve->Name();
        continue;
      }
      used[k] = true;
      ++report.FilledCurves;
      if (las.Curves[k].Mnemonic.compare(curve->Name(), Qt::CaseInsensitive) != 0)
        report.FilledFromOthers.push_back({curve->Name(), las.Curves[k].Mnemonic});
      for (int i = 0; i < curve->Count(); ++i)
        if (auto* scale = dynamic_cast<TPrintDiagrammScale*>(curve->GetChild(i)))
          if (scale->MeasureName().isEmpty()) scale->SetMeasureName(las.Curves[k].Unit);
      curve->Changed();
    }
    column->StackHeaders();
    column->Changed();
  }
  for (size_t k = 0; k < las.Curves.size(); ++k)
    if (!used[k]) report.UnusedCurves << las.Curves[k].Mnemonic;

  Walk(root, [&](TPrintObject* o) {
    auto* head = dynamic_cast<TPrintHeader*>(o);
    if (!head) return;
    head->CollectParameters();
    TNamedValueList& values = head->Parameters();
    bool changed = false;
    for (const TLasHeaderItem& item : las.Header.Well) {
      if (item.Value.isEmpty()) continue;
      int i = FindParameter(values, item.Mnemonic);
      if (i < 0) {
        const QString alias = HeadParameterOfMnemonic(item.Mnemonic);
        if (!alias.isEmpty()) i = FindParameter(values, alias);
      }
      if (i < 0) continue;
      const bool depth = item.Mnemonic.compare(QLatin1String("STRT"), Qt::CaseInsensitive) == 0 ||
                         item.Mnemonic.compare(QLatin1String("STOP"), Qt::CaseInsensitive) == 0;
      values.SetValueAt(i, depth ? ShortDepthText(item.Value) : item.Value);
      ++report.FilledParameters;
      changed = true;
    }
    // The head's depth scale is the one the curves are drawn at, unless the
    // file gave it a value.
    changed = head->FillScaleParameter(bodyScale) || changed;
    if (changed) {
      head->SubstituteParameters();
      head->SetModified(true);
    }
  });
  return report;
}

std::vector<TLasHeaderItem> WellItemsOf(TPrintObject* root) {
  std::vector<TLasHeaderItem> items;
  static const char* const kMnemonics[] = {"WELL", "FLD", "COMP", "SRVC", "DATE"};
  // The descriptions LAS files usually give these lines.
  static const char* const kDescriptions[] = {"WELL", "FIELD", "COMPANY", "SERVICE COMPANY", "LOG DATE"};
  Walk(root, [&](TPrintObject* o) {
    auto* head = dynamic_cast<TPrintHeader*>(o);
    if (!head) return;
    for (size_t k = 0; k < std::size(kMnemonics); ++k) {
      const QString mnemonic = QLatin1String(kMnemonics[k]);
      bool have = false;
      for (const TLasHeaderItem& item : items) have = have || item.Mnemonic == mnemonic;
      if (have) continue;
      int i = FindParameter(head->Parameters(), mnemonic);
      if (i < 0 && !HeadParameterOfMnemonic(mnemonic).isEmpty())
        i = FindParameter(head->Parameters(), HeadParameterOfMnemonic(mnemonic));
      if (i < 0 || head->Parameters().At(i).Value.isEmpty()) continue;
      items.push_back({mnemonic, QString(), head->Parameters().At(i).Value, QLatin1String(kDescriptions[k])});
    }
  });
  return items;
}
