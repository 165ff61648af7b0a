// The extra blocks dialog: the document's spare blocks, edited on a copy
// that replaces the store only on OK.
#pragma once

#include <QDialog>
#include <memory>

class QListWidget;
class QPushButton;
class TExtraBlocks;
class TPrintObject;

class TFExtraBlocks : public QDialog {
 public:
  explicit TFExtraBlocks(TExtraBlocks* blocks, QWidget* parent = nullptr);
  ~TFExtraBlocks() override;
  static bool Execute(TPrintObject* object);
  // The copy being edited.
  TExtraBlocks* Copy() const { return FCopy.get(); }

 private:
  void FillList(int selected);
  void UpdateButtons();
  TPrintObject* Current() const;
  void AddBlock(int kind);
  void btnDeleteClick();
  void btnRenameClick();
  void btnPropertiesClick();
  void btnLoadClick();
  void btnSaveClick();
  void btnOKClick();

  TExtraBlocks* FBlocks;
  std::unique_ptr<TExtraBlocks> FCopy;
  QListWidget* lBlocks;
  QPushButton* btnAddHead;
  QPushButton* btnAddData;
  QPushButton* btnDelete;
  QPushButton* btnRename;
  QPushButton* btnProperties;
  QPushButton* btnLoad;
  QPushButton* btnSave;
};
