// The lithology sign database editor of the sign library, opened by the
// Service > Database command: a window of its own beside the frame, in the
// program's language, closed with the frame.
#pragma once

class QWidget;

// Opens an editor window owned by `frame`; false when the library refuses.
bool OpenLithologyEditor(QWidget* frame);
// Closes the editor windows `frame` opened; how many were asked to close.
int CloseLithologyEditors(QWidget* frame);
