#include "uHeadSheets.h"

#include <QDir>
#include <vector>

#include "uPrintHeader.h"
#include "uPrintText.h"

namespace {

constexpr double kWidth = 190;  // mm: an A4 page less 10 mm margins
constexpr double kTitleHeight = 14;
constexpr double kRowHeight = 8;
constexpr int kFieldSize = 8;
constexpr int kTitleSize = 12;
// Centred both ways, wrapped: a long value takes a second line in its frame.
constexpr int32_t kCellFormat = 1 | 4 | 16;

enum TLanguage { English, Russian };

// One framed text: position and size in mm from the head's top-left corner.
struct TCell {
  double X, Y, W, H;
  const char* En;
  const char* Ru;
  int Size = kFieldSize;
  bool Bold = false;
};

std::unique_ptr<TPrintHeader> MakeHead(TLanguage language, const std::vector<TCell>& cells) {
  auto head = std::make_unique<TPrintHeader>();
  head->SetName(language == English ? QStringLiteral("Head") : QStringLiteral("Заголовок"));
  double bottom = 0;
  for (const TCell& c : cells) {
    auto text = std::make_unique<TPrintText>();
    text->SetBoundsRect({c.X, c.Y, c.X + c.W, c.Y + c.H});
    text->SetText(QString::fromUtf8(language == English ? c.En : c.Ru));
    text->Font().SetSize(c.Size);
    text->Font().SetBold(c.Bold);
    text->Font().Format = kCellFormat;
    bottom = std::max(bottom, c.Y + c.H);
    head->AddChild(std::move(text));
  }
  head->SetHeight(bottom);
  head->CollectParameters();
  return head;
}

// Rows under the title: three cells of 64, 63 and 63 mm, or two of 95 mm.
constexpr double kThird1 = 64;
constexpr double kThird = 63;
constexpr double kHalf = kWidth / 2;

double Row(int n) { return kTitleHeight + n * kRowHeight; }

TCell Title(const char* en, const char* ru) { return {50, 0, 90, kTitleHeight, en, ru, kTitleSize, true}; }
TCell Company() { return {0, 0, 50, kTitleHeight, "%COMPANY%", "%COMPANY%", 9}; }
TCell Scale() { return {140, 0, 50, kTitleHeight, "Depth scale 1:%SCALE%", "Масштаб глубин 1:%SCALE%", 9}; }
TCell Left3(int row, const char* en, const char* ru) { return {0, Row(row), kThird1, kRowHeight, en, ru}; }
TCell Mid3(int row, const char* en, const char* ru) { return {kThird1, Row(row), kThird, kRowHeight, en, ru}; }
TCell Right3(int row, const char* en, const char* ru) {
  return {kThird1 + kThird, Row(row), kThird, kRowHeight, en, ru};
}
TCell Left2(int row, const char* en, const char* ru) { return {0, Row(row), kHalf, kRowHeight, en, ru}; }
TCell Right2(int row, const char* en, const char* ru) { return {kHalf, Row(row), kHalf, kRowHeight, en, ru}; }
TCell Whole(int row, const char* en, const char* ru) { return {0, Row(row), kWidth, kRowHeight, en, ru}; }

std::unique_ptr<TPrintHeader> WellLog(TLanguage language) {
  return MakeHead(
      language,
      {Company(), Title("WELL LOG\r\nWell %WELL%", "ГЕОЛОГИЧЕСКИЙ РАЗРЕЗ\r\nСкважина %WELL%"), Scale(),
       Left3(0, "Well: %WELL%", "Скважина: %WELL%"), Mid3(0, "Field: %FIELD%", "Месторождение: %FIELD%"),
       Right3(0, "Area: %AREA%", "Площадь: %AREA%"), Left2(1, "Operator: %OPERATOR%", "Недропользователь: %OPERATOR%"),
       Right2(1, "Geologist: %GEOLOGIST%", "Геолог: %GEOLOGIST%"),
       Left3(2, "Spud date: %SPUD_DATE%", "Начало бурения: %SPUD_DATE%"),
       Mid3(2, "Completion date: %COMPLETION_DATE%", "Окончание бурения: %COMPLETION_DATE%"),
       Right3(2, "Log date: %LOG_DATE%", "Дата каротажа: %LOG_DATE%"),
       Left3(3, "Interval: %TOP_DEPTH% – %BOTTOM_DEPTH% m", "Интервал: %TOP_DEPTH% – %BOTTOM_DEPTH% м"),
       Mid3(3, "Elevation: %ELEVATION% m", "Альтитуда: %ELEVATION% м"),
       Right3(3, "Total depth: %TOTAL_DEPTH% m", "Забой: %TOTAL_DEPTH% м"),
       Left2(4, "Coordinates: X %COORD_X%, Y %COORD_Y%", "Координаты: X %COORD_X%, Y %COORD_Y%"),
       Right2(4, "Coordinate system: %COORD_SYSTEM%", "Система координат: %COORD_SYSTEM%"),
       Whole(5, "Remarks: %REMARKS%", "Примечания: %REMARKS%")});
}

std::unique_ptr<TPrintHeader> LithologyLog(TLanguage language) {
  return MakeHead(
      language, {Company(), Title("LITHOLOGY LOG\r\nWell %WELL%", "ЛИТОЛОГИЧЕСКАЯ КОЛОНКА\r\nСкважина %WELL%"), Scale(),
                 Left3(0, "Field: %FIELD%", "Месторождение: %FIELD%"), Mid3(0, "Area: %AREA%", "Площадь: %AREA%"),
                 Right3(0, "Elevation: %ELEVATION% m", "Альтитуда: %ELEVATION% м"),
                 Left2(1, "Described interval: %TOP_DEPTH% – %BOTTOM_DEPTH% m",
                       "Интервал описания: %TOP_DEPTH% – %BOTTOM_DEPTH% м"),
                 // "%%" prints one percent sign.
                 Right2(1, "Core recovery: %CORE_RECOVERY% %%", "Вынос керна: %CORE_RECOVERY% %%"),
                 Left2(2, "Described by: %GEOLOGIST%", "Описал: %GEOLOGIST%"),
                 Right2(2, "Description date: %LOG_DATE%", "Дата описания: %LOG_DATE%"),
                 Left2(3, "Coordinates: X %COORD_X%, Y %COORD_Y%", "Координаты: X %COORD_X%, Y %COORD_Y%"),
                 Right2(3, "Remarks: %REMARKS%", "Примечания: %REMARKS%")});
}

std::unique_ptr<TPrintHeader> CurveLog(TLanguage language) {
  return MakeHead(
      language,
      {Company(), Title("WELL LOGS\r\nWell %WELL%", "КАРОТАЖНАЯ ДИАГРАММА\r\nСкважина %WELL%"), Scale(),
       Left3(0, "Field: %FIELD%", "Месторождение: %FIELD%"), Mid3(0, "Area: %AREA%", "Площадь: %AREA%"),
       Right3(0, "Log date: %LOG_DATE%", "Дата каротажа: %LOG_DATE%"),
       Left2(1, "Logged interval: %TOP_DEPTH% – %BOTTOM_DEPTH% m", "Интервал каротажа: %TOP_DEPTH% – %BOTTOM_DEPTH% м"),
       Right2(1, "Logging company: %LOGGING_COMPANY%", "Геофизическая организация: %LOGGING_COMPANY%"),
       Left3(2, "Bit size: %BIT_SIZE% mm", "Диаметр долота: %BIT_SIZE% мм"),
       Mid3(2, "Casing shoe: %CASING_SHOE% m", "Башмак колонны: %CASING_SHOE% м"),
       Right3(2, "Mud: %MUD%", "Буровой раствор: %MUD%"),
       Left3(3, "Elevation: %ELEVATION% m", "Альтитуда: %ELEVATION% м"),
       Mid3(3, "Engineer: %ENGINEER%", "Инженер: %ENGINEER%"),
       Right3(3, "Interpreted by: %GEOLOGIST%", "Интерпретатор: %GEOLOGIST%")});
}

// The heads of column titles that stand between a template's head and its
// body, each title over its column (edges in mm, as the templates place the
// columns). A core table's title spans its three columns.
constexpr double kTitleRow = 6;
constexpr double kCoreWidths[] = {12, 12, 14};  // From, To, recovery

TCell Column(double left, double right, double height, const char* en, const char* ru) {
  return {left, 0, right - left, height, en, ru};
}

// The core table's title over its columns' titles, from `left` on.
std::vector<TCell> CoreTitles(double left) {
  std::vector<TCell> cells{{left, 0, kCoreWidths[0] + kCoreWidths[1] + kCoreWidths[2], kTitleRow, "Core", "Керн"}};
  const char* en[] = {"From, m", "To, m", "Rec., m"};
  const char* ru[] = {"От, м", "До, м", "Вынос, м"};
  for (size_t i = 0; i < std::size(kCoreWidths); ++i) {
    cells.push_back({left, kTitleRow, kCoreWidths[i], kTitleRow, en[i], ru[i]});
    left += kCoreWidths[i];
  }
  return cells;
}

std::unique_ptr<TPrintHeader> Titles(TLanguage language, const std::vector<TCell>& cells) {
  auto head = MakeHead(language, cells);
  head->SetName(language == English ? QStringLiteral("Columns") : QStringLiteral("Колонки"));
  return head;
}

// The well log sheet: stratigraphy, depth, room for the lithology, the core
// table and the descriptions.
std::unique_ptr<TPrintHeader> WellLogColumns(TLanguage language) {
  constexpr double kHeight = 2 * kTitleRow;
  std::vector<TCell> cells{Column(0, 20, kHeight, "Stratigraphy", "Стратиграфия"),
                           Column(20, 40, kHeight, "Depth, m", "Глубина, м"),
                           Column(40, 70, kHeight, "Lithology", "Литология")};
  for (const TCell& c : CoreTitles(70)) cells.push_back(c);
  cells.push_back(Column(108, kWidth, kHeight, "Description of rocks", "Описание пород"));
  return Titles(language, cells);
}

// The lithology log: depth, the lithology column, the core table and the descriptions.
std::unique_ptr<TPrintHeader> LithologyLogColumns(TLanguage language) {
  constexpr double kHeight = 2 * kTitleRow;
  std::vector<TCell> cells{Column(0, 20, kHeight, "Depth, m", "Глубина, м"),
                           Column(20, 60, kHeight, "Lithology", "Литология")};
  for (const TCell& c : CoreTitles(60)) cells.push_back(c);
  cells.push_back(Column(98, kWidth, kHeight, "Description of rocks", "Описание пород"));
  return Titles(language, cells);
}

// The curve log: the tracks' titles, then rows for the curves' scales (a
// 10 mm band each, up to three a track), which the template's curve
// columns keep above the body.
std::unique_ptr<TPrintHeader> CurveLogColumns(TLanguage language) {
  constexpr double kHeaders = 30;
  constexpr double kHeight = kTitleRow + kHeaders;
  struct TTrack {
    double Left, Right;
    const char* En;
    const char* Ru;
  };
  const TTrack tracks[] = {{0, 60, "Lithology logs", "Литологические кривые"},
                           {90, 140, "Resistivity", "Сопротивление"},
                           {140, kWidth, "Porosity logs", "Кривые пористости"}};
  std::vector<TCell> cells{Column(60, 90, kHeight, "Depth, m", "Глубина, м")};
  for (const TTrack& t : tracks) {
    cells.push_back(Column(t.Left, t.Right, kTitleRow, t.En, t.Ru));
    cells.push_back({t.Left, kTitleRow, t.Right - t.Left, kHeaders, "", ""});
  }
  return Titles(language, cells);
}

// A head for the end of a sheet (or a page of its own): the conclusions, the
// remarks and who compiled and checked the sheet.
std::unique_ptr<TPrintHeader> Remarks(TLanguage language) {
  constexpr double kTitle = 10;
  constexpr double kConclusions = 24;
  constexpr double kRemarks = 16;
  constexpr double kSigned = kTitle + kConclusions + kRemarks;
  return MakeHead(language,
                  {{0, 0, 140, kTitle, "CONCLUSIONS AND REMARKS", "ЗАКЛЮЧЕНИЕ И ПРИМЕЧАНИЯ", 11, true},
                   {140, 0, 50, kTitle, "Well %WELL%", "Скважина %WELL%", 9},
                   {0, kTitle, kWidth, kConclusions, "Conclusions: %CONCLUSIONS%", "Заключение: %CONCLUSIONS%"},
                   {0, kTitle + kConclusions, kWidth, kRemarks, "Remarks: %REMARKS%", "Примечания: %REMARKS%"},
                   {0, kSigned, kThird1, kRowHeight, "Compiled by: %GEOLOGIST%", "Составил: %GEOLOGIST%"},
                   {kThird1, kSigned, kThird, kRowHeight, "Checked by: %CHECKED_BY%", "Проверил: %CHECKED_BY%"},
                   {kThird1 + kThird, kSigned, kThird, kRowHeight, "Date: %REPORT_DATE%", "Дата: %REPORT_DATE%"}});
}

}  // namespace

