// Menus the model describes as data (TMenuEntry: block and column commands)
// turned into Qt menus, each item with the image of its object kind.
#pragma once

#include <functional>

#include "uMenuEntry.h"

class QMenu;

// Adds the items of `entry` to `menu` (sub-menus for entries with items,
// separators for "-"). `run` receives the tag of the item chosen.
void FillMenu(QMenu* menu, const TMenuEntry& entry, const std::function<void(uint32_t tag)>& run);
