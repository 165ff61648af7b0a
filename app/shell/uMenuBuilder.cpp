#include "uMenuBuilder.h"

#include <QMenu>

#include "uKinds.h"

void FillMenu(QMenu* menu, const TMenuEntry& entry, const std::function<void(uint32_t tag)>& run) {
  if (!menu) return;
  for (const TMenuEntry& item : entry.Items) {
    if (item.IsSeparator()) {
      menu->addSeparator();
      continue;
    }
    const QIcon icon = item.IconKind != 0 ? KindIcon(item.IconKind) : QIcon();
    if (!item.Items.empty()) {
      QMenu* sub = menu->addMenu(icon, item.Caption);
      sub->setEnabled(item.Enabled);
      FillMenu(sub, item, run);
      continue;
    }
    QAction* action = menu->addAction(icon, item.Caption);
    action->setEnabled(item.Enabled);
    const uint32_t tag = item.Tag;
    QObject::connect(action, &QAction::triggered, menu, [run, tag] { run(tag); });
  }
}
