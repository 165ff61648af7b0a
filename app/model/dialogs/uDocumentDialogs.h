// Registers the document's dialogs for EditProperties: the body properties
// and new-column dialogs, the extra blocks dialog and the structure dialog.
#pragma once

void RegisterDocumentDialogs();
