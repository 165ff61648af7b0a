#include "uPrintDiagrammBase.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "qsID.h"
#include "uCodePage.h"
#include "uIniFile.h"
#include "uNumbers.h"
#include "uPreferences.h"
#include "uPrintDiagramm.h"
#include "uPrintDiagrammScale.h"
#include "uPrintDiagrams.h"
#include "uPrintHistogramm.h"
#include "uPrintMarker.h"
#include "uPrintObjectRuller.h"
#include "uPrintText.h"
#include "uPropertiesDialogs.h"

namespace {

constexpr int32_t idName = 5376;
constexpr int32_t idColor = 5380;
constexpr int32_t idMeasure = 5381;
constexpr int32_t idLineWidth = 5393;
constexpr int32_t idLineStyle = 23;
constexpr int32_t idLogarithmic = 5396;

// Beyond this many decades 10^e is no value a label could show.
constexpr double kMaxDecades = 13;
// mm: how far from a track's edge the axis's zero may lie when set by values.
constexpr double kMaxAxisOffset = 1e6;
// Pens wider than this (pixels) come only from damaged widths.
constexpr int kMaxPenWidth = 4096;

const QString kNamePrefix = QStringLiteral("NAME.");
const QString kScalePrefix = QStringLiteral("SCALE.");

double ParseNumber(const QString& text, double def) {
  const QByteArray bytes = text.toUtf8();
  return ReadNumber(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), def);
}

}  // namespace

QString CurveDefaultsFileName() { return UserProgramFile(QStringLiteral("kerno.ini")); }

TPrintDiagrammBase::TPrintDiagrammBase() {
  FFlags |= pfMoveX;
  FBorder = false;
}

double TPrintDiagrammBase::ValueToX(double value) const {
  if (!FLogarithmic) return FLeft + value * 10 / FMeasure;
  return value > 0 ? FLeft + std::log10(value) * FMeasure * 10 : FLeft;
}

double TPrintDiagrammBase::XToValue(double x) const { return AxisValueAt(FLogarithmic, FMeasure, FLeft, x); }

double TPrintDiagrammBase::AxisValueAt(bool logarithmic, double measure, double left, double x) {
  if (!logarithmic) return (x - left) * measure / 10;
  const double e = (x - left) / (measure * 10);
  return e >= kMaxDecades ? 0 : std::pow(10.0, e);
}

double TPrintDiagrammBase::AxisZeroFor(bool logarithmic, double measure, double value, double x) {
  return logarithmic ? x - std::log10(value) * measure * 10 : x - value * 10 / measure;
}

bool TPrintDiagrammBase::AxisForRange(bool logarithmic, double from, double to, double x0, double x1, double* measure,
                                      double* left) {
  if (!std::isfinite(from) || !std::isfinite(to) || !std::isfinite(x0) || !std::isfinite(x1)) return false;
  if (!(from < to) || !(x0 < x1) || (logarithmic && from <= 0)) return false;
  const double m = logarithmic ? (x1 - x0) / (10 * (std::log10(to) - std::log10(from))) : (to - from) * 10 / (x1 - x0);
  const double l = AxisZeroFor(logarithmic, m, from, x0);
  // A zero kilometres of paper away is no scale anyone draws (and no page coordinate).
  if (!std::isfinite(m) || m == 0 || !std::isfinite(l) || std::abs(l - x0) > kMaxAxisOffset) return false;
  *measure = m;
  *left = l;
  return true;
}

void TPrintDiagrammBase::SetAxis(double measure, double left) {
  // Markers mark a value at a depth: they are put back on the line.
  std::vector<std::pair<TPrintObject*, double>> markers;
  for (int i = 0; i < Count(); ++i)
    if (TPrintObject* child = GetChild(i); child && child->GetKind() == kindMarker)
      markers.emplace_back(child, XToValue(child->Left() + child->GetWidth() / 2));
  SetMeasure(measure);
  if (std::isfinite(left)) SetLeft(left);
  for (const auto& [marker, value] : markers) {
    const double x = ValueToX(value) - marker->GetWidth() / 2;
    if (std::isfinite(x)) marker->SetLeft(x);
  }
}

