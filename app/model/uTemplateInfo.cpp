#include "uTemplateInfo.h"

#include <QDir>
#include <QFileInfo>

#include "uIniFile.h"
#include "uLanguage.h"

namespace {

const QString kTemplate = QStringLiteral("TEMPLATE");
const QString kDefaultPicture = QStringLiteral("default.template.bmp");

QString Picture(const QFileInfo& file) {
  const QDir dir = file.dir();
  for (const QString& name : {file.completeBaseName() + QStringLiteral(".bmp"), kDefaultPicture})
    if (QFileInfo(dir.filePath(name)).isFile()) return dir.filePath(name);
  return {};
}

}  // namespace

bool ReadTemplateInfo(const QString& path, TTemplateInfo* info) {
  const QFileInfo file(path);
  if (!file.isFile() || !info) return false;
  const QString suffix = file.suffix().toUpper();
  TTemplateInfo made;
  made.Path = path;
  if (suffix == QLatin1String("KNT")) {
    const TIniFile ini(path);
    made.Name = ReadTranslatedIni(ini, kTemplate, QStringLiteral("NAME"), QString()).trimmed();
    made.Description = ReadTranslatedIni(ini, kTemplate, QStringLiteral("DESCRIPTION"), QString());
  } else if (suffix == QLatin1String("KND")) {
    made.Name = file.completeBaseName();
  }
  if (made.Name.isEmpty()) return false;
  made.Picture = Picture(file);
  *info = std::move(made);
  return true;
}

std::vector<TTemplateInfo> ListTemplates(const QString& folder) {
  std::vector<TTemplateInfo> list;
  const QStringList files =
      QDir(folder).entryList({QStringLiteral("*.kn?")}, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
  for (const QString& name : files) {
    TTemplateInfo info;
    if (ReadTemplateInfo(QDir(folder).filePath(name), &info)) list.push_back(std::move(info));
  }
  return list;
}
