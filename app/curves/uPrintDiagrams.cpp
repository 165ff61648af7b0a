#include "uPrintDiagrams.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "qsID.h"
#include "uAddCurve.h"
#include "uCurveSamples.h"
#include "uIniFile.h"
#include "uIntervalImport.h"
#include "uLanguage.h"
#include "uLasCurves.h"
#include "uLasFill.h"
#include "uLasMatch.h"
#include "uNumbers.h"
#include "uPrintDiagramm.h"
#include "uPrintDiagrammScale.h"
#include "uPrintHeader.h"
#include "uPrintHistogramm.h"
#include "uPrintObjectRuller.h"
#include "uPrintText.h"
#include "uPropertiesDialogs.h"
#include "uStringTable.h"
#include "uUiServices.h"

namespace {

constexpr int32_t idHorz1StepOld = 6400;
constexpr int32_t idHorz1Step = 6404;
constexpr int32_t idHorz1Style = 6401;
constexpr int32_t idHorz1Color = 6402;
constexpr int32_t idHorz1Width = 6403;
constexpr int32_t idHorz2Step = 6412;
constexpr int32_t idHorz2Style = 6409;
constexpr int32_t idHorz2Color = 6410;
constexpr int32_t idHorz2Width = 6411;
constexpr int32_t idVert1Step = 6408;
constexpr int32_t idVert1Style = 6405;
constexpr int32_t idVert1Color = 6406;
constexpr int32_t idVert1Width = 6407;
constexpr int32_t idVert2Step = 6416;
constexpr int32_t idVert2Style = 6413;
constexpr int32_t idVert2Color = 6414;
constexpr int32_t idVert2Width = 6415;

constexpr int kInsertableKinds[] = {kindDiagramm, kindText, kindObjectRuller, kindHistogramm, kindImage};
// The name caption and the scale header of each curve: stacked at the
// column's top, one band per curve.
constexpr double kHeaderBand = 10;
constexpr double kCaptionHeight = 5;
// Headers ending this close over the column's top count as above it.
constexpr double kAboveTolerance = 0.01;
// Pens wider than this (pixels) come only from damaged widths.
constexpr int kMaxGridPen = 4096;
// Grid lines of one set drawn at most in one repaint (a tiny step in a deep
// column would otherwise draw for ever, every line on the same pixel rows).
constexpr double kMaxGridLines = 100000;

bool IsCurve(const TPrintObject* o) { return o && (o->GetKind() == kindDiagramm || o->GetKind() == kindHistogramm); }
bool IsHeader(const TPrintObject* o) { return o && (o->GetKind() == kindText || o->GetKind() == kindDiagrammScale); }

QString IniBeside(const QString& fileName) {
  const QFileInfo info(fileName);
  return info.dir().filePath(info.completeBaseName() + QStringLiteral(".ini"));
}

void ReadGrid(ICompoundStream* s, TGridLines* g, int32_t step, int32_t style, int32_t color, int32_t width,
              double stepDefault) {
  g->Step = qsReadDouble(s, step, stepDefault);
  g->LineStyle = qsReadInteger(s, style, 0);
  g->LineColor = static_cast<uint32_t>(qsReadInteger(s, color, 0));
  g->LineWidth = qsReadDouble(s, width, -1);
}

void WriteGrid(ICompoundStream* s, const TGridLines& g, int32_t step, int32_t style, int32_t color, int32_t width) {
  (void)s->WriteDouble(step, g.Step);
  (void)qsWriteInteger(s, style, g.LineStyle);
  (void)qsWriteInteger(s, color, static_cast<int32_t>(g.LineColor));
  (void)s->WriteDouble(width, g.LineWidth);
}

QJsonObject GridJson(const TGridLines& g) {
  return {{QStringLiteral("step"), g.Step},
          {QStringLiteral("style"), g.LineStyle},
          {QStringLiteral("color"), static_cast<qint64>(g.LineColor)},
          {QStringLiteral("width"), g.LineWidth}};
}

}  // namespace

TPrintDiagrams::TPrintDiagrams() {
  FFlags |= pfInsert;
  FBorder = false;
}

std::unique_ptr<TPrintObject> TPrintDiagrams::CreateChild(int kind) {
  return CreateKindObject(kind, {kindDiagramm, kindText, kindObjectRuller, kindHistogramm, kindImage});
}

int TPrintDiagrams::GetInsertableKind(int index) {
  return index >= 0 && index < static_cast<int>(std::size(kInsertableKinds)) ? kInsertableKinds[index] : 0;
}

