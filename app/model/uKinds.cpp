#include "uKinds.h"

#include <QFileInfo>
#include <QHash>
#include <algorithm>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uDataObject.h"
#include "uLanguage.h"
#include "uPrintDeepObject.h"
#include "uPrintObject.h"
#include "uPrintObjectList.h"
#include "uPrintPicture.h"
#include "uSettings.h"
#include "uStorage.h"

namespace {

struct TKindEntry {
  int Kind;
  const char* Name;
  int Icon;
};

constexpr TKindEntry kKindTable[] = {
    {1, "VectorGraphic", 4},   {2, "DeepScale", 5},    {3, "DeepTable", 6},      {4, "Diagrams", 9},
    {5, "StratCol", 7},        {6, "TextDesc", 13},    {7, "Picture", 0},        {8, "LCEntry", 8},
    {11, "ObjectRuller", 18},  {12, "Histogramm", 20}, {256, "Object", 0},       {257, "ObjectList", 0},
    {258, "DataObject", 0},    {259, "DeepObject", 0}, {272, "Text", 12},        {273, "Head", 2},
    {274, "Body", 3},          {275, "Document", 1},   {276, "Diagramm", 10},    {277, "DiagrammScale", 11},
    {278, "StatusDDLine", 14}, {279, "Table", 6},      {280, "FixedRuller", 15}, {281, "ColorLine", 16},
    {282, "Marker", 19},       {284, "Image", 21},
};

const TKindEntry* FindKind(int kind) {
  for (const auto& e : kKindTable)
    if (e.Kind == kind) return &e;
  return nullptr;
}

template <class T>
std::unique_ptr<TPrintObject> Make() {
  return std::make_unique<T>();
}

// Which class makes each kind. A load asks once per object, so the kinds
// below kDirect (all of the kind table's) are an array look-up.
class TKindMakers {
 public:
  TKindMaker Find(int kind) const {
    if (static_cast<unsigned>(kind) < kDirect) return FDirect[kind];
    return FOther.value(kind, nullptr);
  }
  void Set(int kind, TKindMaker maker) {
    if (static_cast<unsigned>(kind) < kDirect)
      FDirect[kind] = maker;
    else if (maker)
      FOther.insert(kind, maker);
    else
      FOther.remove(kind);
  }

 private:
  static constexpr unsigned kDirect = 512;
  TKindMaker FDirect[kDirect] = {};
  QHash<int, TKindMaker> FOther;
};

TKindMakers& Makers() {
  static TKindMakers makers = [] {
    TKindMakers m;
    m.Set(kindObject, &Make<TPrintObject>);
    // A picture keeps its kind and values until pictures draw themselves.
    m.Set(kindPicture, &Make<TPrintPicture>);
    m.Set(kindObjectList, &Make<TPrintObjectList>);
    m.Set(kindDataObject, &Make<TDataObject>);
    m.Set(kindDeepObject, &Make<TPrintDeepObject>);
    return m;
  }();
  return makers;
}

}  // namespace

QString KindName(int kind) {
  const TKindEntry* e = FindKind(kind);
  return QString::fromLatin1(e ? e->Name : "Unknown");
}

QString TranslateKindName(int kind) {
  const QString name = KindName(kind);
  return Translate(QStringLiteral("POT"), name, name);
}

int KindIconIndex(int kind) {
  const TKindEntry* e = FindKind(kind);
  return e ? e->Icon : 0;
}

QIcon KindIcon(int kind) {
  const QString path = KindImagePath(KindIconIndex(kind));
  return QFileInfo::exists(path) ? QIcon(path) : QIcon();
}

void RegisterKind(int kind, TKindMaker maker) { Makers().Set(kind, maker); }

bool IsKindRegistered(int kind) { return Makers().Find(kind) != nullptr; }

std::unique_ptr<TPrintObject> CreateKindObject(int kind) {
  const TKindMaker maker = Makers().Find(kind);
  return maker ? maker() : nullptr;
}

std::unique_ptr<TPrintObject> CreateKindObject(int kind, std::initializer_list<int> allowed) {
  if (std::find(allowed.begin(), allowed.end(), kind) == allowed.end()) return nullptr;
  return CreateKindObject(kind);
}

int ReadStreamKind(IStream* stream) {
  if (!stream) return 0;
  stream->Seek(0, 0, nullptr);
  TComPtr<ICompoundStream> qs;
  if (qsCreateFromStream(stream, qs.Put()) != S_OK || !qs) return 0;
  return qsReadInteger(qs.Get(), 7, 0);
}

int ReadStorageKind(TStorage* storage) {
  if (!storage) return 0;
  TComPtr<IStream> index;
  if (storage->OpenStream(QStringLiteral("index"), index.Put()) != S_OK) return 0;
  return ReadStreamKind(index.Get());
}
