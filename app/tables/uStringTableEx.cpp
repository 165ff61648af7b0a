#include "uStringTableEx.h"

#include <algorithm>
#include <numeric>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uIniFile.h"
#include "uNumbers.h"

namespace {

bool WriteInts(ICompoundStream* stream, int32_t id, const std::vector<double>& values) {
  std::vector<int32_t> ints(values.size());
  std::transform(values.begin(), values.end(), ints.begin(), [](double v) { return RoundEven(v); });
  return stream->WriteBuffer(id, ints.data(), static_cast<int32_t>(ints.size() * sizeof(int32_t))) == S_OK;
}

bool WriteDoubles(ICompoundStream* stream, int32_t id, const std::vector<double>& values) {
  return stream->WriteBuffer(id, values.data(), static_cast<int32_t>(values.size() * sizeof(double))) == S_OK;
}

// Overlays the stored Binary (at most values->size() elements) on the values.
template <class T>
void ReadArray(ICompoundStream* stream, int32_t id, std::vector<double>* values) {
  TCompoundEntry entry{};
  if (values->empty() || stream->GetEntry(id, &entry) != S_OK || entry.Tag != qsBinary) return;
  std::vector<T> stored(values->size());
  uint32_t size = static_cast<uint32_t>(stored.size() * sizeof(T));
  if (stream->ReadData(id, 0, stored.data(), &size) != S_OK) return;
  const size_t count = size / sizeof(T);
  for (size_t i = 0; i < count; ++i) (*values)[i] = static_cast<double>(stored[i]);
}

double SumTo(const std::vector<double>& v, size_t count) {
  return std::accumulate(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(std::min(count, v.size())), 0.0);
}

}  // namespace

TStringTableEx::TStringTableEx() = default;

void TStringTableEx::SetColCount(int n) {
  TStringTable::SetColCount(n);
  ColShifts.resize(static_cast<size_t>(ColCount()), 0.0);
  ColWidths.resize(static_cast<size_t>(ColCount()), DefaultColWidth);
}

void TStringTableEx::SetRowCount(int n) {
  TStringTable::SetRowCount(n);
  RowShifts.resize(static_cast<size_t>(RowCount()), 0.0);
  RowHeights.resize(static_cast<size_t>(RowCount()), DefaultRowHeight);
}

bool TStringTableEx::DeleteRow(int row) {
  if (!TStringTable::DeleteRow(row)) return false;
  RowShifts.erase(RowShifts.begin() + row);
  RowHeights.erase(RowHeights.begin() + row);
  return true;
}

bool TStringTableEx::SaveToQS(ICompoundStream* stream) const {
  if (!TStringTable::SaveToQS(stream)) return false;
  if (!qsWriteInteger(stream, qsTableDefColWidthInt, RoundEven(DefaultColWidth))) return false;
  if (!qsWriteInteger(stream, qsTableDefRowHeightInt, RoundEven(DefaultRowHeight))) return false;
  if (!qsWriteDouble(stream, qsTableDefColWidth, DefaultColWidth)) return false;
  if (!qsWriteDouble(stream, qsTableDefRowHeight, DefaultRowHeight)) return false;
  if (ColCount() >= 1) {
    if (!WriteInts(stream, qsTableColShiftsInt, ColShifts) || !WriteInts(stream, qsTableColWidthsInt, ColWidths) ||
        !WriteDoubles(stream, qsTableColShifts, ColShifts) || !WriteDoubles(stream, qsTableColWidths, ColWidths))
      return false;
  }
  if (RowCount() >= 1) {
    if (!WriteInts(stream, qsTableRowShiftsInt, RowShifts) || !WriteInts(stream, qsTableRowHeightsInt, RowHeights) ||
        !WriteDoubles(stream, qsTableRowShifts, RowShifts) || !WriteDoubles(stream, qsTableRowHeights, RowHeights))
      return false;
  }
  if (!Font.SaveToQS(stream)) return false;
  return qsWriteInteger(stream, qsTableHasDoubles, 1);
}