double TPrintDiagrams::DataTopDepth() const {
  double top = std::numeric_limits<double>::quiet_NaN();
  const auto take = [&top](double depth) {
    if (std::isfinite(depth) && (std::isnan(top) || depth < top)) top = depth;
  };
  for (int i = 0; i < Count(); ++i)
    if (const auto* c = dynamic_cast<const TPrintDiagramm*>(GetChild(i)); c && c->SampleCount() > 0) {
      take(c->StartDepth());
    } else if (const auto* h = dynamic_cast<const TPrintHistogramm*>(GetChild(i))) {
      // Core histograms added to a fresh sheet are data too: the sheet offers
      // to start at them as it does for curves.
      for (const THistInterval& interval : h->Intervals()) take(std::min(interval.TopDepth, interval.BottomDepth));
    }
  return top;
}

std::vector<TPrintDiagramm*> TPrintDiagrams::Curves() const {
  std::vector<TPrintDiagramm*> result;
  for (int i = 0; i < Count(); ++i)
    if (auto* c = dynamic_cast<TPrintDiagramm*>(GetChild(i))) result.push_back(c);
  return result;
}

TPrintDiagrammBase* TPrintDiagrams::FindCurve(const QString& name) const {
  for (int i = 0; i < Count(); ++i)
    if (auto* c = dynamic_cast<TPrintDiagrammBase*>(GetChild(i)))
      if (c->Name().compare(name, Qt::CaseInsensitive) == 0) return c;
  return nullptr;
}

bool TPrintDiagrams::HeadersAbove() const {
  for (int i = 0; i < Count(); ++i) {
    const auto* list = IsCurve(GetChild(i)) ? GetChild(i)->AsObjectList() : nullptr;
    for (int k = 0; list && k < list->Count(); ++k)
      if (const TPrintObject* child = list->GetChild(k); child && child->GetKind() == kindDiagrammScale)
        return child->Top() + child->GetHeight() <= FTop + kAboveTolerance;
  }
  return false;
}

int TPrintDiagrams::CurveCount() const {
  int curves = 0;
  for (int i = 0; i < Count(); ++i) curves += IsCurve(GetChild(i)) ? 1 : 0;
  return curves;
}

void TPrintDiagrams::StackHeaders(THeaderSide side) {
  const bool above = side == THeaderSide::Above || (side == THeaderSide::Keep && HeadersAbove());
  const int curves = CurveCount();
  const double first = above ? FTop - kHeaderBand * curves : FTop;
  int slot = 0;
  for (int i = 0; i < Count(); ++i) {
    TPrintObject* curve = GetChild(i);
    if (!IsCurve(curve)) continue;
    auto* list = curve->AsObjectList();
    const double top = first + kHeaderBand * slot++;
    for (int k = 0; list && k < list->Count(); ++k) {
      TPrintObject* child = list->GetChild(k);
      if (!IsHeader(child)) continue;
      child->SetTop(child->GetKind() == kindText ? top : top + kCaptionHeight);
      // The headers span the curve, whose width follows its largest value.
      child->SetLeft(curve->Left());
      child->SetWidth(curve->GetWidth());
    }
  }
}

void TPrintDiagrams::StackAddedHeaders() {
  StackHeaders();
  if (HeadersAbove()) MakeRoomAboveBlock(this, FLeft, FLeft + GetWidth(), kHeaderBand * CurveCount());
}

TPrintDiagramm* TPrintDiagrams::AddEmptyCurve(const QString& name, double step) {
  auto made = std::make_unique<TPrintDiagramm>();
  TPrintDiagramm* curve = made.get();
  curve->SetLeft(FLeft);
  curve->SetWidth(GetWidth());
  curve->SetTop(FTop);
  curve->SetDepthStep(step);
  curve->SetName(name);
  if (AddChild(std::move(made)) < 0) return nullptr;
  return curve;
}

