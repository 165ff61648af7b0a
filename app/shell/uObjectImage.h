// Pictures of print objects: any object (a whole document, a block, one
// column) drawn through its ordinary Draw onto a metafile, a bitmap or another
// picture target instead of the screen or a printer. No widget and no
// question here: the command line and the window's export both end up in
// ExportObjectImageTo.
#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>

class TPrintObject;

enum class TImageFormat { None, Emf, Bmp, Jpg, Png, Svg, Pdf };

// The format a path's extension names, compared without regard to case
// (".jpeg" is a JPEG too); None for any other extension.
TImageFormat ImageFormatOfPath(const QString& path);
// The extension written for a format, with its dot (".emf", ".jpg", ...).
QString ImageFormatSuffix(TImageFormat format);
// Raster formats are drawn at a chosen scale; the others at true size.
bool IsRasterFormat(TImageFormat format);

// The name the export writes for a name chosen in the save dialog: its
// extension replaced by the one of the selected filter entry (1-based) of
// `filter` ("Name|*.emf|Name|*.bmp|..."). An entry that names no picture
// format leaves the name as chosen.
QString ExportFileName(const QString& chosen, int filterIndex, const QString& filter);

// The scale of a raster picture is a percentage within these bounds.
inline constexpr double kMinExportScalePercent = 1;
inline constexpr double kMaxExportScalePercent = 1000;
// The scale text of the options dialog and the command line: the number
// reader's value (0 when it is not a number) when it lies within the bounds,
// else 0.
double ParseExportScalePercent(const QString& text);

// Beyond these a bitmap is refused rather than allocated: a long document at
// a large scale would ask for gigabytes.
inline constexpr int kMaxBitmapSide = 65500;  // also the JPEG limit
inline constexpr qint64 kMaxBitmapPixels = 150'000'000;
// The bitmap of `object` at `scale` (1 = true size at the bitmap's 96 dpi):
// round(width mm x pixels per mm x scale) by the same for the height. Empty
// for a scale not greater than 0 or an object without extent.
QSize ObjectBitmapSize(const TPrintObject* object, double scale);
bool BitmapSizeAllowed(QSize size);

// A new bitmap holding the object drawn at `scale` on white, borders only;
// a null image when the scale is not greater than 0, the object has no
// extent, or the bitmap would be too large.
QImage RenderObjectBitmap(TPrintObject* object, double scale);

struct TImageExportOptions {
  double Scale = 1.0;  // raster formats only
  int Quality = 90;    // JPEG only, 1-100
};

// Exports `object` to `path` in the format of the path's extension. The
// picture is written beside the path and renamed over it only when complete,
// so a failed export leaves an existing file as it was. False with a
// one-line *error (in the user's language) when nothing was written.
bool ExportObjectImageTo(const QString& path, TPrintObject* object, const TImageExportOptions& options = {},
                         QString* error = nullptr);
