// The status line dialog: the fill and point conditions, the left edge, the
// width and the distance between the dots.
#pragma once

#include <QDialog>

class QLineEdit;
class TPrintObject;
class TStatusDDLine;

class TFStatusDDLine : public QDialog {
 public:
  explicit TFStatusDDLine(TStatusDDLine* line, QWidget* parent = nullptr);

  // What OK does: the conditions as typed, the numbers read leniently
  // (unreadable ones keep the current values), then the parent rebuilds.
  void Apply();
  static bool Execute(TPrintObject* object);

 private:
  TStatusDDLine* FLine;
  QLineEdit* sICFill;
  QLineEdit* sICPoint;
  QLineEdit* sLeft;
  QLineEdit* sWidth;
  QLineEdit* sPointInterval;
};
