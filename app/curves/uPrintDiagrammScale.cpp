#include "uPrintDiagrammScale.h"

#include <QJsonObject>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "qsID.h"
#include "uCodePage.h"
#include "uCurvePainter.h"
#include "uIniFile.h"
#include "uNumbers.h"
#include "uPrintDiagrammBase.h"
#include "uPropertiesDialogs.h"

namespace {

constexpr int32_t idMeasureName = 5383;
constexpr int32_t idMarkStep = 5384;
constexpr int32_t idMarkSize = 5385;
constexpr int32_t idMarkIndex1 = 5389;
constexpr int32_t idMarkIndex2 = 5390;
constexpr int32_t idShowName = 5397;

QString FromCp1251(const std::string& bytes) { return QString::fromStdString(Cp1251ToUtf8(bytes)); }
std::string ToCp1251(const QString& text) { return Utf8ToCp1251(text.left(255).toStdString()); }

// A vertical or horizontal line without its end point, as the platform draws
// lines: a mark of m pixels covers m pixels.
void LineExclusive(QPainter* dc, int x1, int y1, int x2, int y2) {
  if (x1 == x2 && y1 == y2) return;
  const int ex = x2 == x1 ? x2 : (x2 > x1 ? x2 - 1 : x2 + 1);
  const int ey = y2 == y1 ? y2 : (y2 > y1 ? y2 - 1 : y2 + 1);
  dc->drawLine(x1, y1, ex, ey);
}

int Column(const TDrawContext& context, double mm) {
  return std::clamp(context.PixelX(mm), -kCurveColumnLimit, kCurveColumnLimit);
}

// Where a label of width w for the mark at x begins: centred, moved inside
// [spanLeft, spanRight] with a gap from the end marks when it fits there (a
// span narrower than the label leaves it centred).
int LabelLeft(int x, int w, int spanLeft, int spanRight, int gap) {
  const int centred = x - w / 2;
  if (spanRight - spanLeft < w + 2 * gap) return centred;
  return std::clamp(centred, spanLeft + gap, spanRight - w - gap);
}

}  // namespace

TPrintDiagrammScale::TPrintDiagrammScale() {
  FBorder = false;
  FFlags |= pfMoveY | pfSizeX;
}

void TPrintDiagrammScale::GetCaption(QString* text) {
  if (text) *text = FMeasureName;
}

void TPrintDiagrammScale::SetWidth(double value) {
  TPrintObject::SetWidth(FLoading ? value : std::max(value, 2.0 * FMarkStep));
}

void TPrintDiagrammScale::SetMarkStep(int32_t value) {
  if (value >= 1) FMarkStep = value;
}

int64_t TPrintDiagrammScale::FirstMark() const { return FMarkIndex1 == kMarkIndexUnset ? 0 : FMarkIndex1; }

int64_t TPrintDiagrammScale::LastMark() const {
  const int64_t a = FirstMark();
  int64_t b = FMarkIndex2;
  if (FMarkIndex2 == kMarkIndexUnset) {
    const double marks = std::nearbyint(GetWidth() / FMarkStep);
    // A width beyond any page is damage; it must not turn into billions of marks.
    b = std::isfinite(marks) ? static_cast<int64_t>(std::clamp(marks, -1e9, 1e9)) - 1 : a;
  }
  return std::max(a, b);
}

QString TPrintDiagrammScale::MarkLabel(int64_t i) const {
  const auto* curve = dynamic_cast<const IPrintDiagramm*>(FParent);
  if (!curve) return QString();
  const double value = curve->XToValue(FLeft + static_cast<double>(i) * FMarkStep);
  return QString::fromStdString(FormatSignificant(value, 5));
}

QString TPrintDiagrammScale::UnitText() const {
  if (!FShowName || !FParent) return FMeasureName;
  return FParent->Caption() + QLatin1Char(' ') + FMeasureName;
}

