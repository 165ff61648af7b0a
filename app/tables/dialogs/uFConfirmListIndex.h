// A list of names of which the user confirms one: the sheet chooser of
// spreadsheet imports and the table chooser of database imports.
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QDialogButtonBox;

class TFConfirmListIndex : public QDialog {
  Q_OBJECT

 public:
  TFConfirmListIndex(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

  // The chosen index, or -1 when cancelled or nothing was selected.
  static int Choose(const QString& caption, const QStringList& items, QWidget* parent = nullptr);
  int ItemIndex() const;

 private:
  void lListDblClick();

  QListWidget* lList;
  QDialogButtonBox* btnBox;
};

// Installs the table dialogs for the model: the sheet/table chooser, the
// column import dialog and the values editor. Called once by the program at
// start-up.
// The table dialogs: sheet chooser, column import, named values, font,
// interval import, the table and depth table editors, the description
// column's dialogs.
void RegisterTableDialogs();
