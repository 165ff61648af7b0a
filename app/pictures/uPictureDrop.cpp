#include "uPictureDrop.h"

#include <functional>
#include <memory>

#include "uPrintBitmap.h"
#include "uPrintDocument.h"
#include "uPrintHeader.h"

namespace {

bool OffersPictures(TPrintObjectList* list) {
  for (int i = 0; const int kind = list->GetInsertableKind(i); ++i)
    if (kind == kindImage) return true;
  return false;
}

// A new picture of `target`, loaded by `load` (false with a key of section
// "ERROR"), placed at (x, y) and fitted inside, then added.
bool AddPictureAt(TPrintObjectList* target, double x, double y,
                  const std::function<bool(TPrintBitmap*, QString*)>& load, QString* key,
                  const TPrintObject* cell = nullptr) {
  if (!target) return false;
  std::unique_ptr<TPrintObject> made = target->CreateChild(kindImage);
  auto* picture = dynamic_cast<TPrintBitmap*>(made.get());
  if (!picture || !load(picture, key)) return false;
  picture->SetLeft(x);
  picture->SetTop(y);
  if (cell) TPrintObjectList::FitInside(picture, cell->GetBoundsRect(), true);
  // Joined before it is fitted, its file's size would widen the block and the sheet.
  target->FitChildInside(picture, dynamic_cast<TPrintHeader*>(target) != nullptr);
  if (target->AddChild(std::move(made)) < 0) return false;
  target->ContentChanged();
  target->Changed();
  target->SetModified(true);
  target->Invalidate(target);
  return true;
}

}  // namespace

TPrintObjectList* PictureTargetOf(TPrintObject* object) {
  for (TPrintObject* o = object; o; o = o->Parent())
    if (TPrintObjectList* list = o->AsObjectList(); list && OffersPictures(list)) return list;
  return nullptr;
}

TPrintObjectList* PictureTargetAt(TPrintDocument* document, double x, double y) {
  if (!document) return nullptr;
  TPrintObject* hit = nullptr;
  document->HitTest(x, y, &hit);
  return PictureTargetOf(hit);
}

bool AddPictureFileAt(TPrintObjectList* target, const QString& path, double x, double y, QString* error) {
  QString key;
  const bool added = AddPictureAt(
      target, x, y, [&](TPrintBitmap* p, QString* why) { return p->LoadPictureFile(path, why); }, &key);
  if (!added && error && !key.isEmpty()) *error = TPrintBitmap::ErrorText(key) + QStringLiteral("\n") + path;
  return added;
}

bool AddPictureImageAt(TPrintObjectList* target, const QImage& image, double x, double y, QString* error,
                       const TPrintObject* cell) {
  QString key;
  const bool added = AddPictureAt(
      target, x, y, [&](TPrintBitmap* p, QString* why) { return p->LoadPictureImage(image, why); }, &key, cell);
  if (!added && error && !key.isEmpty()) *error = TPrintBitmap::ErrorText(key);
  return added;
}
