// The scale header dialog: unit text and font, position and size, which
// marks are drawn, their step and length, whether the curve's name precedes
// the unit, and the base line under the marks.
#pragma once

#include <QDialog>

#include "uFontEx.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class TPrintDiagrammScale;
class TPrintObject;

class TFDiagrammScale : public QDialog {
 public:
  explicit TFDiagrammScale(TPrintDiagrammScale* scale, QWidget* parent = nullptr);

  // Writes the edits into the scale (what OK does): unreadable position and
  // sizes keep the current values, an unreadable step gives 20, an unreadable
  // mark size the one shown at opening, an empty or unreadable mark index
  // unsets it; then the layout update and a repaint.
  void Apply();
  static bool Execute(TPrintObject* object);

  TFontEx& WorkFont() { return FFont; }

 private:
  void btnFontClick();

  TPrintDiagrammScale* FScale;
  TFontEx FFont;
  int FShownMarkSize;
  QLineEdit* sMeasureName;
  QPushButton* btnFont;
  QLineEdit* sPosition;
  QLineEdit* sWidth;
  QLineEdit* sHeight;
  QLineEdit* sMarkIndex1;
  QLineEdit* sMarkIndex2;
  QComboBox* sMarkStep;
  QLineEdit* sMarkSize;
  QCheckBox* bShowName;
  QCheckBox* bBorder;
};
