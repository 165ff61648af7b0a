#include "uIntervalImport.h"

#include <QFileInfo>
#include <QSet>
#include <cmath>
#include <limits>

#include "uLanguage.h"
#include "uNumbers.h"
#include "uPrintHeader.h"

namespace {

TIntervalImportEditor& Editor() {
  static TIntervalImportEditor editor;
  return editor;
}

bool IsNumber(const QString& text) {
  return !std::isnan(ReadNumber(text.toStdString(), std::numeric_limits<double>::quiet_NaN()));
}

// A column name as letters only, in lower case: "From_Depth", "from depth"
// and "FROM-DEPTH" are one name.
QString NameKey(const QString& name) {
  QString key;
  for (const QChar c : name)
    if (c.isLetter()) key += c.toLower();
  return key;
}

// Whether `name` is one of `known`, also with a unit letter after it ("Top, m").
bool IsNamed(const QString& name, std::initializer_list<const char*> known) {
  const QString key = NameKey(name);
  if (key.isEmpty()) return false;
  for (const char* k : known) {
    const QString want = QString::fromUtf8(k);
    if (key == want) return true;
    if (key.size() == want.size() + 1 && key.startsWith(want) &&
        (key.back() == QLatin1Char('m') || key.back() == QChar(0x043C)))
      return true;
  }
  return false;
}

bool IsFromName(const QString& name) {
  return IsNamed(name, {"from", "fromdepth", "depthfrom", "top", "topdepth", "depthtop", "кровля", "глубинаот",
                        "глубинакровли", "от"});
}

bool IsToName(const QString& name) {
  return IsNamed(name, {"to", "todepth", "depthto", "bottom", "bottomdepth", "depthbottom", "base", "basedepth",
                        "подошва", "глубинадо", "глубинаподошвы", "до"});
}

bool IsHoleName(const QString& name) {
  return IsNamed(
      name, {"holeid", "hole", "holename", "well", "wellid", "wellname", "bhid", "скважина", "скв", "номерскважины"});
}

}  // namespace

void SetIntervalImportEditor(TIntervalImportEditor editor) { Editor() = std::move(editor); }

void TRowData::AddValue(const QString& value) {
  const QString key = value.toCaseFolded();
  if (FKeys.contains(key)) return;
  FKeys.insert(key);
  FValues << value;
}

void TRowData::SetPlaces(int count) {
  while (FValues.size() < count) FValues << QString();
}

void TRowData::SetValueAt(int index, const QString& value) {
  if (index >= 0 && index < FValues.size() && FValues[index].isEmpty()) FValues[index] = value;
}

bool TRowData::HasValue() const {
  for (const QString& v : FValues)
    if (!v.isEmpty()) return true;
  return false;
}

TRowData* TTableData::Add() {
  FRows.push_back(std::make_unique<TRowData>());
  return FRows.back().get();
}

int TTableData::MaxValueCount() const {
  int n = 0;
  for (const auto& r : FRows) n = std::max(n, static_cast<int>(r->Values().size()));
  return n;
}

bool TTableData::AnyValue() const {
  for (const auto& r : FRows)
    if (r->HasValue()) return true;
  return false;
}

TIntervalImport::TIntervalImport() = default;

HRESULT TIntervalImport::LoadFile(const QString& fileName) {
  TStringTable loaded;
  HRESULT hr;
  if (!fileName.isEmpty() && QFileInfo::exists(fileName)) {
    hr = loaded.ImportFile(fileName);
    if (hr == S_OK) loaded.FileName = fileName;
  } else {
    loaded.FileName = fileName;
    hr = loaded.ImportWithDialog();
  }
  if (hr != S_OK) {
    // The rows loaded before stay; the reason is kept for the caller.
    FError = hr == R_CANCELLED ? QString() : loaded.LastError();
    return hr;
  }
  Source.Assign(loaded);
  Source.FileName = loaded.FileName;
  SourceChanged();
  return S_OK;
}

void TIntervalImport::SourceChanged() {
  HasIds = true;
  for (int c = 0; c < Source.ColCount(); ++c)
    if (IsNumber(Source.GetCell(c, 0))) {
      HasIds = false;
      break;
    }
  FNamedFrom = FNamedTo = -1;
  FHoleColumn = false;
  if (HasIds) {
    for (int c = 0; c < Source.ColCount(); ++c) {
      const QString name = Source.GetCell(c, 0);
      if (FNamedFrom < 0 && IsFromName(name)) {
        FNamedFrom = c;
      } else if (FNamedTo < 0 && IsToName(name)) {
        FNamedTo = c;
      }
    }
    if (FNamedFrom < 0 || FNamedTo < 0) FNamedFrom = FNamedTo = -1;
    FHoleColumn = FNamedFrom > 0 && FNamedTo > 0 && IsHoleName(Source.GetCell(0, 0));
  }
  const QStringList values = FilterValues();
  Filter = FHoleColumn && values.size() > 1;
  FilterText = values.contains(PreferredHole) ? PreferredHole : values.isEmpty() ? QString() : values.first();
  SetDefaultColumns();
}

void TIntervalImport::SetDefaultColumns() {
  const int cols = Source.ColCount();
  DataColumns.clear();
  UniteColumn = std::max(cols - 1, 0);
  if (HasIds && FNamedFrom >= 0) {
    FromColumn = FNamedFrom;
    ToColumn = FNamedTo;
    for (int c = FHoleColumn ? 1 : 0; c < cols; ++c)
      if (c != FromColumn && c != ToColumn) DataColumns.push_back(c);
    return;
  }
  FromColumn = Filter ? 1 : 0;
  ToColumn = FromColumn + 1;
  for (int c = ToColumn + 1; c < cols; ++c) DataColumns.push_back(c);
}

