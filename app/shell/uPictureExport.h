// The window's picture export: asks for a file (and, for bitmaps, the scale
// and quality), then writes the object as a picture.
#pragma once

class QWidget;
class TPrintObject;

// Asks for the file name and format, whether an existing file may be
// replaced, and the options of a raster picture, then exports `object`
// (ExportObjectImageTo). A failure is shown to the user. True when the
// picture was written; false when cancelled or failed.
bool ExportObjectPicture(TPrintObject* object, QWidget* parent);
