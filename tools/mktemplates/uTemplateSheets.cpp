#include "uTemplateSheets.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>
#include <vector>

#include "uBmpImage.h"
#include "uIniFile.h"
#include "uLanguage.h"
#include "uPassportBody.h"
#include "uPrintBitmap.h"
#include "uPrintDeepScale.h"
#include "uPrintDeepTable.h"
#include "uPrintDesc.h"
#include "uPrintDiagramm.h"
#include "uPrintDiagrammScale.h"
#include "uPrintDiagrams.h"
#include "uPrintDocument.h"
#include "uPrintHeader.h"
#include "uPrintStratCol.h"
#include "uSettings.h"

namespace {

// The other language of the shipped files (its pack is "russian.vox").
const QString kRussian = QStringLiteral("russian");
constexpr double kScaleWidth = 20;  // mm: a depth column with four-digit labels

struct TText {
  const char* En;
  const char* Ru;
};

// One family of marks of a depth scale; labelled marks carry the depth.
struct TRulerRecipe {
  double Step;      // m
  double MarkSize;  // mm
  bool Labels;
};

// The data columns a body starts with (left edges in mm from the body's
// left; 0 for none): a stratigraphy column of texts bound to their intervals
// from the body's left edge, an empty depth table of core intervals (From,
// To, recovery) and the description column reaching to the body's right
// edge; with Lithology an empty lithology column between the depth scale and
// the core table.
struct TColumnsRecipe {
  double CoreLeft = 0;
  double DescLeft = 0;
  double DescRight = 0;
  double UnitsRight = 0;
  bool Lithology = false;
};

// A curve of a curve column, named by the mnemonic a LAS file gives it.
struct TCurveRecipe {
  const char* Name;
  uint32_t Color;  // 0x00BBGGRR
  double Measure;  // units per cm, or cm per decade
  bool Logarithmic;
  double Offset;     // mm from the column's left edge to the curve's zero (or 1 on a log axis)
  int Style;         // 0 solid, 1 dash, 2 dot
  int MarkStep;      // mm between the scale's labels, counted from the curve's zero
  int FirstMark;     // the label on the track's left edge
  int LastMark;      // the last label; the curve's name and unit follow it, inside the track
  const char* Unit;  // the scale's unit: a filled file in another unit of it is converted
};

// A curve column: its place in the body and its curves.
struct TTrackRecipe {
  TText Name;
  double Left;  // mm from the body's left edge
  double Width;
  std::vector<TCurveRecipe> Curves;
};

struct TBodyRecipe {
  const char* Section;
  TText Name;
  uint16_t Scale;
  double Metres;     // the depth the body covers: its height is Metres * 1000 / Scale mm
  double ScaleLeft;  // mm from the body's left edge
  std::vector<TRulerRecipe> Rulers;
  double ScaleWidth = kScaleWidth;
  TColumnsRecipe Columns = {};
  std::vector<TTrackRecipe> Tracks = {};
};

constexpr double kLithologyWidth = 30;  // mm

constexpr double kCoreColumnWidths[] = {12, 12, 14};  // From, To, recovery
const TText kCoreName = {"Core", "Керн"};
const TText kDescName = {"Description", "Описание пород"};
const TText kLithologyName = {"Lithology", "Литология"};
const TText kUnitsName = {"Stratigraphy", "Стратиграфия"};

struct THeadRecipe {
  const char* Section;
  TText Name;
  TText File;
  bool Logo = false;  // a placeholder picture in the head's top left cell
};

struct TTemplateRecipe {
  const char* File;
  TText Name;
  TText Description;
  THeadRecipe Head;
  THeadRecipe Columns;  // the columns' titles, between the head and the body
  TBodyRecipe Body;
  // Offered to add later: a body for a closer look, a head to close the sheet.
  TBodyRecipe ExtraBody;
  THeadRecipe ExtraHead;
};

// Marks every metre, longer every 5 m, labels every 10 m (1:200, 1:500);
// 1:100 halves the steps, 1:50 labels every metre.
const std::vector<TRulerRecipe> kMetres = {{10, 5, true}, {5, 3.5, false}, {1, 2, false}};
const std::vector<TRulerRecipe> kHalfMetres = {{5, 5, true}, {1, 3.5, false}, {0.5, 2, false}};
const std::vector<TRulerRecipe> kDecimetres = {{1, 5, true}, {0.5, 3.5, false}, {0.1, 1.5, false}};

// The curve log's tracks: gamma ray, SP and caliper left of the depth
// scale; resistivities on a logarithmic track and the porosity logs right of
// it. A scale's marks count from the curve's zero (1 on a logarithmic
// axis), so each zero lies a whole number of marks from its track's left
// edge and the first label falls on that edge; values beyond a track are cut
// at its edges. The tracks' titles and the curves' scales (with the curve's
// name after the unit) stand in the head's last rows, above the body.
constexpr double kCurveScaleWidth = 30;  // mm: the depth track between the curve tracks
const std::vector<TTrackRecipe> kCurveTracks = {
    {{"Lithology logs", "Литологические кривые"},
     0,
     60,
     {{"GR", 0x008000, 25, false, 0, 0, 20, 0, 2, "GAPI"},     // 0-150 API
      {"SP", 0x0000FF, 20, false, 40, 0, 20, -2, 0, "MV"},     // -80..+40 mV
      {"CALI", 0x000000, 2, false, -20, 1, 20, 1, 3, "IN"}}},  // 4-16 in
    {{"Resistivity", "Сопротивление"},
     90,
     50,
     {{"ILD", 0xFF0000, 1, true, 10, 0, 10, -1, 2, "OHMM"},  // 0.1-10,000 ohm.m, a decade a centimetre
      {"RT", 0x0000FF, 1, true, 10, 1, 10, -1, 2, "OHMM"}}},
    {{"Porosity logs", "Кривые пористости"},
     140,
     50,
     {{"RHOB", 0x0000C0, 0.2, false, -100, 0, 25, 4, 5, "G/C3"},  // 2.0-3.0 g/cm3
      {"NPHI", 0xC00000, 0.1, false, 0, 1, 10, 0, 2, "V/V"},      // 0-0.5
      {"DT", 0xC000C0, 20, false, -20, 2, 20, 1, 2, "US/F"}}},    // 40-140 us/ft
};

const THeadRecipe kRemarks = {
    "Remarks", {"Conclusions and remarks", "Заключение и примечания"}, {"remarks.hdr", "remarks_ru.hdr"}};

const std::vector<TTemplateRecipe>& Recipes() {
  static const std::vector<TTemplateRecipe> recipes = {
      {"well_log.knt",
       {"Well log sheet 1:200", "Геологический разрез скважины 1:200"},
       {"The standard sheet of a well: a head with the well's parameters (well, field, area, operator, dates, "
        "interval, elevation, coordinates) and a body at 1:200 for 90 m of depth: a stratigraphy column, the "
        "depth scale (marks every metre, labels every 10 m), a lithology column on the shipped sign database, a "
        "depth table of core intervals and the description column, all empty and ready to fill. Blocks to add: "
        "a detailed interval at 1:50 and a head for the conclusions and remarks.",
        "Стандартный лист скважины: заголовок с параметрами скважины (скважина, месторождение, площадь, "
        "недропользователь, даты, интервал, альтитуда, координаты) и тело в масштабе 1:200 на 90 м глубины: "
        "колонка стратиграфии, шкала глубин (штрихи через 1 м, подписи через 10 м), колонка литологии на "
        "поставляемой базе знаков, таблица интервалов керна и колонка описаний, все пустые и готовые к "
        "заполнению. Добавляемые блоки: детальный интервал 1:50 и заголовок для заключения и примечаний."},
       {"Head", {"Head", "Заголовок"}, {"well_log.hdr", "well_log_ru.hdr"}, true},
       {"Columns", {"Columns", "Колонки"}, {"well_log_columns.hdr", "well_log_columns_ru.hdr"}},
       {"Body", {"Log", "Разрез"}, 200, 90, 20, kMetres, kScaleWidth, {70, 108, 190, 20, true}},
       {"Detail", {"Detailed interval 1:50", "Детальный интервал 1:50"}, 50, 10, 20, kDecimetres},
       kRemarks},
      {"lithology_log.knt",
       {"Lithology log 1:100", "Литологическая колонка 1:100"},
       {"The lithological description of a drilled or cored interval: a head with the field, area, described "
        "interval, core recovery and the geologist, and a body at 1:100 for 45 m of depth with a depth scale at "
        "its left edge (marks every 0.5 m, labels every 5 m), a lithology column on the shipped sign database "
        "to its right, then a depth table of core intervals and the description column, all empty and ready to "
        "fill. Blocks to add: a core interval at 1:50 and a head for the conclusions and remarks.",
        "Литологическое описание пробуренного или керного интервала: заголовок с месторождением, площадью, "
        "интервалом описания, выносом керна и геологом и тело в масштабе 1:100 на 45 м глубины со шкалой глубин у "
        "левого края (штрихи через 0,5 м, подписи через 5 м), колонкой литологии на поставляемой базе знаков "
        "справа от неё, затем таблицей интервалов керна и колонкой описаний, все пустые и готовые к заполнению. "
        "Добавляемые блоки: керновый интервал 1:50 и заголовок для заключения и примечаний."},
       {"Head", {"Head", "Заголовок"}, {"lithology_log.hdr", "lithology_log_ru.hdr"}},
       {"Columns", {"Columns", "Колонки"}, {"lithology_log_columns.hdr", "lithology_log_columns_ru.hdr"}},
       {"Body", {"Lithology", "Литология"}, 100, 45, 0, kHalfMetres, kScaleWidth, {60, 98, 190, 0, true}},
       {"Core", {"Core interval 1:50", "Керновый интервал 1:50"}, 50, 10, 0, kDecimetres},
       kRemarks},
      {"curve_log.knt",
       {"Well logs 1:500", "Каротажная диаграмма 1:500"},
       {"Logging curves of a well: a head with the logged interval, logging company, bit size, casing shoe and "
        "mud, and a body at 1:500 for 230 m of depth: gamma ray, SP and caliper left of the depth track (marks "
        "every metre, labels every 10 m), resistivities on a logarithmic track and density, neutron and sonic "
        "right of it, the curves' scales in the head above the body. Blocks to add: a repeat section at 1:200 "
        "and a head for the conclusions and remarks.",
        "Каротажные кривые скважины: заголовок с интервалом каротажа, геофизической организацией, диаметром "
        "долота, башмаком колонны и буровым раствором и тело в масштабе 1:500 на 230 м глубины: ГК, ПС и "
        "кавернометрия слева от колонки глубин (штрихи через 1 м, подписи через 10 м), сопротивления в "
        "логарифмическом масштабе и плотность, нейтронный и акустический каротаж справа от неё, шкалы кривых в "
        "заголовке над телом. Добавляемые блоки: повторный замер 1:200 и заголовок для заключения и примечаний."},
       {"Head", {"Head", "Заголовок"}, {"curve_log.hdr", "curve_log_ru.hdr"}},
       {"Columns", {"Columns", "Колонки"}, {"curve_log_columns.hdr", "curve_log_columns_ru.hdr"}},
       {"Body", {"Logs", "Каротаж"}, 500, 230, 60, kMetres, kCurveScaleWidth, {}, kCurveTracks},
       {"Repeat", {"Repeat section 1:200", "Повторный замер 1:200"}, 200, 50, 60, kMetres, kCurveScaleWidth},
       kRemarks},
  };
  return recipes;
}

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

bool WriteTranslated(TIniFile* ini, const QString& section, const QString& key, const TText& text) {
  return ini->WriteString(section, key, Text(text.En)) &&
         ini->WriteString(section, TranslatedIniKey(key, kRussian), Text(text.Ru));
}

// A head in a template names its head file; the file brings the texts. A
// logo placeholder is the template's own: the user replaces its picture.
bool WriteHead(TIniFile* ini, const THeadRecipe& head) {
  const QString section = Text(head.Section);
  if (!WriteTranslated(ini, section, QStringLiteral("NAME"), head.Name) ||
      !WriteTranslated(ini, section, QStringLiteral("FILE"), head.File))
    return false;
  if (!head.Logo) return true;
  TPrintBitmap logo;
  logo.SetBoundsRect({1, 1, 13, 13});
  logo.SetPictureFile(TemplateLogoFile());
  const QString logoSection = section + QStringLiteral("Logo");
  return ini->WriteString(section, QStringLiteral("OBJECT1"),
                          QStringLiteral("%1 %2").arg(logoSection).arg(kindImage)) &&
         logo.SaveToIni(ini, logoSection, QString());
}

// The logo placeholder: a grey frame around a ring and a cross, drawn without
// smoothing so that the file is the same on every machine.
QImage RenderLogoPlaceholder() {
  constexpr int kSide = 150;
  QImage image(kSide, kSide, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setPen(QPen(QColor(150, 150, 150), 6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.drawRect(3, 3, kSide - 7, kSide - 7);
  painter.setPen(QPen(QColor(190, 190, 190), 4));
  painter.drawEllipse(QPoint(kSide / 2, kSide / 2), 45, 45);
  painter.drawLine(kSide / 2, 20, kSide / 2, kSide - 21);
  painter.drawLine(20, kSide / 2, kSide - 21, kSide / 2);
  painter.end();
  return image.convertToFormat(QImage::Format_Grayscale8);
}

// The body is built as the program holds it and written by its own INI form.
bool WriteBody(TIniFile* ini, const TBodyRecipe& recipe) {
  TPassportBody body;
  body.SetName(Text(recipe.Name.En));
  body.SetVertScale(recipe.Scale);
  const double height = recipe.Metres * 1000 / recipe.Scale;
  auto scale = std::make_unique<TPrintDeepScale>();
  TRullerList rulers;
  for (const TRulerRecipe& r : recipe.Rulers) {
    TRuller ruler;
    ruler.SetStep(r.Step);
    ruler.SetModulus(1000.0 / recipe.Scale);
    ruler.SetMarkSize(r.MarkSize);
    ruler.SetRight(true);
    if (!r.Labels) ruler.RemoveFont();
    rulers.push_back(ruler);
  }
  scale->SetRullers(rulers);
  scale->SetBoundsRect({recipe.ScaleLeft, 0, recipe.ScaleLeft + recipe.ScaleWidth, height});
  // Names of the children in the other language, in child order (none for the scale).
  std::vector<TText> names;
  if (recipe.Columns.UnitsRight > 0) {
    // Stage or formation names, centred in the intervals they span.
    auto units = std::make_unique<TPrintDesc>();
    units->SetName(Text(kUnitsName.En));
    units->Font.SetName(QStringLiteral("Arial"));
    units->Font.SetSize(8);
    units->Font.Format = DT_CENTER | DT_VCENTER | DT_WORDBREAK;
    units->TextBorders = true;
    units->LeftIndent = units->RightIndent = 0.5;
    units->SetChildFlags((units->ChildFlags() & ~static_cast<uint32_t>(pfMoveY)) | kDescSmartBorder);
    units->SetBoundsRect({0, 0, recipe.Columns.UnitsRight, height});
    body.AddChild(std::move(units));
    names.push_back(kUnitsName);
  }
  body.AddChild(std::move(scale));
  names.push_back({"", ""});
  if (recipe.Columns.Lithology) {
    auto made = std::make_unique<TPrintStratCol>();
    TPrintStratCol* column = made.get();
    body.AddChild(std::move(made));
    // The room between the depth scale and the core table.
    const double left = recipe.ScaleLeft + recipe.ScaleWidth;
    const double right = recipe.Columns.CoreLeft > left ? recipe.Columns.CoreLeft : left + kLithologyWidth;
    column->SetName(Text(kLithologyName.En));
    column->SetBoundsRect({left, 0, right, height});
    // From the program folder's "lsd"; the template names it by file name only.
    if (!column->LoadDataBase(QStringLiteral("default.lsd"))) return false;
    names.push_back(kLithologyName);
  }
  if (recipe.Columns.CoreLeft > 0) {
    auto core = std::make_unique<TPrintDeepTable>();
    core->SetName(Text(kCoreName.En));
    TStringTableEx& table = core->Table();
    table.SetColCount(static_cast<int>(std::size(kCoreColumnWidths)));
    double width = 0;
    for (size_t c = 0; c < std::size(kCoreColumnWidths); ++c) {
      table.ColWidths[c] = kCoreColumnWidths[c];
      width += kCoreColumnWidths[c];
    }
    core->SetBoundsRect({recipe.Columns.CoreLeft, 0, recipe.Columns.CoreLeft + width, height});
    body.AddChild(std::move(core));
    names.push_back(kCoreName);
  }
  if (recipe.Columns.DescLeft > 0) {
    auto desc = std::make_unique<TPrintDesc>();
    desc->SetName(Text(kDescName.En));
    // Rock descriptions run to several lines within the column.
    desc->Font.Format |= DT_WORDBREAK;
    desc->SetBoundsRect({recipe.Columns.DescLeft, 0, recipe.Columns.DescRight, height});
    body.AddChild(std::move(desc));
    names.push_back(kDescName);
  }
  for (const TTrackRecipe& t : recipe.Tracks) {
    auto column = std::make_unique<TPrintDiagrams>();
    TPrintDiagrams* track = column.get();
    body.AddChild(std::move(column));
    track->SetName(Text(t.Name.En));
    track->SetBoundsRect({t.Left, 0, t.Left + t.Width, height});
    track->VertLines1 = {2, 0xC0C0C0, -1, 10};
    track->HorzLines1 = {2, 0xC0C0C0, -1, 10};
    for (const TCurveRecipe& c : t.Curves) {
      TPrintDiagramm* curve = track->AddEmptyCurve(Text(c.Name), 1);
      curve->SetLogarithmic(c.Logarithmic);
      curve->SetMeasure(c.Measure);
      curve->SetColor(c.Color);
      curve->SetLineStyle(c.Style);
      curve->SetLineWidth(kPrintedCurveWidth);
      curve->SetLeft(t.Left + c.Offset);
      TPrintDiagrammScale* header = curve->AddScaleHeader(nullptr);
      header->ScaleFont().SetSize(7);
      header->SetMarkStep(c.MarkStep);
      header->SetMarkIndex1(c.FirstMark);
      header->SetMarkIndex2(c.LastMark);
      header->SetShowName(true);
      header->SetMeasureName(Text(c.Unit));
    }
    track->StackHeaders(TPrintDiagrams::THeaderSide::Above);
    names.push_back(t.Name);
  }
  // The sheet's planned interval: the columns hold no data below it.
  body.SetIntervalLength(recipe.Metres);
  body.Changed();
  const QString section = Text(recipe.Section);
  if (!body.SaveToIni(ini, section, QString()) ||
      !ini->WriteString(section, TranslatedIniKey(QStringLiteral("NAME"), kRussian), Text(recipe.Name.Ru)))
    return false;
  // Each column's section is named in its OBJECTn line ("section kind").
  for (size_t i = 0; i < names.size(); ++i) {
    if (!*names[i].Ru) continue;
    const QString line = ini->ReadString(section, QStringLiteral("OBJECT%1").arg(i + 1), QString());
    const QString child = line.section(QLatin1Char(' '), 0, 0);
    if (child.isEmpty() ||
        !ini->WriteString(child, TranslatedIniKey(QStringLiteral("NAME"), kRussian), Text(names[i].Ru)))
      return false;
  }
  return true;
}

bool WriteTemplate(const QString& path, const TTemplateRecipe& recipe) {
  TIniFile ini(path);
  ini.BeginBulk(true);
  const QString block = QStringLiteral("%1 %2");
  const bool written =
      WriteTranslated(&ini, QStringLiteral("TEMPLATE"), QStringLiteral("NAME"), recipe.Name) &&
      WriteTranslated(&ini, QStringLiteral("TEMPLATE"), QStringLiteral("DESCRIPTION"), recipe.Description) &&
      ini.WriteString(QStringLiteral("PASSPORT"), QStringLiteral("OBJECT1"),
                      block.arg(recipe.Head.Section).arg(kindHead)) &&
      ini.WriteString(QStringLiteral("PASSPORT"), QStringLiteral("OBJECT2"),
                      block.arg(recipe.Columns.Section).arg(kindHead)) &&
      ini.WriteString(QStringLiteral("PASSPORT"), QStringLiteral("OBJECT3"),
                      block.arg(recipe.Body.Section).arg(kindBody)) &&
      WriteHead(&ini, recipe.Head) && WriteHead(&ini, recipe.Columns) && WriteBody(&ini, recipe.Body) &&
      ini.WriteString(QStringLiteral("ADDBLOCK"), QStringLiteral("OBJECT1"),
                      block.arg(recipe.ExtraBody.Section).arg(kindBody)) &&
      ini.WriteString(QStringLiteral("ADDBLOCK"), QStringLiteral("OBJECT2"),
                      block.arg(recipe.ExtraHead.Section).arg(kindHead)) &&
      WriteBody(&ini, recipe.ExtraBody) && WriteHead(&ini, recipe.ExtraHead);
  if (!written) {
    ini.CancelBulk();
    return false;
  }
  return ini.CommitBulk();
}

// The program folder the templates' head files are found from: the folder
// holding both "template" and "hdr".
class TProgramDirScope {
 public:
  explicit TProgramDirScope(const QString& dir) : FPrevious(ProgramDir()) { SetProgramDir(dir); }
  ~TProgramDirScope() { SetProgramDir(FPrevious); }
  TProgramDirScope(const TProgramDirScope&) = delete;
  TProgramDirScope& operator=(const TProgramDirScope&) = delete;

 private:
  QString FPrevious;
};

}  // namespace

QStringList TemplateSheetFiles() {
  QStringList files;
  for (const TTemplateRecipe& recipe : Recipes()) files << Text(recipe.File);
  return files;
}

QString TemplateLogoFile() { return QStringLiteral("logo.bmp"); }

bool WriteTemplateSheets(const QString& folder, QString* error) {
  const auto fail = [error](const QString& text) {
    if (error) *error = text;
    return false;
  };
  if (!QDir().mkpath(folder)) return fail(QStringLiteral("cannot create %1").arg(folder));
  const QDir dir(folder);
  TProgramDirScope programDir(QFileInfo(dir.absolutePath()).path());
  // The lithology columns take their signs from the program folder's database.
  const QString database = QDir(ProgramDir()).filePath(QStringLiteral("lsd/default.lsd"));
  if (!QFileInfo::exists(database)) return fail(QStringLiteral("the sign database %1 is missing").arg(database));
  // Written through the program's own BMP writer: the bytes the templates load.
  QSaveFile logo(dir.filePath(TemplateLogoFile()));
  if (!logo.open(QIODevice::WriteOnly) || logo.write(EncodeBmp(RenderLogoPlaceholder())) <= 0 || !logo.commit())
    return fail(QStringLiteral("cannot write %1").arg(logo.fileName()));
  for (const TTemplateRecipe& recipe : Recipes()) {
    const QString path = dir.filePath(Text(recipe.File));
    if (!WriteTemplate(path, recipe)) return fail(QStringLiteral("cannot write %1").arg(path));
    // The picture shows the template as a new document made from it shows it.
    TPrintDocument document;
    QString loadError;
    if (!document.LoadTemplateFile(path, &loadError)) return fail(loadError);
    const auto* head = dynamic_cast<TPrintHeader*>(document.GetChild(0));
    // The logo is the template's own: the texts come only from the head file.
    if (!head || head->Count() <= (recipe.Head.Logo ? 1 : 0))
      return fail(QStringLiteral("%1: the head file %2 is not in %3/hdr")
                      .arg(path, Text(recipe.Head.File.En), QFileInfo(dir.absolutePath()).path()));
    const QString picture = dir.filePath(TemplatePictureFile(path));
    if (!WriteTemplatePicture(picture, RenderTemplatePicture(&document)))
      return fail(QStringLiteral("cannot write %1").arg(picture));
  }
  return true;
}
