#include "uObjectClipboard.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uKinds.h"
#include "uLanguage.h"
#include "uMemoryStream.h"
#include "uPassportBody.h"
#include "uPrintDocument.h"
#include "uPrintObjectList.h"
#include "uStorage.h"
#include "uStreamViewReader.h"

namespace {

constexpr std::u16string_view kClipName = u"clip";
constexpr uint32_t kObjectPosition = 0;
constexpr int32_t idClipKind = 1;
constexpr int32_t idClipLeft = 2;  // offset from the left of the list it came from, mm
constexpr int32_t idClipTop = 3;   // offset from its top, mm
// The mapping of the depth-bound list the object came from: the depth at the
// object's top edge and the vertical scale. Layers and texts stand on the
// page, so a column (or a layer, a text) pasted where another start depth or
// scale holds is moved to keep them at their depths, as curves and tables
// keep theirs.
constexpr int32_t idClipTopDepth = 4;
constexpr int32_t idClipScale = 5;

// Saving clears the modified marks of what it writes; a copy is not a save,
// so the marks of the copied subtree are put back afterwards.
void CollectModified(TPrintObject* object, std::vector<TPrintObject*>* modified) {
  if (!object) return;
  if (object->GetModified()) modified->push_back(object);
  if (TPrintObjectList* list = object->AsObjectList())
    for (int i = 0; i < list->Count(); ++i) CollectModified(list->GetChild(i), modified);
}

bool WriteClipHeader(TStorage* storage, const TPrintObject* object) {
  double dx = 0;
  double dy = 0;
  if (const auto* parent = object->Parent()) {
    dx = object->Left() - parent->Left();
    dy = object->Top() - parent->Top();
  }
  TComPtr<ICompoundStream> qs;
  qsCreateCompoundStream(qs.Put());
  if (!qs) return false;
  if (!qsWriteInteger(qs.Get(), idClipKind, object->GetKind()) || !qsWriteDouble(qs.Get(), idClipLeft, dx) ||
      !qsWriteDouble(qs.Get(), idClipTop, dy))
    return false;
  if (const auto* deep = dynamic_cast<const TPrintDeepObject*>(object->Parent())) {
    const double topDepth = deep->PageToDepth(object->Top());
    if (std::isfinite(topDepth) && (!qsWriteDouble(qs.Get(), idClipTopDepth, topDepth) ||
                                    !qsWriteInteger(qs.Get(), idClipScale, deep->GetVertScale())))
      return false;
  }
  TComPtr<IStream> memory;
  if (CreateMemoryStream(memory.Put()) != S_OK || qsSaveToStream(qs.Get(), memory.Get()) != S_OK ||
      memory->Seek(0, 0, nullptr) != S_OK)
    return false;
  return storage->WriteStream(QString::fromStdU16String(std::u16string(kClipName)), memory.Get()) == S_OK;
}

bool WriteObject(TStorage* storage, TPrintObject* object) {
  const QString name = QString::number(kObjectPosition);
  if (TPrintObjectList* list = object->AsObjectList()) {
    TStorage* sub = nullptr;
    return storage->CreateStorage(name, &sub) == S_OK && list->SaveToStorage(sub);
  }
  return object->SaveToNewStream(storage, name);
}

QString NotCopied() {
  return TranslateError(QStringLiteral("CopyFailed"), QStringLiteral("The object cannot be copied"));
}

QString NotAnObject() {
  return TranslateError(QStringLiteral("PasteDamaged"),
                        QStringLiteral("The clipboard does not hold an object that can be pasted"));
}

struct TCopied {
  std::unique_ptr<TStorage> Storage;
  int Kind = 0;
  double Left = 0;
  double Top = 0;
  double TopDepth = std::numeric_limits<double>::quiet_NaN();  // NaN: not depth-bound, or an older copy
  uint16_t Scale = 0;
};

bool ReadCopied(const QByteArray& bytes, TCopied* copied) {
  if (bytes.isEmpty()) return false;
  std::vector<uint8_t> data(bytes.size());
  std::memcpy(data.data(), bytes.constData(), data.size());
  copied->Storage = TStorage::OpenBytes(std::move(data));
  if (!copied->Storage) return false;
  TStreamViewReader reader;
  ICompoundStream* header = reader.Read(copied->Storage.get(), kClipName);
  if (!header) return false;
  copied->Kind = qsReadInteger(header, idClipKind, 0);
  copied->Left = qsReadDouble(header, idClipLeft, 0);
  copied->Top = qsReadDouble(header, idClipTop, 0);
  // An offset is a distance on a page: anything else is damage.
  auto sane = [](double v) { return std::isfinite(v) && std::abs(v) < 1e5; };
  if (!sane(copied->Left)) copied->Left = 0;
  if (!sane(copied->Top)) copied->Top = 0;
  const double topDepth = qsReadDouble(header, idClipTopDepth, std::numeric_limits<double>::quiet_NaN());
  const int32_t scale = qsReadInteger(header, idClipScale, 0);
  if (std::isfinite(topDepth) && std::abs(topDepth) < 1e7 && scale > 0 && scale <= 0xFFFF) {
    copied->TopDepth = topDepth;
    copied->Scale = static_cast<uint16_t>(scale);
  }
  return copied->Kind != 0;
}

// Loads the copied values into `object`, which already stands in its list.
bool LoadObject(TStorage* storage, TPrintObject* object) {
  if (TPrintObjectList* list = object->AsObjectList()) {
    TStorage* sub = nullptr;
    return storage->OpenStorageAt(kObjectPosition, &sub) == S_OK && list->LoadFromStorage(sub);
  }
  TStreamViewReader reader;
  ICompoundStream* qs = reader.ReadAt(storage, static_cast<int>(kObjectPosition));
  return qs && object->LoadFromQS(qs);
}

// The nearest of `selected` and its ancestors whose factory makes `kind`,
// with the object it made (*made); null when none does.
TPrintObjectList* TargetFor(TPrintObject* selected, int kind, std::unique_ptr<TPrintObject>* made) {
  for (TPrintObject* o = selected; o; o = o->Parent()) {
    TPrintObjectList* list = o->AsObjectList();
    if (!list) continue;
    *made = list->CreateChild(kind);
    if (*made) return list;
  }
  return nullptr;
}

// Where the object goes in `list`; `selected` is the user's selection.
void Place(TPrintObjectList* list, TPrintObject* selected, TPrintObject* object, const TCopied& copied) {
  if (auto* body = dynamic_cast<TPassportBody*>(list)) {
    // Right of the selected column, else after the last one; those right of
    // it make room, as for a new column.
    double left = body->Left();
    TPrintObject* column = selected;
    while (column && column->Parent() != body) column = column->Parent();
    if (column) {
      left = column->Left() + column->GetWidth();
    } else {
      for (int i = 0; i < body->Count(); ++i)
        if (TPrintObject* c = body->GetChild(i); c && c != object) left = std::max(left, c->Left() + c->GetWidth());
    }
    body->ShiftColumnsFrom(left, object->GetWidth(), object);
    object->SetLeft(left);
    object->SetTop(body->Top());
    object->SetHeight(body->GetHeight());
    body->SortByTop();
    return;
  }
  // Blocks stack down the document; a guide keeps its place like any other object.
  auto* document = dynamic_cast<TPrintDocument*>(list);
  if (document && (copied.Kind == kindHead || copied.Kind == kindBody)) {
    double bottom = document->Top();
    for (int i = 0; i < document->Count(); ++i)
      if (TPrintObject* c = document->GetChild(i); c && c != object)
        bottom = std::max(bottom, c->Top() + c->GetHeight());
    object->SetLeft(document->Left());
    object->SetTop(bottom);
    return;
  }
  object->SetLeft(list->Left() + copied.Left);
  object->SetTop(list->Top() + copied.Top);
}

// An object placed where another mapping holds than where it was copied
// from: a column's layers and texts, or a layer or text itself, are rescaled
// and moved so that they keep their depths.
void KeepCopiedDepths(TPrintObject* object, const TCopied& copied) {
  auto* list = dynamic_cast<TPrintDeepObject*>(object->Parent());
  if (!list || !std::isfinite(copied.TopDepth) || copied.Scale == 0) return;
  if (dynamic_cast<TPassportBody*>(list)) {
    auto* column = dynamic_cast<TPrintDeepObject*>(object);
    if (!column) return;
    if (copied.Scale != column->GetVertScale()) column->ScaleChanged(copied.Scale, column->GetVertScale());
    column->KeepChildDepths(copied.TopDepth, column->PageToDepth(object->Top()));
    return;
  }
  if (list->ChildStandsOnPage(object))
    list->PlaceChildAtDepth(object, copied.TopDepth, static_cast<double>(copied.Scale) / list->GetVertScale());
}

}  // namespace

