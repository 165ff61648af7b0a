// The lithology column's dialog (TfLC): a grid of the layers (depths and sign
// names, with each sign's picture beside its name while "LDB.ICON" is on)
// edited live in the column, with rows and sign columns inserted and deleted,
// tables loaded and saved, and sign names found and replaced (TFReplaceSign).
// Cancel puts the column back as it was.
#pragma once

#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class TPrintStratCol;
class TStratColEntry;
class TSignPixmapCache;
struct TLayerRow;

class TfLC : public QDialog {
 public:
  TfLC(TPrintStratCol* column, QWidget* parent = nullptr);
  ~TfLC() override;
  void accept() override;
  void reject() override;

  // The grid again from the layers.
  void UpdateTable();
  // The grid actions (the current cell is the grid's).
  void InsertRow();
  void DeleteRow();
  void InsertColumn();
  void DeleteColumn();
  void LoadTable();
  void SaveTable();
  void ReplaceSigns();
  // Replaces every sign cell equal to `from` (exactly) by `to`; the count.
  int ReplaceSign(const QString& from, const QString& to);
  // The sign names in the grid: names the database lacks first.
  QStringList DistinctSigns() const;
  TPrintStratCol* Column() const { return FColumn; }

  QTableWidget* Grid;
  QPushButton* btnFloating;
  QCheckBox* cbPreview;

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void WriteRow(int row);
  TLayerRow RowOf(int row) const;
  // The sign's picture and, for a name the database lacks, red text.
  void ShowSign(QTableWidgetItem* item);
  void ShowSigns();

  TPrintStratCol* FColumn;
  std::unique_ptr<TPrintStratCol> FSaved;
  std::unique_ptr<TSignPixmapCache> FPictures;  // null while "LDB.ICON" is off
  int FWatch = 0;
  bool FFilling = false;
  // The empty layer an empty column gets to type into, and its depths.
  TStratColEntry* FPlaceholder = nullptr;
  double FPlaceholderTop = 0, FPlaceholderBottom = 0;
};

class TFReplaceSign : public QDialog {
 public:
  TFReplaceSign(TfLC* owner);
  QComboBox* cbReplace;
  QComboBox* cbReplaceTo;
  QPushButton* btnReplace;

 private:
  TfLC* FOwner;
};

bool RunStratColDialog(TPrintStratCol* column, QWidget* parent = nullptr);
