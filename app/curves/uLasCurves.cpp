#include "uLasCurves.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <limits>

#include "uCellStore.h"
#include "uCurveSamples.h"
#include "uLanguage.h"
#include "uLasImport.h"
#include "uNumbers.h"
#include "uPrintDiagramm.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// All curves of one file together: beyond this many samples the grid is
// refused rather than allocated (4 bytes of file per sample at the least
// would not reach it; a sparse file with a tiny step would).
constexpr int64_t kMaxLasSamples = int64_t{1} << 26;
// Rows named in the warnings of one import.
constexpr int kMaxWarnings = 5;

QString LasError(const QString& key, const QString& def) { return TranslateError(key, def); }

// "MNEM.UNIT  VALUE : DESCRIPTION": the mnemonic ends at the first dot, the
// unit at the first blank after it, the value at the last colon.
bool ParseHeaderItem(QStringView line, TLasHeaderItem* item) {
  const qsizetype dot = line.indexOf(u'.');
  if (dot < 0) return false;
  item->Mnemonic = line.left(dot).trimmed().toString();
  qsizetype i = dot + 1;
  while (i < line.size() && !line[i].isSpace() && line[i] != u':') ++i;
  item->Unit = line.mid(dot + 1, i - dot - 1).toString();
  qsizetype colon = line.lastIndexOf(u':');
  if (colon < i) colon = line.size();
  item->Value = line.mid(i, colon - i).trimmed().toString();
  item->Description = colon < line.size() ? line.mid(colon + 1).trimmed().toString() : QString();
  return !item->Mnemonic.isEmpty();
}

double Number(std::string_view text) { return ReadNumber(text, kNaN); }
double Number(const QString& text) { return Number(std::string_view(text.toStdString())); }

// Values as LAS files carry them: up to ten significant digits.
QString LasNumber(double value) { return QString::fromStdString(FormatSignificant(value, 10)); }

// Metres per unit of a depth unit other than metres; 0 for metres and for
// units that are no length (a time index stays as it is).
double MetresPerDepthUnit(const QString& unit) {
  const QString u = unit.trimmed().toUpper();
  if (u == QLatin1String("F") || u == QLatin1String("FT") || u == QLatin1String("FEET") || u == QLatin1String("FOOT"))
    return 0.3048;
  if (u == QLatin1String(".1IN")) return 0.00254;
  return 0;
}

// The unit the file's depths are in: the index curve's, else STRT's.
QString DepthUnit(const TLasHeader& header) {
  if (!header.Curves.empty() && !header.Curves.front().Unit.trimmed().isEmpty()) return header.Curves.front().Unit;
  for (const TLasHeaderItem& item : header.Well)
    if (item.Mnemonic.compare(QLatin1String("STRT"), Qt::CaseInsensitive) == 0) return item.Unit;
  return QString();
}

// The document's depths are metres: STRT, STOP and STEP in the depth unit
// are restated in metres so that what fills a head agrees with the curves.
void RestateInMetres(TLasHeader* header, const QString& unit, double factor) {
  for (TLasHeaderItem& item : header->Well) {
    const QString m = item.Mnemonic.toUpper();
    if (m != QLatin1String("STRT") && m != QLatin1String("STOP") && m != QLatin1String("STEP")) continue;
    if (item.Unit.trimmed().compare(unit.trimmed(), Qt::CaseInsensitive) != 0) continue;
    const double v = Number(item.Value);
    if (!std::isfinite(v)) continue;
    item.Value = LasNumber(v * factor);
    item.Unit = QStringLiteral("M");
  }
}

}  // namespace

QString TLasHeader::WellValue(const QString& mnemonic) const {
  for (const TLasHeaderItem& item : Well)
    if (item.Mnemonic.compare(mnemonic, Qt::CaseInsensitive) == 0) return item.Value;
  return QString();
}

bool ReadLasHeader(const QByteArray& bytes, TLasHeader* header, QString* error) {
  *header = TLasHeader();
  QString text = DecodeLasText(bytes.left(qsizetype{1} << 20));  // headers are small
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  enum { None, Well, Curve, Other } section = None;
  bool curvesDone = false, data = false;
  for (const QStringView raw : QStringView(text).tokenize(u'\n')) {
    const QStringView line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(u'#')) continue;
    if (line.startsWith(u'~')) {
      if (section == Curve) curvesDone = true;
      const QChar c = line.size() > 1 ? line[1].toUpper() : QChar();
      if (c == u'A' || (line.size() > 1 && line[1].isSpace()) ||
          line.mid(1).startsWith(QLatin1String("LOG_DATA"), Qt::CaseInsensitive)) {
        data = true;
        break;
      }
      if (line.mid(1).startsWith(QLatin1String("LOG_DEFINITION"), Qt::CaseInsensitive))
        section = curvesDone ? Other : Curve;
      else if (c == u'W')
        section = Well;
      else if (c == u'C' && !line.mid(1).contains(u'_'))
        section = curvesDone ? Other : Curve;
      else
        section = Other;
      continue;
    }
    TLasHeaderItem item;
    if (section == Other || section == None || !ParseHeaderItem(line, &item)) continue;
    (section == Well ? header->Well : header->Curves).push_back(item);
  }
  if (header->Curves.empty()) {
    *error = LasError(QStringLiteral("LasNoCurveSection"), QStringLiteral("The LAS file has no ~Curve section"));
    return false;
  }
  if (!data) {
    *error = LasError(QStringLiteral("LasNoDataSection"), QStringLiteral("The LAS file has no ~A (data) section"));
    return false;
  }
  return true;
}