void TPrintDiagrams::DrawGrid(TDrawContext& context, const TGridLines& lines, bool vertical) {
  if (!(lines.Step > 0) || !std::isfinite(lines.Step) || lines.LineWidth == 0 || !(context.Zoom > 0)) return;
  QPainter* dc = context.DC;
  const TRect r = GetPixelRect(context);
  double pixels = lines.LineWidth > 0
                      ? std::nearbyint(static_cast<double>(context.Zoom) * context.DpiY() / 25.4 * lines.LineWidth)
                      : -std::nearbyint(lines.LineWidth);
  if (!std::isfinite(pixels)) pixels = 1;
  const int width = static_cast<int>(std::clamp(pixels, 1.0, double(kMaxGridPen)));
  const QPen old = dc->pen();
  dc->setPen(GeometricPen(ColorRefToQColor(lines.LineColor), lines.LineStyle, width));
  if (vertical) {
    const double n = std::floor(GetWidth() / lines.Step);
    for (double i = 0; i <= std::min(n, kMaxGridLines); ++i) {
      const int x = context.PixelX(FLeft + i * lines.Step);
      dc->drawLine(x, r.Top, x, r.Bottom);
    }
  } else {
    // Lines at whole multiples of the step from depth 0, down to the bottom
    // edge; only those within the rows being repainted are visited.
    const double last = std::floor(BottomDepth() / lines.Step);
    const double topDepth = PageToDepth(context.PageY(std::max(r.Top, context.ClipRect.Top)));
    const double first = std::max(1.0, std::floor(topDepth / lines.Step));
    const double end = std::min(last, first + kMaxGridLines);
    for (double i = first; i <= end; ++i) {
      const int y = context.PixelY(DepthToPage(i * lines.Step));
      if (y > context.ClipRect.Bottom) break;
      if (y >= r.Top && y <= r.Bottom) dc->drawLine(r.Left, y, r.Right, y);
    }
  }
  dc->setPen(old);
}

void TPrintDiagrams::Draw(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0) return;
  if (context.DC) {
    DrawGrid(context, VertLines1, true);
    DrawGrid(context, HorzLines1, false);
    DrawGrid(context, VertLines2, true);
    DrawGrid(context, HorzLines2, false);
  }
  TDataObject::Draw(context);
}

bool TPrintDiagrams::EditProperties() {
  if (!RunPropertiesDialog(QStringLiteral("TPrintDiagrams"), this)) return false;
  SetModified(true);
  Invalidate(this);
  return true;
}

bool TPrintDiagrams::ChildStandsOnPage(const TPrintObject* child) const { return child && !IsCurve(child); }

void TPrintDiagrams::ScaleChanged(uint16_t oldScale, uint16_t newScale) {
  if (oldScale > 0 && newScale > 0) KeepNoteDepths(static_cast<double>(oldScale) / newScale);
  TDataObject::ScaleChanged(oldScale, newScale);
}

void TPrintDiagrams::Changed() {
  if (FFilling) return;
  if (FParent) FParent->Changed();
}

double TPrintDiagrams::GetChildrenHeight() const {
  double height = 0;
  for (int i = 0; i < Count(); ++i) {
    if (const auto* curve = dynamic_cast<const TPrintDiagramm*>(GetChild(i))) {
      if (curve->SampleCount() > 0) height = std::max(height, DepthToPage(curve->EndDepth()) - FTop);
    } else if (const auto* h = dynamic_cast<const TPrintHistogramm*>(GetChild(i))) {
      if (!h->Intervals().empty()) height = std::max(height, DepthToPage(h->Intervals().back().BottomDepth) - FTop);
    }
  }
  return std::isfinite(height) ? height : 0;
}

void TPrintDiagrams::ClearData() {
  if (Count() == 0) return;
  Clear();
  SetModified(true);
}

bool TPrintDiagrams::LoadFromQS(ICompoundStream* stream) {
  if (!TDataObject::LoadFromQS(stream)) return false;
  ReadGrid(stream, &HorzLines1, idHorz1Step, idHorz1Style, idHorz1Color, idHorz1Width, -1);
  if (HorzLines1.Step < 0) HorzLines1.Step = qsReadInteger(stream, idHorz1StepOld, 0);
  ReadGrid(stream, &HorzLines2, idHorz2Step, idHorz2Style, idHorz2Color, idHorz2Width, 0);
  ReadGrid(stream, &VertLines1, idVert1Step, idVert1Style, idVert1Color, idVert1Width, 0);
  ReadGrid(stream, &VertLines2, idVert2Step, idVert2Style, idVert2Color, idVert2Width, 0);
  return true;
}

bool TPrintDiagrams::SaveToQS(ICompoundStream* stream) {
  const bool ok = TDataObject::SaveToQS(stream);
  // Older readers take the whole-number step.
  (void)qsWriteInteger(stream, idHorz1StepOld, RoundEven(HorzLines1.Step));
  WriteGrid(stream, HorzLines1, idHorz1Step, idHorz1Style, idHorz1Color, idHorz1Width);
  WriteGrid(stream, HorzLines2, idHorz2Step, idHorz2Style, idHorz2Color, idHorz2Width);
  WriteGrid(stream, VertLines1, idVert1Step, idVert1Style, idVert1Color, idVert1Width);
  WriteGrid(stream, VertLines2, idVert2Step, idVert2Style, idVert2Color, idVert2Width);
  return ok;
}

