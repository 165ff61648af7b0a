#include "uPropertiesDialogs.h"

#include <QHash>

namespace {

QHash<QString, TPropertiesDialog>& Registry() {
  static QHash<QString, TPropertiesDialog> registry;
  return registry;
}

}  // namespace

void RegisterPropertiesDialog(const QString& className, TPropertiesDialog dialog) {
  if (dialog)
    Registry().insert(className, std::move(dialog));
  else
    Registry().remove(className);
}

bool HasPropertiesDialog(const QString& className) { return Registry().contains(className); }

bool RunPropertiesDialog(const QString& className, TPrintObject* object) {
  const auto it = Registry().constFind(className);
  if (it == Registry().constEnd() || !object) return false;
  // A copy: the dialog may register or replace dialogs itself.
  const TPropertiesDialog dialog = it.value();
  return dialog(object);
}
