// The structure dialog (the document's properties): the whole object tree
// with kind icons; the chosen object's caption, geometry and kind; its
// properties, adding into it and deleting it.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TPrintDocument;
class TPrintObject;

class TfStructure : public QDialog {
 public:
  explicit TfStructure(TPrintDocument* document, QWidget* parent = nullptr);
  static bool Execute(TPrintObject* object);
  bool ChangedDocument() const { return FChanged; }
  // The object of a tree node.
  static TPrintObject* ObjectOf(const QTreeWidgetItem* item);

 private:
  // The tree built afresh from the document, with `select` chosen when it is still there.
  void FillTree(const TPrintObject* select);
  void AddNode(QTreeWidgetItem* parent, TPrintObject* object, const TPrintObject* select);
  void UpdateSelection();
  TPrintObject* Current() const;
  void btnPropertiesClick();
  void btnAddClick();
  void btnDeleteClick();

  TPrintDocument* FDocument;
  bool FChanged = false;
  QTreeWidget* tvObjects;
  QLabel* lCaption;
  QLabel* lGeometry;
  QLabel* lKind;
  QPushButton* btnProperties;
  QPushButton* btnAdd;
  QPushButton* btnDelete;
};

// "XxY=<left>x<top>  WxH=<width>x<height>", as the dialog shows an object's place.
QString GeometryText(TPrintObject* object);
