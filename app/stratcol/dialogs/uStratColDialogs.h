// The lithology column's smaller dialogs: a new layer by its depths
// (TFAddLCE), the column's top boundary line (TFLCTopLine) and the export
// choices (TfLCExport); and the registration of every dialog of the column.
#pragma once

#include <QDialog>

#include "uBoundaryLine.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class TColorPanel;
class TLineStyleCombo;
class TLineWidthCombo;
class TPrintStratCol;
struct TLayerExportChoice;

class TFAddLCE : public QDialog {
 public:
  TFAddLCE(double from, double to, QWidget* parent = nullptr);
  // A text that does not parse counts as -1.
  double From() const;
  double To() const;
  QLineEdit* edFrom;
  QLineEdit* edTo;
  QPushButton* btnOK;

 private:
  void UpdateOk();
};

class TFLCTopLine : public QDialog {
 public:
  TFLCTopLine(const TBoundaryLine& line, QWidget* parent = nullptr);
  TBoundaryLine Line() const;
  bool ApplyForAll() const;
  TLineStyleCombo* cbStyle;
  TLineWidthCombo* cbWidth;
  TColorPanel* pColor;
  QCheckBox* bApplyForAll;
};

class TfLCExport : public QDialog {
 public:
  TfLCExport(TLayerExportChoice* choice, QWidget* parent = nullptr);
  // Takes the texts into the choice; a filter typed into the field is loaded
  // here (browsing loads at once), and one that cannot be read keeps the dialog open.
  void done(int result) override;
  QComboBox* cbHole;
  QLineEdit* edFilter;
  QPushButton* btnBrowse;

 private:
  void Browse();
  TLayerExportChoice* FChoice;
};

// Adds the layer of the new-layer dialog: true on OK.
bool RunAddLayerDialog(TPrintStratCol* column, QWidget* parent = nullptr);
// The top boundary command: true on OK.
bool RunTopLineDialog(TPrintStratCol* column, QWidget* parent = nullptr);

// The column's dialogs ("TPrintStratCol", ".AddLayer", ".TopBoundary"), the
// layer's ("TStratColEntry"), the export dialog and the export log's viewer.
void RegisterStratColDialogs();
