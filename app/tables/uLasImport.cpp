#include "uLasImport.h"

#include <QFile>
#include <QStringDecoder>
#include <cmath>
#include <optional>

#include "uCodePage.h"
#include "uNumbers.h"
#include "uTableImport.h"
#include "uTableText.h"

namespace {

enum class TSection { None, Version, Well, Curves, Data, Other };

// Section by its title: "~V", "~Well ...", "~Curve", "~A", and the LAS 3.0
// log data set names; the other LAS 3.0 data sets are skipped.
TSection SectionOf(QStringView line) {
  // "~   DEPTH  GR ..." (a blank after the mark) is a data section titled with its columns.
  if (line.size() > 1 && line[1].isSpace()) return TSection::Data;
  QStringView title = line.mid(1).trimmed();
  const qsizetype bar = title.indexOf(u'|');
  if (bar >= 0) title = title.left(bar).trimmed();
  const qsizetype space = title.indexOf(u' ');
  const QString name = (space >= 0 ? title.left(space) : title).toString().toUpper();
  if (name == QLatin1String("LOG_DEFINITION")) return TSection::Curves;
  if (name == QLatin1String("LOG_DATA")) return TSection::Data;
  if (name == QLatin1String("LOG_PARAMETER")) return TSection::Other;
  if (name.contains(u'_')) return TSection::Other;  // other LAS 3.0 data sets
  if (name.startsWith(u'V')) return TSection::Version;
  if (name.startsWith(u'W')) return TSection::Well;
  if (name.startsWith(u'C')) return TSection::Curves;
  if (name.startsWith(u'A')) return TSection::Data;
  return TSection::Other;
}

struct THeaderLine {
  QString Mnemonic;
  QString Value;
  bool Valid = false;
};

// "MNEM.UNIT  VALUE : DESCRIPTION": the mnemonic ends at the first dot, the
// unit at the first blank after it, the value at the last colon.
THeaderLine ParseHeaderLine(QStringView line) {
  THeaderLine result;
  const qsizetype dot = line.indexOf(u'.');
  if (dot < 0) return result;
  result.Mnemonic = line.left(dot).trimmed().toString();
  qsizetype i = dot + 1;
  while (i < line.size() && !line[i].isSpace() && line[i] != u':') ++i;
  qsizetype colon = line.lastIndexOf(u':');
  if (colon < i) colon = line.size();
  result.Value = line.mid(i, colon - i).trimmed().toString();
  result.Valid = true;
  return result;
}

enum class TDelimiter { Space, Comma, Tab };

// Calls sink(QStringView) for each value of a data or title line.
template <class Emit>
void ForEachToken(QStringView line, TDelimiter delimiter, Emit sink) {
  if (delimiter != TDelimiter::Space) {
    const QChar sep = delimiter == TDelimiter::Comma ? QChar(u',') : QChar(u'\t');
    for (const QStringView part : line.tokenize(sep)) sink(part.trimmed());
    return;
  }
  const qsizetype n = line.size();
  qsizetype i = 0;
  while (i < n) {
    while (i < n && line[i].isSpace()) ++i;
    if (i >= n) break;
    if (line[i] == u'"') {  // a quoted string value may hold blanks
      const qsizetype close = line.indexOf(u'"', i + 1);
      const qsizetype end = close < 0 ? n : close;
      sink(line.mid(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    qsizetype j = i;
    while (j < n && !line[j].isSpace()) ++j;
    sink(line.mid(i, j - i));
    i = j;
  }
}

void Tokenize(QStringView line, TDelimiter delimiter, QStringList* tokens) {
  tokens->clear();
  ForEachToken(line, delimiter, [&](QStringView t) { tokens->push_back(t.toString()); });
}

// The file's NULL value, matched as text or, for numbers, by value.
class TNullMatcher {
 public:
  explicit TNullMatcher(const QString& null) : FText(null) {
    const QByteArray latin = null.toLatin1();
    FNumber =
        null.isEmpty() ? NAN : ReadNumber(std::string_view(latin.constData(), static_cast<size_t>(latin.size())), NAN);
  }
  bool Matches(QStringView token) const {
    if (FText.isEmpty() || token.isEmpty()) return false;
    if (token == FText) return true;
    // Only a token that starts like the NULL value can equal it as a number.
    if (std::isnan(FNumber) || token[0] != FText[0] || token.size() > 64) return false;
    char buffer[64];
    for (qsizetype i = 0; i < token.size(); ++i)
      buffer[i] = token[i].unicode() < 128 ? static_cast<char>(token[i].unicode()) : '?';
    const double v = ReadNumber(std::string_view(buffer, static_cast<size_t>(token.size())), NAN);
    return !std::isnan(v) && v == FNumber;
  }

 private:
  QString FText;
  double FNumber;
};

// A value as the cell keeps it: "1,5" written with a decimal comma becomes "1.5".
QString FixedToken(QStringView token, TDelimiter delimiter) {
  QString text = token.toString();
  if (delimiter == TDelimiter::Comma) return text;
  const qsizetype comma = text.indexOf(u',');
  if (comma <= 0 || text.indexOf(u',', comma + 1) >= 0 || text.contains(u'.')) return text;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (!(c.isDigit() || c == u',' || (i == 0 && (c == u'-' || c == u'+')))) return text;
  }
  text[comma] = u'.';
  return text;
}

QString NotLas(const QString& what) {
  return TableError("NotLas", "The file is not a LAS well-log file: %s").replace(QLatin1String("%s"), what);
}

}  // namespace

QString DecodeLasText(const QByteArray& bytes) {
  auto decode = [&](QStringConverter::Encoding encoding, qsizetype skip) {
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    return QString(decoder.decode(QByteArrayView(bytes).sliced(skip)));
  };
  if (bytes.startsWith("\xFF\xFE")) return decode(QStringConverter::Utf16LE, 2);
  if (bytes.startsWith("\xFE\xFF")) return decode(QStringConverter::Utf16BE, 2);
  // UTF-16 without a mark: ASCII text leaves every other byte zero.
  const qsizetype probe = std::min<qsizetype>(bytes.size() & ~qsizetype(1), 4096);
  qsizetype zeroEven = 0, zeroOdd = 0;
  for (qsizetype i = 0; i < probe; ++i)
    if (bytes[i] == '\0') ++((i % 2 == 0) ? zeroEven : zeroOdd);
  if (probe >= 4) {
    if (zeroOdd > probe / 4 && zeroEven == 0) return decode(QStringConverter::Utf16LE, 0);
    if (zeroEven > probe / 4 && zeroOdd == 0) return decode(QStringConverter::Utf16BE, 0);
  }
  return DecodeTextBytes(bytes);
}

bool ParseLas(const QByteArray& bytes, TSheetGrid* grid, QString* error) {
  const QString text = DecodeLasText(bytes);
  QStringList mnemonics;
  QString nullValue;
  bool wrapped = false;
  bool curvesDone = false, inFirstCurves = false, dataSeen = false, dataDone = false, sawSection = false;
  TDelimiter delimiter = TDelimiter::Space;
  TSection section = TSection::None;
  std::vector<std::vector<TSheetCell>> rows;
  std::vector<TSheetCell> pending;
  QStringList tokens;
  std::optional<TNullMatcher> nullMatcher;

  const QStringView all(text);
  qsizetype next = 0;
  while (next < all.size()) {
    // Lines end with CR LF, LF or CR.
    qsizetype end = next;
    while (end < all.size() && all[end] != u'\n' && all[end] != u'\r') ++end;
    const QStringView trimmed = all.mid(next, end - next).trimmed();
    next = end + (end + 1 < all.size() && all[end] == u'\r' && all[end + 1] == u'\n' ? 2 : 1);
    if (trimmed.isEmpty() || trimmed.startsWith(u'#')) continue;
    if (trimmed.startsWith(u'~')) {
      if (section == TSection::Curves && inFirstCurves) curvesDone = true;
      if (section == TSection::Data && dataSeen) dataDone = true;
      section = SectionOf(trimmed);
      sawSection = true;
      if (section == TSection::Curves) inFirstCurves = !curvesDone;
      if (section == TSection::Data) {
        if (dataDone) section = TSection::Other;  // only the first log data set
        dataSeen = true;
        // Without a curve section the data title may name the columns: "~A DEPTH DT ...".
        if (mnemonics.isEmpty() && !dataDone) {
          Tokenize(trimmed.mid(1), TDelimiter::Space, &tokens);
          if (!trimmed.mid(1, 1).trimmed().isEmpty() && !tokens.isEmpty())
            tokens.removeFirst();  // the section's own name
          mnemonics = tokens;
        }
      }
      continue;
    }
    if (!sawSection) return *error = NotLas(TableError("LasNoSection", "no section marks (~)")), false;
    switch (section) {
      case TSection::Version: {
        const THeaderLine h = ParseHeaderLine(trimmed);
        if (!h.Valid) break;
        const QString m = h.Mnemonic.toUpper();
        const QString v = h.Value.toUpper();
        if (m == QLatin1String("WRAP")) wrapped = v.startsWith(QLatin1String("YES"));
        if (m == QLatin1String("DLM")) {
          if (v == QLatin1String("COMMA")) delimiter = TDelimiter::Comma;
          if (v == QLatin1String("TAB")) delimiter = TDelimiter::Tab;
        }
        break;
      }
      case TSection::Well: {
        const THeaderLine h = ParseHeaderLine(trimmed);
        if (h.Valid && h.Mnemonic.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0) nullValue = h.Value;
        break;
      }
      case TSection::Curves:
        if (inFirstCurves) {
          const THeaderLine h = ParseHeaderLine(trimmed);
          if (h.Valid) mnemonics.push_back(h.Mnemonic);
        }
        break;
      case TSection::Data: {
        if (!nullMatcher) nullMatcher.emplace(nullValue);
        const TNullMatcher& nulls = *nullMatcher;
        if (mnemonics.isEmpty()) return *error = NotLas(TableError("LasNoCurves", "no curve definitions")), false;
        const size_t width = static_cast<size_t>(mnemonics.size());
        // One line per depth, or (wrapped) the values of one depth over several lines.
        if (!wrapped) pending.clear();
        ForEachToken(trimmed, delimiter, [&](QStringView token) {
          if (wrapped && pending.size() == width) {
            rows.push_back(std::move(pending));
            pending.clear();
          }
          if (pending.size() < width)
            pending.push_back({nulls.Matches(token) ? QString() : FixedToken(token, delimiter), 0});
        });
        if (!wrapped || pending.size() == width) {
          pending.resize(width);
          rows.push_back(std::move(pending));
          pending.clear();
        }
        break;
      }
      default:
        break;
    }
  }
  if (!pending.empty()) {
    pending.resize(static_cast<size_t>(mnemonics.size()));
    rows.push_back(std::move(pending));
  }
  if (!sawSection) return *error = NotLas(TableError("LasNoSection", "no section marks (~)")), false;
  if (mnemonics.isEmpty()) return *error = NotLas(TableError("LasNoCurves", "no curve definitions")), false;
  if (rows.empty()) return *error = TableError("LasNoData", "The LAS file holds no data rows"), false;

  grid->ColCount = static_cast<int>(mnemonics.size());
  grid->Rows.clear();
  grid->Rows.reserve(rows.size() + 1);
  grid->Rows.emplace_back();
  for (const QString& m : mnemonics) grid->Rows.back().push_back({m, 0});
  for (auto& row : rows) grid->Rows.push_back(std::move(row));
  return true;
}

bool ReadLasFile(const QString& fileName, TSheetGrid* grid, QString* error) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = TableError("CannotOpen", "Cannot open the file %s").replace(QLatin1String("%s"), fileName);
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (bytes.isEmpty()) {
    *error = TableError("EmptyFile", "The file %s is empty").replace(QLatin1String("%s"), fileName);
    return false;
  }
  return ParseLas(bytes, grid, error);
}
