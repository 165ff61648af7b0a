#include "uTableImport.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

#include "uByteScan.h"
#include "uCodePage.h"
#include "uLasImport.h"
#include "uTableText.h"
#include "uUiServices.h"

namespace {

TListChooser& RegisteredChooser() {
  static TListChooser chooser;
  return chooser;
}

bool IsAsciiBytes(const char* p, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (static_cast<unsigned char>(p[i]) >= 0x80) return false;
  return true;
}

// The delimiters a first line may use, in the order they are looked for.
constexpr char kDelimiters[] = {'\t', ';', ' ', '|', ':', ','};

bool IsDelimiterCandidate(char c) { return std::memchr(kDelimiters, c, sizeof kDelimiters) != nullptr; }

// The quote that closes a quoted field whose text starts at `from` (a doubled
// quote stands for one), or n when none does.
size_t ClosingQuote(const char* data, size_t from, size_t n) {
  for (size_t i = from; i < n;) {
    const auto* q = static_cast<const char*>(std::memchr(data + i, '"', n - i));
    if (!q) return n;
    const auto at = static_cast<size_t>(q - data);
    if (at + 1 < n && data[at + 1] == '"') {
      i = at + 2;
      continue;
    }
    return at;
  }
  return n;
}

// The first candidate delimiter in the first line from `start`, outside
// quoted fields (a quote at the line's start or after a candidate opens one);
// every candidate is ASCII, so UTF-8 and Windows-1251 bytes are searched as
// they are. A line without quotes gives the first candidate it holds at all.
char DetectDelimiterByte(const char* data, size_t start, size_t n) {
  bool seen[sizeof kDelimiters] = {};
  bool fieldStart = true;
  for (size_t i = start; i < n && data[i] != '\n' && data[i] != '\r'; ++i) {
    const char c = data[i];
    if (c == '"' && fieldStart) {
      const size_t close = ClosingQuote(data, i + 1, n);
      if (close < n) {
        i = close;
        fieldStart = false;
        continue;
      }
    }
    fieldStart = IsDelimiterCandidate(c);
    if (fieldStart)
      seen[static_cast<const char*>(std::memchr(kDelimiters, c, sizeof kDelimiters)) - kDelimiters] = true;
  }
  for (size_t k = 0; k < sizeof kDelimiters; ++k)
    if (seen[k]) return kDelimiters[k];
  return 0;
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
  if (static_cast<uint64_t>(file.size()) > kCellArenaLimit)
    return Failed(FileError("FileTooLarge", "The file %s is too large", fileName));
  QByteArray bytes = file.readAll();
  if (bytes.isEmpty()) return Failed(FileError("EmptyFile", "The file %s is empty", fileName));
  TTableImportResult result;
  if (!ParseDelimitedText(std::move(bytes), &result.Cells))
    return Failed(FileError("FileTooLarge", "The file %s is too large", fileName));
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
  TSheetGrid grid;
  if (!reader->Read(index, &grid, &error)) return Failed(error);
  // A table without records still has its column names: one header row.
  if (database && grid.RowCount() < 1)
    return Failed(TableError("EmptyTable", "The table %s holds no records").replace(QLatin1String("%s"), names[index]));
  TTableImportResult result;
  result.Cells = CellsFromGrid(std::move(grid));
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

TTableImportResult ImportTableFile(const QString& fileName, const TListChooser& chooser) {
  const TSheetFileKind kind = SheetFileKind(fileName);
  if (kind != TSheetFileKind::None) return ImportSheets(fileName, kind, chooser);
  if (QFileInfo(fileName).suffix().compare(QLatin1String("las"), Qt::CaseInsensitive) == 0) {
    TTableImportResult result;
    if (!ReadLasFile(fileName, &result.Cells, &result.Error)) return Failed(result.Error);
    result.Status = TTableImportStatus::Ok;
    result.GrowColumns = true;
    return result;
  }
  return ImportText(fileName);
}

TTextEncoding DetectTextEncoding(QByteArrayView bytes) {
  TTextEncoding encoding;
  if (bytes.startsWith("\xEF\xBB\xBF")) encoding.Skip = 3;
  const char* p = bytes.data();
  const size_t n = static_cast<size_t>(bytes.size());
  size_t i = static_cast<size_t>(encoding.Skip);
  // ASCII eight bytes at a time; each run of other bytes is validated on its
  // own (a UTF-8 sequence never holds an ASCII byte, so this is the same test
  // as validating the whole).
  while (i < n) {
    while (i + 8 <= n) {
      uint64_t word;
      std::memcpy(&word, p + i, 8);
      if (word & 0x8080808080808080ull) break;
      i += 8;
    }
    while (i < n && static_cast<unsigned char>(p[i]) < 0x80) ++i;
    if (i >= n) break;
    size_t j = i;
    while (j < n && static_cast<unsigned char>(p[j]) >= 0x80) ++j;
    if (!IsValidUtf8(std::string_view(p + i, j - i))) {
      encoding.Utf8 = false;
      break;
    }
    i = j;
  }
  return encoding;
}

QString DecodeTextBytes(const QByteArray& bytes) {
  const TTextEncoding encoding = DetectTextEncoding(bytes);
  const QByteArrayView view = QByteArrayView(bytes).sliced(encoding.Skip);
  if (encoding.Utf8) return QString::fromUtf8(view);
  return QString::fromStdString(Cp1251ToUtf8(std::string_view(view.data(), static_cast<size_t>(view.size()))));
}

QChar DetectDelimiter(QStringView firstLine) {
  static const char16_t kCandidates[] = {u'\t', u';', u' ', u'|', u':', u','};
  for (const char16_t c : kCandidates)
    if (firstLine.contains(QChar(c))) return QChar(c);
  return QChar();
}

bool ParseDelimitedText(QByteArray bytes, TCellStore* cells) {
  const TTextEncoding encoding = DetectTextEncoding(bytes);
  TCellStoreBuilder builder(std::move(bytes));
  if (!builder.Ok()) return false;
  char* const data = builder.Data();
  const auto n = static_cast<size_t>(builder.Size());
  // A cell is where it lies in the file; Windows-1251 text other than ASCII is converted.
  auto add = [&](size_t from, size_t to) {
    if (!encoding.Utf8 && !IsAsciiBytes(data + from, to - from))
      builder.AddText(std::string_view(Cp1251ToUtf8(std::string_view(data + from, to - from))));
    else
      builder.AddSpan(from, to - from);
  };
  const char* const stop = data + n;
  size_t start = static_cast<size_t>(encoding.Skip);
  const char delimiter = DetectDelimiterByte(data, start, n);
  // Where a field from `at` ends: the delimiter or a line end (without a
  // delimiter, a line is one field).
  const char ender = delimiter ? delimiter : '\n';
  auto fieldEnd = [&](size_t at) {
    return static_cast<size_t>(bytescan::FindAny(data + at, stop, ender, '\n', '\r') - data);
  };
  // Adds the field at `at` and returns where it ends. A field that begins
  // with a quote runs to the closing quote, delimiters and line breaks
  // included, with "" for one quote (anything after the closing quote up to
  // the field's end is kept too); its text is unquoted in place. Without a
  // closing quote the field is plain text.
  auto field = [&](size_t at) {
    if (at < n && data[at] == '"') {
      const size_t close = ClosingQuote(data, at + 1, n);
      if (close < n) {
        size_t w = at + 1;
        for (size_t r = at + 1; r < close; ++r, ++w) {
          data[w] = data[r];
          if (data[r] == '"') ++r;  // the second of a doubled quote
        }
        const size_t end = fieldEnd(close + 1);
        std::memmove(data + w, data + close + 1, end - close - 1);
        w += end - close - 1;
        add(at + 1, w);
        return end;
      }
    }
    const size_t end = fieldEnd(at);
    add(at, end);
    return end;
  };
  bool first = true;
  while (start < n) {
    size_t at = start;
    if (delimiter == ' ') {
      // Runs of spaces are one separator; a space at the line's start separates nothing.
      for (;;) {
        while (at < n && data[at] == ' ') ++at;
        if (at >= n || data[at] == '\n' || data[at] == '\r') break;
        at = field(at);
      }
    } else {
      // Every delimiter separates: empty fields remain.
      for (;;) {
        at = field(at);
        if (delimiter == 0 || at >= n || data[at] != delimiter) break;
        ++at;
      }
    }
    size_t end = at;
    if (first) {
      // As many cells as lines like the first one would give.
      first = false;
      const size_t lines = n / (end - start + 1) + 1;
      builder.Reserve(std::min(lines + lines / 8, n) * std::max<size_t>(builder.OpenCells(), 1));
    }
    builder.EndRow();
    // One line break: CR LF, LF or CR.
    if (end < n && data[end] == '\r' && end + 1 < n && data[end + 1] == '\n') ++end;
    start = end + 1;
  }
  const int cols = builder.MaxWidth();
  *cells = builder.Finish(cols);
  return builder.Ok();
}

void AppendDelimitedCell(QByteArray* line, std::string_view cell, std::string_view delimiter, bool firstLine,
                         bool alone) {
  const bool spaces = delimiter == " ";
  bool quote = cell.find_first_of("\"\r\n") != std::string_view::npos ||
               (!delimiter.empty() && cell.find(delimiter) != std::string_view::npos) || (spaces && cell.empty());
  if (!quote && firstLine) {
    // A byte-order mark opening the file is skipped by the reader.
    quote = cell.starts_with("\xEF\xBB\xBF");
    // The reader takes the first candidate in the first line for the
    // delimiter: none may come before ours, nor any when the line has no
    // delimiter at all.
    for (const char c : kDelimiters) {
      if (quote || (!alone && delimiter.size() == 1 && c == delimiter[0])) break;
      if (cell.find(c) != std::string_view::npos) {
        quote = true;
        break;
      }
    }
  }
  if (!quote) {
    line->append(cell.data(), static_cast<qsizetype>(cell.size()));
    return;
  }
  line->append('"');
  for (const char c : cell) {
    if (c == '"')
      line->append("\"\"");
    else if (spaces && (c == '\r' || c == '\n'))
      line->append(' ');  // the space-separated form keeps each row on one line
    else
      line->append(c);
  }
  line->append('"');
}

TCellStore CellsFromGrid(TSheetGrid&& grid) {
  TCellStoreBuilder builder;
  const auto cols = static_cast<size_t>(std::max(0, grid.ColCount));
  bool colours = false;
  for (const std::vector<TSheetCell>& row : grid.Rows) {
    const size_t count = std::min(row.size(), cols);
    for (size_t c = 0; c < count; ++c) {
      builder.AddText(row[c].Text);
      colours = colours || row[c].Color != 0;
    }
    builder.EndRow();
  }
  TCellStore cells = builder.Finish(static_cast<int>(cols));
  if (colours) {
    for (size_t r = 0; r < grid.Rows.size(); ++r) {
      const std::vector<TSheetCell>& row = grid.Rows[r];
      for (size_t c = 0; c < std::min(row.size(), cols); ++c)
        if (row[c].Color != 0)
          cells.SetData(static_cast<int>(c), static_cast<int>(r), static_cast<int32_t>(row[c].Color));
    }
  }
  grid.Rows.clear();
  return cells;
}
