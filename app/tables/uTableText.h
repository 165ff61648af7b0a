// User-visible texts of the table units, looked up in the language pack.
#pragma once

#include <QString>

// Section "TABLE" of the language pack, with the English default.
QString TableText(const QString& key, const QString& def);
// Section "ERROR".
QString TableError(const QString& key, const QString& def);
