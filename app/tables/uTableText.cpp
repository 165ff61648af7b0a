#include "uTableText.h"

#include "uLanguage.h"

QString TableText(const QString& key, const QString& def) { return Translate(QStringLiteral("TABLE"), key, def); }

QString TableError(const QString& key, const QString& def) { return TranslateError(key, def); }
