// What every picture target of the export shares: the object drawn at its
// own top-left corner, and the wording of a failed write.
#pragma once

#include <QRect>
#include <QString>

class QPainter;
class TPrintObject;

// Draws `object` onto `painter` as a printout would (borders only, the
// document's line pen) with the object's top-left corner at the device's
// top-left corner: the context's origin is the object's Left and Top rounded
// to whole millimetres, the painter shifted by what the rounding left over.
void DrawObjectPicture(TPrintObject* object, QPainter* painter, float zoom, const QRect& clip);

// "<path> can't be written: <why>" in the user's language.
QString ImageWriteError(const QString& path, const QString& why);
