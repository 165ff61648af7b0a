// The curve column dialog: its children with their positions, and the four
// grid line sets.
#pragma once

#include <QDialog>

#include "uPrintDiagrams.h"

class QComboBox;
class QListWidget;
class QSlider;
class QSpinBox;
class QTabBar;
class TColorPanel;
class TLineStyleCombo;

class TFDiagrams : public QDialog {
 public:
  explicit TFDiagrams(TPrintDiagrams* column, QWidget* parent = nullptr);
  // Stores the shown tab and copies the four sets into the column.
  void Apply();
  static bool Execute(TPrintObject* object);

 private:
  void FillList();
  void SelectChild(int row);
  void MoveChild(int left);
  void ShowSet(int tab);
  void StoreSet(int tab);
  void UpdateEnabled();

  TPrintDiagrams* FColumn;
  TGridLines FSets[4];  // HorzLines1, HorzLines2, VertLines1, VertLines2: the tabs' order
  int FTab = 0;
  bool FShowing = false;
  QListWidget* lList;
  QSpinBox* iCurvePos;
  QSlider* tbCurvePos;
  QTabBar* tabGrid;
  QComboBox* cbStep;
  TLineStyleCombo* cbStyle;
  TColorPanel* cbColor;
  QComboBox* cbWidth;
};

// Registers the column dialog ("TPrintDiagrams") and the add-curve dialog.
void RegisterCurveColumnDialogs();
