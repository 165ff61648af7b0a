#include "uIniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <string>

#include "uCodePage.h"
#include "uNumbers.h"

namespace {

bool SameName(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) == 0; }

TIniFile::TLine ParseLine(const QString& text) {
  TIniFile::TLine line;
  line.Text = text;
  const QString t = text.trimmed();
  if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#')) return line;
  if (t.startsWith(u'[')) {
    const qsizetype close = t.indexOf(u']');
    if (close > 0) {
      line.Kind = TIniFile::TLine::Section;
      line.Name = t.mid(1, close - 1).trimmed();
    }
    return line;
  }
  const qsizetype eq = t.indexOf(u'=');
  if (eq <= 0) return line;  // no "=", or an empty key: not a value line
  line.Kind = TIniFile::TLine::Key;
  line.Name = t.left(eq).trimmed();
  line.Value = t.mid(eq + 1).trimmed();
  if (line.Name.isEmpty()) line.Kind = TIniFile::TLine::Other;
  return line;
}

bool HasLineBreak(const QString& s) { return s.contains(u'\n') || s.contains(u'\r'); }

// Integer as the private-profile routines read it: leading blanks, an optional
// sign, then decimal digits (or "0x" and hex digits); trailing text is ignored.
bool ParseLeadingInteger(const QString& text, int* result) {
  const QString t = text.trimmed();
  qsizetype i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) negative = t[i++] == u'-';
  int base = 10;
  if (i + 1 < t.size() && t[i] == u'0' && (t[i + 1] == u'x' || t[i + 1] == u'X')) {
    base = 16;
    i += 2;
  }
  qint64 value = 0;
  qsizetype digits = 0;
  for (; i < t.size(); ++i) {
    const char16_t ch = t[i].unicode();
    int d = -1;
    if (ch >= u'0' && ch <= u'9')
      d = ch - u'0';
    else if (base == 16 && ch >= u'a' && ch <= u'f')
      d = ch - u'a' + 10;
    else if (base == 16 && ch >= u'A' && ch <= u'F')
      d = ch - u'A' + 10;
    if (d < 0) break;
    value = value * base + d;
    if (value > 0x100000000LL) return false;  // far beyond 32 bits: not a usable number
    ++digits;
  }
  if (digits == 0) return false;
  if (negative) value = -value;
  if (base == 16 && value > 0x7FFFFFFFLL && value <= 0xFFFFFFFFLL) value -= 0x100000000LL;  // 0xFFFFFFFF = -1
  if (value > INT32_MAX || value < INT32_MIN) return false;
  *result = static_cast<int>(value);
  return true;
}

}  // namespace

TIniFile::TIniFile(const QString& fileName) : FFileName(fileName) {}

const TIniFile::TContent& TIniFile::Content() const {
  if (FBulk) return FContent;
  QByteArray raw;
  QFile file(FFileName);
  FUnreadable = false;
  if (file.open(QIODevice::ReadOnly)) {
    raw = file.readAll();
    if (file.error() != QFileDevice::NoError) FUnreadable = true;
  } else {
    FUnreadable = file.exists();
  }
  if (FLoaded && raw == FRaw) return FContent;
  FRaw = raw;
  FLoaded = true;
  FIndexed = false;
  FContent = TContent();
  FContent.Bom = raw.startsWith("\xEF\xBB\xBF");
  FContent.CrLf = raw.contains("\r\n");
  const std::string text = DecodeTextFile(std::string_view(raw.constData(), static_cast<size_t>(raw.size())));
  QString all = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  all.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  all.replace(u'\r', u'\n');
  QStringList lines = all.split(u'\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();  // the final line break
  FContent.Lines.reserve(static_cast<size_t>(lines.size()));
  for (const QString& l : lines) FContent.Lines.push_back(ParseLine(l));
  return FContent;
}

const TIniFile::TContent* TIniFile::ContentToChange() const {
  const TContent& c = Content();
  return FUnreadable ? nullptr : &c;
}

bool TIniFile::Save(const TContent& content) {
  if (!FBulk) return WriteFile(content);
  FContent = content;
  FIndexed = false;
  FBulkChanged = true;
  return true;
}

void TIniFile::BeginBulk(bool fresh) {
  if (FBulk) return;
  if (fresh) {
    FContent = TContent();
    FUnreadable = false;
    FIndexed = false;
  } else {
    Content();
  }
  FBulk = true;
  FBulkFresh = fresh;
  FBulkChanged = false;
}

bool TIniFile::CommitBulk() {
  if (!FBulk) return true;
  FBulk = false;
  if (!FBulkFresh && !FBulkChanged) return true;
  const TContent content = FContent;
  if (WriteFile(content)) return true;
  FLoaded = false;  // what the file holds is read again on the next access
  return false;
}

void TIniFile::CancelBulk() {
  if (!FBulk) return;
  FBulk = false;
  FLoaded = false;
}

bool TIniFile::WriteFile(const TContent& content) {
  QString text;
  const QString eol = content.CrLf ? QStringLiteral("\r\n") : QStringLiteral("\n");
  for (const TLine& l : content.Lines) {
    text += l.Text;
    text += eol;
  }
  QByteArray bytes;
  if (content.Bom) bytes = "\xEF\xBB\xBF";
  bytes += text.toUtf8();
  const QFileInfo info(FFileName);
  QDir().mkpath(info.absolutePath());
  QSaveFile file(FFileName);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) return false;
  // What was just written is the content now: keep the parse for the next read.
  FRaw = bytes;
  FContent = content;
  FLoaded = true;
  FIndexed = false;
  return true;
}

