// A picture file dropped on a document, or a picture pasted: the block or
// column that takes pictures (a head, a depth table, a curve column) gets it
// there, fitted inside as the Add command fits one.
#pragma once

#include <QString>

class QImage;
class TPrintObject;
class TPrintDocument;
class TPrintObjectList;

// The object hit at page (x, y), or the nearest of its parents, that offers
// pictures for insertion; null when there is none.
TPrintObjectList* PictureTargetAt(TPrintDocument* document, double x, double y);
// `object` or the nearest of its parents that offers pictures; null when none.
TPrintObjectList* PictureTargetOf(TPrintObject* object);
// Adds the picture file to `target` with its top-left corner at (x, y), kept
// inside the target. False, with the reason shown to the user in *error,
// when the file cannot be read (nothing is added).
bool AddPictureFileAt(TPrintObjectList* target, const QString& path, double x, double y, QString* error);
// The same for an image in memory (a pasted one); with `cell` (a child of
// the target that was selected, as a head's text cell) the picture is also
// made no larger than the cell, its proportions kept.
bool AddPictureImageAt(TPrintObjectList* target, const QImage& image, double x, double y, QString* error,
                       const TPrintObject* cell = nullptr);
