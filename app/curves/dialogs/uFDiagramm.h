// The curve dialog: colour, line width and style, the value axis (linear or
// logarithmic, its measure, the values at its track's edges), saving these as
// the defaults of the curve's name, and the curve's children, each opened by
// a click.
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
  // (unreadable: the curve's own), style, axis, measure (unreadable: the
  // value shown at opening) or the values typed for the track's edges; the
  // defaults when asked; then the layout update and a repaint.
  void Apply();

  // The values at the track's edges (shown for a curve in a column only).
  QLineEdit* sRangeFrom = nullptr;
  QLineEdit* sRangeTo = nullptr;
  // The dialog registered for curve plots: true when OK was pressed.
  static bool Execute(TPrintObject* object);

 private:
  void FillChildren();
  void UpdateControls();
  void ChildClicked(int row);
  // The edges' values from the measure and axis kind shown and FLeft.
  void ShowRange();
  // After a change of the measure or the axis kind: edges typed before keep
  // their left value (FLeft moves), then ShowRange.
  void AxisEdited();
  // The measure (and FLeft) from the edges' values typed.
  void RangeEdited();
  // The typed edges, when they are numbers the axis can show, with the
  // measure and zero they lay.
  bool ReadRange(double* from, double* to, double* measure = nullptr, double* left = nullptr) const;

  TPrintDiagrammBase* FCurve;
  QString FShownMeasure;
  // The track's edges on the page, and the axis's zero the dialog shows.
  double FX0 = 0;
  double FX1 = 0;
  double FLeft = 0;
  // The user typed the edges' values last (OK lays the axis by them), and
  // typed them at all (a measure typed afterwards keeps the left value).
  bool FRangeTyped = false;
  bool FEdgesTyped = false;
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
