// Picture export of one print object (the whole document or the object a
// pop-up menu was opened on): the frame's Export command and the pop-up's
// "Export object image" call this.
#pragma once

class QWidget;
class TPrintObject;

// Asks for a file and writes `object` as a picture there; true when a
// picture was written.
bool ExportObjectImage(TPrintObject* object, QWidget* parent);