namespace {

const char* const kGridKeys[] = {"GRID.H1.", "GRID.V1.", "GRID.H2.", "GRID.V2."};

// The sections of the curve children a list wrote ("OBJECTn" = "SECTION KIND").
QStringList CurveSections(TIniFile* ini, const QString& section, const QString& prefix) {
  QStringList result;
  for (int n = 1;; ++n) {
    const QString value = ini->ReadString(section, prefix + QStringLiteral("OBJECT") + QString::number(n), QString());
    if (value.isEmpty()) break;
    const QStringList words = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() >= 2 && (words[1] == QString::number(kindDiagramm) || words[1] == QString::number(kindHistogramm)))
      result << words[0];
  }
  return result;
}

}  // namespace

bool TPrintDiagrams::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TDataObject::LoadFromIni(ini, section, prefix)) return false;
  // A curve's own INI form is that of the user defaults (no name, no
  // children): a template names its curves under "CURVENAME" and keeps the
  // caption and scale header under "NAME." and "SCALE." of the same section.
  const QStringList sections = CurveSections(ini, section, prefix);
  int k = 0;
  FFilling = true;
  for (int i = 0; i < Count() && k < sections.size(); ++i) {
    auto* curve = dynamic_cast<TPrintDiagrammBase*>(GetChild(i));
    if (!curve) continue;
    const QString own = sections[k++];
    curve->SetName(ini->ReadString(own, QStringLiteral("CURVENAME"), curve->Name()));
    if (curve->Count() > 0) continue;
    // A curve saved without a name caption (its scale header naming it) gets none.
    if (ini->ValueExists(own, QStringLiteral("NAME.TEXT")))
      curve->AddNameCaption(nullptr)->LoadFromIni(ini, own, QStringLiteral("NAME."));
    curve->AddScaleHeader(nullptr)->LoadFromIni(ini, own, QStringLiteral("SCALE."));
  }
  FFilling = false;
  StackHeaders();
  TGridLines* sets[] = {&HorzLines1, &VertLines1, &HorzLines2, &VertLines2};
  for (int i = 0; i < 4; ++i) {
    const QString key = prefix + QLatin1String(kGridKeys[i]);
    TGridLines& g = *sets[i];
    g.Step = ini->ReadFloat(section, key + QStringLiteral("STEP"), g.Step);
    g.LineStyle = ini->ReadInteger(section, key + QStringLiteral("STYLE"), g.LineStyle);
    g.LineColor = static_cast<uint32_t>(ini->ReadInteger(section, key + QStringLiteral("COLOR"), g.LineColor));
    g.LineWidth = ini->ReadFloat(section, key + QStringLiteral("WIDTH"), g.LineWidth);
  }
  return true;
}

bool TPrintDiagrams::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) {
  bool ok = TDataObject::SaveToIni(ini, section, prefix);
  const QStringList sections = CurveSections(ini, section, prefix);
  int k = 0;
  for (int i = 0; ok && i < Count() && k < sections.size(); ++i)
    if (auto* curve = dynamic_cast<TPrintDiagrammBase*>(GetChild(i)))
      ok = ini->WriteString(sections[k++], QStringLiteral("CURVENAME"), curve->Name()) && ok;
  const TGridLines* sets[] = {&HorzLines1, &VertLines1, &HorzLines2, &VertLines2};
  for (int i = 0; i < 4; ++i) {
    const QString key = prefix + QLatin1String(kGridKeys[i]);
    const TGridLines& g = *sets[i];
    if (g == TGridLines()) continue;
    ok = ini->WriteFloat(section, key + QStringLiteral("STEP"), g.Step) && ok;
    ok = ini->WriteInteger(section, key + QStringLiteral("STYLE"), g.LineStyle) && ok;
    ok = ini->WriteInteger(section, key + QStringLiteral("COLOR"), static_cast<int32_t>(g.LineColor)) && ok;
    ok = ini->WriteFloat(section, key + QStringLiteral("WIDTH"), g.LineWidth) && ok;
  }
  return ok;
}

void TPrintDiagrams::Assign(TPrintObject* source) {
  TDataObject::Assign(source);
  if (auto* other = dynamic_cast<TPrintDiagrams*>(source)) {
    HorzLines1 = other->HorzLines1;
    HorzLines2 = other->HorzLines2;
    VertLines1 = other->VertLines1;
    VertLines2 = other->VertLines2;
  }
}

