// The children dialog of a list: the list's position and its children, which
// can be deleted, reordered and edited. Deletions and the new order take
// effect only on OK; property edits of a child apply at once.
#pragma once

#include <QDialog>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;
class TPrintObject;
class TPrintObjectList;

class TFObjectList : public QDialog {
 public:
  explicit TFObjectList(TPrintObjectList* list, QWidget* parent = nullptr);
  static bool Execute(TPrintObject* object);

 private:
  void FillList(int selected);
  void UpdateButtons();
  void btnDeleteClick();
  void btnUpClick();
  void btnDownClick();
  void btnPropertiesClick();
  void btnOKClick();

  TPrintObjectList* FList;
  std::vector<TPrintObject*> FEntries;  // the lines, in list box order
  QLineEdit* sX;
  QLineEdit* sY;
  QLineEdit* sWidth;
  QLineEdit* sHeight;
  QListWidget* lList;
  QPushButton* btnAdd;
  QPushButton* btnDelete;
  QPushButton* btnUp;
  QPushButton* btnDown;
  QPushButton* btnProperties;
};
