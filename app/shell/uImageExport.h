// Picture export of one print object (the whole document or the object a
// pop-up menu was opened on): the frame's Export command and the pop-up's
// "Export object image" call this.
#pragma once

#include <QString>

class QWidget;
class TPrintObject;

// Asks for the file name and format (proposing `name`, a document's file
// name, else the object's caption, in the folder of the last export),
// whether an existing file may be replaced, and the options of a raster
// picture, then exports `object` (ExportObjectImageTo). A failure is shown
// to the user. True when the picture was written; false when cancelled or
// failed.
bool ExportObjectImage(TPrintObject* object, QWidget* parent, const QString& name = {});
