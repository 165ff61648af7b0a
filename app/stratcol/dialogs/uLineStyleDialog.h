// Line style editing: a style list drawn as sample lines, the width list of
// boundary lines and the line style dialog built from them (with a colour panel).
#pragma once

#include <QComboBox>
#include <QDialog>

#include "uBoundaryLine.h"

class TColorPanel;

// The five pen styles 0-4, each row showing its sample line; an out-of-range style shows 0.
class TLineStyleCombo : public QComboBox {
 public:
  explicit TLineStyleCombo(QWidget* parent = nullptr);
  int Style() const { return currentIndex() < 0 ? 0 : currentIndex(); }
  void SetStyle(int style) { setCurrentIndex(style >= 0 && style <= 4 ? style : 0); }
};

// "(Thread)" = one device pixel (-1), "(None)" = no line (0), then 0.2 .. 2 mm in
// steps of 0.2. A stored width not in the list gets an entry of its own so that
// OK without a change keeps it.
class TLineWidthCombo : public QComboBox {
 public:
  explicit TLineWidthCombo(QWidget* parent = nullptr);
  double Width() const;
  void SetWidth(double width);
};

class TfLineStyle : public QDialog {
 public:
  TfLineStyle(const TBoundaryLine& line, QWidget* parent = nullptr);
  TBoundaryLine Line() const;

 private:
  TLineStyleCombo* cbStyle;
  TLineWidthCombo* cbWidth;
  TColorPanel* pColor;
};

// Opens the dialog on a copy of `line`; on OK the line is replaced. True on OK.
bool EditLineStyle(QWidget* parent, TBoundaryLine* line);