void TPrintDiagrammScale::Draw(TDrawContext& context) {
  QPainter* dc = context.DC;
  if (dc && dc->device() && context.Has(doBorders)) {
    TFontEx font;
    font.Assign(FScaleFont);
    font.SetResolution(RoundEven(context.DpiY() * static_cast<double>(context.Zoom)));
    const QPen oldPen = dc->pen();
    dc->setPen(CosmeticPen(ColorRefToQColor(FScaleFont.Color), psSolid, 1));

    const int64_t a = FirstMark();
    const int64_t b = LastMark();
    const int y1 = context.PixelY(FTop);
    const int y2 = context.PixelY(FTop + FMarkSize);
    // Nothing when the marks and the line of labels below them lie above or
    // below the rows being repainted: a printed log draws every object on
    // every page, and the header stands on one of them.
    const int lineHeight = std::max(1, std::abs(font.Height()));
    if (std::max(y1, y2) + 3 * lineHeight + 2 < context.ClipRect.Top ||
        std::min(y1, y2) - 3 * lineHeight - 2 > context.ClipRect.Bottom) {
      dc->setPen(oldPen);
      TPrintObject::Draw(context);
      return;
    }
    // Only the marks whose line or label can reach the columns being repainted.
    const int reach = 64 * lineHeight + 64;
    const double from = (context.PageX(context.ClipRect.Left - reach) - FLeft) / FMarkStep;
    const double to = (context.PageX(context.ClipRect.Right + reach) - FLeft) / FMarkStep;
    const int64_t i1 = std::max<int64_t>(a, static_cast<int64_t>(std::clamp(std::floor(from), -4e9, 4e9)));
    const int64_t i2 = std::min<int64_t>(b, static_cast<int64_t>(std::clamp(std::ceil(to), -4e9, 4e9)));
    for (int64_t i = i1; i <= i2; ++i) {
      const int x = Column(context, FLeft + static_cast<double>(i) * FMarkStep);
      LineExclusive(dc, x, y1, x, y2);
    }
    // Labels centre on their marks, but the end ones stay within the first and
    // last mark: a header usually starts at its track's edge, where a centred
    // "-80" would be cut by the neighbouring track or the page to read "80".
    const int spanLeft = Column(context, FLeft + static_cast<double>(a) * FMarkStep);
    const int spanRight = Column(context, FLeft + static_cast<double>(b) * FMarkStep);
    const int gap = std::max(1, context.LengthX(0.4));
    for (int64_t i = i1; i <= i2; ++i) {
      const QString label = MarkLabel(i);
      if (label.isEmpty()) continue;
      const int x = Column(context, FLeft + static_cast<double>(i) * FMarkStep);
      const int w = font.MeasureLine(dc, label).width();
      font.DrawLine(dc, LabelLeft(x, w, spanLeft, spanRight, gap), y2 + 1, label);
    }
    const double unitAt = FLeft + static_cast<double>(b) * FMarkStep + FMarkStep / 3.0;
    if (std::abs(context.PixelX(unitAt)) < kCurveColumnLimit) font.DrawLine(dc, context.PixelX(unitAt), y2, UnitText());
    if (FBorder)
      LineExclusive(dc, Column(context, FLeft + static_cast<double>(a) * FMarkStep), y1,
                    Column(context, FLeft + static_cast<double>(b) * FMarkStep), y1);
    dc->setPen(oldPen);
  }
  TPrintObject::Draw(context);
}

bool TPrintDiagrammScale::EditProperties() {
  if (!RunPropertiesDialog(QStringLiteral("TPrintDiagrammScale"), this)) return false;
  SetModified(true);
  return true;
}

bool TPrintDiagrammScale::LoadFromQS(ICompoundStream* stream) {
  // The stored width suits the stored step, which is read after it.
  FLoading = true;
  const bool loaded = TPrintObject::LoadFromQS(stream);
  FLoading = false;
  if (!loaded) return false;
  FMeasureName = FromCp1251(qsReadShortStr(stream, idMeasureName, ""));
  FMarkStep = kDefaultMarkStep;
  SetMarkStep(qsReadInteger(stream, idMarkStep, kDefaultMarkStep));
  FMarkSize = qsReadInteger(stream, idMarkSize, kDefaultMarkSize);
  FMarkIndex1 = qsReadInteger(stream, idMarkIndex1, kMarkIndexUnset);
  FMarkIndex2 = qsReadInteger(stream, idMarkIndex2, kMarkIndexUnset);
  FScaleFont.LoadFromQS(stream);
  FShowName = qsReadBool(stream, idShowName, false);
  SetWidth(GetWidth());
  SetModified(false);
  return true;
}

