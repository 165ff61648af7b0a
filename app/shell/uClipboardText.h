// The plain text a copied object leaves on the clipboard for other programs:
// what a spreadsheet or a text editor can use of it.
#pragma once

#include <QString>

class TPrintObject;

// A free or depth table: its cells as tab-separated lines (a spreadsheet
// pastes them cell by cell). A description column: its intervals and texts
// as From, To, Text lines. A curve column of up to a million cells: "Depth"
// and its curves over the depths they have values at. Anything else: its
// caption.
QString ClipboardText(TPrintObject* object);
