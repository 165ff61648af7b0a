// The text object's properties dialog: the text in a memo, the border flag,
// the box position and size, and the font; all edited on copies.
#pragma once

#include <QDialog>

#include "uFontEx.h"
#include "uPrintObject.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class TPrintText;

class TfPrintText : public QDialog {
 public:
  TfPrintText(TPrintText* text, QWidget* parent = nullptr);
  // Writes the edits back into the object (what OK does).
  void Apply();
  static bool Execute(TPrintObject* object);

  QPlainTextEdit* Memo() const { return mText; }
  QCheckBox* BorderBox() const { return cbBorder; }
  TFontEx& WorkFont() { return FFont; }
  TBoundsRect& WorkBounds() { return FBounds; }

 private:
  void btnBlockSizeClick();
  void btnFontClick();
  void UpdateWrap();

  TPrintText* FText;
  TFontEx FFont;
  TBoundsRect FBounds;
  QPlainTextEdit* mText;
  QCheckBox* cbBorder;
  QPushButton* btnFont;
};

// Registers the text object's dialog for EditProperties.
void RegisterTextDialogs();
