// Object kinds: the integer every object stores for itself and its children,
// the table of kind names, and the registry that turns a kind back into an
// object. Kind numbers are stored in files and never change.
#pragma once

#include <QIcon>
#include <QString>
#include <initializer_list>
#include <memory>

class TPrintObject;
class TStorage;
struct IStream;

// The kinds of the kind table.
enum TObjectKind : int {
  kindVectorGraphic = 1,
  kindDeepScale = 2,
  kindDeepTable = 3,
  kindDiagrams = 4,
  kindStratCol = 5,
  kindTextDesc = 6,
  kindPicture = 7,
  kindLCEntry = 8,
  kindObjectRuller = 11,
  kindHistogramm = 12,
  kindObject = 256,
  kindObjectList = 257,
  kindDataObject = 258,
  kindDeepObject = 259,
  kindText = 272,
  kindHead = 273,
  kindBody = 274,
  kindDocument = 275,
  kindDiagramm = 276,
  kindDiagrammScale = 277,
  kindStatusDDLine = 278,
  kindTable = 279,
  kindFixedRuller = 280,
  kindColorLine = 281,
  kindMarker = 282,
  kindExtraBlocks = 283,
  kindImage = 284,
};

// The table name ("DeepScale"); "Unknown" for numbers outside the table.
QString KindName(int kind);
// The language text of the kind name (section "POT", default the table name).
QString TranslateKindName(int kind);
// Index of the kind's picture in the object image list (0 when it has none).
int KindIconIndex(int kind);
// The kind's picture from the program folder (an empty icon when its file is missing).
QIcon KindIcon(int kind);
// Kinds below 256 are the user-insertable deep objects of the body and columns.
inline bool IsDeepKind(int kind) { return kind > 0 && kind < 256; }

using TKindMaker = std::unique_ptr<TPrintObject> (*)();

// Registers the class that makes objects of `kind` (replacing an earlier one).
// The model's own kinds (256-259, and 7 as a TPrintPicture) are registered
// from the start; each subsystem registers its classes at program start.
void RegisterKind(int kind, TKindMaker maker);
bool IsKindRegistered(int kind);
// A new object of `kind`; null for a kind with no class (yet).
std::unique_ptr<TPrintObject> CreateKindObject(int kind);
// A new object of `kind` when it is one of `allowed` (a list's factory).
std::unique_ptr<TPrintObject> CreateKindObject(int kind, std::initializer_list<int> allowed);

// The kind stored in a serialised compound stream (ID 7), read from its
// start; 0 when it is not a compound stream.
int ReadStreamKind(IStream* stream);
// The kind in the "index" stream of a storage; 0 without storage or "index".
int ReadStorageKind(TStorage* storage);
