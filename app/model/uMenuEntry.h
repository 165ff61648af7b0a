// A menu as model data: the blocks and columns describe their commands with
// it, and the window turns it into real menus. Keeps the model free of widgets.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

struct TMenuEntry {
  QString Caption;   // "-" is a separator
  int IconKind = 0;  // the object kind whose image the item shows; 0 for none
  uint32_t Tag = 0;  // what the owner's VerbExecute receives when the item is chosen
  bool Enabled = true;
  std::vector<TMenuEntry> Items;  // a sub-menu when not empty

  bool IsSeparator() const { return Caption == QLatin1String("-"); }
  void Clear() { Items.clear(); }
  TMenuEntry& Add(const QString& caption, uint32_t tag = 0, int iconKind = 0) {
    Items.push_back(TMenuEntry{caption, iconKind, tag, true, {}});
    return Items.back();
  }
};
