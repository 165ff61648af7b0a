// The interval import dialog: which columns of a loaded table give each
// interval's From, To and values, whether rows are filtered or united, and a
// preview of the intervals that OK will yield.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>

#include "uIntervalImport.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableView;

// The preview's rows: a header row, then one row per interval.
class TIntervalPreviewModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;
  void SetData(TTableData&& data, const QStringList& valueNames);
  const TTableData& Data() const { return FData; }
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  TTableData FData;
  QStringList FNames;
  int FValues = 0;
};

class TFImportTable : public QDialog {
  Q_OBJECT
 public:
  TFImportTable(TIntervalImport* import, QWidget* parent = nullptr);
  // The registered editor: true on OK with the choices stored in *import.
  static bool Edit(TIntervalImport* import, QWidget* parent = nullptr);

  // Controls into the import, then the preview again.
  void Rebuild();
  // Loads another table through the open dialog.
  bool OpenOtherFile();

  QPushButton* btnOpen;
  QCheckBox* bID;
  QCheckBox* bFilter;
  QComboBox* iFilter;
  QComboBox* iFrom;
  QComboBox* iTo;
  QListWidget* iData;
  QCheckBox* bUnite;
  QComboBox* iUnite;
  QLineEdit* sDelimiter;
  QCheckBox* bUseEmpty;
  QTableView* tbOutput;
  QDialogButtonBox* btnBox;

 private:
  // The source's lists and defaults into the controls.
  void FillControls();
  void ColumnsToDefaults();
  void Store();

  TIntervalImport* FImport;
  TIntervalPreviewModel* FPreview;
  bool FFilling = false;
};

void RegisterIntervalImportDialog();