void TPrintDiagrammBase::FitScaleMarks(double x0, double x1) {
  for (int i = 0; i < Count(); ++i) {
    auto* scale = dynamic_cast<TPrintDiagrammScale*>(GetChild(i));
    if (!scale || scale->MarkStep() <= 0) continue;
    // A hair of tolerance keeps a mark that falls on an edge.
    const double first = std::ceil((x0 - FLeft) / scale->MarkStep() - 1e-9);
    const double last = std::floor((x1 - FLeft) / scale->MarkStep() + 1e-9);
    if (!(first <= last) || std::abs(first) > 1e6 || std::abs(last) > 1e6) continue;
    scale->SetMarkIndex1(static_cast<int32_t>(first));
    scale->SetMarkIndex2(static_cast<int32_t>(last));
    scale->SetModified(true);
  }
}

bool TPrintDiagrammBase::SetValueRange(double from, double to, double x0, double x1) {
  double measure = 0;
  double left = 0;
  if (!AxisForRange(FLogarithmic, from, to, x0, x1, &measure, &left)) return false;
  SetAxis(measure, left);
  FitScaleMarks(x0, x1);
  return true;
}

std::unique_ptr<TPrintObject> TPrintDiagrammBase::CreateChild(int kind) {
  return CreateKindObject(kind, {kindText, kindDiagrammScale, kindMarker});
}

void TPrintDiagrammBase::SetName(const QString& value) {
  if (value == FName) return;
  FName = value;
  SetModified(true);
}

void TPrintDiagrammBase::SetColor(uint32_t value) {
  if (value == FColor) return;
  FColor = value;
  for (int i = 0; i < Count(); ++i) {
    TPrintObject* child = GetChild(i);
    if (!child) continue;
    if (child->GetKind() == kindText)
      static_cast<TPrintText*>(child)->Font().Color = value;
    else if (child->GetKind() == kindDiagrammScale)
      static_cast<TPrintDiagrammScale*>(child)->SetColor(value);
  }
  SetModified(true);
}

void TPrintDiagrammBase::SetLineWidth(double value) {
  if (value == FLineWidth) return;
  FLineWidth = value;
  SetModified(true);
}

void TPrintDiagrammBase::SetLineStyle(int32_t value) {
  if (value == FLineStyle) return;
  FLineStyle = value;
  SetModified(true);
}

void TPrintDiagrammBase::StoreMeasure(double value) {
  if (value != 0 && std::isfinite(value)) FMeasure = value;
}

void TPrintDiagrammBase::SetMeasure(double value) {
  if (value == FMeasure || value == 0 || !std::isfinite(value)) return;
  FMeasure = value;
  SetModified(true);
  RefitWidth();
}

void TPrintDiagrammBase::SetLogarithmic(bool value) {
  if (value == FLogarithmic) return;
  FLogarithmic = value;
  SetModified(true);
  RefitWidth();
}

void TPrintDiagrammBase::RefitWidth() {
  const double width = ValueToX(MaxValue()) - FLeft;
  SetWidth(width >= kMinCurveWidth ? width : kMinCurveWidth);
}

QPen TPrintDiagrammBase::CurvePen(const TDrawContext& context) const {
  const double pixels = std::nearbyint(context.DpiX() * FLineWidth * static_cast<double>(context.Zoom) / 25.4);
  int width = std::isfinite(pixels) ? static_cast<int>(std::clamp(pixels, 1.0, double(kMaxPenWidth))) : 1;
  if (context.Has(doSelection) && FSelected) ++width;
  const QColor color = context.Has(doFrames) ? QColor(Qt::black) : ColorRefToQColor(FColor);
  if (FLineStyle >= psDash && FLineStyle <= psDashDotDot) return GeometricPen(color, FLineStyle, width);
  return CosmeticPen(color, psSolid, width);
}

