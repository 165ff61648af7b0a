#include "uPreferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "uKinds.h"
#include "uSettings.h"

namespace {

const QString kFileName = QStringLiteral("preferences.ini");
const QString kProfileSection = QStringLiteral("PROFILE");
const QString kNameKey = QStringLiteral("PROFILE.NAME");

}  // namespace

TPreferences::TPreferences(const QString& fileName) : FIni(fileName) {}

QString UserProgramFile(const QString& name) {
  const QString path = WritableProgramFile(name);
  const QString shipped = ProgramDir() + u'/' + name;
  if (QFileInfo(path).absoluteFilePath() != QFileInfo(shipped).absoluteFilePath() && !QFile::exists(path) &&
      QFile::exists(shipped)) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::copy(shipped, path);
  }
  return path;
}

QString TPreferences::DefaultFileName() { return UserProgramFile(kFileName); }

bool TPreferences::Exists() const { return QFile::exists(FIni.FileName()); }

QString TPreferences::Prefix(int kind) { return KindName(kind); }

int TPreferences::Count(int kind) const {
  const int stored = FIni.ReadInteger(kProfileSection, Prefix(kind), 0);
  if (stored <= 0) return 0;
  // Every profile has a section of its own: a larger count is damage, and
  // would have the dialogs ask for thousands of millions of names.
  return std::min(stored, static_cast<int>(FIni.ReadSections().size()));
}

QString TPreferences::SectionName(int kind, int index) const {
  if (index < 0 || index >= Count(kind)) return QString();
  return Prefix(kind) + QString::number(index + 1);
}

QString TPreferences::ProfileName(int kind, int index) const {
  const QString section = SectionName(kind, index);
  return section.isEmpty() ? QString() : FIni.ReadString(section, kNameKey, QString());
}

QStringList TPreferences::ProfileNames(int kind) const {
  QStringList names;
  const int n = Count(kind);
  for (int i = 0; i < n; ++i) names << FIni.ReadString(Prefix(kind) + QString::number(i + 1), kNameKey, QString());
  return names;
}

QString TPreferences::FindOrAdd(int kind, const QString& name) {
  if (name.isEmpty()) return QString();
  const QStringList names = ProfileNames(kind);
  const qsizetype found = names.lastIndexOf(name);
  if (found >= 0) return SectionName(kind, static_cast<int>(found));
  const int count = static_cast<int>(names.size()) + 1;
  const QString section = Prefix(kind) + QString::number(count);
  // A section left from a longer list must not lend its keys to the new profile.
  if (!FIni.EraseSection(section)) return QString();
  if (!FIni.WriteInteger(kProfileSection, Prefix(kind), count)) return QString();
  if (!FIni.WriteString(section, kNameKey, name)) return QString();
  return section;
}

bool TPreferences::Delete(int kind, int index) {
  const int count = Count(kind);
  if (index < 0 || index >= count) return false;
  const QString prefix = Prefix(kind);
  bool ok = true;
  for (int j = index + 2; j <= count; ++j) {
    const QString from = prefix + QString::number(j);
    const QString to = prefix + QString::number(j - 1);
    ok = FIni.EraseSection(to) && ok;
    for (const QString& key : FIni.ReadSection(from))
      ok = FIni.WriteString(to, key, FIni.ReadString(from, key, QString())) && ok;
  }
  ok = FIni.EraseSection(prefix + QString::number(count)) && ok;
  ok = FIni.WriteInteger(kProfileSection, prefix, count - 1) && ok;
  return ok;
}