const std::vector<THeadSheet>& HeadSheets() {
  static const std::vector<THeadSheet> sheets = {
      {QStringLiteral("well_log.hdr"), [] { return WellLog(English); }},
      {QStringLiteral("well_log_ru.hdr"), [] { return WellLog(Russian); }},
      {QStringLiteral("lithology_log.hdr"), [] { return LithologyLog(English); }},
      {QStringLiteral("lithology_log_ru.hdr"), [] { return LithologyLog(Russian); }},
      {QStringLiteral("curve_log.hdr"), [] { return CurveLog(English); }},
      {QStringLiteral("curve_log_ru.hdr"), [] { return CurveLog(Russian); }},
      {QStringLiteral("remarks.hdr"), [] { return Remarks(English); }, false},
      {QStringLiteral("remarks_ru.hdr"), [] { return Remarks(Russian); }, false},
      {QStringLiteral("well_log_columns.hdr"), [] { return WellLogColumns(English); }, false, true},
      {QStringLiteral("well_log_columns_ru.hdr"), [] { return WellLogColumns(Russian); }, false, true},
      {QStringLiteral("lithology_log_columns.hdr"), [] { return LithologyLogColumns(English); }, false, true},
      {QStringLiteral("lithology_log_columns_ru.hdr"), [] { return LithologyLogColumns(Russian); }, false, true},
      {QStringLiteral("curve_log_columns.hdr"), [] { return CurveLogColumns(English); }, false, true},
      {QStringLiteral("curve_log_columns_ru.hdr"), [] { return CurveLogColumns(Russian); }, false, true},
  };
  return sheets;
}

bool WriteHeadSheets(const QString& folder, QString* error) {
  if (!QDir().mkpath(folder)) {
    if (error) *error = QStringLiteral("cannot create %1").arg(folder);
    return false;
  }
  for (const THeadSheet& sheet : HeadSheets()) {
    const QString path = QDir(folder).filePath(sheet.FileName);
    if (!sheet.Make()->SaveHeaderFile(path)) {
      if (error) *error = QStringLiteral("cannot write %1").arg(path);
      return false;
    }
  }
  return true;
}