bool TStringTableEx::LoadFromQS(ICompoundStream* stream) {
  if (!TStringTable::LoadFromQS(stream)) return false;
  const bool doubles = qsReadInteger(stream, qsTableHasDoubles, 0) == 1;
  if (doubles) {
    DefaultColWidth = qsReadDouble(stream, qsTableDefColWidth, 10.0);
    DefaultRowHeight = qsReadDouble(stream, qsTableDefRowHeight, 10.0);
  } else {
    DefaultColWidth = qsReadInteger(stream, qsTableDefColWidthInt, 10);
    DefaultRowHeight = qsReadInteger(stream, qsTableDefRowHeightInt, 10);
  }
  // Missing values: no gap, the default size.
  ColShifts.assign(static_cast<size_t>(ColCount()), 0.0);
  ColWidths.assign(static_cast<size_t>(ColCount()), doubles ? DefaultColWidth : RoundEven(DefaultColWidth));
  RowShifts.assign(static_cast<size_t>(RowCount()), 0.0);
  RowHeights.assign(static_cast<size_t>(RowCount()), doubles ? DefaultRowHeight : RoundEven(DefaultRowHeight));
  if (doubles) {
    ReadArray<double>(stream, qsTableColShifts, &ColShifts);
    ReadArray<double>(stream, qsTableColWidths, &ColWidths);
    ReadArray<double>(stream, qsTableRowShifts, &RowShifts);
    ReadArray<double>(stream, qsTableRowHeights, &RowHeights);
  } else {
    ReadArray<int32_t>(stream, qsTableColShiftsInt, &ColShifts);
    ReadArray<int32_t>(stream, qsTableRowShiftsInt, &RowShifts);
    ReadArray<int32_t>(stream, qsTableColWidthsInt, &ColWidths);
    ReadArray<int32_t>(stream, qsTableRowHeightsInt, &RowHeights);
  }
  Font.LoadFromQS(stream);
  return true;
}

bool TStringTableEx::Assign(const TStringTable& source) {
  if (&source == this) return true;
  TStringTable::Assign(source);
  if (const auto* ex = dynamic_cast<const TStringTableEx*>(&source)) CopyGeometryAndFont(*ex);
  return true;
}

void TStringTableEx::CopyGeometryAndFont(const TStringTableEx& source) {
  ColShifts = source.ColShifts;
  ColWidths = source.ColWidths;
  DefaultColWidth = source.DefaultColWidth;
  RowShifts = source.RowShifts;
  RowHeights = source.RowHeights;
  DefaultRowHeight = source.DefaultRowHeight;
  Font.Assign(source.Font);
}

bool TStringTableEx::LoadFromStream(IStream* stream) {
  if (!stream) return false;
  TComPtr<ICompoundStream> cs;
  if (qsCreateFromStream(stream, cs.Put()) != S_OK || !cs) return false;
  return LoadFromQS(cs.Get());
}

bool TStringTableEx::SaveToStream(IStream* stream) const {
  if (!stream) return false;
  TComPtr<ICompoundStream> cs;
  qsCreateCompoundStream(cs.Put());
  if (!cs || !SaveToQS(cs.Get())) return false;
  return qsSaveToStream(cs.Get(), stream) == S_OK;
}

