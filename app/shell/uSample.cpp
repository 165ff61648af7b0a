#include "uSample.h"

#include <cmath>
#include <span>
#include <tuple>
#include <utility>
#include <vector>

#include "uIniFile.h"
#include "uLanguage.h"
#include "uLasCurves.h"
#include "uLasFill.h"
#include "uPassportBody.h"
#include "uPrintColorLine.h"
#include "uPrintDeepScale.h"
#include "uPrintDeepTable.h"
#include "uPrintDesc.h"
#include "uPrintDiagramm.h"
#include "uPrintDiagrammScale.h"
#include "uPrintDiagrams.h"
#include "uPrintDocument.h"
#include "uPrintHeader.h"
#include "uPrintStratCol.h"
#include "uPrintText.h"
#include "uSampleWell.h"
#include "uSettings.h"

namespace {

// A made-up well of a made-up field; the parameters the heads name.
constexpr struct {
  const char* Name;
  TSampleText Value;
} kValues[] = {
    {"COMPANY", {"Ozerneft LLC", "Озернефть"}},  // beside the logo: a narrow cell
    {"WELL", {"412-R", "412-Р"}},
    {"FIELD", {"Ozernoye", "Озёрное"}},
    {"AREA", {"Severo-Ozernaya", "Северо-Озёрная"}},
    {"OPERATOR", {"Ozerneft LLC", "ООО «Озернефть»"}},
    {"GEOLOGIST", {"I. P. Sokolova", "И. П. Соколова"}},
    {"SPUD_DATE", {"14.03.2023", "14.03.2023"}},
    {"COMPLETION_DATE", {"02.05.2023", "02.05.2023"}},
    {"LOG_DATE", {"28.04.2023", "28.04.2023"}},
    {"ELEVATION", {"142.6", "142,6"}},
    {"TOTAL_DEPTH", {"1620", "1620"}},
    {"COORD_X", {"6 712 345.2", "6 712 345,2"}},
    {"COORD_Y", {"15 487 220.8", "15 487 220,8"}},
    {"COORD_SYSTEM", {"Pulkovo 1942, zone 15", "Пулково 1942, зона 15"}},
    {"SCALE", {"200", "200"}},
    {"REMARKS", {"Cored 1488-1512 m, recovery 86 %", "Керн отобран в интервале 1488-1512 м, вынос 86 %"}},
    {"CONCLUSIONS",
     {"Oil-saturated sandstones at 1492.5-1507.0 m (porosity 18-21 %) are recommended for testing. "
      "The sandstones at 1462-1470 m and below 1533 m are water-bearing.",
      "Нефтенасыщенные песчаники в интервале 1492,5-1507,0 м (пористость 18-21 %) рекомендуются к "
      "испытанию. Песчаники в интервале 1462-1470 м и ниже 1533 м водонасыщенные."}},
    {"CHECKED_BY", {"V. N. Orlov", "В. Н. Орлов"}},
    {"REPORT_DATE", {"15.05.2023", "15.05.2023"}},
};

// The columns of the body, left to right, in mm from its left edge; the
// caption head above the body titles them at the same places.
struct TPlace {
  double Left;
  double Right;
};
constexpr TPlace kUnitsPlace{0, 14};
constexpr TPlace kScalePlace{14, 30};
constexpr TPlace kLithologyPlace{30, 52};
constexpr TPlace kFluidPlace{52, 56};
constexpr TPlace kGammaPlace{56, 90};
constexpr TPlace kResistivityPlace{90, 118};
constexpr TPlace kCorePlace{118, 146};
constexpr TPlace kDescPlace{146, 190};
constexpr double kCoreWidths[] = {10, 10, 8};  // From, To, recovered (m)

// The caption head: a row of titles, then a row for each scale header of a
// curve track, the last just above the body.
constexpr double kTitleRow = 6;
constexpr double kScaleRow = 5;
constexpr int kScaleRows = 2;
constexpr double kCaptionHeight = kTitleRow + kScaleRows * kScaleRow;

// A curve of a curve track, named by its LAS mnemonic. Its scale header
// marks every MarkStep mm up to mark LastMark and then names the curve and
// its unit, all inside the track.
struct TSampleCurve {
  const char* Name;
  uint32_t Color;  // 0x00BBGGRR
  double Measure;  // units per cm, or cm per decade
  bool Logarithmic;
  int Style;      // 0 solid, 1 dash, 2 dot
  double Offset;  // mm from the track's left edge to the curve's zero (or 1 on a log axis)
  int MarkStep;
  int LastMark;
};
constexpr TSampleCurve kGammaCurves[] = {{"GR", 0x008000, 50, false, 0, 0, 10, 2}};
constexpr TSampleCurve kResistivityCurves[] = {{"ILD", 0xC00000, 0.8, true, 0, 2, 8, 1},
                                               {"NPHI", 0x0000C0, 0.2, false, 1, 2, 10, 1}};
static_assert(std::size(kResistivityCurves) <= kScaleRows && std::size(kGammaCurves) <= kScaleRows);

constexpr uint32_t kOilColor = 0x204A8C;    // brown
constexpr uint32_t kWaterColor = 0xE0A040;  // blue

QString Utf8(const char* text) { return QString::fromUtf8(text); }

bool Fail(QString* error, const QString& text) {
  if (error) *error = text;
  return false;
}

// Gives the head's parameters the well's values (names it does not use are left out).
void FillValues(TPrintHeader* head, bool russian) {
  TNamedValueList& values = head->Parameters();
  for (const auto& v : kValues) {
    const QString name = Utf8(v.Name);
    if (values.Contains(name)) values.SetValue(name, Utf8(v.Value.In(russian)));
  }
  if (values.Contains(QStringLiteral("TOP_DEPTH")))
    values.SetValue(QStringLiteral("TOP_DEPTH"), QString::number(kSampleTopDepth));
  if (values.Contains(QStringLiteral("BOTTOM_DEPTH")))
    values.SetValue(QStringLiteral("BOTTOM_DEPTH"), QString::number(kSampleBottomDepth));
  head->SubstituteParameters();
}

template <class T>
T* ChildOfKind(TPrintObjectList* list) {
  for (int i = 0; i < list->Count(); ++i)
    if (auto* c = dynamic_cast<T*>(list->GetChild(i))) return c;
  return nullptr;
}

TBoundsRect ColumnBounds(const TPassportBody* body, const TPlace& place) {
  return {body->Left() + place.Left, body->Top(), body->Left() + place.Right, body->Top() + body->GetHeight()};
}

template <class T>
T* AddColumn(TPassportBody* body, const TPlace& place, const TSampleText& name, bool russian) {
  auto made = std::make_unique<T>();
  T* column = made.get();
  column->SetName(Utf8(name.In(russian)));
  column->SetBoundsRect(ColumnBounds(body, place));
  body->AddChild(std::move(made));
  return column;
}

// The head of column titles between the well's head and the body; the curve
// tracks' scale headers lie in its lower rows.
std::unique_ptr<TPrintHeader> MakeCaptionHead(double width, bool russian) {
  auto head = std::make_unique<TPrintHeader>();
  head->SetName(Utf8(russian ? "Колонки" : "Columns"));
  head->SetBoundsRect({0, 0, width, kCaptionHeight});
  const auto add = [&](double left, double right, double top, double bottom, const TSampleText& text) {
    auto t = std::make_unique<TPrintText>();
    t->SetBoundsRect({left, top, right, bottom});
    t->SetText(Utf8(text.In(russian)));
    t->Font().SetName(QStringLiteral("Arial"));
    t->Font().SetSize(7);
    t->Font().Format = DT_CENTER | DT_VCENTER | DT_WORDBREAK;
    head->AddChild(std::move(t));
  };
  add(kUnitsPlace.Left, kUnitsPlace.Right, 0, kCaptionHeight, {"Stage", "Ярус"});
  add(kScalePlace.Left, kScalePlace.Right, 0, kCaptionHeight, {"Depth, m", "Глубина, м"});
  add(kLithologyPlace.Left, kFluidPlace.Right, 0, kCaptionHeight, {"Lithology", "Литология"});
  for (const auto& [place, title] :
       {std::pair{kGammaPlace, TSampleText{"Gamma ray", "Гамма-каротаж"}},
        std::pair{kResistivityPlace, TSampleText{"Resistivity, porosity", "Сопротивление, пористость"}}}) {
    add(place.Left, place.Right, 0, kTitleRow, title);
    add(place.Left, place.Right, kTitleRow, kCaptionHeight, {"", ""});
  }
  add(kCorePlace.Left, kCorePlace.Right, 0, kTitleRow, {"Core", "Керн"});
  double left = kCorePlace.Left;
  const TSampleText coreTitles[] = {{"From, m", "От, м"}, {"To, m", "До, м"}, {"Rec., m", "Вын., м"}};
  for (size_t i = 0; i < std::size(kCoreWidths); ++i) {
    add(left, left + kCoreWidths[i], kTitleRow, kCaptionHeight, coreTitles[i]);
    left += kCoreWidths[i];
  }
  add(kDescPlace.Left, kDescPlace.Right, 0, kCaptionHeight, {"Description of rocks", "Описание пород"});
  return head;
}

// The template's lithology column, with the sample's layers.
bool FillLithology(TPassportBody* body, TPrintStratCol* column, QString* error) {
  column->SetBoundsRect(ColumnBounds(body, kLithologyPlace));
  if (!column->DataBase() || column->DataBase()->SignCount() == 0)
    return Fail(error, QStringLiteral("the sign database default.lsd is missing"));
  for (const TSampleLayer& layer : SampleLayers()) {
    const QStringList signs = Utf8(layer.Signs).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!column->AddLayer(layer.Top, layer.Bottom, signs))
      return Fail(error, QStringLiteral("a layer of the sample does not fit its column"));
  }
  // The signs fill their layers, as an import of layers lays them out.
  column->AutoPlaceAll();
  return true;
}

