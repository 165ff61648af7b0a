#include "uRootDataObject.h"

#include <algorithm>

void TRootDataObject::AddOwnCommands(TMenuEntry* menu) {
  for (int i = 0; i < GetMenuCommandCount(); ++i) {
    QString caption;
    GetMenuCommandCaption(i, &caption);
    menu->Add(caption, kOwnCommandTag + static_cast<uint32_t>(i));
  }
}

void TRootDataObject::AddChildCommands(TMenuEntry* menu) {
  for (int i = 0; i < Count(); ++i) {
    auto* data = dynamic_cast<TDataObject*>(GetChild(i));
    if (!data) continue;
    TMenuEntry& item = menu->Add(data->Name(), 0, data->GetKind());
    const int commands = data->GetMenuCommandCount();
    for (int j = 0; j < commands; ++j) {
      QString caption;
      data->GetMenuCommandCaption(j, &caption);
      item.Add(caption, static_cast<uint32_t>(i) * 65536u + static_cast<uint32_t>(j));
    }
    item.Enabled = commands > 0;
  }
}

double TRootDataObject::GetWidth() const {
  double right = 0;
  for (const auto& c : FChildren)
    if (c) right = std::max(right, c->Left() + c->GetWidth());
  return right;
}

void TRootDataObject::SetWidth(double value) {
  const double before = GetWidth();
  FWidth = value;
  if (GetWidth() != before) SetModified(true);
}

int TRootDataObject::AddChild(std::unique_ptr<TPrintObject> child) {
  const int index = TDataObject::AddChild(std::move(child));
  // A load adds children one by one; the menu is built once they are all in.
  if (index >= 0 && !FFilling) NameChanged();
  return index;
}

bool TRootDataObject::DeleteChild(int index) {
  if (!TDataObject::DeleteChild(index)) return false;
  NameChanged();
  return true;
}

void TRootDataObject::SortByTop() {
  TDataObject::SortByTop();
  NameChanged();
}

void TRootDataObject::NameChanged() {
  RebuildMenu();
  if (auto* list = FParent) list->BlockStructureChanged(this);
}

const TMenuEntry& TRootDataObject::MenuItem() {
  // Loads and copies fill the block without the per-child notifications, so
  // the entry is built afresh whenever it is asked for (a few dozen items).
  RebuildMenu();
  return FMenuItem;
}

void TRootDataObject::RebuildMenu() {
  FMenuItem = TMenuEntry{};
  FMenuItem.Caption = Name();
  FMenuItem.IconKind = GetKind();
  AddOwnCommands(&FMenuItem);
  FMenuItem.Add(QStringLiteral("-"));
  AddChildCommands(&FMenuItem);
}

bool TRootDataObject::VerbExecute(uint32_t tag) {
  const uint32_t high = tag >> 16;
  const int low = static_cast<int>(tag & 0xFFFF);
  Notify(ncBeforeChange);
  if (high == 255) {
    if (ExecuteMenuCommand(low)) return true;
    Notify(ncChangeCancelled);
    return false;
  }
  auto* data =
      high < static_cast<uint32_t>(Count()) ? dynamic_cast<TDataObject*>(GetChild(static_cast<int>(high))) : nullptr;
  if (data && data->ExecuteMenuCommand(low)) return true;
  Notify(ncChangeCancelled);
  return false;
}
