// Plays an enhanced metafile onto a QPainter (the stand-in for PlayEnhMetaFile).
#pragma once

#include <QPainter>
#include <QRectF>

#include "uEmfDocument.h"

// Plays the records onto painter, the picture's frame rectangle stretched onto target (in the
// painter's current coordinates: its transform at call time is respected). The painter's state
// is restored afterwards. Never crashes on damaged input: a malformed record stops playback.
// Returns false when playback stopped early (or the painter is not active).
bool PlayEmf(QPainter* painter, const TEmfDocument& doc, const QRectF& target);