// Oil and water in the reservoirs, a bar each beside the lithology.
void AddFluids(TPassportBody* body, bool russian) {
  auto* line = AddColumn<TPrintColorLine>(body, kFluidPlace, {"Saturation", "Насыщение"}, russian);
  TPrintColorLine::TCategories categories;
  const double width = kFluidPlace.Right - kFluidPlace.Left;
  for (const auto& [fluid, name, color] :
       {std::tuple{TSampleFluid::Oil, TSampleText{"Oil", "Нефть"}, kOilColor},
        std::tuple{TSampleFluid::Water, TSampleText{"Water", "Вода"}, kWaterColor}}) {
    auto category = std::make_unique<TColorCategory>();
    category->Name = Utf8(name.In(russian));
    category->Color = color;
    category->BarLeft = 0;
    category->BarRight = width;
    category->RangeMin = category->RangeMax = static_cast<double>(fluid);
    category->Table.SetColCount(3);
    for (const TSampleSaturation& s : SampleSaturation()) {
      if (s.Fluid != fluid) continue;
      const int row = category->Table.RowCount();
      category->Table.SetRowCount(row + 1);
      category->Table.SetCell(0, row, QString::number(s.Top));
      category->Table.SetCell(1, row, QString::number(s.Bottom));
      category->Table.SetCell(2, row, QString::number(static_cast<int>(fluid)));
    }
    categories.push_back(std::move(category));
  }
  line->SetCategories(std::move(categories));
}

