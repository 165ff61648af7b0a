// Text records of EMF playback: fonts (LOGFONTW) and EXTTEXTOUTA/W.
#pragma once

#include <QFont>
#include <QPainter>
#include <QString>

#include "uEmfPlayerState.h"
#include "uEmfRecords.h"

namespace emf {

// Reads a LOGFONTW at offset off of the record (92 bytes).
bool ReadLogFont(TEmfCursor& rec, size_t off, TEmfFont* font);

// The installed face used for a requested one: metric-compatible stand-ins for the common
// Windows faces, the face itself when installed, DejaVu Sans otherwise.
QString ResolveFontFace(const QString& requested);

// Draws an EXTTEXTOUTA (wide = false) or EXTTEXTOUTW record. device: the transform from the
// metafile's reference device to the painter's device. False when the record is malformed.
bool PlayExtTextOut(QPainter* painter, TEmfPlayerState& state, TEmfCursor& rec, bool wide, const QTransform& device);

}  // namespace emf
