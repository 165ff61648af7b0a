#include "uLanguage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <string>

#include "uCodePage.h"
#include "uIniFile.h"
#include "uSettings.h"

namespace {

struct TPack {
  bool Loaded = false;
  QString Path;
  QHash<QString, QString> Texts;  // "section\x1Fkey" in lower case -> text
  QString DataCaption = QStringLiteral("Data");
  QString DataHint = QStringLiteral("Data operations");
};

TPack& Pack() {
  static TPack pack;
  return pack;
}

QString Cut(const QString& s) {
  if (s.size() <= kLanguageTextLimit) return s;
  qsizetype n = kLanguageTextLimit;
  if (s[n - 1].isHighSurrogate()) --n;  // never leave half a character behind
  return s.left(n);
}

QString PackKey(const QString& section, const QString& key) {
  return section.trimmed().toLower() + QChar(0x1F) + key.trimmed().toLower();
}

// "\n" in a pack value is a line break, "\t" a tab, "\\" a backslash.
QString Unescape(const QString& v) {
  QString out;
  out.reserve(v.size());
  for (qsizetype i = 0; i < v.size(); ++i) {
    if (v[i] == u'\\' && i + 1 < v.size()) {
      const QChar n = v[i + 1];
      if (n == u'n') {
        out += u'\n';
        ++i;
        continue;
      }
      if (n == u't') {
        out += u'\t';
        ++i;
        continue;
      }
      if (n == u'\\') {
        out += u'\\';
        ++i;
        continue;
      }
    }
    out += v[i];
  }
  return out;
}

bool ReadPack(const QString& path, QHash<QString, QString>* texts) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray raw = file.readAll();
  const std::string text = DecodeTextFile(std::string_view(raw.constData(), static_cast<size_t>(raw.size())));
  const QString all = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  QString section;
  bool anySection = false;
  for (QString line : all.split(u'\n')) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) continue;
    if (line.startsWith(u'[')) {
      const qsizetype close = line.indexOf(u']');
      if (close <= 1) return false;  // a broken header: not a pack we can trust
      section = line.mid(1, close - 1).trimmed();
      anySection = true;
      continue;
    }
    const qsizetype eq = line.indexOf(u'=');
    if (eq <= 0 || section.isEmpty()) return false;  // text outside the format: not a pack
    const QString id = PackKey(section, line.left(eq));
    if (!texts->contains(id)) texts->insert(id, Unescape(line.mid(eq + 1).trimmed()));
  }
  return anySection && !texts->isEmpty();
}

}  // namespace

bool LoadLanguage(const QString& path) {
  if (path.isEmpty() || !QFileInfo(path).isFile()) return false;
  QHash<QString, QString> texts;
  if (!ReadPack(path, &texts)) return false;
  TPack& pack = Pack();
  pack.Texts = std::move(texts);
  pack.Loaded = true;
  pack.Path = path;
  pack.DataCaption = Translate(QStringLiteral("MENU"), QStringLiteral("Data"), QStringLiteral("Data"));
  pack.DataHint = Translate(QStringLiteral("MENU"), QStringLiteral("DataHint"), QStringLiteral("Data operations"));
  return true;
}

void UnloadLanguage() { Pack() = TPack(); }

bool LanguageLoaded() { return Pack().Loaded; }

QString LoadedLanguagePath() { return Pack().Path; }

QString CurrentLanguage() {
  const TPack& pack = Pack();
  return pack.Loaded ? QFileInfo(pack.Path).completeBaseName().toLower() : QString();
}

QString TranslatedIniKey(const QString& key, const QString& language) {
  return language.isEmpty() ? key : key + u'.' + language;
}

QString ReadTranslatedIni(const TIniFile& ini, const QString& section, const QString& key, const QString& def) {
  const QString language = CurrentLanguage();
  if (!language.isEmpty()) {
    const QString text = ini.ReadString(section, TranslatedIniKey(key, language), QString());
    if (!text.isEmpty()) return text;
  }
  return ini.ReadString(section, key, def);
}

QString Translate(const QString& section, const QString& key, const QString& def) {
  const QString d = Cut(def);
  const TPack& pack = Pack();
  if (!pack.Loaded) return d;
  const auto it = pack.Texts.constFind(PackKey(Cut(section), Cut(key)));
  return it == pack.Texts.constEnd() ? d : Cut(*it);
}

QString TranslateGeneral(const QString& key, const QString& def) { return Translate(QStringLiteral("VOX"), key, def); }

QString TranslateWord(const QString& word) { return Translate(QStringLiteral("VOX"), word, word); }

QString TranslateError(const QString& key, const QString& def) { return Translate(QStringLiteral("ERROR"), key, def); }

QString TranslateFileTitle(const QString& prefix) {
  return Translate(QStringLiteral("FILE"), prefix + QStringLiteral("Title"), QStringLiteral("Open"));
}

QString TranslateFileMask(const QString& prefix) {
  return Translate(QStringLiteral("FILE"), prefix + QStringLiteral("Mask"), QStringLiteral("All Files|*.*"));
}

QString TranslateFileError(const QString& prefix, bool saving) {
  const QString def = saving ? TranslateError(QStringLiteral("CantSavefile"), QStringLiteral("Can't save file"))
                             : TranslateError(QStringLiteral("CantLoadFile"), QStringLiteral("Can't Load File"));
  return Translate(QStringLiteral("FILE"), prefix + QStringLiteral("Error"), def);
}

QString TranslateConfirmCaption(const QString& key, const QString& def) {
  return Translate(QStringLiteral("CONFIRM"), key + QStringLiteral(".Caption"), def);
}

QString TranslateConfirmText(const QString& key, const QString& def) {
  return Translate(QStringLiteral("CONFIRM"), key + QStringLiteral(".Text"), def);
}

QString DataMenuCaption() { return Pack().DataCaption; }

QString DataMenuHint() { return Pack().DataHint; }

QString SubstituteArgs(const QString& text, const QStringList& args) {
  QString out;
  qsizetype next = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'%' && i + 1 < text.size() && text[i + 1] == u's') {
      if (next < args.size()) out += args[next];
      ++next;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

QString LanguagePackPath() {
  // Only a file name: a setting such as "../x" must not reach outside the program folder.
  QString language = QFileInfo(Settings().Language()).fileName();
  if (language.isEmpty() || language == QStringLiteral("..")) language = QStringLiteral("russian");
  return ProgramDir() + u'/' + language + QStringLiteral(".vox");
}

QString LanguageLoadFailureText(const QString& path) { return QStringLiteral("Can't Load Language Pack ") + path; }

QStringList AvailableLanguages() {
  QStringList result;
  const QFileInfoList files =
      QDir(ProgramDir()).entryInfoList({QStringLiteral("*.vox")}, QDir::Files | QDir::Readable, QDir::Name);
  for (const QFileInfo& f : files) result << f.completeBaseName();
  return result;
}
