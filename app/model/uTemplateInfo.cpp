#include "uTemplateInfo.h"

#include <QDir>
#include <QFileInfo>

#include "uIniFile.h"
#include "uLanguage.h"
#include "uPassportBody.h"
#include "uPrintDeepObject.h"
#include "uPrintDocument.h"
#include "uRootDataObject.h"
#include "uScriptedUi.h"

namespace {

const QString kTemplate = QStringLiteral("TEMPLATE");
const QString kDefaultPicture = QStringLiteral("default.template.bmp");

QString Picture(const QFileInfo& file) {
  const QDir dir = file.dir();
  for (const QString& name : {file.completeBaseName() + QStringLiteral(".bmp"), kDefaultPicture})
    if (QFileInfo(dir.filePath(name)).isFile()) return dir.filePath(name);
  return {};
}

// A document saved as a template describes itself by its blocks: the heads by
// name, each body by its scale, interval and columns.
QString DescribeBlocks(const QString& path) {
  // Read quietly: what the load would report (a sign missing from a
  // database) belongs to opening the document, not to listing it.
  TScriptedUi quiet;
  TScopedUi scope(&quiet);
  TPrintDocument document;
  if (!document.LoadFromFile(path)) return {};
  QStringList blocks;
  for (int i = 0; i < document.Count(); ++i) {
    TPrintObject* block = document.GetChild(i);
    auto* body = dynamic_cast<TPassportBody*>(block);
    if (!body) {
      // Heads by name; guides are no block of the sheet.
      if (dynamic_cast<TRootDataObject*>(block)) blocks << block->Caption();
      continue;
    }
    QStringList columns;
    for (int c = 0; c < body->Count(); ++c) columns << body->GetChild(c)->Caption();
    const double top = body->GetStartDepth();
    blocks << SubstituteArgs(
        TranslateGeneral(QStringLiteral("TemplateBody"), QStringLiteral("%s at 1:%s, %s – %s m (%s)")),
        {body->Caption(), QString::number(body->GetVertScale()), DepthText(top),
         DepthText(top + body->IntervalLength()), columns.join(QStringLiteral(", "))});
  }
  if (blocks.isEmpty()) return {};
  return SubstituteArgs(TranslateGeneral(QStringLiteral("TemplateOfDocument"),
                                         QStringLiteral("A template saved from a document. Blocks: %s.")),
                        {blocks.join(QStringLiteral("; "))});
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
    made.Description = DescribeBlocks(path);
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
