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

bool TUndoStack::Restore(TPrintObject* document) {
  if (FItems.empty() || !document) return false;
  std::unique_ptr<TPrintObject> undone = Snapshot(document);
  std::unique_ptr<TPrintObject> snapshot = std::move(FItems.back());
  FItems.pop_back();
  document->Assign(snapshot.get());
  if (undone) Append(&FRedo, std::move(undone), std::max(1, Settings().MaxSteps()));
  FRedoOfPush.clear();
  return true;
}

bool TUndoStack::Redo(TPrintObject* document) {
  if (FRedo.empty() || !document) return false;
  std::unique_ptr<TPrintObject> current = Snapshot(document);
  std::unique_ptr<TPrintObject> redone = std::move(FRedo.back());
  FRedo.pop_back();
  document->Assign(redone.get());
  if (current && Settings().MaxSteps() > 0) Append(&FItems, std::move(current), Settings().MaxSteps());
  FRedoOfPush.clear();
  return true;
}

void TUndoStack::Clear() {
  FItems.clear();
  FRedo.clear();
  FRedoOfPush.clear();
}
