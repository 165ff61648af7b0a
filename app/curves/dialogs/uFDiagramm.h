// The curve dialog: colour, line width and style, the value axis (linear or
// logarithmic, its measure), saving these as the defaults of the curve's
// name, and the curve's children, each opened by a click.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TColorPanel;
class TLineStyleCombo;
class TPrintDiagrammBase;
class TPrintObject;

class TfDiagramm : public QDialog {
 public:
  explicit TfDiagramm(TPrintDiagrammBase* curve, QWidget* parent = nullptr);

  // Writes the edits into the curve (what OK does): colour, line width
  // (unreadable: 0), style, axis, measure (unreadable: the value shown at
  // opening); the defaults when asked; then the layout update and a repaint.
  void Apply();
  // The dialog registered for curve plots: true when OK was pressed.
  static bool Execute(TPrintObject* object);

 private:
  void FillChildren();
  void UpdateControls();
  void ChildClicked(int row);

  TPrintDiagrammBase* FCurve;
  QString FShownMeasure;
  TColorPanel* cColor;
  QLineEdit* sLineWidth;
  TLineStyleCombo* iLineStyle;
  QLabel* lMeasurement;
  QLineEdit* sMeasurement;
  QCheckBox* bLogariphmic;
  QCheckBox* bSaveAsDefault;
  QListWidget* ChildList;
  QPushButton* btnOK;
};

// Registers the dialogs of curve plots, scale headers, markers and object
// rulers with the properties-dialog registry.
void RegisterCurvePlotDialogs();
