// Matching a LAS file's curves to curves a document already has: by
// mnemonic, by the other names logging companies give the usual logs, and
// converting values into the unit a curve's scale header names.
#pragma once

#include <QString>
#include <vector>

#include "uLasCurves.h"

class TPrintDiagramm;

// The first file curve of that mnemonic (without regard to case); -1 without one.
int FindLasCurve(const TLasData& las, const QString& mnemonic);

// For a curve named as one of the usual logs (GR, SP, CALI, ILD, RT, RHOB,
// NPHI, DT): the first file curve under another name of that log (GK or
// GAMN for GR, LLD for RT, ...) that is not `used`, one whose unit fits
// `scaleUnit` (see FitUnit) before one whose unit does not; -1 without one.
int FindOtherNameOfLog(const TLasData& las, const QString& name, const std::vector<bool>& used,
                       const QString& scaleUnit = QString());

// How a file curve's values come into a curve whose scale names a unit.
struct TUnitFit {
  enum TKind { Same, Converted, Different } Kind = Same;
  double Factor = 1;  // file values times this are in the scale's unit
};
// Same when either unit is empty or both name one unit; Converted between
// units of one quantity (MM, CM, IN; G/C3, KG/M3; V/V, %, PU; US/M, US/F);
// Different otherwise (drawn as read).
TUnitFit FitUnit(const QString& fileUnit, const QString& scaleUnit);

// The lines a fill or an import shows: a curve filled from another name of
// its log, and a unit converted or drawn as read (empty when the units agree).
QString FilledFromNote(const QString& curve, const QString& mnemonic);
QString UnitNote(TUnitFit::TKind kind, const QString& curve, const QString& fileUnit, const QString& scaleUnit);
