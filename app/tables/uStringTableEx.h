// A string table with the geometry needed to print it (column widths and
// gaps, row heights and gaps, in millimetres) and its font.
#pragma once

#include <vector>

#include "uFontEx.h"
#include "uStringTable.h"

struct IStream;
class TIniFile;

// Compound stream IDs of the geometry.
constexpr int32_t qsTableDefColWidthInt = 4864;
constexpr int32_t qsTableColWidthsInt = 4865;
constexpr int32_t qsTableDefRowHeightInt = 4868;
constexpr int32_t qsTableRowHeightsInt = 4869;
constexpr int32_t qsTableColShiftsInt = 4870;
constexpr int32_t qsTableRowShiftsInt = 4871;
constexpr int32_t qsTableDefColWidth = 4872;
constexpr int32_t qsTableColWidths = 4873;
constexpr int32_t qsTableDefRowHeight = 4874;
constexpr int32_t qsTableRowHeights = 4875;
constexpr int32_t qsTableColShifts = 4876;
constexpr int32_t qsTableRowShifts = 4877;
constexpr int32_t qsTableHasDoubles = 12;

class TStringTableEx : public TStringTable {
 public:
  TStringTableEx();

  std::vector<double> ColShifts;  // gap before each column, mm
  std::vector<double> ColWidths;
  double DefaultColWidth = 10.0;
  std::vector<double> RowShifts;  // gap before each row, mm
  std::vector<double> RowHeights;
  double DefaultRowHeight = 10.0;
  TFontEx Font;

  void SetColCount(int n) override;
  void SetRowCount(int n) override;
  bool DeleteRow(int row) override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) const override;
  bool Assign(const TStringTable& source) override;

  // The whole table as one compound stream in a byte stream.
  bool LoadFromStream(IStream* stream);
  bool SaveToStream(IStream* stream) const;
  // Geometry and font keys (not the cells) under `prefix` in `section`. Sizes
  // that a stream could not hold (SizeAllowed) are refused: false, and the
  // table as it was.
  bool LoadFromIni(const TIniFile* ini, const QString& section, const QString& prefix);
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) const;

  // Left edge of column k: shifts 0..k plus widths 0..k-1; 0 outside the table.
  double ColLeft(int k) const;
  double RowTop(int r) const;
  double TotalWidth() const;
  double TotalHeight() const;

 protected:
  void CopyGeometryAndFont(const TStringTableEx& source);
};
