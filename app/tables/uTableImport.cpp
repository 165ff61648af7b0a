#include "uTableImport.h"

#include <QFile>
#include <QFileInfo>

#include "uCodePage.h"
#include "uLasImport.h"
#include "uTableText.h"
#include "uUiServices.h"

namespace {

TListChooser& RegisteredChooser() {
  static TListChooser chooser;
  return chooser;
}

void SplitLine(QStringView line, QChar delimiter, std::vector<TSheetCell>* cells) {
  cells->clear();
  if (delimiter.isNull()) {
    cells->push_back({line.toString(), 0});
    return;
  }
  const qsizetype n = line.size();
  if (delimiter == u' ') {
    qsizetype i = 0;
    while (i < n) {
      while (i < n && line[i] == u' ') ++i;
      if (i >= n) break;
      qsizetype j = i;
      while (j < n && line[j] != u' ') ++j;
      cells->push_back({line.mid(i, j - i).toString(), 0});
      i = j;
    }
    return;
  }
  qsizetype start = 0;
  for (qsizetype i = 0; i <= n; ++i) {
    if (i == n || line[i] == delimiter) {
      cells->push_back({line.mid(start, i - start).toString(), 0});
      start = i + 1;
    }
  }
}

TTableImportResult Failed(const QString& error) {
  TTableImportResult result;
  result.Status = TTableImportStatus::Failed;
  result.Error = error;
  return result;
}

QString FileError(const QString& key, const QString& def, const QString& fileName) {
  return TableError(key, def).replace(QLatin1String("%s"), fileName);
}

TTableImportResult ImportText(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return Failed(FileError("CannotOpen", "Cannot open the file %s", fileName));
  const QByteArray bytes = file.readAll();
  if (bytes.isEmpty()) return Failed(FileError("EmptyFile", "The file %s is empty", fileName));
  TTableImportResult result;
  ParseDelimitedText(DecodeTextBytes(bytes), &result.Grid);
  result.Status = TTableImportStatus::Ok;
  result.GrowColumns = true;
  return result;
}

TTableImportResult ImportSheets(const QString& fileName, TSheetFileKind kind, const TListChooser& chooser) {
  if (!QFileInfo::exists(fileName)) return Failed(FileError("CannotOpen", "Cannot open the file %s", fileName));
  QString error;
  std::unique_ptr<ISheetReader> reader = OpenSheetFile(fileName, kind, &error);
  if (!reader) return Failed(error);
  const QStringList names = reader->Names();
  const bool database = IsDatabaseKind(kind);
  if (names.isEmpty())
    return Failed(database ? FileError("NoTables", "The database %s holds no tables", fileName)
                           : FileError("NoSheets", "The workbook %s holds no sheets", fileName));
  const int index =
      chooser ? chooser(database ? TableText("SelectTable", "Select table") : TableText("SelectSheet", "Select sheet"),
                        names)
              : 0;
  if (index < 0 || index >= names.size()) {
    TTableImportResult cancelled;
    cancelled.Status = TTableImportStatus::Cancelled;
    return cancelled;
  }
  TTableImportResult result;
  if (!reader->Read(index, &result.Grid, &error)) return Failed(error);
  if (database && result.Grid.RowCount() < 2)
    return Failed(TableError("EmptyTable", "The table %s holds no records").replace(QLatin1String("%s"), names[index]));
  result.Status = TTableImportStatus::Ok;
  result.GrowColumns = database;
  return result;
}

}  // namespace

TListChooser ImportChooser() {
  if (RegisteredChooser()) return RegisteredChooser();
  return [](const QString& title, const QStringList& items) { return Ui().ChooseFromList(title, title, items, 0); };
}

void SetImportChooser(TListChooser chooser) { RegisteredChooser() = std::move(chooser); }

QString DecodeTextBytes(const QByteArray& bytes) {
  QByteArrayView view(bytes);
  if (view.startsWith("\xEF\xBB\xBF")) view = view.sliced(3);
  const std::string_view raw(view.data(), static_cast<size_t>(view.size()));
  if (IsValidUtf8(raw)) return QString::fromUtf8(view);
  return QString::fromStdString(Cp1251ToUtf8(raw));
}

QChar DetectDelimiter(QStringView firstLine) {
  static const char16_t kCandidates[] = {u'\t', u';', u' ', u'|', u':', u','};
  for (const char16_t c : kCandidates)
    if (firstLine.contains(QChar(c))) return QChar(c);
  return QChar();
}

void ParseDelimitedText(const QString& text, TSheetGrid* grid) {
  grid->Rows.clear();
  grid->ColCount = 0;
  const QStringView all(text);
  const qsizetype n = all.size();
  qsizetype start = 0;
  QChar delimiter;
  bool first = true;
  while (start < n) {
    qsizetype end = start;
    while (end < n && all[end] != u'\n' && all[end] != u'\r') ++end;
    const QStringView line = all.mid(start, end - start);
    if (first) {
      delimiter = DetectDelimiter(line);
      first = false;
    }
    grid->Rows.emplace_back();
    SplitLine(line, delimiter, &grid->Rows.back());
    grid->ColCount = std::max(grid->ColCount, static_cast<int>(grid->Rows.back().size()));
    // One line break: CR LF, LF or CR.
    if (end < n && all[end] == u'\r' && end + 1 < n && all[end + 1] == u'\n') ++end;
    start = end + 1;
  }
}

TTableImportResult ImportTableFile(const QString& fileName, const TListChooser& chooser) {
  const TSheetFileKind kind = SheetFileKind(fileName);
  if (kind != TSheetFileKind::None) return ImportSheets(fileName, kind, chooser);
  if (QFileInfo(fileName).suffix().compare(QLatin1String("las"), Qt::CaseInsensitive) == 0) {
    TTableImportResult result;
    if (!ReadLasFile(fileName, &result.Grid, &result.Error)) return Failed(result.Error);
    result.Status = TTableImportStatus::Ok;
    result.GrowColumns = true;
    return result;
  }
  return ImportText(fileName);
}