// The logs of the sample LAS file, cut to the body's interval.
bool ReadSampleLogs(TLasData* las, QString* error) {
  const QString path = ProgramDir() + QStringLiteral("/samples/curve_log_sample.las");
  QString why;
  if (!ReadLasCurves(path, las, &why)) return Fail(error, path + QStringLiteral(": ") + why);
  const double last = std::floor((kSampleBottomDepth - las->Start) / las->Step + 1e-9);
  if (las->Step <= 0 || las->Start > kSampleTopDepth + 10 || last < 1)
    return Fail(error, path + QStringLiteral(": no logs over the sample's interval"));
  for (TLasData::TCurve& c : las->Curves)
    if (static_cast<double>(c.Samples.size()) > last + 1) c.Samples.resize(static_cast<size_t>(last) + 1);
  return true;
}

void AddTrack(TPassportBody* body, const TPlace& place, const TSampleText& name, bool russian,
              std::span<const TSampleCurve> curves, const TLasData& las) {
  auto* track = AddColumn<TPrintDiagrams>(body, place, name, russian);
  track->VertLines1 = {2, 0xC0C0C0, -1, 5};
  track->HorzLines1 = {0, 0xC0C0C0, -1, 10};
  track->HorzLines2 = {2, 0xC0C0C0, -1, 2};
  std::vector<TPrintDiagrammScale*> scales;
  for (const TSampleCurve& c : curves) {
    TPrintDiagramm* curve = track->AddEmptyCurve(Utf8(c.Name), las.Step);
    curve->SetLogarithmic(c.Logarithmic);
    curve->SetMeasure(c.Measure);
    curve->SetColor(c.Color);
    curve->SetLineStyle(c.Style);
    curve->SetLineWidth(kPrintedCurveWidth);
    curve->SetLeft(body->Left() + place.Left + c.Offset);
    TPrintDiagrammScale* scale = curve->AddScaleHeader(nullptr);
    scale->ScaleFont().SetName(QStringLiteral("Arial"));
    scale->ScaleFont().SetSize(7);
    scale->SetMarkStep(c.MarkStep);
    scale->SetMarkIndex1(0);
    scale->SetMarkIndex2(c.LastMark);
    scale->SetShowName(true);
    scales.push_back(scale);
  }
  // Curves by mnemonic, their scale headers with the file's units.
  FillFromLas(track, las);
  // The scale headers go above the body, into the caption head's rows, so
  // that none hides the top of a log.
  for (size_t k = 0; k < scales.size(); ++k)
    scales[k]->SetTop(body->Top() - static_cast<double>(scales.size() - k) * kScaleRow);
}

