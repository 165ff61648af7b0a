#include "uLasImport.h"

#include <QFile>
#include <QStringDecoder>
#include <cmath>
#include <cstring>
#include <optional>

#include "uByteScan.h"
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
  explicit TNullMatcher(const QString& null) : FText(null), FUtf8(null.toStdString()) {
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
  // The same for an ASCII token.
  bool Matches(std::string_view token) const {
    if (FText.isEmpty() || token.empty()) return false;
    // Only a token that starts like the NULL value can equal it, as text or as a number.
    if (FText[0] != QLatin1Char(token[0])) return false;
    if (token == FUtf8) return true;
    if (std::isnan(FNumber) || token.size() > 64) return false;
    const double v = ReadNumber(token, NAN);
    return !std::isnan(v) && v == FNumber;
  }

 private:
  QString FText;
  std::string FUtf8;
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

// The same rule for an ASCII token, edited where it lies.
void FixDecimalComma(char* p, size_t n) {
  const auto* comma = static_cast<char*>(std::memchr(p, ',', n));
  if (!comma || comma == p) return;
  const size_t at = static_cast<size_t>(comma - p);
  if (std::memchr(comma + 1, ',', n - at - 1) || std::memchr(p, '.', n)) return;
  for (size_t i = 0; i < n; ++i) {
    const char c = p[i];
    if (!((c >= '0' && c <= '9') || c == ',' || (i == 0 && (c == '-' || c == '+')))) return;
  }
  p[at] = '.';
}

// QChar::isSpace for ASCII.
inline bool IsAsciiSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

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

namespace {

// Reads the lines of a LAS file into a cell store. Data lines of ASCII (nearly
// all of them) are split where they lie in the file's bytes, which become the
// store's arena; header lines and lines with other characters are decoded and
// read as text.
class TLasParser {
 public:
  bool Run(QByteArray bytes, TCellStore* cells, QString* error);

 private:
  bool Line(QStringView trimmed, QString* error);
  bool BeginData(QString* error);
  void EndData();
  bool AsciiData(size_t begin, size_t end, QString* error);
  // Where the next value of the current depth goes: false when the row is full.
  bool NextValue() {
    if (FWrapped && FCells.OpenCells() == FWidth) FCells.EndRow();
    return FCells.OpenCells() < FWidth;
  }

  QStringList FMnemonics;
  QString FNull;
  bool FWrapped = false;
  bool FCurvesDone = false, FInFirstCurves = false, FDataSeen = false, FDataDone = false, FSawSection = false;
  TDelimiter FDelimiter = TDelimiter::Space;
  TSection FSection = TSection::None;
  std::optional<TNullMatcher> FNulls;
  TCellStoreBuilder FCells;
  char* FBytes = nullptr;
  size_t FLineBegin = 0;  // offset of the line being read
  size_t FWidth = 0;      // values per depth: the curves known when the line began
  int FHeaderWidth = -1;  // mnemonics in the header row, once data began
  bool FReserved = false;
  QStringList FTokens;
};

bool TLasParser::Run(QByteArray bytes, TCellStore* cells, QString* error) {
  qsizetype skip = 0;
  // UTF-8 or Windows-1251, decided at the first line that is not ASCII: all
  // before it is ASCII, so checking from there checks the whole file.
  std::optional<bool> utf8;
  const QByteArrayView view(bytes);
  const qsizetype probe = std::min<qsizetype>(bytes.size() & ~qsizetype(1), 4096);
  qsizetype zeroEven = 0, zeroOdd = 0;
  for (qsizetype i = 0; i < probe; ++i)
    if (view[i] == '\0') ++((i % 2 == 0) ? zeroEven : zeroOdd);
  const bool utf16 = view.startsWith("\xFF\xFE") || view.startsWith("\xFE\xFF") ||
                     (probe >= 4 && ((zeroOdd > probe / 4 && zeroEven == 0) || (zeroEven > probe / 4 && zeroOdd == 0)));
  if (utf16) {
    bytes = DecodeLasText(bytes).toUtf8();
    utf8 = true;
  } else if (view.startsWith("\xEF\xBB\xBF")) {
    skip = 3;
  }
  FCells = TCellStoreBuilder(std::move(bytes));
  if (!FCells.Ok()) return *error = TableError("LasTooLarge", "The LAS file is too large"), false;
  FBytes = FCells.Data();
  const char* const data = FBytes;
  const auto n = static_cast<size_t>(FCells.Size());
  size_t next = static_cast<size_t>(skip);
  while (next < n) {
    // Lines end with CR LF, LF or CR.
    bool ascii = true;
    const size_t end = static_cast<size_t>(bytescan::FindLineEnd(data + next, data + n, &ascii) - data);
    size_t begin = next;
    FLineBegin = begin;
    next = end + (end + 1 < n && data[end] == '\r' && data[end + 1] == '\n' ? 2 : 1);
    QString text;
    if (ascii) {
      while (begin < end && IsAsciiSpace(data[begin])) ++begin;
      size_t last = end;
      while (last > begin && IsAsciiSpace(data[last - 1])) --last;
      if (begin == last || data[begin] == '#') continue;
      if (data[begin] != '~' && FSawSection && FSection == TSection::Data) {
        if (!AsciiData(begin, last, error)) return false;
        continue;
      }
      text = QString::fromLatin1(data + begin, static_cast<qsizetype>(last - begin));
    } else {
      if (!utf8) utf8 = DetectTextEncoding(QByteArrayView(data + begin, static_cast<qsizetype>(n - begin))).Utf8;
      if (*utf8)
        text = QString::fromUtf8(data + begin, static_cast<qsizetype>(end - begin));
      else
        text = QString::fromStdString(Cp1251ToUtf8(std::string_view(data + begin, end - begin)));
    }
    if (!Line(QStringView(text).trimmed(), error)) return false;
  }
  if (FCells.OpenCells() > 0) FCells.EndRow();  // a last wrapped depth short of values
  if (!FSawSection) return *error = NotLas(TableError("LasNoSection", "no section marks (~)")), false;
  if (FMnemonics.isEmpty()) return *error = NotLas(TableError("LasNoCurves", "no curve definitions")), false;
  if (FHeaderWidth < 0 || FCells.RowCount() < 2)
    return *error = TableError("LasNoData", "The LAS file holds no data rows"), false;
  const int cols = static_cast<int>(FMnemonics.size());
  *cells = FCells.Finish(cols);
  // Curves defined after the data began join the header row.
  for (int c = FHeaderWidth; c < cols; ++c) cells->SetText(c, 0, FMnemonics[c]);
  if (!FCells.Ok()) return *error = TableError("LasTooLarge", "The LAS file is too large"), false;
  return true;
}

bool TLasParser::Line(QStringView trimmed, QString* error) {
  if (trimmed.isEmpty() || trimmed.startsWith(u'#')) return true;
  if (trimmed.startsWith(u'~')) {
    if (FSection == TSection::Curves && FInFirstCurves) FCurvesDone = true;
    if (FSection == TSection::Data && FDataSeen) FDataDone = true;
    FSection = SectionOf(trimmed);
    FSawSection = true;
    if (FSection == TSection::Curves) FInFirstCurves = !FCurvesDone;
    if (FSection == TSection::Data) {
      if (FDataDone) FSection = TSection::Other;  // only the first log data set
      FDataSeen = true;
      // Without a curve section the data title may name the columns: "~A DEPTH DT ...".
      if (FMnemonics.isEmpty() && !FDataDone) {
        Tokenize(trimmed.mid(1), TDelimiter::Space, &FTokens);
        if (!trimmed.mid(1, 1).trimmed().isEmpty() && !FTokens.isEmpty())
          FTokens.removeFirst();  // the section's own name
        FMnemonics = FTokens;
      }
    }
    return true;
  }
  if (!FSawSection) return *error = NotLas(TableError("LasNoSection", "no section marks (~)")), false;
  switch (FSection) {
    case TSection::Version: {
      const THeaderLine h = ParseHeaderLine(trimmed);
      if (!h.Valid) break;
      const QString m = h.Mnemonic.toUpper();
      const QString v = h.Value.toUpper();
      if (m == QLatin1String("WRAP")) FWrapped = v.startsWith(QLatin1String("YES"));
      if (m == QLatin1String("DLM")) {
        if (v == QLatin1String("COMMA")) FDelimiter = TDelimiter::Comma;
        if (v == QLatin1String("TAB")) FDelimiter = TDelimiter::Tab;
      }
      break;
    }
    case TSection::Well: {
      const THeaderLine h = ParseHeaderLine(trimmed);
      if (h.Valid && h.Mnemonic.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0) FNull = h.Value;
      break;
    }
    case TSection::Curves:
      if (FInFirstCurves) {
        const THeaderLine h = ParseHeaderLine(trimmed);
        if (h.Valid) FMnemonics.push_back(h.Mnemonic);
      }
      break;
    case TSection::Data: {
      if (!BeginData(error)) return false;
      const TNullMatcher& nulls = *FNulls;
      ForEachToken(trimmed, FDelimiter, [&](QStringView token) {
        if (!NextValue()) return;
        if (nulls.Matches(token))
          FCells.AddEmpty();
        else
          FCells.AddText(FixedToken(token, FDelimiter));
      });
      EndData();
      break;
    }
    default:
      break;
  }
  return true;
}

bool TLasParser::BeginData(QString* error) {
  if (!FNulls) FNulls.emplace(FNull);
  if (FMnemonics.isEmpty()) return *error = NotLas(TableError("LasNoCurves", "no curve definitions")), false;
  FWidth = static_cast<size_t>(FMnemonics.size());
  if (FHeaderWidth < 0) {
    // The header row comes first; curves defined later are added at the end.
    // The names go where the header lines were: those bytes are no cell's (a
    // name decoded from Windows-1251 may be longer than its bytes, then not).
    std::vector<QByteArray> names;
    size_t total = 0;
    for (const QString& m : FMnemonics) {
      names.push_back(m.toUtf8());
      total += static_cast<size_t>(names.back().size());
    }
    size_t at = 0;
    for (const QByteArray& name : names) {
      if (total <= FLineBegin) {
        std::memcpy(FBytes + at, name.constData(), static_cast<size_t>(name.size()));
        FCells.AddSpan(at, static_cast<size_t>(name.size()));
        at += static_cast<size_t>(name.size());
      } else {
        FCells.AddText(std::string_view(name.constData(), static_cast<size_t>(name.size())));
      }
    }
    FCells.EndRow();
    FHeaderWidth = static_cast<int>(FMnemonics.size());
  }
  // One line per depth, or (wrapped) the values of one depth over several lines.
  if (!FWrapped) FCells.DropOpenRow();
  return true;
}

void TLasParser::EndData() {
  if (!FWrapped || FCells.OpenCells() == FWidth) FCells.EndRow();
}

bool TLasParser::AsciiData(size_t begin, size_t end, QString* error) {
  if (!BeginData(error)) return false;
  const TNullMatcher& nulls = *FNulls;
  char* const data = FBytes;
  if (!FReserved) {
    // As many cells as lines like the first one would give.
    FReserved = true;
    const size_t lines = static_cast<size_t>(FCells.Size()) / (end - begin + 1) + 1;
    FCells.Reserve(std::min(lines + lines / 8, static_cast<size_t>(FCells.Size())) * FWidth);
  }
  // Decimal commas are looked for only in lines that have a comma.
  const bool commas = FDelimiter != TDelimiter::Comma && std::memchr(data + begin, ',', end - begin);
  // The values of the current depth so far, kept here rather than asked for each value.
  size_t open = FCells.OpenCells();
  auto value = [&](size_t from, size_t to) {
    if (FWrapped && open == FWidth) {
      FCells.EndRow();
      open = 0;
    }
    if (open >= FWidth) return;
    ++open;
    if (nulls.Matches(std::string_view(data + from, to - from))) {
      FCells.AddEmpty();
      return;
    }
    if (commas) FixDecimalComma(data + from, to - from);
    FCells.AddSpan(from, to - from);
  };
  if (FDelimiter == TDelimiter::Space) {
    size_t i = begin;
    while (i < end) {
      while (i < end && IsAsciiSpace(data[i])) ++i;
      if (i >= end) break;
      if (data[i] == '"') {  // a quoted string value may hold blanks
        const auto* close = static_cast<const char*>(std::memchr(data + i + 1, '"', end - i - 1));
        const size_t stop = close ? static_cast<size_t>(close - data) : end;
        value(i + 1, stop);
        i = stop + 1;
        continue;
      }
      size_t j = bytescan::SkipAbove(data, i + 1, end, ' ');
      while (j < end && !IsAsciiSpace(data[j])) ++j;
      value(i, j);
      i = j;
    }
  } else {
    const char separator = FDelimiter == TDelimiter::Comma ? ',' : '\t';
    size_t from = begin;
    for (size_t i = begin;; ++i) {
      if (i == end || data[i] == separator) {
        size_t a = from, b = i;
        while (a < b && IsAsciiSpace(data[a])) ++a;
        while (b > a && IsAsciiSpace(data[b - 1])) --b;
        value(a, b);
        if (i == end) break;
        from = i + 1;
      }
    }
  }
  EndData();
  return true;
}

}  // namespace

bool ParseLas(QByteArray bytes, TCellStore* cells, QString* error) {
  TLasParser parser;
  return parser.Run(std::move(bytes), cells, error);
}

bool ReadLasFile(const QString& fileName, TCellStore* cells, QString* error) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = TableError("CannotOpen", "Cannot open the file %s").replace(QLatin1String("%s"), fileName);
    return false;
  }
  if (static_cast<uint64_t>(file.size()) > kCellArenaLimit / 2) {
    *error = TableError("FileTooLarge", "The file %s is too large").replace(QLatin1String("%s"), fileName);
    return false;
  }
  QByteArray bytes = file.readAll();
  if (bytes.isEmpty()) {
    *error = TableError("EmptyFile", "The file %s is empty").replace(QLatin1String("%s"), fileName);
    return false;
  }
  return ParseLas(std::move(bytes), cells, error);
}
