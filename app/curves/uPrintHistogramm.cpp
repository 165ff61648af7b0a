#include "uPrintHistogramm.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "qsID.h"
#include "uIniFile.h"
#include "uLanguage.h"
#include "uLittleEndian.h"
#include "uNumbers.h"
#include "uStringTable.h"
#include "uUiServices.h"

namespace {

constexpr int32_t idCount = 5394;
constexpr int32_t idIntervals = 5395;
constexpr size_t kRecordSize = 24;
// The stored count is an integer of the stream; more intervals than a
// binary value can hold are refused.
constexpr int32_t kMaxIntervals = std::numeric_limits<int32_t>::max() / static_cast<int32_t>(kRecordSize);
// Half the width of the band around a value that answers a hit test (mm).
constexpr double kHitReach = 5;
// A row no interval can reach: the first interval always starts afresh.
constexpr int kNoRow = -10000000;

double ReadLittleDouble(const uint8_t* p) {
  const uint64_t bits = uint64_t{GetLE32(p)} | uint64_t{GetLE32(p + 4)} << 32;
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

void WriteLittleDouble(uint8_t* p, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PutLE32(p, static_cast<uint32_t>(bits));
  PutLE32(p + 4, static_cast<uint32_t>(bits >> 32));
}

double Cell(const TStringTable& table, int col, int row) {
  return ReadNumber(table.Cells().Utf8(col, row), std::numeric_limits<double>::quiet_NaN());
}

}  // namespace

double TPrintHistogramm::MaxValue() const {
  double m = 0;
  for (const THistInterval& i : FIntervals)
    if (i.Value > m) m = i.Value;
  return m;
}

void TPrintHistogramm::SetIntervals(std::vector<THistInterval> intervals) {
  FIntervals = std::move(intervals);
  SetModified(true);
}

int TPrintHistogramm::FindInterval(double depth) const {
  for (size_t i = 0; i < FIntervals.size(); ++i)
    if (FIntervals[i].TopDepth <= depth && depth <= FIntervals[i].BottomDepth) return static_cast<int>(i);
  return -1;
}

void TPrintHistogramm::DrawData(TDrawContext& context) {
  QPainter* dc = context.DC;
  if (!dc || GetWidth() <= 0 || GetHeight() <= 0) return;
  const TPixelMapping pixels = context.Pixels();
  const TDepthMapping depths = DepthMapping();
  int previousEnd = kNoRow;
  QPoint at;
  for (const THistInterval& i : FIntervals) {
    const int x = pixels.X(ValueToX(i.Value));
    const int y1 = pixels.Y(depths.ToPage(i.TopDepth));
    const int y2 = pixels.Y(depths.ToPage(i.BottomDepth));
    if (y1 == previousEnd) dc->drawLine(at, QPoint(x, y1));
    dc->drawLine(QPoint(x, y1), QPoint(x, y2));
    at = QPoint(x, y2);
    previousEnd = y2;
  }
}

uint32_t TPrintHistogramm::HitTest(double x, double y, TPrintObject** target) {
  for (int i = 0; i < Count(); ++i) {
    TPrintObject* child = GetChild(i);
    if (!child) continue;
    TPrintObject* hit = nullptr;
    if (const uint32_t code = child->HitTest(x, y, &hit); code != 0) {
      if (target) *target = hit;
      return code;
    }
  }
  const int i = FindInterval(PageToDepth(y));
  if (i < 0 || std::fabs(x - ValueToX(FIntervals[static_cast<size_t>(i)].Value)) > kHitReach) return 0;
  if (target) *target = this;
  return FFlags;
}

double TPrintHistogramm::GetChildrenHeight() const {
  return DepthToPage(FIntervals.empty() ? 0.0 : FIntervals.back().BottomDepth) - FTop;
}

void TPrintHistogramm::Changed() {
  if (FFilling) return;
  const double height = GetChildrenHeight();
  if (std::isfinite(height)) SetHeight(height);
  TPrintObject::Changed();
}

void TPrintHistogramm::ImportIntervalColumn(const TStringTable& table, int fromColumn, int valueColumn, int toColumn) {
  if (valueColumn < 0 || valueColumn >= table.ColCount()) return;
  // The interval import names its columns in the headers: every row is data
  // (the first was once taken for the names, losing the shallowest interval).
  SetName(table.GetHeader(valueColumn));
  std::vector<THistInterval> intervals;
  const int cols = table.ColCount();
  if (fromColumn >= 0 && fromColumn < cols && toColumn >= 0 && toColumn < cols)
    for (int r = 0; r < table.RowCount(); ++r) {
      const THistInterval i{Cell(table, fromColumn, r), Cell(table, toColumn, r), Cell(table, valueColumn, r)};
      if (std::isnan(i.TopDepth) || std::isnan(i.BottomDepth) || std::isnan(i.Value)) continue;
      intervals.push_back(i);
    }
  SetIntervals(std::move(intervals));
  TIniFile defaults(CurveDefaultsFileName());
  LoadFromIni(&defaults, FName, QString());
  RefitWidth();
  AddNameCaption(&defaults);
  AddScaleHeader(&defaults);
  Changed();
}

bool TPrintHistogramm::LoadFromQS(ICompoundStream* stream) {
  if (!TPrintDiagrammBase::LoadFromQS(stream)) return false;
  FIntervals.clear();
  const int32_t count = qsReadInteger(stream, idCount, 0);
  if (count > 0) {
    TCompoundEntry entry{};
    const bool fits = count <= kMaxIntervals && stream->GetEntry(idIntervals, &entry) == S_OK &&
                      entry.Tag == qsBinary && entry.Size == static_cast<uint64_t>(count) * kRecordSize && entry.Data;
    if (!fits) {
      const QString text =
          TranslateError(QStringLiteral("HistogramDamaged"),
                         QStringLiteral("The intervals of histogram %s are damaged; it is loaded empty."));
      Ui().Message(TMsgKind::Warning, TranslateKindName(kindHistogramm), SubstituteArgs(text, {FName}), mbOK);
    } else {
      const auto* p = static_cast<const uint8_t*>(entry.Data);
      FIntervals.resize(static_cast<size_t>(count));
      for (THistInterval& i : FIntervals) {
        i.TopDepth = ReadLittleDouble(p);
        i.BottomDepth = ReadLittleDouble(p + 8);
        i.Value = ReadLittleDouble(p + 16);
        p += kRecordSize;
      }
    }
  }
  SetModified(false);
  return true;
}

bool TPrintHistogramm::SaveToQS(ICompoundStream* stream) {
  if (!TPrintDiagrammBase::SaveToQS(stream)) return false;
  if (FIntervals.size() > static_cast<size_t>(kMaxIntervals)) return false;
  if (!qsWriteInteger(stream, idCount, static_cast<int32_t>(FIntervals.size()))) return false;
  if (FIntervals.empty()) return true;
  std::vector<uint8_t> bytes(FIntervals.size() * kRecordSize);
  uint8_t* p = bytes.data();
  for (const THistInterval& i : FIntervals) {
    WriteLittleDouble(p, i.TopDepth);
    WriteLittleDouble(p + 8, i.BottomDepth);
    WriteLittleDouble(p + 16, i.Value);
    p += kRecordSize;
  }
  return stream->WriteBuffer(idIntervals, bytes.data(), static_cast<int32_t>(bytes.size())) == S_OK;
}

void TPrintHistogramm::DumpProperties(QJsonObject* json) const {
  TPrintDiagrammBase::DumpProperties(json);
  if (!json) return;
  (*json)[QStringLiteral("intervalCount")] = static_cast<qint64>(FIntervals.size());
  if (!FIntervals.empty()) {
    (*json)[QStringLiteral("firstInterval")] =
        QJsonArray{FIntervals.front().TopDepth, FIntervals.front().BottomDepth, FIntervals.front().Value};
    (*json)[QStringLiteral("lastInterval")] =
        QJsonArray{FIntervals.back().TopDepth, FIntervals.back().BottomDepth, FIntervals.back().Value};
  }
  (*json)[QStringLiteral("maxValue")] = MaxValue();
}