// Texts bound to their intervals ("smart border"): each is framed by its
// interval's top and bottom and keeps the column's indents.
void BindTexts(TPrintDesc* column) {
  column->SetChildFlags((column->ChildFlags() & ~static_cast<uint32_t>(pfMoveY)) | kDescSmartBorder);
}

// The template's stratigraphy column, with the sample's stages.
void FillUnits(TPassportBody* body, TPrintDesc* units, bool russian) {
  units->SetBoundsRect(ColumnBounds(body, kUnitsPlace));
  units->Font.SetName(QStringLiteral("Arial"));
  units->Font.SetSize(7);
  units->Font.Format = DT_CENTER | DT_VCENTER | DT_WORDBREAK;
  units->TextBorders = true;
  BindTexts(units);
  units->LeftIndent = units->RightIndent = 0.5;
  for (const TSampleUnit& u : SampleUnits()) units->CreateText(u.Top, u.Bottom, Utf8(u.Name.In(russian)));
  units->ApplyToTexts();
}

void FillCore(TPrintDeepTable* core) {
  TStringTableEx& table = core->Table();
  table.SetColCount(static_cast<int>(std::size(kCoreWidths)));
  for (size_t c = 0; c < std::size(kCoreWidths); ++c) table.ColWidths[c] = kCoreWidths[c];
  const auto runs = SampleCoreRuns();
  table.SetRowCount(static_cast<int>(runs.size()));
  for (size_t i = 0; i < runs.size(); ++i) {
    const int row = static_cast<int>(i);
    table.SetCell(0, row, QString::number(runs[i].Top, 'f', 1));
    table.SetCell(1, row, QString::number(runs[i].Bottom, 'f', 1));
    table.SetCell(2, row, QString::number(runs[i].Recovered, 'f', 1));
  }
  table.Font.SetName(QStringLiteral("Arial"));
  table.Font.SetSize(7);
  core->StartColumn = 0;
  core->EndColumn = 1;
  core->SizeColumn = 2;
  core->RebuildIntervals();
}

