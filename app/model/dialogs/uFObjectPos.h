// The position dialog of a print object: Left, Top, Width and Height in mm.
#pragma once

#include <QDialog>

class QLineEdit;
class TPrintObject;

class TFObjectPos : public QDialog {
 public:
  explicit TFObjectPos(TPrintObject* object, QWidget* parent = nullptr);
  // The modal dialog; true when OK applied the values.
  static bool Execute(TPrintObject* object);

 private:
  void btnOKClick();

  TPrintObject* FObject;
  QLineEdit* FLeft;
  QLineEdit* FTop;
  QLineEdit* FWidth;
  QLineEdit* FHeight;
};
