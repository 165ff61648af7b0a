// A document window: one print document, the area that shows it, the two
// screen rulers, the scroll bars and the undo stack. Its caption is the full
// path of the document's file (or the name of a document not saved yet).
#pragma once

#include <QMdiSubWindow>
#include <functional>
#include <memory>

#include "uUndoStack.h"

class QScrollBar;
class TDocumentArea;
class TDocumentInput;
class TPrintDocument;
class TPrintObject;
class TScreenRuller;

// Cursor modes of a document window (the tags of the cursor actions).
enum TCursorMode : int { cmSelect = 0, cmHand = 1, cmSize = 2, cmScale = 3 };

class TKernoChild : public QMdiSubWindow {
  Q_OBJECT

 public:
  explicit TKernoChild(QWidget* parent = nullptr);
  ~TKernoChild() override;

  TPrintDocument* Document() const { return FDocument.get(); }
  TDocumentArea* Area() const { return FArea; }
  TUndoStack& Undo() { return FUndo; }
  TScreenRuller* TopRuller() const { return FTopRuller; }
  TScreenRuller* LeftRuller() const { return FLeftRuller; }
  QScrollBar* HorzScrollBar() const { return FHorz; }
  QScrollBar* VertScrollBar() const { return FVert; }
  TDocumentInput* Input() const { return FInput; }

  QString Caption() const { return FCaption; }
  void SetCaption(const QString& caption);

  // --- files ---
  // A document (".knd") or a template (".knt"); the window starts unmodified
  // with an empty undo stack. *error receives one line on failure.
  bool LoadFile(const QString& path, QString* error = nullptr);
  // Saves to `path`; a success clears the undo stack and the modified mark.
  bool SaveToPath(const QString& path, QString* error = nullptr);
  // A document file under any name (an auto-saved copy); the window starts
  // modified, since the copy is not the document's own file.
  bool LoadCopy(const QString& path, QString* error = nullptr);
  // The head or body of an object file (".kno") as the document's only
  // block; the window starts unmodified. Other objects are refused with a
  // line saying where they are loaded.
  bool LoadObjectBlock(const QString& path, QString* error = nullptr);
  // Save: to the file the caption names when it exists, else as Save As.
  bool Save();
  // The save dialog (the caption proposed, ".knd" enforced); the caption
  // becomes the new name on success.
  bool SaveAs();
  // The name Save As offers while the document has no file of its own (a
  // curve log made from a LAS file offers the LAS file's name as ".knd").
  void SetSuggestedFileName(const QString& path) { FSuggestedFileName = path; }
  bool IsModified() const;
  // Closing asks whenever the document holds changes (unless this is off).
  void SetAskOnClose(bool ask) { FAskOnClose = ask; }
  // The window agreed to close (it goes away with the next event loop turn).
  bool Closed() const { return FClosed; }

  // --- undo ---
  // Edits the window starts itself are bracketed: a snapshot before, dropped
  // again when the edit reports no change. Objects ask the same through
  // Notify(1)/Notify(2); inside a bracket their requests are already served.
  void UndoMake();
  void UndoCancel();
  // Runs `edit` between a snapshot and its drop when `edit` returns false;
  // repaints and reports the new command states. Returns what `edit` returned.
  bool RunEdit(const std::function<bool()>& edit);
  // A block's menu command (it brackets itself for undo); afterwards, as after
  // every edit, a sheet whose new data lie below its interval is offered to
  // move there.
  bool RunBlockCommand(const std::function<bool()>& command);
  bool UndoLast();
  // Takes back the last undo (until the next edit).
  bool RedoLast();

  // --- view ---
  int CursorMode() const { return FCursorMode; }
  void SetCursorMode(int mode);
  TPrintObject* Selected() const;
  // Scrolls by whole mm (positive: towards the document's end).
  void ScrollBy(int dxMM, int dyMM);
  // Asks for a depth (the one in the middle of the window offered) and
  // scrolls it to the middle of the window; a depth no body shows, or text
  // that is no number, is reported. True when it scrolled.
  bool GoToDepth();
  // PageUp/PageDown: a window's height less a tenth, so a line of the last
  // view stays in sight; Home/End: the document's top or bottom edge with a
  // little margin, as a document opens.
  void ScrollPages(int pages);
  void ScrollToEdge(bool bottom);
  // The printable page the page view is tiled by.
  void SetPageSize(QSize pageMM);
  // Re-reads what the drawing depends on in the settings and renders again.
  void Refresh();
  // True while a drag outline tries a move on the document.
  bool InTrial() const { return FTrialDepth > 0; }
  void BeginTrial() { ++FTrialDepth; }
  void EndTrial() { --FTrialDepth; }

 signals:
  // The undo stack, the selection or the document changed: the frame
  // refreshes its command states.
  void CommandsChanged();
  // Blocks were added, removed or renamed: the block menus are rebuilt.
  void StructureChanged();
  void StatusChanged(const QString& text);
  void CursorModeChanged(int mode);
  void CaptionChanged(const QString& caption);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void SyncScrollBars();
  // Page Y at that fraction of the window's height (0 its top, 1 its bottom).
  double ViewPageY(double fraction) const;
  // After an undo or redo (`done`): the document's content was replaced.
  bool Replaced(bool done);
  void DocumentResized();
  void Loaded();

  std::unique_ptr<TPrintDocument> FDocument;
  TUndoStack FUndo;
  TDocumentArea* FArea = nullptr;
  TScreenRuller* FTopRuller = nullptr;
  TScreenRuller* FLeftRuller = nullptr;
  QScrollBar* FHorz = nullptr;
  QScrollBar* FVert = nullptr;
  TDocumentInput* FInput = nullptr;
  QString FCaption;
  int FCursorMode = cmSelect;
  int FEditDepth = 0;
  bool FLastNotifyPushed = false;
  int FTrialDepth = 0;
  bool FAskOnClose = true;
  QString FSuggestedFileName;
  bool FClosed = false;
  bool FSyncing = false;
};
