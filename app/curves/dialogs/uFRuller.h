// The ruler dialog: step, mark size, modulus, side and label font of one
// ruler of a depth scale, edited on copies and written back on OK.
#pragma once

#include <QDialog>

#include "uFontEx.h"
#include "uRuller.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

class TFRuller : public QDialog {
 public:
  explicit TFRuller(const TRuller& ruller, QWidget* parent = nullptr);

  // Writes the edits into `ruller` (what OK does): Step and Modulus through
  // their setters, unreadable numbers keeping the current values.
  void Apply(TRuller* ruller) const;
  // Runs the dialog modally with its top-left corner at `at` (global
  // coordinates; a null point leaves the placement to the window system);
  // true when OK wrote the edits into `ruller`.
  static bool Edit(TRuller* ruller, QWidget* parent, const QPoint& at = QPoint());

  // The label font being edited (the default label font for a ruler without one).
  TFontEx& WorkFont() { return FFont; }

 private:
  void UpdateControls();
  void btnFontClick();

  TFontEx FFont;
  QLineEdit* sStep;
  QLineEdit* sMarkSize;
  QLineEdit* sModulus;
  QCheckBox* bAlignRight;
  QCheckBox* bFont;
  QPushButton* btnFont;
  QPushButton* btnOK;
};
