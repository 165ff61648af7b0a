// An object file (".kno") opened like a document. A head or a body carries
// everything it shows (a body its own interval and scale) and opens as a new,
// untitled document of that one block; a column's file holds no depths for
// what stands on its page (layers, texts), so it is loaded into a column of
// a sheet with the pop-up's Load object instead.
#pragma once

#include <QString>

class TPrintDocument;
class TPrintObjectList;

// Puts a copy of `object`, a head or a body, into the empty `document` as its
// only block. False, with a one-line `error` saying where such a file is
// loaded (the pop-up's Load object of such an object), for any other.
bool PutBlockIntoDocument(TPrintDocument* document, TPrintObjectList* object, QString* error);