void TPrintDiagrams::ApplyParameters(const QString& iniFile) {
  if (!QFileInfo::exists(iniFile)) return;
  TIniFile ini(iniFile);
  for (int i = 0; i < Count(); ++i) {
    auto* curve = dynamic_cast<TPrintDiagrammBase*>(GetChild(i));
    if (!curve) continue;
    const QString section = curve->Name();
    curve->LoadFromIni(&ini, section, QString());
    for (int k = 0; k < curve->Count(); ++k) {
      TPrintObject* child = curve->GetChild(k);
      if (!child) continue;
      if (child->GetKind() == kindText) child->LoadFromIni(&ini, section, QStringLiteral("NAME."));
      if (child->GetKind() == kindDiagrammScale) child->LoadFromIni(&ini, section, QStringLiteral("SCALE."));
    }
  }
}

bool TPrintDiagrams::SaveParameters(const QString& iniFile) {
  TIniFile ini(iniFile);
  bool ok = true;
  for (int i = 0; i < Count(); ++i)
    if (auto* curve = dynamic_cast<TPrintDiagrammBase*>(GetChild(i)))
      ok = curve->SaveToIni(&ini, curve->Name(), QString()) && ok;
  return ok;
}

bool TPrintDiagrams::ImportAllFromTable(const TStringTable& table, const QString& fileName) {
  auto depth = [&](int row) { return ReadNumber(table.GetCell(0, row).toStdString(), -1); };
  const double s = depth(1);
  const double step = depth(2) - s;
  // Checked before the curves go: a table without a depth step would
  // otherwise leave the column empty.
  if (!(step > 0) || !std::isfinite(step) || table.RowCount() < 3) return false;
  Clear();
  SetModified(true);
  FFilling = true;
  for (int j = 1; j < table.ColCount(); ++j) {
    TPrintDiagramm* curve = AddEmptyCurve(table.GetCell(j, 0), step);
    if (!curve) continue;
    curve->SetStartDepth(s);
    curve->ImportColumn(&table, j, 1, table.RowCount() - 1);
  }
  FFilling = false;
  StackAddedHeaders();
  Changed();
  SetModified(true);
  if (!fileName.isEmpty()) ApplyParameters(IniBeside(fileName));
  return true;
}

int TPrintDiagrams::ImportLas(const TLasData& las, QString* error, QStringList* notes) {
  if (las.Curves.empty() || !(las.Step > 0)) {
    if (error) *error = TranslateError(QStringLiteral("LasNoCurves"), QStringLiteral("The LAS file holds no curves"));
    return -1;
  }
  TIniFile defaults(CurveDefaultsFileName());
  int added = 0;
  FFilling = true;
  // Curves here before the import (a template's) take the data of their
  // name, each once; a file naming two curves alike gets two curves. Those
  // left then take another name of their log (GR from GAMN) the file has.
  std::vector<TPrintDiagramm*> waiting = Curves();
  std::vector<TPrintDiagramm*> target(las.Curves.size(), nullptr);
  std::vector<bool> taken(las.Curves.size(), false);
  for (size_t k = 0; k < las.Curves.size(); ++k)
    for (TPrintDiagramm*& w : waiting)
      if (w && w->Name().compare(las.Curves[k].Mnemonic, Qt::CaseInsensitive) == 0) {
        target[k] = std::exchange(w, nullptr);
        taken[k] = true;
        break;
      }
  for (TPrintDiagramm*& w : waiting) {
    if (!w) continue;
    const int k = FindOtherNameOfLog(las, w->Name(), taken, CurveUnit(w));
    if (k < 0) continue;
    target[static_cast<size_t>(k)] = std::exchange(w, nullptr);
    taken[static_cast<size_t>(k)] = true;
    if (notes)
      *notes << FilledFromNote(target[static_cast<size_t>(k)]->Name(), las.Curves[static_cast<size_t>(k)].Mnemonic);
  }
  for (size_t k = 0; k < las.Curves.size(); ++k) {
    const TLasData::TCurve& c = las.Curves[k];
    TPrintDiagramm* curve = target[k];
    const bool fresh = curve == nullptr;
    if (fresh) curve = AddEmptyCurve(c.Mnemonic, las.Step);
    if (!curve) continue;
    // A curve the column had is drawn in the unit its scale names.
    const TUnitFit fit = fresh ? TUnitFit() : FitUnit(c.Unit, CurveUnit(curve));
    if (notes && fit.Kind != TUnitFit::Same) *notes << UnitNote(fit.Kind, curve->Name(), c.Unit, CurveUnit(curve));
    std::vector<double> samples = c.Samples;
    for (double& v : samples) v = std::isnan(v) ? curve->NullValue() : v * fit.Factor;
    if (!curve->SetSamples(las.Start, las.Step, std::move(samples))) continue;
    curve->SetHeight(curve->DepthToPage(curve->EndDepth()) - curve->Top());
    if (fresh) {
      // Without remembered settings for its name, a new curve is fitted to the track.
      bool fitted = false;
      if (!curve->LoadFromIni(&defaults, curve->Name(), QString())) {
        const auto [low, high] = ValueRange(c.Samples);
        if (const double measure = FittingMeasureForRange(low, high, GetWidth()); measure > 0)
          curve->SetMeasure(measure);
        fitted = FitCurveAxis(curve, low, FLeft, FLeft + GetWidth());
      }
      curve->RefitWidth();
      curve->AddNameCaption(&defaults);
      TPrintDiagrammScale* scale = curve->AddScaleHeader(&defaults);
      if (scale && !c.Unit.isEmpty() && scale->MeasureName().isEmpty()) scale->SetMeasureName(c.Unit);
      if (fitted) curve->FitScaleMarks(FLeft, FLeft + GetWidth());
    }
    ++added;
  }
  FFilling = false;
  StackAddedHeaders();
  for (TPrintDiagramm* curve : Curves()) curve->Changed();
  Changed();
  SetModified(true);
  return added;
}

