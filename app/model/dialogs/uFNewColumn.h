// The new-column dialog of a body: name, left side and right side of a
// column about to be inserted. Applies them to the column on OK.
#pragma once

#include <QDialog>

class QLineEdit;
class TPrintObject;

class TFNewColumn : public QDialog {
 public:
  explicit TFNewColumn(TPrintObject* column, QWidget* parent = nullptr);
  static bool Execute(TPrintObject* column);

 private:
  void btnOKClick();

  TPrintObject* FColumn;
  QLineEdit* sName;
  QLineEdit* sLeft;
  QLineEdit* sRight;
};
