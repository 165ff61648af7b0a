// Filling a document (usually fresh from a template) from a LAS file: curves
// by mnemonic, head parameters by ~Well mnemonic, the bodies' start depth.
#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "uLasCurves.h"

class TPrintDiagramm;
class TPrintDiagrams;
class TPrintObject;

// Every curve column below `root`, in tree order.
std::vector<TPrintDiagrams*> FindCurveColumns(TPrintObject* root);
// Every curve plot of those columns.
std::vector<TPrintDiagramm*> FindDocumentCurves(TPrintObject* root);
// Whether any curve below `root` has samples (what a LAS export writes).
bool HoldsCurveSamples(TPrintObject* root);
// Writes every curve with samples below `root` into one LAS file (see
// WriteLasFile: one grid at the finest step; the heads' ~Well values). The
// number of curves written, or -1 with `error` set (no samples, a failed write).
int WriteDocumentLas(TPrintObject* root, const QString& fileName, QString* error);

// The head parameter a ~Well mnemonic fills besides one of its own name:
// FLD -> FIELD, COMP -> COMPANY, SRVC -> LOGGING_COMPANY, DATE -> LOG_DATE,
// STRT -> TOP_DEPTH, STOP -> BOTTOM_DEPTH; empty for others.
QString HeadParameterOfMnemonic(const QString& mnemonic);

struct TLasFillReport {
  int FilledCurves = 0;
  int FilledParameters = 0;
  QStringList EmptyCurves;   // curves of the document no LAS curve matched
  QStringList UnusedCurves;  // LAS mnemonics no curve of the document took
  // Curves filled from another mnemonic of their log (GR from GAMN): name, mnemonic.
  std::vector<std::pair<QString, QString>> FilledFromOthers;
  // Curves whose file unit differs from the unit their scale header names:
  // converted (MM to IN, KG/M3 to G/C3, % to V/V, US/M to US/F...) or, for
  // units of different or unknown quantities, drawn as read.
  struct TUnitChange {
    QString Curve, FileUnit, TemplateUnit;
    bool operator==(const TUnitChange&) const = default;
  };
  std::vector<TUnitChange> ConvertedCurves;
  std::vector<TUnitChange> UnitMismatches;
};

// Fills every curve plot whose name equals a LAS mnemonic without regard to
// case (for the usual log names, GR, SP, CALI, ILD, RT, RHOB, NPHI and DT, from
// another name of the same log when the file lacks that one), every head parameter named by a ~Well mnemonic (or its
// alias), and sets the start depth of every body holding a curve column to the grid's start (STRT).
TLasFillReport FillFromLas(TPrintObject* root, const TLasData& las);

// The ~Well items of a document's head parameters for an export: WELL,
// FLD, COMP, SRVC, DATE from the parameters those mnemonics fill.
std::vector<TLasHeaderItem> WellItemsOf(TPrintObject* root);
