// Pictures of signs from files: enhanced metafiles as they are, SVG drawings
// recorded into an enhanced metafile, so that every sign is stored the same way.
#pragma once

#include <QSizeF>
#include <QString>
#include <memory>

#include "strat.h"
#include "uEmfDocument.h"

namespace stratedit {

// The size an SVG file declares, in millimetres: absolute units as they are,
// pixels and plain numbers at 96 per inch, a missing or relative size from the
// view box. Empty when the file declares no usable size.
QSizeF SvgSizeMM(const QByteArray& svg);

// Draws the SVG file into an enhanced metafile of its declared size; nullptr
// (with `error` set) for a file that is missing, too large or not a drawing.
std::unique_ptr<TEmfDocument> SvgToEmf(const QString& path, QString* error);

// True for names the editor reads as SVG (".svg", any case).
bool IsSvgPath(const QString& path);

// Gives `sign` the picture of `path`: SVG files through SvgToEmf, anything
// else through stratSetMetaFile. The library's result code.
HRESULT SetSignPicture(IStratSign* sign, const QString& path);

}  // namespace stratedit
