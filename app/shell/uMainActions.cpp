#include "uMainActions.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <cmath>

#include "uDocumentArea.h"
#include "uDocumentPopup.h"
#include "uKernoChild.h"
#include "uSettings.h"

namespace {

// Captions and hints here are the English defaults; the language pack
// replaces them at start-up by the action's name.
QAction* Make(QObject* owner, const char* name, const char* text, const char* hint, const char* icon = nullptr,
              QKeySequence shortcut = {}) {
  auto* action = new QAction(QString::fromUtf8(text), owner);
  action->setObjectName(QString::fromLatin1(name));
  action->setStatusTip(QString::fromUtf8(hint));
  action->setToolTip(QString::fromUtf8(hint));
  if (icon) action->setIcon(ActionIcon(QString::fromLatin1(icon)));
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  return action;
}

QMenu* TopMenu(QMenuBar* bar, const char* name, const char* title) {
  QMenu* menu = bar->addMenu(QString::fromUtf8(title));
  menu->setObjectName(QString::fromLatin1(name));
  return menu;
}

QMenu* SubMenu(QMenu* parent, const char* name, const char* title) {
  QMenu* menu = parent->addMenu(QString::fromUtf8(title));
  menu->setObjectName(QString::fromLatin1(name));
  menu->menuAction()->setObjectName(QString::fromLatin1(name));
  return menu;
}

QToolBar* Bar(QMainWindow* frame, const char* name, const char* title) {
  QToolBar* bar = frame->addToolBar(QString::fromUtf8(title));
  bar->setObjectName(QString::fromLatin1(name));
  bar->setIconSize(QSize(20, 20));
  return bar;
}

}  // namespace

QIcon ActionIcon(const QString& name) {
  const QString path = ProgramDir() + QStringLiteral("/icons/actions/") + name + QStringLiteral(".svg");
  return QFileInfo::exists(path) ? QIcon(path) : QIcon();
}

QList<QAction*> TMainActions::All() const {
  return {FileNew,          FileOpen,        FileSave,          FileSaveAs,         FileSaveAll,
          TemplateSave,     FileAddBlock,    FileAddExtraBlock, FileEditExtraBlock, FileFillFromLas,
          FileExport,       FileExportLas,   FilePrint,         FilePrintPreview,   FilePrintSetup,
          FileExit,         FileRecentClear, FileUndo,          EditRedo,           EditCut,
          EditCopy,         EditPaste,       EditDelete,        EditProperties,     ViewEdit,
          ViewPage,         ViewGrid,        ViewZoomIn,        ViewZoomOut,        ViewZoomWidth,
          ViewGoToDepth,    CursorSelect,    CursorHand,        CursorSize,         CursorScale,
          ServiceStructure, ServiceLDBEdit,  ServiceOptions,    WindowCascade,      WindowTile,
          WindowNext,       WindowPrevious,  WindowClose,       WindowCloseAll,     HelpHelp,
          HelpNew,          HelpPdf,         HelpTips,          HelpTipsSwitch,     HelpOnLine,
          HelpWeb,          HelpAbout};
}

QList<QAction*> TMainActions::DocumentActions() const {
  return {FileSave,         FileSaveAs,         FileFillFromLas,  FileExport,    FileExportLas, FilePrint,
          FilePrintPreview, FileEditExtraBlock, TemplateSave,     ViewEdit,      ViewPage,      ViewGrid,
          ViewZoomIn,       ViewZoomOut,        ViewZoomWidth,    ViewGoToDepth, CursorSelect,  CursorHand,
          CursorSize,       CursorScale,        ServiceStructure, WindowCascade, WindowTile,    WindowNext,
          WindowPrevious,   WindowClose,        WindowCloseAll};
}