void TPrintDiagrammBase::Draw(TDrawContext& context) {
  if (GetWidth() <= 0) return;
  // A curve without data (a template's, before a LAS file fills it) has no
  // height. On screen its caption and scale header still show what the track
  // is for; a sheet printed or exported shows no scale of a curve it lacks.
  if (GetHeight() <= 0 && !context.Has(doScreen)) return;
  QPainter* dc = context.DC;
  if (dc && GetHeight() > 0 &&
      (context.Has(doFrames) || context.Has(doBorders) || (context.Has(doSelection) && FSelected))) {
    const QPen old = dc->pen();
    dc->setPen(CurvePen(context));
    DrawData(context);
    dc->setPen(old);
  }
  for (int i = 0; i < Count(); ++i)
    if (TPrintObject* child = GetChild(i); child && child != context.Skip) child->Draw(context);
}

bool TPrintDiagrammBase::EditProperties() { return RunPropertiesDialog(QStringLiteral("TPrintDiagrammBase"), this); }

bool TPrintDiagrammBase::LoadFromQS(ICompoundStream* stream) {
  if (!TPrintDeepObject::LoadFromQS(stream)) return false;
  FName = QString::fromStdString(Cp1251ToUtf8(qsReadShortStr(stream, idName, "")));
  FColor = 0;
  SetColor(static_cast<uint32_t>(qsReadInteger(stream, idColor, 0)));
  StoreMeasure(qsReadDouble(stream, idMeasure, FMeasure));
  FLineWidth = qsReadDouble(stream, idLineWidth, FLineWidth);
  FLineStyle = qsReadInteger(stream, idLineStyle, FLineStyle);
  FLogarithmic = qsReadBool(stream, idLogarithmic, FLogarithmic);
  SetModified(false);
  return true;
}

bool TPrintDiagrammBase::SaveToQS(ICompoundStream* stream) {
  if (!TPrintDeepObject::SaveToQS(stream)) return false;
  return qsWriteShortStr(stream, idName, Utf8ToCp1251(FName.left(255).toStdString())) &&
         qsWriteInteger(stream, idColor, static_cast<int32_t>(FColor)) &&
         stream->WriteDouble(idMeasure, FMeasure) == S_OK && stream->WriteDouble(idLineWidth, FLineWidth) == S_OK &&
         qsWriteInteger(stream, idLineStyle, FLineStyle) && qsWriteBool(stream, idLogarithmic, FLogarithmic);
}

bool TPrintDiagrammBase::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  // Every curve of a column is offered the parameters of a file: a name the
  // file does not know keeps the curve as it is.
  if (!ini || section.isEmpty() || !ini->SectionExists(section)) return false;
  SetColor(
      static_cast<uint32_t>(ini->ReadInteger(section, prefix + QStringLiteral("COLOR"), static_cast<int>(FColor))));
  SetMeasure(ParseNumber(ini->ReadString(section, prefix + QStringLiteral("SCALE.MEASUREMENT"), QStringLiteral("1")),
                         FMeasure));
  // The offset inside the column; an unreadable one leaves the curve where it is.
  const double offset =
      ParseNumber(ini->ReadString(section, prefix + QStringLiteral("XPOSITION"), QStringLiteral("0")), std::nan(""));
  if (std::isfinite(offset)) SetLeft(offset + (FParent ? FParent->Left() : 0));
  SetLineWidth(
      ParseNumber(ini->ReadString(section, prefix + QStringLiteral("LINE.WIDTH"), QStringLiteral("0")), FLineWidth));
  bool styleOk = false;
  const int style =
      ini->ReadString(section, prefix + QStringLiteral("LINE.STYLE"), QStringLiteral("0")).trimmed().toInt(&styleOk);
  if (styleOk) SetLineStyle(style);
  SetLogarithmic(ini->ReadBool(section, prefix + QStringLiteral("LOGARIPHMIC"), FLogarithmic));
  RefitWidth();
  return true;
}

