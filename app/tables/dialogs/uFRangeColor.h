// The colour-range dialog of the depth table editor: rows whose value in one
// column lies between From and To get a colour.
#pragma once

#include <QDialog>
#include <cstdint>

class QDialogButtonBox;
class QLineEdit;
class TColorPanel;

struct TRangeColor {
  int Column = 0;
  uint32_t Color = 0;
  double From = 0;
  double To = 0;
};

class TFRangeColor : public QDialog {
  Q_OBJECT
 public:
  TFRangeColor(const TRangeColor& initial, QWidget* parent = nullptr);
  // OK is possible only while both fields hold numbers.
  void UpdateOk();
  TRangeColor Result() const;
  // Runs the dialog; true with *range filled on OK.
  static bool Choose(TRangeColor* range, QWidget* parent = nullptr);

  QLineEdit* sFrom;
  QLineEdit* sTo;
  TColorPanel* pColor;
  QDialogButtonBox* btnBox;

 private:
  int FColumn;
};