bool ParseLasCurves(QByteArray bytes, TLasData* data, QString* error) {
  *data = TLasData();
  if (!ReadLasHeader(bytes, &data->Header, error)) return false;
  TCellStore cells;
  if (!ParseLas(std::move(bytes), &cells, error)) return false;
  if (cells.ColCount() < 2) {
    *error = LasError(QStringLiteral("LasOneColumn"), QStringLiteral("The LAS file holds depths but no curves"));
    return false;
  }

  // Depth rows in file order; rows whose depth cannot be read are skipped.
  struct TRow {
    double Depth;
    int Row;
  };
  std::vector<TRow> rows;
  rows.reserve(static_cast<size_t>(cells.RowCount()));
  int warnings = 0;
  const QString depthUnit = DepthUnit(data->Header);
  const double metres = MetresPerDepthUnit(depthUnit);
  const double stated = std::fabs(Number(data->Header.WellValue(QStringLiteral("STEP")))) * (metres > 0 ? metres : 1);
  if (metres > 0) {
    RestateInMetres(&data->Header, depthUnit, metres);
    data->Warnings << SubstituteArgs(
        LasError(QStringLiteral("LasDepthUnit"), QStringLiteral("The depths are in %s: they are converted to metres")),
        {depthUnit.trimmed()});
  }
  for (int r = 1; r < cells.RowCount(); ++r) {
    const double d = Number(cells.Utf8(0, r)) * (metres > 0 ? metres : 1);
    if (std::isfinite(d)) {
      rows.push_back({d, r});
    } else if (warnings++ < kMaxWarnings) {
      data->Warnings << SubstituteArgs(
          LasError(QStringLiteral("LasBadDepth"), QStringLiteral("Data row %s: the depth \"%s\" is not a number; the "
                                                                 "row is skipped")),
          {QString::number(r), cells.Text(0, r)});
    }
  }
  if (rows.empty()) {
    *error =
        LasError(QStringLiteral("LasNoDepths"), QStringLiteral("No data row of the LAS file has a readable depth"));
    return false;
  }
  // Files logged upward list the depths decreasing.
  if (rows.size() > 1 && rows.back().Depth < rows.front().Depth) std::reverse(rows.begin(), rows.end());
  if (!std::is_sorted(rows.begin(), rows.end(), [](const TRow& a, const TRow& b) { return a.Depth < b.Depth; }))
    std::stable_sort(rows.begin(), rows.end(), [](const TRow& a, const TRow& b) { return a.Depth < b.Depth; });

  // The step: STEP when the depths keep to it, else the median difference.
  std::vector<double> diffs;
  diffs.reserve(rows.size());
  for (size_t i = 1; i < rows.size(); ++i)
    if (rows[i].Depth > rows[i - 1].Depth) diffs.push_back(rows[i].Depth - rows[i - 1].Depth);
  auto keepsTo = [&](double step) {
    for (const double d : diffs)
      if (std::fabs(d - step) > step * 1e-6) return false;
    return diffs.size() + 1 == rows.size();
  };
  double step = 0;
  if (std::isfinite(stated) && stated > 0 && keepsTo(stated)) {
    step = stated;
  } else if (!diffs.empty()) {
    auto middle = diffs.begin() + static_cast<std::ptrdiff_t>(diffs.size() / 2);
    std::nth_element(diffs.begin(), middle, diffs.end());
    step = std::round(*middle * 1e6) / 1e6;
    if (step <= 0) step = *middle;
    data->Resampled = !keepsTo(step);
  } else {
    step = std::isfinite(stated) && stated > 0 ? stated : 1;  // one depth
  }
  const double start = rows.front().Depth;
  const double span = std::round((rows.back().Depth - start) / step) + 1;
  const int curves = cells.ColCount() - 1;
  if (!(span <= static_cast<double>(kMaxCurveSamples)) || span * curves > static_cast<double>(kMaxLasSamples)) {
    *error = SubstituteArgs(
        LasError(QStringLiteral("LasTooManySamples"),
                 QStringLiteral("The depths %s to %s at a step of %s would need more samples than a curve can hold")),
        {LasNumber(start), LasNumber(rows.back().Depth), LasNumber(step)});
    return false;
  }
  const auto count = static_cast<size_t>(span);
  data->Start = start;
  data->Step = step;

  // Every column's values as numbers, in depth order (NaN: missing). Read
  // row by row: the cells of a row lie together, those of a column do not,
  // and a column at a time went through the whole table once per curve.
  const size_t n = rows.size();
  std::vector<double> all(n * static_cast<size_t>(curves));
  struct TBadCells {
    int Count = 0;
    std::vector<size_t> First;  // the first few, named in the warnings
  };
  std::vector<TBadCells> bad(static_cast<size_t>(curves));
  for (size_t i = 0; i < n; ++i) {
    const int row = rows[i].Row;
    for (int c = 1; c <= curves; ++c) {
      const std::string_view text = cells.Utf8(c, row);
      double& v = all[static_cast<size_t>(c - 1) * n + i];
      v = text.empty() ? kNaN : Number(text);
      if (!text.empty() && std::isnan(v)) {
        TBadCells& b = bad[static_cast<size_t>(c - 1)];
        if (b.Count++ < kMaxWarnings) b.First.push_back(i);
      }
    }
  }
  for (int c = 1; c <= curves; ++c) {
    TLasData::TCurve curve;
    curve.Mnemonic = cells.Text(c, 0);
    const auto defined = static_cast<size_t>(c);
    if (defined < data->Header.Curves.size()) curve.Unit = data->Header.Curves[defined].Unit;
    // Named column by column, as the curves are listed.
    const TBadCells& column = bad[static_cast<size_t>(c - 1)];
    for (const size_t i : column.First)
      if (warnings++ < kMaxWarnings)
        data->Warnings << SubstituteArgs(
            LasError(QStringLiteral("LasBadValue"),
                     QStringLiteral("Data row %s: \"%s\" of %s is not a number; the sample is missing")),
            {QString::number(rows[i].Row), cells.Text(c, rows[i].Row), curve.Mnemonic});
    warnings += column.Count - static_cast<int>(column.First.size());
    const double* values = all.data() + static_cast<size_t>(c - 1) * n;
    curve.Samples.assign(count, kNaN);
    size_t j = 0;  // the last row at or above the grid depth
    for (size_t k = 0; k < count; ++k) {
      const double d = start + static_cast<double>(k) * step;
      const double reach = step * 1e-6;
      while (j + 1 < rows.size() && rows[j + 1].Depth <= d + reach) ++j;
      if (std::fabs(rows[j].Depth - d) <= reach) {
        // The last of equal depths wins, as in the file.
        curve.Samples[k] = values[j];
      } else if (j + 1 < rows.size() && rows[j].Depth < d) {
        const double a = values[j], b = values[j + 1];
        const double t = (d - rows[j].Depth) / (rows[j + 1].Depth - rows[j].Depth);
        curve.Samples[k] = std::isnan(a) || std::isnan(b) ? kNaN : a + (b - a) * t;
      }
    }
    data->Curves.push_back(std::move(curve));
  }
  if (warnings > kMaxWarnings)
    data->Warnings << SubstituteArgs(LasError(QStringLiteral("LasMoreWarnings"), QStringLiteral("... and %s more")),
                                     {QString::number(warnings - kMaxWarnings)});
  return true;
}

