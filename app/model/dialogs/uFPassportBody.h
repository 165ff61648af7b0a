// The body properties dialog: the body's columns with their kind icons and
// extents; name, left and right side of the chosen column (applied after a
// question when the choice moves on or the dialog closes); adding, deleting
// and editing columns; the body's scale and depth interval. Column and
// interval edits take effect at once, the scale on closing.
#pragma once

#include <QDialog>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TPassportBody;
class TPrintObject;

class TFPassportBody : public QDialog {
 public:
  explicit TFPassportBody(TPassportBody* body, QWidget* parent = nullptr);
  static bool Execute(TPrintObject* object);
  // Whether anything of the body changed while the dialog was open.
  bool ChangedBody() const { return FChanged; }
  void done(int result) override;

 private:
  void FillList(const TPrintObject* select);
  QString LineText(TPrintObject* column) const;
  void ShowColumn(int row);
  // The fields differ from the column they show: asks, applies on Yes.
  void ApplyPending();
  void lColumnsRowChanged(int row);
  void btnAddClick();
  void btnDeleteClick();
  void btnScaleClick();
  void btnIntervalClick();
  QString IntervalText() const;
  void lColumnsDblClick();
  TPrintObject* Current() const;

  TPassportBody* FBody;
  std::vector<TPrintObject*> FColumns;  // the lines, in list order
  int FShown = -1;                      // the line whose values the fields hold
  uint16_t FScale = 0;                  // the scale chosen, 0 for none
  bool FChanged = false;
  bool FClosing = false;
  QListWidget* lColumns;
  QLineEdit* sName;
  QLineEdit* sLeft;
  QLineEdit* sRight;
  QLabel* lScale;
  QLabel* lInterval;
  QPushButton* btnAdd;
  QPushButton* btnDelete;
  QPushButton* btnScale;
  QPushButton* btnInterval;
};
