// The colour line's dialogs: the list of categories (each line a square of
// its colour and its name) with add, delete and reordering, and the dialog
// of one category. Both work on copies and write back only on OK.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "uPrintColorLine.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class TColorPanel;

class TFColorLineCategory : public QDialog {
 public:
  explicit TFColorLineCategory(TColorCategory* category, QWidget* parent = nullptr);

  // OK is enabled while the name is not empty and To is above From.
  bool CanAccept() const;
  // Loads the working copy of the table through the table's open dialog; a
  // failure (not a cancel) is shown as "CantLoadFile".
  void LoadTable();
  // Writes the fields and the working table into the category and rebuilds its bars.
  void Apply();
  static bool Execute(TColorCategory* category, QWidget* parent = nullptr);

 private:
  void UpdateControls();

  TColorCategory* FCategory;
  TStringTable FTable;
  QLineEdit* sName;
  QComboBox* iStyle;
  TColorPanel* clColor;
  QGroupBox* gRange;
  QLineEdit* sMin;
  QLineEdit* sMax;
  QGroupBox* gSize;
  QLineEdit* sLeft;
  QLineEdit* sRight;
  QCheckBox* bGlue;
  QPushButton* btnLoad;
  QPushButton* FOk = nullptr;
};

class TFColorLine : public QDialog {
 public:
  explicit TFColorLine(TPrintColorLine* line, QWidget* parent = nullptr);

  const TPrintColorLine::TCategories& Working() const { return FWorking; }
  // The list's buttons, as clicked (Add opens the category dialog).
  void AddCategory();
  void DeleteCategory();
  void MoveCategory(int step);
  void EditCategory();
  // OK: the colour line's categories become the listed ones.
  void Apply();
  static bool Execute(TPrintObject* object);

 private:
  void Refill(int current);
  void UpdateButtons();

  TPrintColorLine* FLine;
  TPrintColorLine::TCategories FWorking;
  QListWidget* lCategoryList;
  QPushButton* btnCategoryAdd;
  QPushButton* btnCategoryDelete;
  QPushButton* btnCategoryUp;
  QPushButton* btnCategoryDown;
};
