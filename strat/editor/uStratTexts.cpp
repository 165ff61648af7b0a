#include "uStratTexts.h"

#include <QCoreApplication>
#include <QDir>

#include "uCodePage.h"
#include "uComPtr.h"
#include "uLanguageIntf.h"

namespace stratedit {

namespace {
TComPtr<ILanguage>& Language() {
  static TComPtr<ILanguage> language;
  return language;
}

std::string Cut(const QString& text) {
  std::string bytes = ToAnsi(text);
  if (bytes.size() > 255) bytes.resize(255);
  return bytes;
}
}  // namespace

void SetLanguage(IUnknown* language) {
  if (!language) return;
  TComPtr<ILanguage> kept;
  if (language->QueryInterface(IID_ILanguage, reinterpret_cast<void**>(kept.Put())) == S_OK) Language() = kept;
}

void ResetLanguage() { Language().Reset(); }

QString Translate(const QString& section, const QString& key, const QString& def) {
  const std::string d = Cut(def);
  ILanguage* language = Language().Get();
  if (!language) return FromAnsi(d);
  TShortString text{};
  if (language->Lookup(Cut(section).c_str(), Cut(key).c_str(), d.c_str(), &text) != S_OK) return FromAnsi(d);
  return TextOf(text);
}

QString TranslateGeneral(const QString& key, const QString& def) { return Translate("VOX", key, def); }

QString TranslateWord(const QString& word) { return Translate("VOX", word, word); }

QString TranslateError(const QString& key, const QString& def) { return Translate("ERROR", key, def); }

QString LanguageCode() { return TranslateGeneral("LanguageCode", "en").trimmed().toLower(); }

QString Substitute(const QString& text, const QStringList& args) {
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

QStringList FileFilters(const QString& mask) {
  const QStringList parts = mask.split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(u';', u' ');
    filters << parts[i].trimmed() + QStringLiteral(" (") + patterns.trimmed() + u')';
  }
  if (filters.isEmpty()) filters << QStringLiteral("* (*)");
  return filters;
}

QString ResultText(HRESULT hr) {
  switch (static_cast<uint32_t>(hr)) {
    case 0x80070057u:
      return TranslateError("StratInvalidArg", "The file is missing or too short, or the argument is wrong");
    case 0x80004005u:
      return TranslateError("StratFail", "The operation failed");
    case 0x8007000Eu:
      return TranslateError("StratOutOfMemory", "Not enough memory, or the file could not be read whole");
    case 0x8000000Au:
      return TranslateError("StratWrongClass", "The file holds something other than what was expected");
    case 0x80004001u:
      return TranslateError("StratNotImpl", "This operation is not supported");
    case 0x8003001Du:
      return TranslateError("StratWriteFault", "The file could not be written whole");
    default:
      return Substitute(
          TranslateError("StratError", "Error %s"),
          {QStringLiteral("0x") + QString::number(static_cast<uint32_t>(hr), 16).toUpper().rightJustified(8, u'0')});
  }
}

QString FromAnsi(std::string_view bytes) { return QString::fromStdString(Cp1251ToUtf8(bytes)); }

std::string ToAnsi(const QString& text) { return Utf8ToCp1251(text.toStdString()); }

QString TextOf(const TShortString& s) { return FromAnsi(ShortStringView(s)); }

TShortString ShortOf(const QString& text) { return MakeShortString(ToAnsi(text)); }

QString DatabaseFolder() {
  const QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
  return QDir(dir).filePath(QStringLiteral("lsd"));
}

}  // namespace stratedit