bool ReadLasCurves(const QString& fileName, TLasData* data, QString* error) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = SubstituteArgs(TranslateError(QStringLiteral("CannotOpen"), QStringLiteral("Cannot open the file %s")),
                            {fileName});
    return false;
  }
  if (static_cast<uint64_t>(file.size()) > kCellArenaLimit / 2) {
    *error = SubstituteArgs(TranslateError(QStringLiteral("FileTooLarge"), QStringLiteral("The file %s is too large")),
                            {fileName});
    return false;
  }
  return ParseLasCurves(file.readAll(), data, error);
}

bool MergedGrid(const std::vector<const TPrintDiagramm*>& curves, TLasGrid* grid) {
  double start = 0, end = 0, step = 0;
  bool any = false;
  for (const TPrintDiagramm* c : curves) {
    if (!c || c->SampleCount() == 0) continue;
    if (!any || c->StartDepth() < start) start = c->StartDepth();
    if (!any || c->EndDepth() > end) end = c->EndDepth();
    if (!any || c->DepthStep() < step) step = c->DepthStep();
    any = true;
  }
  if (!any) return false;
  const double count = std::floor((end - start) / step + 1e-6) + 1;
  if (!(count >= 1 && count <= static_cast<double>(kMaxCurveSamples))) return false;
  *grid = {start, step, static_cast<int64_t>(count)};
  return true;
}

