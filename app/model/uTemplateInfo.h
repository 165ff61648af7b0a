// What the template selection shows of the program's templates: a name, a
// description and a picture per file of the template folder.
#pragma once

#include <QString>
#include <vector>

struct TTemplateInfo {
  QString Path;  // the template file
  QString Name;
  QString Description;
  QString Picture;  // a bitmap to show beside the name; empty when there is none
};

// The entry of one template file, false when the file yields no name. A ".knt"
// file is named and described by its section "TEMPLATE" ("NAME",
// "DESCRIPTION", in the program's language where the file has it: see
// ReadTranslatedIni); a ".knd" file by its file name without extension and a
// description of its blocks (each body's scale, interval and columns). The
// picture is the bitmap of the template's own name beside it ("well_log.bmp"),
// else "default.template.bmp" of the folder.
bool ReadTemplateInfo(const QString& path, TTemplateInfo* info);
// Every template of `folder` ("*.knt" and "*.knd", in file name order) that
// yields a name.
std::vector<TTemplateInfo> ListTemplates(const QString& folder);