bool TStringTableEx::LoadFromIni(const TIniFile* ini, const QString& section, const QString& prefix) {
  if (!ini || section.isEmpty()) return false;
  // The sizes are checked first: a refused one leaves the table as it was.
  const int cols = ini->ReadInteger(section, prefix + QStringLiteral("COLCOUNT"), 0);
  const int rows = ini->ReadInteger(section, prefix + QStringLiteral("ROWCOUNT"), 0);
  if (!SizeAllowed(cols, rows)) return false;
  Font.LoadFromIni(ini, section, prefix + QStringLiteral("FONT."));
  SetColCount(cols);
  SetRowCount(rows);
  DefaultColWidth = ini->ReadFloat(section, prefix + QStringLiteral("COLWIDTH"), 10.0);
  for (int i = 0; i < ColCount(); ++i) {
    const QString n = QString::number(i + 1);
    ColShifts[static_cast<size_t>(i)] = ini->ReadFloat(section, prefix + QStringLiteral("COLSHIFT") + n, 0.0);
    ColWidths[static_cast<size_t>(i)] =
        ini->ReadFloat(section, prefix + QStringLiteral("COLWIDTH") + n, DefaultColWidth);
  }
  DefaultRowHeight = ini->ReadFloat(section, prefix + QStringLiteral("ROWHEIGHT"), 10.0);
  for (int i = 0; i < RowCount(); ++i) {
    const QString n = QString::number(i + 1);
    RowShifts[static_cast<size_t>(i)] = ini->ReadFloat(section, prefix + QStringLiteral("ROWSHIFT") + n, 0.0);
    RowHeights[static_cast<size_t>(i)] =
        ini->ReadFloat(section, prefix + QStringLiteral("ROWHEIGHT") + n, DefaultRowHeight);
  }
  return true;
}

bool TStringTableEx::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) const {
  if (!ini || section.isEmpty()) return false;
  bool ok = Font.SaveToIni(ini, section, prefix + QStringLiteral("FONT."));
  // A key left over from an earlier, larger or different table would be read
  // back as this table's: remove what is not written.
  auto put = [&](const QString& key, bool write, double value) {
    if (write)
      ok = ini->WriteFloat(section, prefix + key, value) && ok;
    else if (ini->ValueExists(section, prefix + key))
      ini->DeleteKey(section, prefix + key);
  };
  put(QStringLiteral("COLCOUNT"), ColCount() > 0, ColCount());
  put(QStringLiteral("ROWCOUNT"), RowCount() > 0, RowCount());
  put(QStringLiteral("COLWIDTH"), true, DefaultColWidth);
  for (int i = 0; i < ColCount(); ++i) {
    const QString n = QString::number(i + 1);
    put(QStringLiteral("COLSHIFT") + n, ColShifts[static_cast<size_t>(i)] != 0, ColShifts[static_cast<size_t>(i)]);
    put(QStringLiteral("COLWIDTH") + n, ColWidths[static_cast<size_t>(i)] != DefaultColWidth,
        ColWidths[static_cast<size_t>(i)]);
  }
  put(QStringLiteral("ROWHEIGHT"), true, DefaultRowHeight);
  for (int i = 0; i < RowCount(); ++i) {
    const QString n = QString::number(i + 1);
    put(QStringLiteral("ROWSHIFT") + n, RowShifts[static_cast<size_t>(i)] != 0, RowShifts[static_cast<size_t>(i)]);
    put(QStringLiteral("ROWHEIGHT") + n, RowHeights[static_cast<size_t>(i)] != DefaultRowHeight,
        RowHeights[static_cast<size_t>(i)]);
  }
  return ok;
}

double TStringTableEx::ColLeft(int k) const {
  if (k < 0 || k >= ColCount()) return 0;
  return SumTo(ColShifts, static_cast<size_t>(k) + 1) + SumTo(ColWidths, static_cast<size_t>(k));
}

double TStringTableEx::RowTop(int r) const {
  if (r < 0 || r >= RowCount()) return 0;
  return SumTo(RowShifts, static_cast<size_t>(r) + 1) + SumTo(RowHeights, static_cast<size_t>(r));
}

double TStringTableEx::TotalWidth() const {
  return SumTo(ColShifts, ColShifts.size()) + SumTo(ColWidths, ColWidths.size());
}

double TStringTableEx::TotalHeight() const {
  return SumTo(RowShifts, RowShifts.size()) + SumTo(RowHeights, RowHeights.size());
}