void TIniFile::BuildIndex() const {
  FSections.clear();
  FKeys.clear();
  const int n = static_cast<int>(FContent.Lines.size());
  int header = -1;
  QString headerName;
  for (int i = 0; i < n; ++i) {
    const TLine& l = FContent.Lines[static_cast<size_t>(i)];
    if (l.Kind == TLine::Section) {
      // The previous section ends here; only the first of each name is looked up.
      if (header >= 0 && FSections.value(headerName).first == header) FSections[headerName].second = i;
      header = i;
      headerName = l.Name.toCaseFolded();
      if (!FSections.contains(headerName)) FSections.insert(headerName, {i, n});
    } else if (l.Kind == TLine::Key && header >= 0) {
      const std::pair<int, QString> key(header, l.Name.toCaseFolded());
      if (!FKeys.contains(key)) FKeys.insert(key, i);
    }
  }
  FIndexed = true;
}

int TIniFile::LookupSection(const QString& section, int* end) const {
  if (!FIndexed) BuildIndex();
  const auto it = FSections.constFind(section.trimmed().toCaseFolded());
  if (it == FSections.constEnd()) return -1;
  if (end) *end = it->second;
  return it->first;
}

int TIniFile::LookupKey(int header, const QString& key) const {
  const auto it = FKeys.constFind(std::pair<int, QString>(header, key.trimmed().toCaseFolded()));
  return it == FKeys.constEnd() ? -1 : *it;
}

int TIniFile::FindSection(const TContent& content, const QString& section, int* end) {
  const int n = static_cast<int>(content.Lines.size());
  for (int i = 0; i < n; ++i) {
    const TLine& l = content.Lines[static_cast<size_t>(i)];
    if (l.Kind != TLine::Section || !SameName(l.Name, section)) continue;
    int j = i + 1;
    while (j < n && content.Lines[static_cast<size_t>(j)].Kind != TLine::Section) ++j;
    if (end) *end = j;
    return i;
  }
  return -1;
}

