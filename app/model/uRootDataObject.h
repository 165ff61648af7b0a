// A document block (head or body): a data object with its own entry in the
// main menu, holding its own commands and, per named child, the child's.
#pragma once

#include "uDataObject.h"
#include "uMenuEntry.h"

// Tags of the block menu: own command i is kOwnCommandTag + i; command j of
// child i is i * 65536 + j.
inline constexpr uint32_t kOwnCommandTag = 0xFF0000;

class TRootDataObject : public TDataObject {
 public:
  // --- added virtual operations ---
  virtual void AddOwnCommands(TMenuEntry* menu);
  virtual void AddChildCommands(TMenuEntry* menu);

  // --- overrides ---
  double GetWidth() const override;
  // The width shown is the children's extent: storing another one changes
  // nothing visible and must not mark the block modified (the document gives
  // every block its own width at each stacking).
  void SetWidth(double value) override;
  int AddChild(std::unique_ptr<TPrintObject> child) override;
  bool DeleteChild(int index) override;
  void SortByTop() override;
  // Rebuilds the menu and, for a block of a document, reports the new structure.
  void NameChanged() override;

  // The block's main-menu entry (captioned with its name), built when asked.
  const TMenuEntry& MenuItem();
  // Runs the command a menu item's tag names, bracketed for undo: Notify(1)
  // first, Notify(2) when the command changed nothing. True when it ran.
  bool VerbExecute(uint32_t tag);

 private:
  void RebuildMenu();

  TMenuEntry FMenuItem;
};
