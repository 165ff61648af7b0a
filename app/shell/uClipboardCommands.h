// Cut, copy and paste of the selected object of a document window through
// the system clipboard, so that objects travel between windows and between
// running copies of the program; a picture copied in another program pastes
// into the selected head, depth table or curve column. Failures are shown to
// the user.
#pragma once

class TKernoChild;

// Whether the clipboard holds a copied object or a picture.
bool ClipboardCanPaste();
// Whether the window's selection can be copied (anything but the document)
// and cut (what may also be deleted).
bool CanCopySelected(TKernoChild* child);
bool CanCutSelected(TKernoChild* child);
// Each returns whether it did what it says; cut and paste are undoable edits.
bool CopySelected(TKernoChild* child);
bool CutSelected(TKernoChild* child);
bool PasteIntoSelected(TKernoChild* child);
