// Page setup without a printer: the paper, orientation and margins of the PDF
// files the program prints to ("PRINT" settings). Qt's page setup dialog
// serves only real printers.
#pragma once

#include <QDialog>
#include <QPageLayout>

class QComboBox;
class QLineEdit;

class TFPdfPageSetup : public QDialog {
 public:
  explicit TFPdfPageSetup(QWidget* parent = nullptr);

  // The layout chosen; margins that cannot be read give false.
  bool ChosenLayout(QPageLayout* layout) const;
  // OK: a readable layout is kept in the settings, else the user is told.
  void accept() override;

  QComboBox* cbPaper;
  QComboBox* cbOrientation;
  QLineEdit* eMargins;
};