QByteArray CopyObjectBytes(TPrintObject* object, QString* error) {
  if (!object) {
    if (error) *error = NotCopied();
    return {};
  }
  std::vector<TPrintObject*> modified;
  CollectModified(object, &modified);
  // Putting a mark back marks the ancestors too, which a load may have left unmarked.
  std::vector<TPrintObject*> unmarkedAbove;
  for (TPrintObject* o = object->Parent(); o; o = o->Parent())
    if (!o->GetModified()) unmarkedAbove.push_back(o);
  auto storage = TStorage::CreateNew();
  std::vector<uint8_t> bytes;
  const bool written = storage && WriteClipHeader(storage.get(), object) && WriteObject(storage.get(), object) &&
                       storage->SaveToBytes(&bytes) == S_OK;
  for (TPrintObject* o : modified) o->SetModified(true);
  for (TPrintObject* o : unmarkedAbove) o->SetModified(false);
  if (!written) {
    if (error) *error = NotCopied();
    return {};
  }
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

int CopiedObjectKind(const QByteArray& bytes) {
  TCopied copied;
  return ReadCopied(bytes, &copied) ? copied.Kind : 0;
}

TPrintObject* PasteObjectBytes(const QByteArray& bytes, TPrintObject* selected, QString* error) {
  TCopied copied;
  if (!ReadCopied(bytes, &copied)) {
    if (error) *error = NotAnObject();
    return nullptr;
  }
  std::unique_ptr<TPrintObject> made;
  TPrintObjectList* list = TargetFor(selected, copied.Kind, &made);
  if (!list) {
    if (error)
      *error = SubstituteArgs(TranslateError(QStringLiteral("PasteNotHere"),
                                             QStringLiteral("%s cannot be pasted here: select the column or block "
                                                            "that holds objects of this kind")),
                              {TranslateKindName(copied.Kind)});
    return nullptr;
  }
  // A paste that fails leaves no mark of a change behind.
  std::vector<TPrintObject*> unmarked;
  for (TPrintObject* o = list; o; o = o->Parent())
    if (!o->GetModified()) unmarked.push_back(o);
  TPrintObject* object = made.get();
  const int index = list->AddChild(std::move(made));
  if (index < 0) {
    if (error) *error = NotAnObject();
    return nullptr;
  }
  // Loaded where it stands, so that depth-bound objects find their mapping.
  if (!LoadObject(copied.Storage.get(), object)) {
    list->DeleteChild(index);
    list->Changed();
    for (TPrintObject* o : unmarked) o->SetModified(false);
    if (error) *error = NotAnObject();
    return nullptr;
  }
  Place(list, selected, object, copied);
  KeepCopiedDepths(object, copied);
  object->SetModified(true);
  list->Changed();
  list->Invalidate(list);
  if (auto* document = dynamic_cast<TPrintDocument*>(list)) document->BlockStructureChanged(object);
  TPrintObject* root = list;
  while (root->Parent()) root = root->Parent();
  root->SetSelected(false);
  object->SetSelected(true);
  return object;
}
