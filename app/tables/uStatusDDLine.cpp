#include "uStatusDDLine.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <cmath>

#include "qsID.h"
#include "uCodePage.h"
#include "uIniFile.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPrintDeepTable.h"
#include "uPropertiesDialogs.h"
#include "uStringTable.h"

namespace {

constexpr int32_t idFillCondition = 5888;
constexpr int32_t idPointCondition = 5889;
constexpr int32_t idPointInterval = 5890;

// Conditions are stored as Windows-1251 bytes and cut to 255 of them.
QString Stored(ICompoundStream* stream, int32_t id) {
  return QString::fromStdString(Cp1251ToUtf8(qsReadShortStr(stream, id, "")));
}

}  // namespace

TStatusDDLine::TStatusDDLine() {
  // "C1RNS1=" and the letter Ka (0xCA in Windows-1251) or Ge (0xC3): the
  // first letter of a row's first cell, as core recovery tables mark it.
  FillCondition = QStringLiteral("C1RNS1=") + QChar(0x041A);
  PointCondition = QStringLiteral("C1RNS1=") + QChar(0x0413);
  FWidth = kNewWidth;
}

void TStatusDDLine::GetCaption(QString* text) {
  if (text) *text = TranslateKindName(kindStatusDDLine);
}

bool TStatusDDLine::ConditionMatches(const QString& condition, const TStringTable& table, int row) {
  const QStringList parts = condition.split(QLatin1Char('='));
  if (parts.size() != 2) return false;
  QString key = parts[0];
  const qsizetype n = key.indexOf(QLatin1Char('N'), 0, Qt::CaseInsensitive);
  if (n >= 0) key.replace(n, 1, QString::number(row + 1));
  return table.ResolveReference(key).compare(parts[1], Qt::CaseInsensitive) == 0;
}

void TStatusDDLine::RebuildIntervals(const TStringTable& table) {
  FIntervals.clear();
  bool alternate = false;
  for (int row = 0; row < table.RowCount(); ++row) {
    const TInterval* interval = table.GetRowInterval(row);
    if (!interval) continue;
    TIntervalEx item{interval->Top, interval->Bottom, isEmpty};
    if (ConditionMatches(FillCondition, table, row)) {
      item.State = alternate ? isEmpty : isFilled;
      alternate = !alternate;
    }
    if (ConditionMatches(PointCondition, table, row)) {
      item.State = isDotted;
      alternate = false;
    }
    FIntervals.push_back(item);
  }
}

void TStatusDDLine::Draw(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0) return;
  const TRect r = GetPixelRect(context);
  if (!r.Intersects(context.ClipRect)) return;
  QPainter* dc = context.DC;
  if (dc && context.Has(doBorders)) {
    DrawOutline(dc, r);
    const TPixelMapping px = context.Pixels();
    const TDepthMapping depth = DepthMapping();
    const int spacing =
        std::max(1, RoundEven(context.DpiY() * PointInterval * static_cast<double>(context.Zoom) / 25.4));
    const int middle = (r.Left + r.Right) / 2;
    const QBrush black = GdiBrush(Qt::black);
    for (const TIntervalEx& i : FIntervals) {
      const int y1 = px.Y(depth.ToPage(i.Top));
      const int y2 = px.Y(depth.ToPage(i.Bottom));
      if (i.State == isFilled) {
        FillPixelRect(dc, {r.Left, y1, r.Right + 1, y2 + 1}, black);
      } else if (i.State == isDotted && y2 >= y1) {
        for (int k = 0; k <= (y2 - y1) / spacing; ++k) {
          const int y = y1 + k * spacing;
          FillPixelRect(dc, {middle, y, middle + 1, y + 1}, black);
        }
      }
    }
  }
  TPrintDeepObject::Draw(context);
}

bool TStatusDDLine::EditProperties() { return RunPropertiesDialog(QStringLiteral("TStatusDDLine"), this); }

bool TStatusDDLine::LoadFromQS(ICompoundStream* stream) {
  if (!TPrintDeepObject::LoadFromQS(stream)) return false;
  // A file without a condition has none: the defaults are a new line's only.
  FillCondition = Stored(stream, idFillCondition);
  PointCondition = Stored(stream, idPointCondition);
  PointInterval = qsReadDouble(stream, idPointInterval, 2.0);
  return true;
}

bool TStatusDDLine::SaveToQS(ICompoundStream* stream) {
  if (!TPrintDeepObject::SaveToQS(stream)) return false;
  return qsWriteShortStr(stream, idFillCondition, Utf8ToCp1251(FillCondition.toStdString())) &&
         qsWriteShortStr(stream, idPointCondition, Utf8ToCp1251(PointCondition.toStdString())) &&
         qsWriteDouble(stream, idPointInterval, PointInterval);
}

bool TStatusDDLine::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TPrintDeepObject::LoadFromIni(ini, section, prefix)) return false;
  FillCondition = ini->ReadString(section, prefix + QStringLiteral("ICFILL"), QString());
  PointCondition = ini->ReadString(section, prefix + QStringLiteral("ICPOINT"), QString());
  return true;
}

void TStatusDDLine::DumpProperties(QJsonObject* json) const {
  TPrintDeepObject::DumpProperties(json);
  if (!json) return;
  (*json)[QStringLiteral("fillCondition")] = FillCondition;
  (*json)[QStringLiteral("pointCondition")] = PointCondition;
  (*json)[QStringLiteral("pointInterval")] = PointInterval;
  QJsonArray states;
  for (const TIntervalEx& i : FIntervals) states.append(i.State);
  (*json)[QStringLiteral("states")] = states;
}
