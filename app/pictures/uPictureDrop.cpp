#include "uPictureDrop.h"

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

}  // namespace

TPrintObjectList* PictureTargetAt(TPrintDocument* document, double x, double y) {
  if (!document) return nullptr;
  TPrintObject* hit = nullptr;
  document->HitTest(x, y, &hit);
  for (TPrintObject* o = hit; o; o = o->Parent())
    if (TPrintObjectList* list = o->AsObjectList(); list && OffersPictures(list)) return list;
  return nullptr;
}

bool AddPictureFileAt(TPrintObjectList* target, const QString& path, double x, double y, QString* error) {
  if (!target) return false;
  std::unique_ptr<TPrintObject> made = target->CreateChild(kindImage);
  auto* picture = dynamic_cast<TPrintBitmap*>(made.get());
  if (!picture) return false;
  QString key;
  if (!picture->LoadPictureFile(path, &key)) {
    if (error) *error = TPrintBitmap::ErrorText(key) + QStringLiteral("\n") + path;
    return false;
  }
  picture->SetLeft(x);
  picture->SetTop(y);
  // Joined before it is fitted, its file's size would widen the block and the sheet.
  target->FitChildInside(picture, dynamic_cast<TPrintHeader*>(target) != nullptr);
  if (target->AddChild(std::move(made)) < 0) return false;
  target->ContentChanged();
  target->Changed();
  target->SetModified(true);
  target->Invalidate(target);
  return true;
}
