// The tips dialog: one tip at a time, the next one on request, and the
// switch that shows the tips at start-up. The index of the next tip is kept
// in the settings, so each start shows a new one.
#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;

// The tips in the language of the pack.
QStringList TipTexts();

class TFTips : public QDialog {
  Q_OBJECT

 public:
  explicit TFTips(QWidget* parent = nullptr);
  // Shows the tips; the start-up switch is stored when the dialog closes.
  static void Execute(QWidget* parent);

  int TipIndex() const { return FIndex; }
  void ShowNext();

 private:
  void ShowTip();
  void Store();

  QStringList FTips;
  int FIndex = 0;
  QLabel* lTip;
  QCheckBox* chStartUp;
};
