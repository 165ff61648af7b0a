#include "uAutoSave.h"

#include <QDir>
#include <QFileInfo>

#include "uIniFile.h"
#include "uLanguage.h"
#include "uPrintDocument.h"
#include "uSettings.h"

namespace {

const QString kSection = QStringLiteral("AUTOSAVE");
// The list is the program's own file, but it may have been damaged.
constexpr int kMaxEntries = 1000;

}  // namespace

QString AutoSaveListPath() { return Settings().TempDirectory() + QStringLiteral("autosave.dat"); }

QString AutoSaveCopyPath(int n) {
  return Settings().TempDirectory() + QStringLiteral("AutoSave") + QString::number(n) + QStringLiteral(".tmp");
}

bool WriteAutoSave(const std::vector<std::pair<QString, TPrintDocument*>>& documents) {
  bool ok = true;
  TIniFile ini(AutoSaveListPath());
  ini.BeginBulk(true);
  ini.WriteInteger(kSection, QStringLiteral("FILECOUNT"), static_cast<int>(documents.size()));
  for (size_t i = 0; i < documents.size(); ++i) {
    const int n = static_cast<int>(i);
    const QString copy = AutoSaveCopyPath(n);
    TPrintDocument* document = documents[i].second;
    const bool modified = document->GetModified();
    ok = document->SaveToFile(copy) && ok;
    document->SetModified(modified);
    ini.WriteString(kSection, QStringLiteral("REAL") + QString::number(n), documents[i].first);
    ini.WriteString(kSection, QStringLiteral("TEMP") + QString::number(n), copy);
  }
  return ini.CommitBulk() && ok;
}

std::vector<TAutoSaveEntry> ReadAutoSaveList() {
  std::vector<TAutoSaveEntry> entries;
  const QString path = AutoSaveListPath();
  if (!QFileInfo(path).isFile()) return entries;
  TIniFile ini(path);
  const int count = std::min(ini.ReadInteger(kSection, QStringLiteral("FILECOUNT"), 0), kMaxEntries);
  for (int n = 0; n < count; ++n) {
    TAutoSaveEntry e;
    e.Real = ini.ReadString(kSection, QStringLiteral("REAL") + QString::number(n), QString());
    e.Temp = ini.ReadString(kSection, QStringLiteral("TEMP") + QString::number(n), QString());
    if (!e.Temp.isEmpty()) entries.push_back(e);
  }
  return entries;
}

QString RepairedCaption(const QString& caption) {
  const QString mark = QStringLiteral(" (") + TranslateWord(QStringLiteral("repaired")) + QLatin1Char(')');
  const QFileInfo info(caption);
  const QString suffix = info.suffix();
  // Only a real extension: the dot of a folder name is not one.
  if (suffix.isEmpty() || info.fileName() == QLatin1Char('.') + suffix) return caption + mark;
  return caption.left(caption.size() - suffix.size() - 1) + mark + QLatin1Char('.') + suffix;
}

void EmptyTempDirectory() {
  QDir dir(Settings().TempDirectory());
  for (const QFileInfo& f : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) QFile::remove(f.filePath());
}
