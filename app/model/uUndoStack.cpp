#include "uUndoStack.h"

#include <algorithm>

#include "uKinds.h"
#include "uPrintObject.h"
#include "uSettings.h"

TUndoStack::TUndoStack(TSnapshotMaker maker) : FMaker(std::move(maker)) {}

TUndoStack::~TUndoStack() = default;

std::unique_ptr<TPrintObject> TUndoStack::Snapshot(TPrintObject* document) const {
  std::unique_ptr<TPrintObject> snapshot = FMaker ? FMaker(document) : CreateKindObject(document->GetKind());
  if (snapshot) snapshot->Assign(document);
  return snapshot;
}

void TUndoStack::Append(TSnapshots* items, std::unique_ptr<TPrintObject> snapshot, int limit) {
  // One at a time, even when the limit was lowered meanwhile.
  if (static_cast<int>(items->size()) >= limit) items->erase(items->begin());
  items->push_back(std::move(snapshot));
}

bool TUndoStack::Push(TPrintObject* document) {
  if (!document) return false;
  const int limit = Settings().MaxSteps();
  if (limit <= 0) return false;
  std::unique_ptr<TPrintObject> snapshot = Snapshot(document);
  if (!snapshot) return false;
  Append(&FItems, std::move(snapshot), limit);
  FRedoOfPush = std::move(FRedo);
  FRedo.clear();
  return true;
}

void TUndoStack::DropLast() {
  if (FItems.empty()) return;
  FItems.pop_back();
  FRedo = std::move(FRedoOfPush);
  FRedoOfPush.clear();
}

bool TUndoStack::Step(TSnapshots* from, TSnapshots* to, int limit, TPrintObject* document) {
  if (from->empty() || !document) return false;
  std::unique_ptr<TPrintObject> left = Snapshot(document);
  std::unique_ptr<TPrintObject> taken = std::move(from->back());
  from->pop_back();
  document->Assign(taken.get());
  if (left && limit > 0) Append(to, std::move(left), limit);
  FRedoOfPush.clear();
  return true;
}

// An undone step can always be redone; a redone one is undoable within the limit.
bool TUndoStack::Restore(TPrintObject* document) {
  return Step(&FItems, &FRedo, std::max(1, Settings().MaxSteps()), document);
}

bool TUndoStack::Redo(TPrintObject* document) { return Step(&FRedo, &FItems, Settings().MaxSteps(), document); }

void TUndoStack::Clear() {
  FItems.clear();
  FRedo.clear();
  FRedoOfPush.clear();
}
