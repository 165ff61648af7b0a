// Undo by whole-document snapshots: before an edit a copy of the document is
// pushed; undo gives the document the newest copy's content. An undo keeps
// the state it left for redo, until the next edit.
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
  // snapshots (the oldest goes first). False when nothing was pushed. An
  // edit ends what could be redone.
  bool Push(TPrintObject* document);
  // Drops the newest snapshot (the announced edit did not happen): what
  // could be redone before it can be again.
  void DropLast();
  // Gives `document` the newest snapshot's content (marking it modified) and
  // drops that snapshot; the content it had is kept for Redo. False on an
  // empty stack.
  bool Restore(TPrintObject* document);
  // Takes back the last Restore: `document` gets the content it had before
  // it, which becomes undoable again. False when there is none.
  bool Redo(TPrintObject* document);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  int RedoCount() const { return static_cast<int>(FRedo.size()); }

 private:
  using TSnapshots = std::vector<std::unique_ptr<TPrintObject>>;
  // A copy of `document`; null when its kind cannot be made.
  std::unique_ptr<TPrintObject> Snapshot(TPrintObject* document) const;
  // Takes the newest of `from` into `document`, the state it left going to
  // `to` (at most `limit` kept there).
  bool Step(TSnapshots* from, TSnapshots* to, int limit, TPrintObject* document);
  // Appends to `items`, dropping the oldest beyond `limit`.
  static void Append(TSnapshots* items, std::unique_ptr<TPrintObject> snapshot, int limit);

  TSnapshotMaker FMaker;
  TSnapshots FItems;       // oldest first
  TSnapshots FRedo;        // the states undone, the last undone last
  TSnapshots FRedoOfPush;  // FRedo as it was before the newest push
};
