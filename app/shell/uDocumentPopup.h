// The pop-up menu of a document window, built each time it opens, on the
// selected object: add, delete, properties, the object's own command,
// border, font, zoom, the commands of its data object, object files and
// picture export. Items that change the document are undoable.
#pragma once

#include <QPoint>
#include <QPointF>

class QMenu;
class TKernoChild;

// Zoom levels offered (percent) by the pop-up menu and the main menu.
inline constexpr int kZoomLevels[] = {20, 50, 75, 100, 150, 200, 300, 400, 500};

// The menu for the window's selection; `page` is where it was opened (new
// columns start there). The caller owns the menu.
QMenu* BuildDocumentPopup(TKernoChild* child, QPointF page);
// Builds the menu and runs it at `global` (screen pixels).
void ShowDocumentPopup(TKernoChild* child, QPoint global, QPointF page);
