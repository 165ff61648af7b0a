// The frame's commands: one named QAction per command (the name is the key
// of its caption and hint in the language packs), the main menu and the
// tool bars they stand in, and the one function that sets their enabled
// and checked states from the state of the open documents.
#pragma once

#include <QIcon>
#include <QList>
#include <QString>

class QAction;
class QActionGroup;
class QComboBox;
class QMainWindow;
class QMenu;
class QObject;
class QToolBar;

// The icon `name` of the program's action images ("icons/actions/<name>.svg").
QIcon ActionIcon(const QString& name);

// What the enabled and checked states depend on.
struct TCommandState {
  int DocumentCount = 0;
  bool HasActive = false;  // a document window is active
  bool CanUndo = false;
  bool CanRedo = false;
  bool HasAddBlocks = false;
  bool HasExtraBlocks = false;
  bool CanDelete = false;
  bool HasSelection = false;
  bool CanCopy = false;
  bool CanPaste = false;  // the clipboard holds a copied object
  uint32_t ViewOptions = 0;
  int CursorMode = 0;
  double Zoom = 1;
  bool Grid = false;
  bool TipStartUp = false;
  bool HelpPdfExists = false;
  bool WebPageKnown = false;
};

struct TMainActions {
  QAction* FileNew = nullptr;
  QAction* FileOpen = nullptr;
  QAction* FileSave = nullptr;
  QAction* FileSaveAs = nullptr;
  QAction* FileSaveAll = nullptr;
  QAction* TemplateSave = nullptr;
  QAction* FileAddBlock = nullptr;
  QAction* FileAddExtraBlock = nullptr;
  QAction* FileEditExtraBlock = nullptr;
  QAction* FileFillFromLas = nullptr;
  QAction* FileExport = nullptr;
  QAction* FileExportLas = nullptr;
  QAction* FilePrint = nullptr;
  QAction* FilePrintPreview = nullptr;
  QAction* FilePrintSetup = nullptr;
  QAction* FileExit = nullptr;
  QAction* FileRecentClear = nullptr;
  QAction* FileUndo = nullptr;
  QAction* EditRedo = nullptr;
  QAction* EditCut = nullptr;
  QAction* EditCopy = nullptr;
  QAction* EditPaste = nullptr;
  QAction* EditDelete = nullptr;
  QAction* EditProperties = nullptr;
  QAction* ViewEdit = nullptr;
  QAction* ViewPage = nullptr;
  QAction* ViewGrid = nullptr;
  QAction* ViewZoomIn = nullptr;
  QAction* ViewZoomOut = nullptr;
  QAction* ViewZoomWidth = nullptr;
  QAction* ViewGoToDepth = nullptr;
  QAction* CursorSelect = nullptr;
  QAction* CursorHand = nullptr;
  QAction* CursorSize = nullptr;
  QAction* CursorScale = nullptr;
  QAction* ServiceStructure = nullptr;
  QAction* ServiceLDBEdit = nullptr;
  QAction* ServiceOptions = nullptr;
  QAction* WindowCascade = nullptr;
  QAction* WindowTile = nullptr;
  QAction* WindowNext = nullptr;
  QAction* WindowPrevious = nullptr;
  QAction* WindowClose = nullptr;
  QAction* WindowCloseAll = nullptr;
  QAction* HelpHelp = nullptr;
  QAction* HelpNew = nullptr;
  QAction* HelpPdf = nullptr;
  QAction* HelpTips = nullptr;
  QAction* HelpTipsSwitch = nullptr;
  QAction* HelpOnLine = nullptr;
  QAction* HelpWeb = nullptr;
  QAction* HelpAbout = nullptr;

  QActionGroup* ViewModes = nullptr;  // tags: the view options
  QActionGroup* Cursors = nullptr;    // tags: the cursor modes
  QList<QAction*> ZoomItems;          // tags: the zoom in percent
  QMenu* ViewMenu = nullptr;
  QMenu* RecentMenu = nullptr;  // the frame fills it from the settings
  QMenu* WindowMenu = nullptr;
  QMenu* SnapMenu = nullptr;
  QMenu* ToolBarMenu = nullptr;
  QMenu* ServiceMenu = nullptr;  // block menus go before the View menu
  QComboBox* ZoomBox = nullptr;

  // Every named command (the ones the language packs translate).
  QList<QAction*> All() const;
  // Actions that need an active document.
  QList<QAction*> DocumentActions() const;
};

// Creates the actions, the main menu and the tool bars of `frame`.
TMainActions CreateMainActions(QMainWindow* frame);
// The enabled and checked states for `state`.
void UpdateMainActions(TMainActions& actions, const TCommandState& state);
