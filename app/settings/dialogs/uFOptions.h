// The options dialog: shows the current preferences and stores them on OK.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class TSettings;

class TFOptions : public QDialog {
  Q_OBJECT

 public:
  explicit TFOptions(TSettings& settings, QWidget* parent = nullptr);

  // Shows the dialog for the program's settings; true when OK stored the values.
  static bool Execute(QWidget* parent);

  // Applies the enabling rules of the dependent controls (called on each toggle).
  void UpdateEnabling();

 private:
  void FormShow();
  void btnOKClick();

  TSettings& FSettings;
  QComboBox* cbLanguage;
  QCheckBox* chAutoSave;
  QSpinBox* seInterval;
  QLabel* lInterval;
  QLabel* lMinutes;
  QLineEdit* eUndoSteps;
  QCheckBox* chQuickMode;
  QComboBox* cbSnap;
  QCheckBox* chShowIcons;
  QCheckBox* chAlphaSort;
  QLabel* lIconSize;
  QSpinBox* seIconSize;
  QCheckBox* chShowLCError;
  QLineEdit* eAmendmentX;
  QLineEdit* eAmendmentY;
  QComboBox* cbWheel;
  QComboBox* cbWheelCtrl;
  QComboBox* cbWheelShift;
  QLineEdit* ePageOverlay;
  QLineEdit* eLineWidth;
  QLineEdit* eShiftX;
  QLineEdit* eShiftY;
  QLineEdit* ePdfMargins;
  QCheckBox* chOldVersion;
  QDialogButtonBox* FButtons;
};
