// The window's picture export: asks for a file (and, for bitmaps, the scale
// and quality), then writes the object as a picture.
#pragma once

#include <QString>

class QWidget;
class TPrintObject;

// Asks for the file name and format, whether an existing file may be
// replaced, and the options of a raster picture, then exports `object`
// (ExportObjectImageTo). A failure is shown to the user. True when the
// picture was written; false when cancelled or failed. `name` (without
// folder or extension; a document's file name, say) is the file name the
// dialog proposes; empty proposes the object's caption.
bool ExportObjectPicture(TPrintObject* object, QWidget* parent, const QString& name = {});
