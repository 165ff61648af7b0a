// Objects copied and pasted between places and documents. A copied object is
// a Compound File in memory: the stream "clip" holds its kind and its offset
// within the list it came from; the element "0" holds the object as a list
// holds a child (a storage for a list, a stream otherwise), so everything an
// object saves travels with it, its children and data included.
#pragma once

#include <QByteArray>
#include <QString>

class TPrintObject;

// The clipboard's MIME type of a copied object.
inline constexpr char kObjectMimeType[] = "application/x-kerno-object";

// The copied form of `object`; empty, with *error set, when it cannot be
// written. The object and its document are left as they were (a copy does
// not count as a save).
QByteArray CopyObjectBytes(TPrintObject* object, QString* error = nullptr);

// The kind a copied form holds; 0 when the bytes are not one.
int CopiedObjectKind(const QByteArray& bytes);

// Pastes a copied object into the nearest of `selected` and its ancestors
// that holds objects of its kind. A column goes into a body right of the
// selected column (or after the last one), the columns beyond it moving
// right; a block goes below the document's last block; anything else keeps
// its offset within its list. The pasted object is selected and returned;
// null, with *error set and nothing changed, when no such list is found or
// the bytes do not load.
TPrintObject* PasteObjectBytes(const QByteArray& bytes, TPrintObject* selected, QString* error = nullptr);