int TIniFile::FindKey(const TContent& content, int first, int end, const QString& key) {
  for (int i = first; i < end; ++i) {
    const TLine& l = content.Lines[static_cast<size_t>(i)];
    if (l.Kind == TLine::Key && SameName(l.Name, key)) return i;
  }
  return -1;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
  const TContent& c = Content();
  const int s = LookupSection(section, nullptr);
  if (s < 0) return def;
  const int k = LookupKey(s, key);
  return k < 0 ? def : c.Lines[static_cast<size_t>(k)].Value;
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const {
  int value = def;
  return ParseLeadingInteger(ReadString(section, key, QString()), &value) ? value : def;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const {
  const QString v = ReadString(section, key, QString()).trimmed();
  if (SameName(v, QStringLiteral("true")) || SameName(v, QStringLiteral("yes"))) return true;
  if (SameName(v, QStringLiteral("false")) || SameName(v, QStringLiteral("no"))) return false;
  int value = 0;
  return ParseLeadingInteger(v, &value) ? value != 0 : def;
}

double TIniFile::ReadFloat(const QString& section, const QString& key, double def) const {
  const QByteArray v = ReadString(section, key, QString()).toUtf8();
  return ReadNumber(std::string_view(v.constData(), static_cast<size_t>(v.size())), def);
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
  const QString sec = section.trimmed();
  const QString k = key.trimmed();
  if (sec.isEmpty() || k.isEmpty() || HasLineBreak(sec) || HasLineBreak(k) || HasLineBreak(value) ||
      sec.contains(u']') || k.contains(u'=') || k.startsWith(u'[') || k.startsWith(u';') || k.startsWith(u'#'))
    return false;
  const TContent* current = ContentToChange();
  if (!current) return false;
  TContent c = *current;
  int end = 0;
  const int s = FindSection(c, sec, &end);
  if (s < 0) {
    if (!c.Lines.empty() && !c.Lines.back().Text.trimmed().isEmpty()) c.Lines.push_back(ParseLine(QString()));
    c.Lines.push_back(ParseLine(u'[' + sec + u']'));
    c.Lines.push_back(ParseLine(k + u'=' + value));
    return Save(c);
  }
  const int at = FindKey(c, s + 1, end, k);
  if (at >= 0) {
    TLine& line = c.Lines[static_cast<size_t>(at)];
    if (line.Value == value.trimmed()) return true;  // nothing to change: leave the file alone
    // Keep the key as it was spelled (and any indentation); replace what follows "=".
    line = ParseLine(line.Text.left(line.Text.indexOf(u'=') + 1) + value);
    return Save(c);
  }
  // A new key goes after the section's last value line, before trailing blanks and comments.
  int insertAt = s + 1;
  for (int i = s + 1; i < end; ++i)
    if (c.Lines[static_cast<size_t>(i)].Kind == TLine::Key) insertAt = i + 1;
  c.Lines.insert(c.Lines.begin() + insertAt, ParseLine(k + u'=' + value));
  return Save(c);
}

bool TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
  return WriteString(section, key, QString::number(value));
}

bool TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
  return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TIniFile::WriteFloat(const QString& section, const QString& key, double value) {
  return WriteString(section, key, QString::fromStdString(FormatGeneral(value)));
}

bool TIniFile::SectionExists(const QString& section) const {
  Content();
  return LookupSection(section, nullptr) >= 0;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
  Content();
  const int s = LookupSection(section, nullptr);
  return s >= 0 && LookupKey(s, key) >= 0;
}

QStringList TIniFile::ReadSections() const {
  QStringList result;
  for (const TLine& l : Content().Lines)
    if (l.Kind == TLine::Section && !result.contains(l.Name, Qt::CaseInsensitive)) result << l.Name;
  return result;
}

QStringList TIniFile::ReadSection(const QString& section) const {
  const TContent& c = Content();
  QStringList result;
  int end = 0;
  const int s = LookupSection(section, &end);
  if (s < 0) return result;
  for (int i = s + 1; i < end; ++i) {
    const TLine& l = c.Lines[static_cast<size_t>(i)];
    if (l.Kind == TLine::Key && !result.contains(l.Name, Qt::CaseInsensitive)) result << l.Name;
  }
  return result;
}

bool TIniFile::EraseSection(const QString& section) {
  const TContent* current = ContentToChange();
  if (!current) return false;
  TContent c = *current;
  bool changed = false;
  int end = 0;
  for (int s; (s = FindSection(c, section.trimmed(), &end)) >= 0;) {
    c.Lines.erase(c.Lines.begin() + s, c.Lines.begin() + end);
    changed = true;
  }
  return changed ? Save(c) : true;
}

bool TIniFile::DeleteKey(const QString& section, const QString& key) {
  const TContent* current = ContentToChange();
  if (!current) return false;
  TContent c = *current;
  int end = 0;
  const int s = FindSection(c, section.trimmed(), &end);
  if (s < 0) return true;
  bool changed = false;
  for (int k; (k = FindKey(c, s + 1, end, key.trimmed())) >= 0; --end) {
    c.Lines.erase(c.Lines.begin() + k);
    changed = true;
  }
  return changed ? Save(c) : true;
}
