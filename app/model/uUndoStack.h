// Undo by whole-document snapshots: before an edit a copy of the document is
// pushed; undo gives the document the newest copy's content. No redo.
#pragma once

#include <functional>
#include <memory>
#include <vector>

class TPrintObject;

class TUndoStack {
 public:
  // Makes the empty object a snapshot of `document` is assigned into.
  using TSnapshotMaker = std::function<std::unique_ptr<TPrintObject>(TPrintObject* document)>;

  // Snapshots are made through the kind registry unless a maker is given.
  explicit TUndoStack(TSnapshotMaker maker = {});
  ~TUndoStack();
  TUndoStack(const TUndoStack&) = delete;
  TUndoStack& operator=(const TUndoStack&) = delete;

  // Pushes a copy of `document`, keeping at most Settings().MaxSteps()
  // snapshots (the oldest goes first). False when nothing was pushed.
  bool Push(TPrintObject* document);
  // Drops the newest snapshot (the announced edit did not happen).
  void DropLast();
  // Gives `document` the newest snapshot's content (marking it modified) and
  // drops that snapshot. False on an empty stack.
  bool Restore(TPrintObject* document);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }

 private:
  TSnapshotMaker FMaker;
  std::vector<std::unique_ptr<TPrintObject>> FItems;  // oldest first
};
