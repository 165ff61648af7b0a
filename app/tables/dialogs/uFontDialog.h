// The font dialog: edits a copy of an extended font, with a live preview drawn
// exactly as the text will stand on the page.
#pragma once

#include <QDialog>
#include <QWidget>

#include "uFontEx.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class TColorPanel;

// The preview: the sample text drawn with the font at the widget's resolution.
class TFontPreview : public QWidget {
 public:
  explicit TFontPreview(QWidget* parent = nullptr) : QWidget(parent) {}
  void SetFont(const TFontEx& font, const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TFontEx FFont;
  QString FText;
};

class TfFont : public QDialog {
  Q_OBJECT
 public:
  // `sample` is the text being edited; empty shows the word "Sample".
  TfFont(const TFontEx& font, const QString& sample, QWidget* parent = nullptr);
  const TFontEx& WorkFont() const { return FFont; }

 private:
  void FormShow();
  void ControlsChanged();
  void UpdatePreview();

  TFontEx FFont;
  QString FSample;
  bool FLoading = false;
  QComboBox* cbName;
  QLineEdit* sSize;
  QLineEdit* sAngle;
  QComboBox* cbCharset;
  QComboBox* cbAlign;
  QComboBox* cbVAlign;
  QCheckBox* cbBold;
  QCheckBox* cbItalic;
  QCheckBox* cbUnderline;
  QCheckBox* cbStrikeout;
  QCheckBox* cbTransparent;
  QCheckBox* cbWordBreak;
  TColorPanel* pColor;
  TColorPanel* pBkgColor;
  TFontPreview* pbPreview;
};

// Opens the dialog on a copy of `font`; on OK the copy is assigned back. True on OK.
bool EditFont(QWidget* parent, TFontEx* font, const QString& sample = QString());
