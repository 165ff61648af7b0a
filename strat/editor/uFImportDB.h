// The import of a rock-code list: which column holds the codes, which the
// pattern pictures (and, when wanted, captions), whether the first row names
// the columns, and the folder where the pictures lie. The dialog only
// chooses; the import itself is ImportRockCodeList.
#pragma once

#include <QDialog>

#include "strat.h"
#include "uRockCodeImport.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTableWidget;

namespace stratedit {

class TFImportDB : public QDialog {
  Q_OBJECT
 public:
  TFImportDB(const TRockCodeTable& table, const TRockCodeChoice& guess, QWidget* parent = nullptr);
  TRockCodeChoice Choice() const;

 private:
  void BrowseFolder();

  QTableWidget* FPreview;
  QComboBox* FCode;
  QComboBox* FPattern;
  QComboBox* FCaption;
  QCheckBox* FHeader;
  QLineEdit* FFolder;
};

// Loads a rock-code list into `database`: the file is read, the dialog shown
// (with a widget application; otherwise the guessed choice is taken), the
// signs built and the outcome reported. The database's signs are replaced
// only when at least one sign was built; its file name becomes empty, so that
// saving asks for a name and never writes over the list. S_OK, S_FALSE when
// the user cancelled, or a failure code (the database unchanged).
HRESULT ImportRockCodeList(const QString& path, IStratDataBase* database);

}  // namespace stratedit
