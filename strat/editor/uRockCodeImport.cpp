#include "uRockCodeImport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <array>

#include "uCodePage.h"
#include "uComPtr.h"
#include "uSignPicture.h"
#include "uStratTexts.h"

namespace stratedit {

namespace {
// A rock-code list is a few hundred lines; anything far larger is something else.
constexpr qint64 kMaxListBytes = 8 * 1024 * 1024;
constexpr int kMaxRows = 20000;
constexpr int kMaxColumns = 64;

QChar GuessDelimiter(const QStringList& lines) {
  const std::array<QChar, 3> candidates = {u'\t', u';', u','};
  QChar best = u';';
  qsizetype bestCount = 0;
  for (const QChar d : candidates) {
    qsizetype count = 0;
    for (qsizetype i = 0; i < std::min<qsizetype>(lines.size(), 20); ++i) count += lines[i].count(d);
    if (count > bestCount) {
      best = d;
      bestCount = count;
    }
  }
  return best;
}

QStringList SplitLine(const QString& line, QChar delimiter) {
  QStringList cells;
  QString cell;
  bool quoted = false;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line[i];
    if (quoted) {
      if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
        cell += u'"';
        ++i;
      } else if (c == u'"') {
        quoted = false;
      } else {
        cell += c;
      }
    } else if (c == u'"' && cell.trimmed().isEmpty()) {
      cell.clear();
      quoted = true;
    } else if (c == delimiter) {
      cells << cell.trimmed();
      cell.clear();
      if (cells.size() >= kMaxColumns) return cells;
    } else {
      cell += c;
    }
  }
  cells << cell.trimmed();
  return cells;
}

QString RowText(int row) { return Substitute(TranslateGeneral("ILSRow", "row %s"), {QString::number(row + 1)}); }
}  // namespace

bool ReadRockCodeTable(const QString& path, TRockCodeTable* table, QString* error) {
  *table = {};
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
    if (error) *error = TranslateError("ILSNoFile", "The rock code list cannot be read");
    return false;
  }
  if (file.size() > kMaxListBytes) {
    if (error) *error = TranslateError("ILSTooLarge", "The rock code list is too large");
    return false;
  }
  const QByteArray bytes = file.readAll();
  // Text files do not hold NUL bytes; a picture or a database does.
  if (bytes.contains('\0')) {
    if (error) *error = TranslateError("ILSNotText", "The rock code list is not a text file");
    return false;
  }
  const QString text = QString::fromStdString(DecodeTextFile(std::string_view(bytes.constData(), bytes.size())));
  QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
  const QChar delimiter = GuessDelimiter(lines);
  for (const QString& line : lines) {
    if (line.trimmed().isEmpty()) continue;
    if (static_cast<int>(table->Rows.size()) >= kMaxRows) {
      if (error) *error = TranslateError("ILSTooLarge", "The rock code list is too large");
      *table = {};
      return false;
    }
    table->Rows.push_back(SplitLine(line, delimiter));
    table->Columns = std::max(table->Columns, static_cast<int>(table->Rows.back().size()));
  }
  if (table->Rows.empty()) {
    if (error) *error = TranslateError("ILSEmpty", "The rock code list holds no rows");
    return false;
  }
  return true;
}

QString FindPatternFile(const QString& folder, const QString& cell) {
  const QString name = cell.trimmed();
  if (name.isEmpty()) return {};
  const QDir dir(folder);
  QStringList tries{name};
  if (QFileInfo(name).suffix().isEmpty()) tries << name + QStringLiteral(".emf") << name + QStringLiteral(".svg");
  for (const QString& attempt : tries) {
    const QFileInfo direct(dir.filePath(attempt));
    if (direct.isFile()) return direct.filePath();
    // Same name in another case, in the folder the cell leads to.
    const QFileInfo wanted(dir.filePath(attempt));
    const QDir parent = wanted.dir();
    if (!parent.exists()) continue;
    for (const QString& entry : parent.entryList(QDir::Files))
      if (entry.compare(wanted.fileName(), Qt::CaseInsensitive) == 0) return parent.filePath(entry);
  }
  return {};
}

TRockCodeImport ImportRockCodes(IStratDataBase* database, const TRockCodeTable& table, const TRockCodeChoice& choice) {
  TRockCodeImport result;
  if (!database) return result;
  const QString language = choice.Language.isEmpty() ? QStringLiteral("en") : choice.Language;
  for (int r = choice.HeaderRow ? 1 : 0; r < static_cast<int>(table.Rows.size()); ++r) {
    const QStringList& row = table.Rows[static_cast<size_t>(r)];
    auto skip = [&](const QString& why) { result.Skipped << RowText(r) + QStringLiteral(": ") + why; };
    const QString code = row.value(choice.CodeColumn).trimmed();
    if (code.isEmpty()) {
      skip(TranslateGeneral("ILSNoCode", "no rock code"));
      continue;
    }
    if (ToAnsi(code).size() > 255) {
      skip(TranslateGeneral("ILSLongCode", "the rock code is longer than 255 characters"));
      continue;
    }
    const QString cell = row.value(choice.PatternColumn).trimmed();
    const QString picture = FindPatternFile(choice.Folder, cell);
    if (picture.isEmpty()) {
      skip(Substitute(TranslateGeneral("ILSNoPattern", "pattern %s not found"), {cell}));
      continue;
    }
    TComPtr<IStratSign> sign;
    if (stratCreateSign(sign.Put()) != S_OK) {
      skip(ResultText(E_OUTOFMEMORY));
      continue;
    }
    const HRESULT hr = SetSignPicture(sign.Get(), picture);
    if (hr != S_OK) {
      skip(Substitute(TranslateGeneral("ILSBadPattern", "pattern %s cannot be read"), {QFileInfo(picture).fileName()}));
      continue;
    }
    sign->SetName(ShortOf(code));
    const QString caption = choice.CaptionColumn >= 0 ? row.value(choice.CaptionColumn).trimmed() : QString();
    if (!caption.isEmpty()) {
      TComPtr<IStratSignCaptions> captions;
      if (sign->QueryInterface(IID_IStratSignCaptions, reinterpret_cast<void**>(captions.Put())) == S_OK)
        captions->SetCaption(ToAnsi(language).c_str(), ShortOf(caption));
    }
    // A code listed twice keeps its first place and takes the later picture.
    TComPtr<IStratSign> earlier;
    if (database->FindByName(ShortOf(code), earlier.Put()) == S_OK && earlier) {
      stratCopy(sign.Get(), earlier.Get());
      ++result.Replaced;
      continue;
    }
    TComPtr<IStratStream> stream;
    sign->QueryInterface(IID_IStratStream, reinterpret_cast<void**>(stream.Put()));
    if (database->AddSign(stream.Get(), false) != S_OK) {
      skip(ResultText(E_OUTOFMEMORY));
      continue;
    }
    ++result.Added;
  }
  return result;
}

TRockCodeChoice GuessRockCodeChoice(const TRockCodeTable& table, const QString& folder) {
  TRockCodeChoice choice;
  choice.Folder = folder;
  auto names = [&](int row, int column) {
    return row < static_cast<int>(table.Rows.size()) &&
           !FindPatternFile(folder, table.Rows[static_cast<size_t>(row)].value(column)).isEmpty();
  };
  for (int column = 1; column < table.Columns; ++column) {
    if (names(0, column) || names(1, column)) {
      choice.PatternColumn = column;
      break;
    }
  }
  choice.HeaderRow = table.Rows.size() > 1 && !names(0, choice.PatternColumn) && names(1, choice.PatternColumn);
  return choice;
}

}  // namespace stratedit
