// Whole files of objects: a document (".knd") or a single object (".kno")
// is a Compound File whose root storage has the layout of a list.
#pragma once

#include <QString>
#include <memory>

#include "uComBase.h"

class TPrintObjectList;

// Opens `path`, runs the version check and loads the object of the kind the
// root's "index" names. Null and a one-line `error` when the file cannot be
// opened, is not a Compound File, or its root kind has no class.
std::unique_ptr<TPrintObjectList> LoadObjectFile(const QString& path, QString* error);
// Saves `object` as the root of a new file at `path`. The target is replaced
// only after a complete write; on failure it is left as it was.
HRESULT SaveObjectFile(TPrintObjectList* object, const QString& path, QString* error = nullptr);
