#include "uLasMatch.h"

#include "uLanguage.h"
#include "uPrintDiagramm.h"
#include "uPrintDiagrammScale.h"

namespace {

// Other mnemonics logging companies give the usual logs, tried in this order
// (GK, PS, IK, BK, AK and their Cyrillic spellings: the Russian names of the
// same logs).
struct TCurveFamily {
  const char* Name;
  const char* Others[10];
};
constexpr TCurveFamily kFamilies[] = {
    {"GR", {"GK", "ГК", "GRC", "GAMN", "SGR", "CGR", "GRD", "GAM", "GAMMA"}},
    {"SP", {"PS", "ПС", "SSP", "SPC"}},
    {"CALI", {"CAL", "HCAL", "CALS", "CAL1", "KAV", "DS", "ДС", "КАВ"}},
    {"ILD", {"RILD", "IND", "IK", "ИК", "RIK"}},
    {"RT", {"RD", "LLD", "RLLD", "RLA5", "AT90", "RESD", "BK", "БК", "RBK"}},
    {"RHOB", {"RHOZ", "DEN", "ZDEN", "DENS"}},
    {"NPHI", {"TNPH", "NPOR", "NPHIE", "CNC", "NEU"}},
    {"DT", {"DTC", "DTCO", "AC", "AK", "АК", "DT24"}},
};

// Units of the quantities logs are scaled in (in Latin and, as Russian files
// write them, in Cyrillic letters), each with its size in the quantity's first unit.
struct TUnit {
  const char* Name;
  int Quantity;
  double Size;
};
constexpr TUnit kUnits[] = {
    {"M", 1, 1},
    {"CM", 1, 0.01},
    {"MM", 1, 0.001},
    {"IN", 1, 0.0254},
    {"INCH", 1, 0.0254},
    {"м", 1, 1},
    {"см", 1, 0.01},
    {"мм", 1, 0.001},
    {"G/C3", 2, 1},
    {"G/CC", 2, 1},
    {"G/CM3", 2, 1},
    {"KG/M3", 2, 0.001},
    {"K/M3", 2, 0.001},
    {"г/см3", 2, 1},
    {"кг/м3", 2, 0.001},
    {"V/V", 3, 1},
    {"DEC", 3, 1},
    {"FRAC", 3, 1},
    {"M3/M3", 3, 1},
    {"д.ед.", 3, 1},
    {"%", 3, 0.01},
    {"PU", 3, 0.01},
    {"US/M", 4, 1},
    {"US/F", 4, 1 / 0.3048},
    {"US/FT", 4, 1 / 0.3048},
    {"мкс/м", 4, 1},
    {"GAPI", 5, 1},
    {"API", 5, 1},
    {"OHMM", 6, 1},
    {"OHM.M", 6, 1},
    {"OHM-M", 6, 1},
    {"OHM/M", 6, 1},
    {"Омм", 6, 1},
    {"Ом*м", 6, 1},
    {"Ом.м", 6, 1},
    {"Ом-м", 6, 1},
    {"MV", 7, 1},
    {"мВ", 7, 1},
    // Gamma ray in exposure rate, as Russian logs give it (no conversion to API units).
    {"UR/H", 8, 1},
    {"MKR/H", 8, 1},
    {"мкР/ч", 8, 1},
};

const TUnit* FindUnit(const QString& name) {
  for (const TUnit& unit : kUnits)
    if (name.compare(QString::fromUtf8(unit.Name), Qt::CaseInsensitive) == 0) return &unit;
  return nullptr;
}

}  // namespace

int FindLasCurve(const TLasData& las, const QString& mnemonic) {
  for (size_t k = 0; k < las.Curves.size(); ++k)
    if (las.Curves[k].Mnemonic.compare(mnemonic, Qt::CaseInsensitive) == 0) return static_cast<int>(k);
  return -1;
}

int FindOtherNameOfLog(const TLasData& las, const QString& name, const std::vector<bool>& used,
                       const QString& scaleUnit) {
  for (const TCurveFamily& family : kFamilies) {
    if (name.compare(QLatin1String(family.Name), Qt::CaseInsensitive) != 0) continue;
    // A curve in the scale's unit (or one it converts to) before one that is
    // not: a gamma ray in GAPI before one in microroentgen an hour.
    for (const bool anyUnit : {false, true})
      for (const char* other : family.Others) {
        if (!other) break;
        const int k = FindLasCurve(las, QString::fromUtf8(other));
        if (k < 0 || (static_cast<size_t>(k) < used.size() && used[static_cast<size_t>(k)])) continue;
        if (anyUnit || FitUnit(las.Curves[static_cast<size_t>(k)].Unit, scaleUnit).Kind != TUnitFit::Different)
          return k;
      }
  }
  return -1;
}

TUnitFit FitUnit(const QString& fileUnit, const QString& scaleUnit) {
  const QString from = fileUnit.trimmed(), to = scaleUnit.trimmed();
  if (from.isEmpty() || to.isEmpty() || from.compare(to, Qt::CaseInsensitive) == 0) return {};
  const TUnit* a = FindUnit(from);
  const TUnit* b = FindUnit(to);
  if (!a || !b || a->Quantity != b->Quantity) return {TUnitFit::Different, 1};
  const double factor = a->Size / b->Size;
  if (factor == 1) return {};
  return {TUnitFit::Converted, factor};
}

QString FilledFromNote(const QString& curve, const QString& mnemonic) {
  return SubstituteArgs(
      TranslateGeneral(QStringLiteral("LasFilledFrom"), QStringLiteral("%s: filled from %s of the file")),
      {curve, mnemonic});
}

QString UnitNote(TUnitFit::TKind kind, const QString& curve, const QString& fileUnit, const QString& scaleUnit) {
  if (kind == TUnitFit::Converted)
    return SubstituteArgs(
        TranslateGeneral(QStringLiteral("LasConverted"), QStringLiteral("%s: converted from %s to %s")),
        {curve, fileUnit.trimmed(), scaleUnit.trimmed()});
  if (kind == TUnitFit::Different)
    return SubstituteArgs(
        TranslateGeneral(QStringLiteral("LasUnitDiffers"),
                         QStringLiteral("%s: the file's unit %s is not the scale's %s; drawn as read")),
        {curve, fileUnit.trimmed(), scaleUnit.trimmed()});
  return QString();
}