bool WriteLasFile(const QString& fileName, const std::vector<const TPrintDiagramm*>& curves, const QStringList& units,
                  const std::vector<TLasHeaderItem>& well, QString* error) {
  TLasGrid grid;
  if (!MergedGrid(curves, &grid)) {
    *error = LasError(QStringLiteral("LasNothingToExport"), QStringLiteral("There are no curve samples to export"));
    return false;
  }
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly)) {
    *error = SubstituteArgs(TranslateError(QStringLiteral("CannotCreate"), QStringLiteral("Cannot create the file %s")),
                            {fileName});
    return false;
  }
  const double stop = grid.Start + static_cast<double>(grid.Count - 1) * grid.Step;
  QByteArray out;
  auto line = [&](const QString& mnemonic, const QString& unit, const QString& value, const QString& description) {
    QString head = mnemonic + QLatin1Char('.') + unit;
    out += (head.leftJustified(15) + QLatin1Char(' ') + value.leftJustified(24) + QStringLiteral(" : ") + description)
               .toUtf8();
    out += '\n';
  };
  out += "~Version Information\n";
  line(QStringLiteral("VERS"), QString(), QStringLiteral("2.0"),
       QStringLiteral("CWLS LOG ASCII STANDARD - VERSION 2.0"));
  line(QStringLiteral("WRAP"), QString(), QStringLiteral("NO"), QStringLiteral("One line per depth step"));
  out += "~Well Information\n";
  line(QStringLiteral("STRT"), QStringLiteral("M"), LasNumber(grid.Start), QStringLiteral("START DEPTH"));
  line(QStringLiteral("STOP"), QStringLiteral("M"), LasNumber(stop), QStringLiteral("STOP DEPTH"));
  line(QStringLiteral("STEP"), QStringLiteral("M"), LasNumber(grid.Step), QStringLiteral("STEP"));
  line(QStringLiteral("NULL"), QString(), LasNumber(kLasNull), QStringLiteral("NULL VALUE"));
  for (const TLasHeaderItem& item : well) {
    static const QStringList kOwn = {QStringLiteral("STRT"), QStringLiteral("STOP"), QStringLiteral("STEP"),
                                     QStringLiteral("NULL")};
    if (kOwn.contains(item.Mnemonic, Qt::CaseInsensitive)) continue;
    // Colons would end the value early; line ends would end the item.
    QString value = item.Value;
    value.replace(QLatin1Char(':'), QLatin1Char(';')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    line(item.Mnemonic, item.Unit, value, item.Description);
  }
  out += "~Curve Information\n";
  line(QStringLiteral("DEPT"), QStringLiteral("M"), QString(), QStringLiteral("DEPTH"));
  QStringList mnemonics;
  for (size_t k = 0; k < curves.size(); ++k) {
    // Mnemonics hold no blanks, dots or colons: the header line is split at them.
    QString m = curves[k]->Name().simplified();
    m.replace(QLatin1Char(' '), QLatin1Char('_')).replace(QLatin1Char('.'), QLatin1Char('_'));
    m.replace(QLatin1Char(':'), QLatin1Char('_'));
    if (m.isEmpty()) m = QStringLiteral("CURVE%1").arg(k + 1);
    QString unit = k < static_cast<size_t>(units.size()) ? units[static_cast<qsizetype>(k)].simplified() : QString();
    unit.remove(QLatin1Char(' '));
    line(m, unit, QString(), curves[k]->Name());
    mnemonics << m;
  }
  out += "~A  DEPT";
  for (const QString& m : mnemonics) out += ' ' + m.toUtf8();
  out += '\n';
  if (file.write(out) != out.size()) return *error = file.errorString(), false;
  out.clear();
  const QByteArray null = LasNumber(kLasNull).toUtf8();
  for (int64_t i = 0; i < grid.Count; ++i) {
    const double depth = grid.Start + static_cast<double>(i) * grid.Step;
    out += FormatSignificant(depth, 10).c_str();
    for (const TPrintDiagramm* c : curves) {
      out += ' ';
      const double v = c->ValueAt(depth);
      if (IsMissingSample(v, c->NullValue()))
        out += null;
      else
        out += FormatSignificant(v, 10).c_str();
    }
    out += '\n';
    if (out.size() > (1 << 20) || i + 1 == grid.Count) {
      if (file.write(out) != out.size()) return *error = file.errorString(), false;
      out.clear();
    }
  }
  if (!file.commit()) return *error = file.errorString(), false;
  return true;
}
