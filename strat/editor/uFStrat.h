// TFStrat: the editor of sign databases. It opens or creates a database file
// (or works on a database lent by a lithology column), adds signs from
// pictures, renames, reorders and deletes them, edits their templates and the
// database's options, and saves the file. Whoever opened it hears of every
// refresh of the sign list (code 0) and of its closing (code 1).
#pragma once

#include <QListWidget>
#include <QMainWindow>
#include <map>

#include "strat.h"
#include "uComPtr.h"
#include "uFOptions.h"

class QAction;
class QLabel;

namespace stratedit {

// The sign list: dropping one entry onto another asks to exchange the two.
class TSignList : public QListWidget {
  Q_OBJECT
 public:
  explicit TSignList(QWidget* parent);
  // Fixed places for the entries, dragging one onto another allowed.
  void SetStatic();

 signals:
  void ExchangeRequested(int from, int to);
  void OpenRequested();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

class TFStrat : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFStrat(QWidget* parent = nullptr);
  ~TFStrat() override;

  // Works on `database` from now on. Borrowed: the caller's database, edited
  // in place, never replaced and never offered for saving on close.
  void SetDataBase(IStratDataBase* database, bool borrowed);
  IStratDataBase* DataBase() const { return FDataBase.Get(); }
  bool Borrowed() const { return FBorrowed; }
  // Changed since it was opened, created or saved.
  bool Modified() const { return FModified; }

  void SetNotify(TStratNotifyProc notify, void* data);
  void* NotifyData() const { return FNotifyData; }
  // Forgets the notify procedure: its receiver is going away.
  void DetachNotify();

  // Loads `path` into the database (one is created when there is none); a
  // failure is shown and leaves the database as it was.
  HRESULT LoadFile(const QString& path);

  TSignList* List() const { return FList; }
  QAction* Action(const QString& name) const;
  TEditorOptions Options() const { return FOptions; }
  void SetOptions(const TEditorOptions& options);

  // The commands, as the menus run them.
  void FileCreate();
  void FileOpen();
  bool FileSave();
  bool FileSaveAs();
  void FileProperties();
  void EditAdd();
  void EditDelete();
  void EditProperties();
  void EditOpenImage();
  void EditSaveImage();
  void EditMove(int step);
  void ServiceOptions();
  void ServiceSaveList();
  void HelpContents();
  // 0 large icons, 1 small icons, 2 list.
  void SetViewStyle(int style);

  // Asks whether to save an own changed database: true to go on.
  bool CloseQuery();
  // Rebuilds the list from the database and tells the opener (code 0).
  void RefreshList();
  // The selected sign's index, or -1.
  int SelectedSign() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QAction* AddAction(const QString& name, const QString& caption, const QString& hint, void (TFStrat::*command)());
  void BuildMenus();
  void RebuildIcons();
  void UpdateActions();
  void UpdateStatus();
  void MarkChanged();
  bool Save(const QString& name);
  void ListItemChanged(QListWidgetItem* item);
  void ExchangeSigns(int from, int to);
  void Report(HRESULT hr, const QString& path);
  TComPtr<IStratSign> Sign(int index) const;

  TComPtr<IStratDataBase> FDataBase;
  bool FBorrowed = false;
  bool FModified = false;
  bool FRefreshing = false;
  TStratNotifyProc FNotify = nullptr;
  void* FNotifyData = nullptr;
  TSignList* FList;
  QLabel* FStatus;
  TFOptions* FOptionsDialog;
  TEditorOptions FOptions;
  int FViewStyle = 0;
  std::map<QString, QAction*> FActions;
};

}  // namespace stratedit
