// The text object's properties dialog: the text in a memo, the border flag,
// the box position and size, and the font; all edited on copies. A text of a
// description column also shows the depths of the interval it describes.
#pragma once

#include <QDialog>

#include "uFontEx.h"
#include "uPrintObject.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TPrintDesc;
class TPrintText;

class TfPrintText : public QDialog {
 public:
  TfPrintText(TPrintText* text, QWidget* parent = nullptr);
  // Writes the edits back into the object (what OK does).
  void Apply();
  // OK: a description text's interval checked (depths that are numbers, the
  // bottom below the top), reported when it is not, then applied.
  bool Accept();
  static bool Execute(TPrintObject* object);

  QPlainTextEdit* Memo() const { return mText; }
  QCheckBox* BorderBox() const { return cbBorder; }
  // The interval's depths of a description's text; null for other texts.
  QLineEdit* FromField() const { return sFrom; }
  QLineEdit* ToField() const { return sTo; }
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
  // Only for a text of a description column (null otherwise).
  TPrintDesc* FDesc = nullptr;
  QLineEdit* sFrom = nullptr;
  QLineEdit* sTo = nullptr;
  QString FShownFrom, FShownTo;
};

// Registers the text object's dialog for EditProperties.
void RegisterTextDialogs();