std::unique_ptr<TStringTable> TPrintDiagrams::ExportTable(double maxCells) const {
  const std::vector<TPrintDiagramm*> curves = Curves();
  double step = 9999;
  for (const TPrintDiagramm* c : curves) step = std::min(step, c->DepthStep());
  if (!(step < 9999)) step = 1;
  // The header, then every step from depth 0 down to the bottom edge itself:
  // a curve ending there keeps its last sample.
  const double rows = std::nearbyint(BottomDepth() / step) + 2;
  // A deep column at a tiny step would need more cells than memory holds.
  if (rows * static_cast<double>(curves.size() + 1) > maxCells) return nullptr;
  auto table = std::make_unique<TStringTable>();
  table->SetColCount(static_cast<int>(curves.size()) + 1);
  // A column above depth 0 gets the header row only.
  const int count = rows >= 2 && BottomDepth() >= 0 ? static_cast<int>(rows) : 1;
  table->SetRowCount(count);
  table->SetCell(0, 0, TranslateWord(QStringLiteral("Depth")));
  for (int r = 1; r < count; ++r)
    table->SetCell(0, r, QString::fromStdString(FormatGeneral(static_cast<double>(r - 1) * step)));
  for (size_t k = 0; k < curves.size(); ++k) {
    const TPrintDiagramm* c = curves[k];
    const int col = static_cast<int>(k) + 1;
    table->SetCell(col, 0, c->Name());
    for (int r = 1; r < count; ++r) {
      const double v = c->ValueAt(static_cast<double>(r - 1) * step);
      if (v != c->NullValue() && !std::isnan(v)) table->SetCell(col, r, QString::fromStdString(FormatGeneral(v)));
    }
  }
  return table;
}

bool TPrintDiagrams::InsertNewChildAt(double x0, double y0, double x, double y) {
  const int chosen = ChooseInsertableKind();
  if (!chosen) return false;
  switch (chosen) {
    case kindDiagramm:
      return RunPropertiesDialog(QLatin1String(kAddCurveDialog), this);
    case kindText: {
      auto made = CreateChild(kindText);
      if (!made) return false;
      const double h = y == y0 ? 5 : y - y0;
      const double w = x == x0 ? 40 : x - x0;
      made->SetBoundsRect({x0, y0, x0 + w, y0 + h});
      made->SetFlags(made->Flags() | pfMoveX | pfMoveY | pfSizeX | pfSizeY);
      auto* text = dynamic_cast<TPrintText*>(made.get());
      if (!text || AddChild(std::move(made)) < 0) return false;
      if (!text->EditProperties()) {
        DeleteChild(IndexOf(text));
        return false;
      }
      text->GrowToText();  // the proposed box may be smaller than what was typed
      Invalidate(this);
      return true;
    }
    case kindObjectRuller: {
      auto made = CreateChild(kindObjectRuller);
      if (!made) return false;
      const double top = y0 + (y - y0) / 2;
      made->SetBoundsRect({FLeft, top, FLeft + GetWidth(), top + 2});
      AddChild(std::move(made));
      SetModified(true);
      Invalidate(this);
      return true;  // an addition the user can undo
    }
    case kindHistogramm:
      return AddHistogramsWithDialog();
    case kindImage: {
      auto made = CreateChild(kindImage);
      if (!made) return false;
      made->SetLeft(x0);
      made->SetTop(y0);
      if (!made->EditProperties()) return false;
      FitChildInside(made.get());  // a picture takes its file's size
      AddChild(std::move(made));
      Invalidate(this);
      return true;
    }
    default:
      return false;
  }
}

