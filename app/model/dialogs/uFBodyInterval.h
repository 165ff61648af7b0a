// The depth interval of a body: its start depth and the depth its sheet
// reaches at least. Applies both to the body on OK.
#pragma once

#include <QDialog>

class QLineEdit;
class TPassportBody;
class TPrintObject;

class TFBodyInterval : public QDialog {
 public:
  explicit TFBodyInterval(TPassportBody* body, QWidget* parent = nullptr);
  static bool Execute(TPrintObject* object);

 private:
  void btnOKClick();

  TPassportBody* FBody;
  QLineEdit* sFrom;
  QLineEdit* sTo;
};
