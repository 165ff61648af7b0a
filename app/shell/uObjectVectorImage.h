// The vector targets of the picture export: an enhanced metafile, an SVG
// drawing and a one-page PDF, each at the object's true size. Each writes
// beside its path and replaces the path only when the picture is complete.
#pragma once

#include <QString>

class TPrintObject;

// Device resolution of the vector pictures: fine enough that positions the
// objects round to whole device pixels stay within 0.05 mm.
inline constexpr int kVectorPictureDpi = 600;

// Frame (0, 0, width x 100, height x 100) in 0.01 mm; the "EXPORT" correction
// factors of the settings stretch the drawing inside it.
bool WriteEmfPicture(const QString& path, TPrintObject* object, QString* error);
bool WriteSvgPicture(const QString& path, TPrintObject* object, QString* error);
// One page exactly the object's size.
bool WritePdfPicture(const QString& path, TPrintObject* object, QString* error);