void FillDescriptions(TPrintDesc* desc, bool russian) {
  desc->Font.SetName(QStringLiteral("Arial"));
  desc->Font.SetSize(7);
  desc->Font.Format = DT_WORDBREAK;
  desc->TextBorders = true;
  BindTexts(desc);
  for (const TSampleLayer& layer : SampleLayers())
    desc->CreateText(layer.Top, layer.Bottom, Utf8(layer.Description.In(russian)));
  desc->ApplyToTexts();
}

bool BuildBody(TPassportBody* body, bool russian, QString* error) {
  auto* scale = ChildOfKind<TPrintDeepScale>(body);
  auto* core = ChildOfKind<TPrintDeepTable>(body);
  auto* lithology = ChildOfKind<TPrintStratCol>(body);
  // Two description columns: the stratigraphy at the left edge, the rocks' descriptions at the right.
  TPrintDesc* units = nullptr;
  TPrintDesc* desc = nullptr;
  for (int i = 0; i < body->Count(); ++i) {
    auto* d = dynamic_cast<TPrintDesc*>(body->GetChild(i));
    if (!d) continue;
    if (!units || d->Left() < units->Left()) units = d;
    if (!desc || d->Left() > desc->Left()) desc = d;
  }
  if (!scale || !core || !lithology || !units || units == desc)
    return Fail(error, QStringLiteral("the body lacks its depth scale, lithology, table or text columns"));
  TLasData las;
  if (!ReadSampleLogs(&las, error)) return false;
  body->SetDepthInterval(kSampleTopDepth, kSampleBottomDepth);
  scale->SetBoundsRect(ColumnBounds(body, kScalePlace));
  core->SetBoundsRect(ColumnBounds(body, kCorePlace));
  desc->SetBoundsRect(ColumnBounds(body, kDescPlace));
  FillUnits(body, units, russian);
  if (!FillLithology(body, lithology, error)) return false;
  AddFluids(body, russian);
  AddTrack(body, kGammaPlace, {"Gamma ray", "Гамма-каротаж"}, russian, kGammaCurves, las);
  AddTrack(body, kResistivityPlace, {"Resistivity", "Сопротивление"}, russian, kResistivityCurves, las);
  FillCore(core);
  FillDescriptions(desc, russian);
  body->SortByTop();
  body->Changed();
  return true;
}

}  // namespace

std::unique_ptr<TPrintDocument> MakeSampleDocument(QString* error) {
  // The template's heads and names come in the loaded language; the
  // sample's own texts follow it.
  const bool russian = CurrentLanguage() == QLatin1String("russian");
  const QString path = TemplateDir() + QString::fromLatin1(kSampleTemplate);
  auto document = std::make_unique<TPrintDocument>();
  if (!document->LoadFromFile(path, error)) return nullptr;
  // The sample's columns differ from the template's: its own caption head
  // (below) replaces the template's column titles.
  if (document->Count() > 2 && dynamic_cast<TPrintHeader*>(document->GetChild(1))) document->DeleteChild(1);
  auto* head = dynamic_cast<TPrintHeader*>(document->GetChild(0));
  auto* body = dynamic_cast<TPassportBody*>(document->GetChild(1));
  if (!head || head->Count() == 0 || !body) {
    if (error) *error = QStringLiteral("%1: no head file or no body").arg(path);
    return nullptr;
  }
  // The template's closing head, as "Add block" adds it.
  auto remarks = std::make_unique<TPrintHeader>();
  TIniFile ini(path);
  remarks->LoadFromIni(&ini, QStringLiteral("Remarks"), QString());
  if (remarks->Count() == 0) {
    if (error) *error = QStringLiteral("%1: the remarks head is missing").arg(path);
    return nullptr;
  }
  TPrintHeader* closing = remarks.get();
  document->AddChild(std::move(remarks));
  document->InsertChild(MakeCaptionHead(head->GetWidth(), russian), 1);
  FillValues(head, russian);
  FillValues(closing, russian);
  QString why;
  if (!BuildBody(body, russian, &why)) {
    if (error) *error = QStringLiteral("%1: %2").arg(path, why);
    return nullptr;
  }
  document->Changed();
  return document;
}