TMainActions CreateMainActions(QMainWindow* frame) {
  TMainActions a;
  a.FileNew = Make(frame, "FileNew", "New...", "Create a new document from a template", "file-new", QKeySequence::New);
  a.FileOpen = Make(frame, "FileOpen", "Open...", "Open a document", "file-open", QKeySequence::Open);
  a.FileSave = Make(frame, "FileSave", "Save", "Save the active document", "file-save", QKeySequence::Save);
  a.FileSaveAs = Make(frame, "FileSaveAs", "Save as...", "Save the active document under a new name", nullptr,
                      QKeySequence::SaveAs);
  a.FileSaveAll = Make(frame, "FileSaveAll", "Save all", "Save every open document", "file-save-all");
  a.TemplateSave = Make(frame, "TemplateSave", "Save as template...", "Save the active document as a template");
  a.FileAddBlock = Make(frame, "FileAddBlock", "Add block", "Add a block from the document's template");
  a.FileAddExtraBlock =
      Make(frame, "FileAddExtraBlock", "Insert extra block", "Insert one of the document's extra blocks");
  a.FileEditExtraBlock = Make(frame, "FileEditExtraBlock", "Extra blocks...", "Edit the document's extra blocks");
  a.FileFillFromLas = Make(frame, "FileFillFromLas", "Fill from LAS file...",
                           "Fill the active document's curves and head from a LAS file");
  a.FileExport = Make(frame, "FileExport", "Export as image...", "Export the active document as a picture", "export");
  a.FileExportLas = Make(frame, "FileExportLas", "Export curves to LAS...",
                         "Write every curve of the active document into one LAS file");
  a.FilePrint = Make(frame, "FilePrint", "Print...", "Print the active document", "print", QKeySequence::Print);
  a.FilePrintPreview = Make(frame, "FilePrintPreview", "Print preview...", "Show the printed pages", "print-preview");
  a.FilePrintSetup = Make(frame, "FilePrintSetup", "Print setup...", "Choose and set up the printer");
  a.FileExit = Make(frame, "FileExit", "Exit", "Close the program", nullptr, QKeySequence::Quit);
  a.FileRecentClear = Make(frame, "FileRecentClear", "Clear the list", "Forget the documents opened last");
  a.FileUndo = Make(frame, "FileUndo", "Undo", "Undo the last change", "undo", QKeySequence::Undo);
  a.EditRedo = Make(frame, "EditRedo", "Redo", "Take back the last undo", "redo", QKeySequence::Redo);
  // Both usual keys: Ctrl+Shift+Z (the desktop's standard here) and Ctrl+Y.
  a.EditRedo->setShortcuts({QKeySequence(QKeySequence::Redo), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  a.EditCut = Make(frame, "EditCut", "Cut", "Move the selected object to the clipboard", "cut", QKeySequence::Cut);
  a.EditCopy = Make(frame, "EditCopy", "Copy", "Copy the selected object to the clipboard", "copy", QKeySequence::Copy);
  a.EditPaste = Make(frame, "EditPaste", "Paste", "Paste the copied object into the selected column or block", "paste",
                     QKeySequence::Paste);
  a.EditProperties = Make(frame, "EditProperties", "Properties...", "Open the selected object's dialog", nullptr,
                          QKeySequence(Qt::ALT | Qt::Key_Return));
  a.EditDelete = Make(frame, "EditDelete", "Delete", "Delete the selected object", "delete", QKeySequence::Delete);
  a.ViewEdit = Make(frame, "ViewEdit", "Edit view", "Show the document for editing", "view-edit");
  a.ViewPage = Make(frame, "ViewPage", "Page view", "Show the document page by page", "view-page");
  a.ViewGrid = Make(frame, "ViewGrid", "Grid", "Show or hide the grid", "grid");
  a.ViewZoomIn = Make(frame, "ViewZoomIn", "Zoom in", "Enlarge the document", "zoom-in", QKeySequence::ZoomIn);
  a.ViewZoomOut = Make(frame, "ViewZoomOut", "Zoom out", "Reduce the document", "zoom-out", QKeySequence::ZoomOut);
  a.ViewZoomWidth =
      Make(frame, "ViewZoomWidth", "Fit width", "Zoom so that the document's width fills the window", "zoom-width");
  a.ViewGoToDepth = Make(frame, "ViewGoToDepth", "Go to depth...", "Scroll the document to a depth", nullptr,
                         QKeySequence(Qt::CTRL | Qt::Key_G));
  a.CursorSelect = Make(frame, "CursorSelect", "Select", "Select and move objects", "cursor-select");
  a.CursorHand = Make(frame, "CursorHand", "Hand", "Move the page with the mouse", "cursor-hand");
  a.CursorSize = Make(frame, "CursorSize", "Cross", "Add objects and markers", "cursor-size");
  a.CursorScale = Make(frame, "CursorScale", "Zoom", "Zoom in and out with the mouse", "cursor-scale");
  a.ServiceStructure = Make(frame, "ServiceStructure", "Structure...", "Edit the document's structure", "structure");
  a.ServiceLDBEdit = Make(frame, "ServiceLDBEdit", "Database...", "Edit a lithology sign database");
  a.ServiceOptions = Make(frame, "ServiceOptions", "Options...", "Program options", "options");
  a.WindowCascade = Make(frame, "WindowCascade", "Cascade", "Arrange the windows in a cascade");
  a.WindowTile = Make(frame, "WindowTile", "Tile", "Arrange the windows side by side");
  a.WindowNext = Make(frame, "WindowNext", "Next", "Activate the next window", nullptr, QKeySequence::NextChild);
  a.WindowPrevious = Make(frame, "WindowPrevious", "Previous", "Activate the previous window");
  // The menu shows the first key: X11 names Shift+Tab "Backtab", which no
  // user looks for on the keyboard; the Backtab form is what X11 delivers.
  a.WindowPrevious->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)});
  a.WindowClose = Make(frame, "WindowClose", "Close", "Close the active window", nullptr, QKeySequence::Close);
  a.WindowCloseAll = Make(frame, "WindowCloseAll", "Close all", "Close every window");
  a.HelpHelp = Make(frame, "HelpHelp", "Contents", "Help contents", "help", QKeySequence::HelpContents);
  a.HelpNew = Make(frame, "HelpNew", "What's new", "Changes in this version");
  a.HelpPdf = Make(frame, "HelpPdf", "Manual (PDF)", "Open the printable manual");
  a.HelpTips = Make(frame, "HelpTips", "Tips of the day", "Show the tips of the day");
  a.HelpTipsSwitch = Make(frame, "HelpTipsSwitch", "Tips at start-up", "Show tips at start-up");
  a.HelpOnLine = Make(frame, "HelpOnLine", "On-line", "Open the program's web page");
  a.HelpWeb = Make(frame, "HelpWeb", "Web site", "Open the maker's web site");
  a.HelpAbout = Make(frame, "HelpAbout", "About...", "About the program");

  a.ViewModes = new QActionGroup(frame);
  a.ViewModes->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (auto [action, tag] : {std::pair{a.ViewEdit, kViewEdit}, std::pair{a.ViewPage, kViewPage}}) {
    action->setCheckable(true);
    action->setData(tag);
    a.ViewModes->addAction(action);
  }
  a.Cursors = new QActionGroup(frame);
  a.Cursors->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  int mode = cmSelect;
  for (QAction* action : {a.CursorSelect, a.CursorHand, a.CursorSize, a.CursorScale}) {
    action->setCheckable(true);
    action->setData(mode++);
    a.Cursors->addAction(action);
  }
  a.ViewGrid->setCheckable(true);
  a.HelpTipsSwitch->setCheckable(true);

  QMenuBar* bar = frame->menuBar();
  QMenu* file = TopMenu(bar, "miFile", "File");
  file->addActions({a.FileNew, a.FileOpen, a.FileSave, a.FileSaveAs, a.FileSaveAll});
  file->addSeparator();
  file->addAction(a.TemplateSave);
  file->addSeparator();
  file->addActions({a.FileAddBlock, a.FileAddExtraBlock, a.FileEditExtraBlock});
  file->addSeparator();
  file->addActions({a.FileFillFromLas, a.FileExportLas, a.FileExport});
  file->addSeparator();
  file->addActions({a.FilePrint, a.FilePrintPreview, a.FilePrintSetup});
  file->addSeparator();
  a.RecentMenu = SubMenu(file, "miRecent", "Recent documents");
  file->addSeparator();
  file->addAction(a.FileExit);

  QMenu* edit = TopMenu(bar, "miEdit", "Edit");
  edit->addActions({a.FileUndo, a.EditRedo});
  edit->addSeparator();
  edit->addActions({a.EditCut, a.EditCopy, a.EditPaste, a.EditDelete});
  edit->addSeparator();
  edit->addAction(a.EditProperties);

  a.ViewMenu = TopMenu(bar, "miView", "View");
  a.ViewMenu->addActions({a.ViewEdit, a.ViewPage});
  a.ViewMenu->addSeparator();
  a.ViewMenu->addAction(a.ViewGrid);
  a.ViewMenu->addAction(a.ViewGoToDepth);
  QMenu* zoom = SubMenu(a.ViewMenu, "miScale", "Zoom");
  zoom->addActions({a.ViewZoomIn, a.ViewZoomOut, a.ViewZoomWidth});
  zoom->addSeparator();
  auto* zoomGroup = new QActionGroup(frame);
  zoomGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (const int percent : kZoomLevels) {
    QAction* item = zoom->addAction(QString::number(percent) + QLatin1Char('%'));
    item->setCheckable(true);
    item->setData(percent);
    zoomGroup->addAction(item);
    a.ZoomItems << item;
  }
  a.SnapMenu = SubMenu(a.ViewMenu, "miSnap", "Snap");
  QMenu* cursor = SubMenu(a.ViewMenu, "miCursor", "Cursor");
  cursor->addActions(a.Cursors->actions());
  a.ViewMenu->addSeparator();
  a.ToolBarMenu = SubMenu(a.ViewMenu, "miToolBars", "Tool bars");

  a.ServiceMenu = TopMenu(bar, "miService", "Service");
  a.ServiceMenu->addAction(a.ServiceStructure);
  a.ServiceMenu->addAction(a.ServiceLDBEdit);
  a.ServiceMenu->addSeparator();
  a.ServiceMenu->addAction(a.ServiceOptions);

  a.WindowMenu = TopMenu(bar, "miWindow", "Window");

  QMenu* help = TopMenu(bar, "miHelp", "Help");
  help->addActions({a.HelpHelp, a.HelpNew, a.HelpPdf});
  help->addSeparator();
  help->addActions({a.HelpTips, a.HelpTipsSwitch});
  help->addSeparator();
  help->addActions({a.HelpOnLine, a.HelpWeb});
  help->addSeparator();
  help->addAction(a.HelpAbout);

  QToolBar* standard = Bar(frame, "tbStandard", "Standard");
  standard->addActions({a.FileNew, a.FileOpen, a.FileSave, a.FileSaveAll});
  standard->addSeparator();
  standard->addActions({a.FilePrint, a.FilePrintPreview, a.FileExport});
  standard->addSeparator();
  standard->addActions({a.FileUndo, a.EditRedo, a.EditCut, a.EditCopy, a.EditPaste, a.EditDelete});
  QToolBar* view = Bar(frame, "tbView", "View");
  view->addActions({a.ViewEdit, a.ViewPage, a.ViewGrid, a.ServiceStructure});
  QToolBar* cursors = Bar(frame, "tbCursor", "Cursor");
  cursors->addActions(a.Cursors->actions());
  QToolBar* scale = Bar(frame, "tbScale", "Zoom");
  scale->addAction(a.ViewZoomOut);
  a.ZoomBox = new QComboBox(scale);
  a.ZoomBox->setObjectName(QStringLiteral("cbZoom"));
  a.ZoomBox->setEditable(true);
  a.ZoomBox->setInsertPolicy(QComboBox::NoInsert);
  for (const int percent : kZoomLevels) a.ZoomBox->addItem(QString::number(percent) + QLatin1Char('%'), percent);
  a.ZoomBox->setMinimumContentsLength(5);
  scale->addWidget(a.ZoomBox);
  scale->addAction(a.ViewZoomIn);
  scale->addAction(a.ViewZoomWidth);
  return a;
}

