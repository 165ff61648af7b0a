// The add-curve dialog: one column of a table as a new curve of a curve
// column, or every curve of a LAS file.
#pragma once

#include <QDialog>
#include <memory>

#include "uAddCurve.h"
#include "uLasCurves.h"
#include "uStringTable.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QLineEdit;
class QListWidget;
class TColorPanel;
class TPrintDiagrams;
class TPrintObject;

class TFAddDiagramm : public QDialog {
 public:
  // A table to take one column from.
  TFAddDiagramm(TPrintDiagrams* column, std::unique_ptr<TStringTable> table, QWidget* parent = nullptr);
  // Every curve of a LAS file.
  TFAddDiagramm(TPrintDiagrams* column, TLasData las, const QString& fileName, QWidget* parent = nullptr);

  const TAddCurveChoice& Choice() const { return FChoice; }
  bool LasMode() const { return FLas != nullptr; }
  // Adds what the dialog shows; false when nothing was added.
  bool Apply();
  // Asks for a file, opens the dialog on it; true when curves were added.
  static bool Execute(TPrintObject* object);

 private:
  void BuildCommon();
  void ColumnChosen(int column);
  void NameChanged(const QString& name);
  void UpdateOk();

  TPrintDiagrams* FColumn;
  std::unique_ptr<TStringTable> FTable;
  std::unique_ptr<TLasData> FLas;
  TAddCurveChoice FChoice;
  bool FFilling = false;
  QListWidget* iColList = nullptr;
  QLineEdit* sName = nullptr;
  QLineEdit* sStepDepth = nullptr;
  QLineEdit* sMeasurement = nullptr;
  TColorPanel* clColor = nullptr;
  QCheckBox* bInterpolate = nullptr;
  QLabel* lResample = nullptr;
  QPushButton* FOk = nullptr;
};