bool TPrintDiagrammScale::SaveToQS(ICompoundStream* stream) {
  if (!TPrintObject::SaveToQS(stream)) return false;
  if (!qsWriteShortStr(stream, idMeasureName, ToCp1251(FMeasureName))) return false;
  if (!qsWriteInteger(stream, idMarkStep, FMarkStep)) return false;
  if (!qsWriteInteger(stream, idMarkSize, FMarkSize)) return false;
  if (FMarkIndex1 != kMarkIndexUnset) qsWriteInteger(stream, idMarkIndex1, FMarkIndex1);
  if (FMarkIndex2 != kMarkIndexUnset) qsWriteInteger(stream, idMarkIndex2, FMarkIndex2);
  if (!FScaleFont.SaveToQS(stream)) return false;
  qsWriteBool(stream, idShowName, FShowName);
  return true;
}

bool TPrintDiagrammScale::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!ini || section.isEmpty()) return false;
  if (!FScaleFont.LoadFromIni(ini, section, prefix + QStringLiteral("FONT."))) return false;
  FMeasureName = ini->ReadString(section, prefix + QStringLiteral("NAME"), FMeasureName);
  SetMarkStep(ini->ReadInteger(section, prefix + QStringLiteral("MARKSTEP"), FMarkStep));
  FMarkSize = ini->ReadInteger(section, prefix + QStringLiteral("MARKSIZE"), FMarkSize);
  FMarkIndex1 = ini->ReadInteger(section, prefix + QStringLiteral("MARKINDEX1"), FMarkIndex1);
  FMarkIndex2 = ini->ReadInteger(section, prefix + QStringLiteral("MARKINDEX2"), FMarkIndex2);
  SetTop(ini->ReadFloat(section, prefix + QStringLiteral("TOP"), FTop));
  FShowName = ini->ReadBool(section, prefix + QStringLiteral("SHOWNAME"), FShowName);
  FBorder = ini->ReadBool(section, prefix + QStringLiteral("BORDER"), FBorder);
  return true;
}

bool TPrintDiagrammScale::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!ini || section.isEmpty()) return false;
  if (!FScaleFont.SaveToIni(ini, section, prefix + QStringLiteral("FONT."))) return false;
  bool ok = ini->WriteString(section, prefix + QStringLiteral("NAME"), FMeasureName);
  // Default step and size are not written; a value left from an earlier save
  // would otherwise be read back in their place.
  const auto writeUnlessDefault = [&](const QString& key, int32_t value, int32_t def) {
    if (value != def) return ini->WriteInteger(section, prefix + key, value);
    return !ini->ValueExists(section, prefix + key) || ini->DeleteKey(section, prefix + key);
  };
  ok = writeUnlessDefault(QStringLiteral("MARKSTEP"), FMarkStep, kDefaultMarkStep) && ok;
  ok = writeUnlessDefault(QStringLiteral("MARKSIZE"), FMarkSize, kDefaultMarkSize) && ok;
  const auto writeIndex = [&](const QString& key, int32_t value) {
    return value == kMarkIndexUnset ? ini->WriteString(section, prefix + key, QString())
                                    : ini->WriteInteger(section, prefix + key, value);
  };
  ok = writeIndex(QStringLiteral("MARKINDEX1"), FMarkIndex1) && ok;
  ok = writeIndex(QStringLiteral("MARKINDEX2"), FMarkIndex2) && ok;
  ok = ini->WriteFloat(section, prefix + QStringLiteral("TOP"), FTop) && ok;
  ok = ini->WriteBool(section, prefix + QStringLiteral("SHOWNAME"), FShowName) && ok;
  ok = ini->WriteBool(section, prefix + QStringLiteral("BORDER"), FBorder) && ok;
  return ok;
}

void TPrintDiagrammScale::DumpProperties(QJsonObject* json) const {
  TPrintObject::DumpProperties(json);
  if (!json) return;
  const auto index = [](int32_t v) { return v == kMarkIndexUnset ? QJsonValue() : QJsonValue(v); };
  (*json)[QStringLiteral("measureName")] = FMeasureName;
  (*json)[QStringLiteral("markStep")] = FMarkStep;
  (*json)[QStringLiteral("markSize")] = FMarkSize;
  (*json)[QStringLiteral("markIndex1")] = index(FMarkIndex1);
  (*json)[QStringLiteral("markIndex2")] = index(FMarkIndex2);
  (*json)[QStringLiteral("showName")] = FShowName;
  (*json)[QStringLiteral("scaleFont")] = FontToJson(FScaleFont);
}
