// The column import dialog: for each parameter of the caller a column of the
// imported table (or "Do not use" for optional ones), the first row to read
// and the "Create empty blocks" switch.
#pragma once

#include <QDialog>
#include <vector>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QSpinBox;
class TColumnImport;

class TfImport : public QDialog {
  Q_OBJECT

 public:
  TfImport(TColumnImport* import, QWidget* parent = nullptr);

  // Shows the dialog on an imported table; true when OK stored the choices.
  static bool Edit(TColumnImport* import, QWidget* parent = nullptr);

  // Writes the controls into the import (what OK does).
  void Store();
  // OK is enabled only while every parameter has a column or "Do not use".
  void UpdateOk();

  std::vector<QComboBox*> cbColumns;
  QSpinBox* seStart;
  QCheckBox* chEmptyBlocks;
  QDialogButtonBox* btnBox;

 private:
  TColumnImport* FImport;
};
