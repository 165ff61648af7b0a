// A minimal viewer: the object tree of one file drawn through Draw, with a
// click to select and a double-click for the object's properties. It stands
// in until the document windows exist.
#pragma once

#include <QString>

// Runs the viewer on `path` (an empty path shows an empty page); the exit status.
int RunViewer(const QString& path);
