#include "uTableText.h"

QString TableText(const QString& key, const QString& def) {
  (void)key;
  return def;
}

QString TableError(const QString& key, const QString& def) {
  (void)key;
  return def;
}