QStringList TIntervalImport::FilterValues() const {
  QStringList out;
  QSet<QString> seen;
  for (int r = HasIds ? 1 : 0; r < Source.RowCount(); ++r) {
    const QString text = Source.GetCell(0, r);
    if (seen.contains(text)) continue;
    seen.insert(text);
    out << text;
  }
  return out;
}

QStringList TIntervalImport::ColumnCaptions() const {
  QStringList out;
  for (int c = 0; c < Source.ColCount(); ++c) out << Source.GetCell(c, 0) + QStringLiteral(" (%1)").arg(c + 1);
  return out;
}

bool TIntervalImport::RowUsable(int row) const {
  if (row < 0 || row >= Source.RowCount()) return false;
  if (HasIds && row == 0) return false;
  return !Filter || Source.GetCell(0, row) == FilterText;
}

QString TIntervalImport::ChosenHole() const {
  if (!FHoleColumn || !HasIds) return QString();
  if (Filter) return FilterText.trimmed();
  const QStringList holes = FilterValues();
  return holes.size() == 1 ? holes.first().trimmed() : QString();
}

TTableData TIntervalImport::Build() const {
  TTableData out;
  const bool split = Delimiter.size() == 1 && !ValuesByColumn;
  const int places = static_cast<int>(DataColumns.size());
  // No cell text holds code 1: the first usable row always starts an interval.
  QString previousUnite(QChar(1));
  TRowData* current = nullptr;
  const auto keepOrDrop = [&] {
    // An interval is judged once it is complete: the values of rows united
    // with it count as much as those of its first row.
    if (current && !current->HasValue() && !UseEmpty) out.RemoveLast();
    current = nullptr;
  };
  const auto add = [&](const QString& value) {
    if (!value.isEmpty()) current->AddValue(value);
  };
  for (int row = 0; row < Source.RowCount(); ++row) {
    if (!RowUsable(row)) continue;
    const QString uniteText = Source.GetCell(UniteColumn, row);
    if (!(Unite && current && uniteText == previousUnite)) {
      keepOrDrop();
      current = out.Add();
      current->From = Source.GetCell(FromColumn, row);
      if (ValuesByColumn) current->SetPlaces(places);
    }
    current->To = Source.GetCell(ToColumn, row);
    for (int k = 0; k < places; ++k) {
      const QString text = Source.GetCell(DataColumns[static_cast<size_t>(k)], row);
      if (ValuesByColumn) {
        current->SetValueAt(k, text.trimmed());
        continue;
      }
      if (text.isEmpty()) continue;
      if (split) {
        for (const QString& piece : text.split(Delimiter[0])) add(piece);
      } else {
        add(text);
      }
    }
    previousUnite = uniteText;
  }
  keepOrDrop();
  return out;
}

QStringList TIntervalImport::ValueNames(int count) const {
  QStringList names;
  for (int k = 0; k < count; ++k) {
    QString name;
    if (ValuesByColumn && HasIds && k < static_cast<int>(DataColumns.size()))
      name = Source.GetCell(DataColumns[static_cast<size_t>(k)], 0).trimmed();
    names << (name.isEmpty() ? TranslateWord(QStringLiteral("Value")) + QString::number(k + 1) : name);
  }
  return names;
}

std::unique_ptr<TStringTable> TIntervalImport::ResultTable() const {
  const TTableData data = Build();
  const int values = data.MaxValueCount();
  if (values == 0 || !data.AnyValue()) return nullptr;
  const QStringList names = ValueNames(values);
  auto table = std::make_unique<TStringTable>();
  table->AutoColumns = false;
  table->SetColCount(2 + values);
  table->SetRowCount(data.Count());
  table->SetHeader(0, TranslateWord(QStringLiteral("From")));
  table->SetHeader(1, TranslateWord(QStringLiteral("To")));
  for (int k = 0; k < values; ++k) table->SetHeader(2 + k, names[k]);
  for (int r = 0; r < data.Count(); ++r) {
    const TRowData& row = data[r];
    table->SetCell(0, r, row.From);
    table->SetCell(1, r, row.To);
    for (int k = 0; k < row.Values().size(); ++k) table->SetCell(2 + k, r, row.Values()[k]);
  }
  table->FileName = Source.FileName;
  return table;
}

bool IntervalEndsBad(const QString& from, const QString& to) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double a = ReadNumber(from.toStdString(), nan);
  const double b = ReadNumber(to.toStdString(), nan);
  return std::isnan(a) || std::isnan(b) || a < 0 || b < 0 || a > b;
}

std::unique_ptr<TStringTable> ImportIntervals(const QString& fileName, QString* error, const QString& hole,
                                              bool byColumn, QString* chosenHole) {
  TIntervalImport import;
  import.PreferredHole = hole;
  import.ValuesByColumn = byColumn;
  const HRESULT hr = import.LoadFile(fileName);
  if (hr != S_OK) {
    if (error && hr != R_CANCELLED) *error = import.LastError();
    return nullptr;
  }
  if (Editor() && !Editor()(&import)) return nullptr;
  if (chosenHole) *chosenHole = import.ChosenHole();
  return import.ResultTable();
}

std::unique_ptr<TStringTable> ImportIntervalsFor(TPrintObject* column, QString* error, bool byColumn) {
  const QString well = QStringLiteral("WELL");
  QString hole;
  std::unique_ptr<TStringTable> table =
      ImportIntervals(QString(), error, column ? DocumentHeadValue(column, well) : QString(), byColumn, &hole);
  if (table && column && !hole.isEmpty()) FillEmptyDocumentHeadValue(column, well, hole);
  return table;
}
