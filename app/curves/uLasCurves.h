// LAS files as curves: reading a file into curves on a regular depth grid
// (with its ~Well values and curve units), and writing curves as LAS 2.0.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <utility>
#include <vector>

class TPrintDiagramm;

// One line of a header section: "MNEM.UNIT  VALUE : DESCRIPTION".
struct TLasHeaderItem {
  QString Mnemonic;
  QString Unit;
  QString Value;
  QString Description;
};

// The header sections a curve import needs.
struct TLasHeader {
  std::vector<TLasHeaderItem> Well;
  std::vector<TLasHeaderItem> Curves;  // the first is the depth
  // The ~Well value of a mnemonic (without regard to case); empty when absent.
  QString WellValue(const QString& mnemonic) const;
};

// A file's curves resampled to one regular grid: sample i of every curve
// belongs to depth Start + i * Step. Missing samples are NaN.
struct TLasData {
  TLasHeader Header;
  double Start = 0;
  double Step = 0;
  bool Resampled = false;  // the file's depths were not evenly spaced
  struct TCurve {
    QString Mnemonic;
    QString Unit;
    std::vector<double> Samples;
  };
  std::vector<TCurve> Curves;  // without the depth
  // Rows that were skipped or values that were not numbers (the first few).
  QStringList Warnings;
};

// Reads the header lines before the data section (~A); false when the file
// has no ~Curve or ~A section.
bool ReadLasHeader(const QByteArray& bytes, TLasHeader* header, QString* error);

// Reads a LAS file into curves on a regular grid. The step is the file's STEP
// when the depths keep to it, otherwise the median of the differences between
// successive depths (to six decimals). Depths running upward are read bottom
// up. Each grid depth takes the value of the file row at that depth; between
// rows it takes the straight line between the two rows around it, missing
// when either is missing. False with a one-line *error for a file that is not
// LAS, has no data, no increasing depths, or would need more samples than a
// curve can hold.
bool ReadLasCurves(const QString& fileName, TLasData* data, QString* error);
bool ParseLasCurves(QByteArray bytes, TLasData* data, QString* error);

// The common grid of curves written together: the smallest step, from the
// shallowest start to the deepest end. False when there are no samples.
struct TLasGrid {
  double Start = 0;
  double Step = 0;
  int64_t Count = 0;
};
bool MergedGrid(const std::vector<const TPrintDiagramm*>& curves, TLasGrid* grid);

// The NULL value written into exported files.
inline constexpr double kLasNull = -999.25;

// Writes curves as a LAS 2.0 file (unwrapped): ~Version, ~Well (STRT, STOP,
// STEP, NULL, then `well` items), ~Curve (DEPT.M and one line per curve with
// its `units` entry, when given) and ~ASCII on the merged grid; each curve
// gives its sample nearest each depth, NULL where it has none. Written
// through a temporary file; false with *error.
bool WriteLasFile(const QString& fileName, const std::vector<const TPrintDiagramm*>& curves, const QStringList& units,
                  const std::vector<TLasHeaderItem>& well, QString* error);
