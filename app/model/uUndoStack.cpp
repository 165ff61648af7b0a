#include "uUndoStack.h"

#include "uKinds.h"
#include "uPrintObject.h"
#include "uSettings.h"

TUndoStack::TUndoStack(TSnapshotMaker maker) : FMaker(std::move(maker)) {}

TUndoStack::~TUndoStack() = default;

bool TUndoStack::Push(TPrintObject* document) {
  if (!document) return false;
  const int limit = Settings().MaxSteps();
  if (limit <= 0) return false;
  std::unique_ptr<TPrintObject> snapshot = FMaker ? FMaker(document) : CreateKindObject(document->GetKind());
  if (!snapshot) return false;
  // One at a time, even when the limit was lowered meanwhile.
  if (Count() >= limit) FItems.erase(FItems.begin());
  snapshot->Assign(document);
  FItems.push_back(std::move(snapshot));
  return true;
}

void TUndoStack::DropLast() {
  if (!FItems.empty()) FItems.pop_back();
}

bool TUndoStack::Restore(TPrintObject* document) {
  if (FItems.empty() || !document) return false;
  std::unique_ptr<TPrintObject> snapshot = std::move(FItems.back());
  FItems.pop_back();
  document->Assign(snapshot.get());
  return true;
}

void TUndoStack::Clear() { FItems.clear(); }