bool TPrintDiagrams::AddHistogramsWithDialog() {
  QString error;
  const std::unique_ptr<TStringTable> intervals = ImportIntervalsFor(this, &error, /*byColumn=*/true);
  if (!intervals) {
    if (!error.isEmpty()) Ui().Message(TMsgKind::Error, TranslateKindName(kindHistogramm), error, mbOK);
    return false;
  }
  return AddHistograms(*intervals) > 0;
}

int TPrintDiagrams::AddHistograms(const TStringTable& intervals) {
  int added = 0;
  FFilling = true;
  for (int col = 2; col < intervals.ColCount(); ++col) {
    // A column chosen in the dialog but empty in every kept interval.
    bool any = false;
    for (int r = 0; r < intervals.RowCount() && !any; ++r) any = !intervals.GetCell(col, r).isEmpty();
    if (!any) continue;
    auto made = std::make_unique<TPrintHistogramm>();
    TPrintHistogramm* h = made.get();
    h->SetBoundsRect({FLeft, FTop, FLeft + 1, FTop + GetHeight()});
    if (AddChild(std::move(made)) < 0) continue;
    h->ImportIntervalColumn(intervals, 0, col, 1);
    // A name without a remembered measure gets one that keeps it in the track.
    if (!RemembersMeasure(h->Name()) && !h->Logarithmic())
      if (const double fit = FittingMeasure(h->MaxValue(), GetWidth()); fit > 0) h->SetMeasure(fit);
    ++added;
  }
  FFilling = false;
  StackAddedHeaders();
  Changed();
  SetModified(true);
  Invalidate(this);
  return added;
}

bool TPrintDiagrams::ImportWithDialog() {
  TFileDialogOptions options;
  options.Title = TranslateWord(QStringLiteral("Import"));
  options.Filter = TableImportFilter();
  QString name;
  int filterIndex = 1;
  if (!Ui().OpenFileName(options, &name, &filterIndex)) return false;
  QString error;
  bool done = false;
  if (QFileInfo(name).suffix().compare(QLatin1String("las"), Qt::CaseInsensitive) == 0) {
    TLasData las;
    if (ReadLasCurves(name, &las, &error)) {
      Clear();
      QStringList notes = las.Warnings;
      done = ImportLas(las, &error, &notes) >= 0;
      if (done) ApplyParameters(IniBeside(name));
      if (done && !notes.isEmpty())
        Ui().Message(TMsgKind::Warning, TranslateWord(QStringLiteral("Import")), notes.join(QLatin1Char('\n')), mbOK);
    }
  } else {
    TStringTable table;
    if (table.ImportFile(name) == S_OK) {
      done = ImportAllFromTable(table, name);
      if (!done)
        error = TranslateError(QStringLiteral("NoDepthStep"),
                               QStringLiteral("The first two depths of the table do not increase"));
    } else {
      error = table.LastError();
    }
  }
  if (!done && !error.isEmpty()) Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Import")), error, mbOK);
  Invalidate(this);
  return done;
}

bool TPrintDiagrams::ExportWithDialog() {
  TFileDialogOptions options;
  options.Title = TranslateWord(QStringLiteral("Export"));
  options.Filter = TableExportFilter() + QStringLiteral("|LAS 2.0|*.las");
  options.DefaultSuffix = QStringLiteral("txt");
  QString name;
  int filterIndex = 1;
  if (!Ui().SaveFileName(options, &name, &filterIndex)) return false;
  static const char* const kExt[] = {".txt", ".csv", ".prn", ".las"};
  static const QChar kDelim[] = {u'\t', u';', u' '};
  int k = std::clamp(filterIndex, 1, 4) - 1;
  const QString suffix = QLatin1Char('.') + QFileInfo(name).suffix().toLower();
  bool known = false;
  for (int i = 0; i < 4; ++i)
    if (suffix == QLatin1String(kExt[i])) k = i, known = true;
  if (!known) name += QLatin1String(kExt[k]);
  QString error;
  bool written = false;
  if (k == 3) {
    std::vector<const TPrintDiagramm*> curves;
    QStringList units;
    for (const TPrintDiagramm* c : Curves()) {
      curves.push_back(c);
      units << CurveUnit(c);
    }
    // The well's name, field and company come from the heads of the document it stands in.
    TPrintObject* top = this;
    while (top->Parent()) top = top->Parent();
    written = WriteLasFile(name, curves, units, WellItemsOf(top), &error);
  } else {
    const std::unique_ptr<TStringTable> table = ExportTable();
    if (!table) {
      error = TranslateError(QStringLiteral("ExportTooLarge"),
                             QStringLiteral("The curves from depth 0 to the column's bottom at their smallest step "
                                            "are too many rows for a table; export them as LAS"));
    } else {
      written = table->ExportText(name, kDelim[k]) == S_OK;
      if (!written) error = table->LastError();
    }
  }
  if (!written) {
    Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Export")), error, mbOK);
    return false;
  }
  SaveParameters(IniBeside(name));
  return true;
}