void UpdateMainActions(TMainActions& a, const TCommandState& s) {
  for (QAction* action : a.DocumentActions()) action->setEnabled(s.HasActive);
  for (QAction* item : a.ZoomItems) {
    item->setEnabled(s.HasActive);
    item->setChecked(s.HasActive && std::lround(s.Zoom * 100) == item->data().toInt());
  }
  a.ZoomBox->setEnabled(s.HasActive);
  a.SnapMenu->setEnabled(s.HasActive);
  a.FileSaveAll->setEnabled(s.DocumentCount > 1);
  a.FileUndo->setEnabled(s.HasActive && s.CanUndo);
  a.EditRedo->setEnabled(s.HasActive && s.CanRedo);
  a.FileAddBlock->setEnabled(s.HasActive && s.HasAddBlocks);
  a.FileAddExtraBlock->setEnabled(s.HasActive && s.HasExtraBlocks);
  a.EditDelete->setEnabled(s.HasActive && s.CanDelete);
  a.EditProperties->setEnabled(s.HasActive && s.HasSelection);
  // A cut is a copy and a delete: whatever may be deleted may be cut.
  a.EditCut->setEnabled(s.HasActive && s.CanDelete);
  a.EditCopy->setEnabled(s.HasActive && s.CanCopy);
  a.EditPaste->setEnabled(s.HasActive && s.CanPaste);
  a.ViewEdit->setChecked(s.HasActive && s.ViewOptions == kViewEdit);
  a.ViewPage->setChecked(s.HasActive && s.ViewOptions == kViewPage);
  a.ViewGrid->setChecked(s.Grid);
  for (QAction* cursor : a.Cursors->actions())
    cursor->setChecked(s.HasActive && cursor->data().toInt() == s.CursorMode);
  a.HelpTipsSwitch->setChecked(s.TipStartUp);
  a.HelpPdf->setEnabled(s.HelpPdfExists);
  a.HelpOnLine->setEnabled(s.WebPageKnown);
  a.HelpWeb->setEnabled(s.WebPageKnown);
  if (s.HasActive && !a.ZoomBox->lineEdit()->hasFocus())
    a.ZoomBox->setEditText(QString::number(std::lround(s.Zoom * 100)) + QLatin1Char('%'));
}
