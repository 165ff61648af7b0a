// The frame window: the menus, tool bars and commands, and the document
// windows inside it. It opens, creates, saves and prints documents, hands
// files over between instances, auto-saves, and runs the start-up (language,
// recovery, reminders, tips).
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "uMainActions.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QTimer;
class TKernoChild;
class TPrinting;
class TSingleInstance;

class TkrKernoMainForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TkrKernoMainForm(QWidget* parent = nullptr);
  ~TkrKernoMainForm() override;

  // The arguments the first showing opens (the start-up runs then).
  void SetStartArguments(const QStringList& args) { FStartArguments = args; }
  // Loads the language pack and translates the interface, opens the files,
  // offers what the auto-save left, reminds of a newer version, offers the
  // tips and arms the auto-save. False when the language pack cannot be
  // loaded: the error was shown and the program ends.
  bool StartUp(const QStringList& args);
  bool Started() const { return FStarted; }

  QMdiArea* MdiArea() const { return FMdi; }
  TMainActions& Actions() { return FActions; }
  TPrinting& Printing() { return *FPrinting; }
  TSingleInstance* Instance() const { return FInstance; }
  // Starts answering second instances.
  bool ListenForInstances();
  QList<TKernoChild*> Children() const;
  TKernoChild* ActiveChild() const;
  QLabel* StatusLabel() const { return FStatusLabel; }

  // --- documents ---
  // An open window with this file comes forward (with a note); otherwise a
  // new window loads it. The window, or null when the file did not load.
  TKernoChild* OpenFile(const QString& name);
  void OpenFiles(const QStringList& names);
  // File > Recent documents: the settings' list; a file gone since is
  // reported by the open and leaves the list.
  void RebuildRecentMenu();
  TKernoChild* OpenRecent(const QString& path);
  // A new document window loaded from the template at `path`.
  TKernoChild* NewFromTemplate(const QString& path);
  // A LAS file opened as a document (File > Open, a drop, the command line):
  // asks whether to make a new document from the curve log template filled
  // with its curves, as File > Fill from LAS file does. The new window, or
  // null when declined or nothing could be filled.
  TKernoChild* OpenLasFile(const QString& path);
  // An object file opened as a document: a head's or body's file becomes a
  // new, untitled document of that block; any other says where it is loaded.
  TKernoChild* OpenObjectFile(const QString& path);
  // File names from a second instance: the frame comes forward, each opens.
  void ReceiveFiles(const QStringList& names);
  // Saves the active document as the template `name` in the template folder.
  bool SaveTemplate(const QString& name);

  // --- auto-save ---
  void ArmAutoSave();
  bool AutoSaveNow();
  // Opens the copies "autosave.dat" lists; the number of windows restored.
  int RecoverAutoSave();
  QTimer* AutoSaveTimer() const { return FAutoSaveTimer; }

  // The one update of every command's enabled and checked state.
  void UpdateCommands();
  // The block menus of the active document, from position 2 of the main menu.
  void RebuildBlockMenus();
  QList<QMenu*> BlockMenus() const { return FBlockMenus; }
  void TranslateInterface();

  // --- commands ---
  void FileNewExecute();
  void FileOpenExecute();
  void FileSaveExecute();
  void FileSaveAsExecute();
  void FileSaveAllExecute();
  void FilePrintExecute();
  void FilePrintPreviewExecute();
  void FilePrintSetupExecute();
  void FileFillFromLasExecute();
  void FileExportLasExecute();
  void FileExportExecute();
  void FileAddBlockExecute();
  void FileAddExtraBlockExecute();
  void FileEditExtraBlockExecute();
  void FileUndoExecute();
  void TemplateSaveExecute();
  void EditDeleteExecute();
  void ViewModeExecute(QAction* action);
  void ViewScaleClick(int percent);
  void ViewGridExecute();
  void SnapClick(double step);
  void miSnapSelectClick();
  void mnuSnapPopup();
  void CursorCommandExecute(QAction* action);
  void ServiceStructureExecute();
  void ServiceLDBEditExecute();
  void ServiceOptionsExecute();
  void HelpPdfExecute();
  void HelpTipsExecute();
  void HelpWebExecute();
  void HelpAboutExecute();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // A picture file dropped at `at` (this window's pixels) on a document's
  // head, depth table or curve column joins it there; false when nothing
  // under the drop takes pictures.
  bool DropPicture(const QString& path, QPoint at);
  TKernoChild* AddChild();
  // A window whose document loaded, shown maximised and active under `caption`.
  TKernoChild* ShowChild(TKernoChild* child, const QString& caption);
  // A window whose file did not load: closed unasked and the user told
  // ("Can't Load File: path", and `reason` when there is one). Null.
  TKernoChild* DropChild(TKernoChild* child, const QString& path, const QString& reason = QString());
  void ChildActivated(QMdiSubWindow* window);
  void UpdateTitle();
  void FillWindowMenu();
  void RefreshAllAreas();
  void ConnectCommands();

  TMainActions FActions;
  QMdiArea* FMdi = nullptr;
  QLabel* FStatusLabel = nullptr;
  QTimer* FAutoSaveTimer = nullptr;
  TSingleInstance* FInstance = nullptr;
  std::unique_ptr<TPrinting> FPrinting;
  QList<QMenu*> FBlockMenus;
  QPointer<TKernoChild> FMenuChild;  // whose block menus are shown
  QStringList FStartArguments;
  bool FStarted = false;
  bool FTipsOffered = false;
};