bool TPrintDiagrammBase::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!ini || section.isEmpty()) return false;
  bool ok = ini->WriteInteger(section, prefix + QStringLiteral("COLOR"), static_cast<int>(FColor));
  ok = ini->WriteFloat(section, prefix + QStringLiteral("SCALE.MEASUREMENT"), FMeasure) && ok;
  ok = ini->WriteFloat(section, prefix + QStringLiteral("XPOSITION"), FLeft - (FParent ? FParent->Left() : 0)) && ok;
  ok = ini->WriteFloat(section, prefix + QStringLiteral("LINE.WIDTH"), FLineWidth) && ok;
  ok = ini->WriteInteger(section, prefix + QStringLiteral("LINE.STYLE"), FLineStyle) && ok;
  ok = ini->WriteBool(section, prefix + QStringLiteral("LOGARIPHMIC"), FLogarithmic) && ok;
  for (int i = 0; i < Count(); ++i) {
    TPrintObject* child = GetChild(i);
    if (!child) continue;
    if (child->GetKind() == kindText)
      ok = child->SaveToIni(ini, section, prefix + kNamePrefix) && ok;
    else if (child->GetKind() == kindDiagrammScale)
      ok = child->SaveToIni(ini, section, prefix + kScalePrefix) && ok;
  }
  return ok;
}

bool TPrintDiagrammBase::LoadDefaults() {
  TIniFile ini(CurveDefaultsFileName());
  return LoadFromIni(&ini, FName, QString());
}

bool TPrintDiagrammBase::SaveDefaults() {
  TIniFile ini(CurveDefaultsFileName());
  return SaveToIni(&ini, FName, QString());
}

TPrintText* TPrintDiagrammBase::AddNameCaption(TIniFile* defaults) {
  auto text = std::make_unique<TPrintText>();
  TPrintText* caption = text.get();
  constexpr double kHeight = 5;
  caption->SetBoundsRect({FLeft, FTop - kHeight, FLeft + GetWidth(), FTop});
  caption->SetFlags(pfMoveX | pfMoveY | pfSizeX | pfSizeY);
  caption->SetText(FName);
  caption->Font().Color = FColor;
  caption->Font().SetSize(12);
  caption->Font().Format = DT_CENTER | DT_VCENTER;
  AddChild(std::move(text));
  if (defaults) caption->LoadFromIni(defaults, FName, kNamePrefix);
  return caption;
}

TPrintDiagrammScale* TPrintDiagrammBase::AddScaleHeader(TIniFile* defaults) {
  auto made = std::make_unique<TPrintDiagrammScale>();
  TPrintDiagrammScale* scale = made.get();
  constexpr double kHeight = 5;
  scale->SetLeft(FLeft);
  scale->SetTop(FTop);
  scale->SetWidth(GetWidth());
  scale->SetHeight(kHeight);
  scale->SetColor(FColor);
  AddChild(std::move(made));
  if (defaults) scale->LoadFromIni(defaults, FName, kScalePrefix);
  return scale;
}

bool TPrintDiagrammBase::ClickAt(int code, double x, double y) {
  if (code != 2) return false;
  auto marker = std::make_unique<TPrintMarker>();
  marker->SetBoundsRect({x, y, x + 3, y + 2});
  marker->SetMarkerColor(FColor);
  AddChild(std::move(marker));
  Invalidate(nullptr);
  return true;
}

void TPrintDiagrammBase::DumpProperties(QJsonObject* json) const {
  TPrintDeepObject::DumpProperties(json);
  if (!json) return;
  (*json)[QStringLiteral("name")] = FName;
  (*json)[QStringLiteral("color")] = static_cast<qint64>(FColor);
  (*json)[QStringLiteral("lineWidth")] = FLineWidth;
  (*json)[QStringLiteral("lineStyle")] = FLineStyle;
  (*json)[QStringLiteral("measure")] = FMeasure;
  (*json)[QStringLiteral("logarithmic")] = FLogarithmic;
  (*json)[QStringLiteral("scaleType")] = FLogarithmic ? QStringLiteral("logarithmic") : QStringLiteral("linear");
  (*json)[QStringLiteral("valueRange")] = QJsonArray{XToValue(FLeft), XToValue(FLeft + GetWidth())};
}

void RegisterCurvePlotKinds() {
  RegisterKind(kindDiagramm, []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintDiagramm>(); });
  RegisterKind(kindDiagrammScale,
               []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintDiagrammScale>(); });
  RegisterKind(kindMarker, []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintMarker>(); });
  RegisterKind(kindObjectRuller,
               []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintObjectRuller>(); });
  RegisterKind(kindDiagrams, []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintDiagrams>(); });
  RegisterKind(kindHistogramm, []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintHistogramm>(); });
}