QString CurveUnit(const TPrintDiagrammBase* curve) {
  for (int k = 0; curve && k < curve->Count(); ++k)
    if (auto* scale = dynamic_cast<const TPrintDiagrammScale*>(curve->GetChild(k))) return scale->MeasureName();
  return QString();
}

void TPrintDiagrams::GetMenuCommandCaption(int index, QString* text) {
  if (!text) return;
  switch (index) {
    case ccImport:
      *text = TranslateWord(QStringLiteral("Import"));
      break;
    case ccAdd:
      *text = TranslateWord(QStringLiteral("Add"));
      break;
    case ccExport:
      *text = TranslateWord(QStringLiteral("Export"));
      break;
    case ccLoadParams:
      *text = TranslateGeneral(QStringLiteral("LoadParams"), QStringLiteral("Load parameters"));
      break;
    case ccSaveParams:
      *text = TranslateGeneral(QStringLiteral("SaveParams"), QStringLiteral("Save parameters"));
      break;
    case ccLoadDefaultParams:
      *text = TranslateGeneral(QStringLiteral("LoadParamsDefault"), QStringLiteral("Load default parameters"));
      break;
    case ccSaveDefaultParams:
      *text = TranslateGeneral(QStringLiteral("SaveParamsDefault"), QStringLiteral("Save default parameters"));
      break;
    case ccProperties:
      *text = TranslateWord(QStringLiteral("Properties"));
      break;
    case 2:
    case 4:
    case 9:
      *text = QStringLiteral("-");
      break;
    default:
      TDataObject::GetMenuCommandCaption(index, text);
  }
}

bool TPrintDiagrams::ExecuteMenuCommand(int index) {
  switch (index) {
    case ccImport:
      return ImportWithDialog();
    case ccAdd:
      return InsertNewChildAt(0, 0, 0, 0);
    case ccExport:
      return ExportWithDialog();
    case ccLoadParams: {
      TFileDialogOptions options;
      options.Title = TranslateGeneral(QStringLiteral("LoadParams"), QStringLiteral("Load parameters"));
      options.Filter = QStringLiteral("Ini files|*.ini|All files|*.*");
      QString name;
      int filterIndex = 1;
      if (!Ui().OpenFileName(options, &name, &filterIndex)) return false;
      ApplyParameters(name);
      Changed();
      Invalidate(this);
      return true;
    }
    case ccSaveParams: {
      TFileDialogOptions options;
      options.Title = TranslateGeneral(QStringLiteral("SaveParams"), QStringLiteral("Save parameters"));
      options.Filter = QStringLiteral("Ini files|*.ini");
      options.DefaultSuffix = QStringLiteral("ini");
      QString name;
      int filterIndex = 1;
      if (!Ui().SaveFileName(options, &name, &filterIndex)) return false;
      if (QFileInfo(name).suffix().compare(QLatin1String("ini"), Qt::CaseInsensitive) != 0) name = IniBeside(name);
      SaveParameters(name);
      return true;
    }
    case ccLoadDefaultParams:
      ApplyParameters(CurveDefaultsFileName());
      Changed();
      Invalidate(this);
      return true;
    case ccSaveDefaultParams:
      SaveParameters(CurveDefaultsFileName());
      return true;
    case ccProperties:
      return EditProperties();
    default:
      return TDataObject::ExecuteMenuCommand(index);
  }
}

void TPrintDiagrams::DumpProperties(QJsonObject* json) const {
  if (!json) return;
  TDataObject::DumpProperties(json);
  (*json)[QStringLiteral("horzLines1")] = GridJson(HorzLines1);
  (*json)[QStringLiteral("horzLines2")] = GridJson(HorzLines2);
  (*json)[QStringLiteral("vertLines1")] = GridJson(VertLines1);
  (*json)[QStringLiteral("vertLines2")] = GridJson(VertLines2);
  (*json)[QStringLiteral("curveCount")] = static_cast<int>(Curves().size());
}
