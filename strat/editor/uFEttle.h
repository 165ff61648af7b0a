// The properties of one sign: its name, its caption in the pack's language
// and its placement templates, each with a live preview of the blocks it lays
// out. The dialog works on a copy; OK copies it back into the sign.
#pragma once

#include <QDialog>
#include <array>

#include "strat.h"
#include "uComPtr.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabBar;

namespace stratedit {

class TSignPreview;

// One millimetre value shown as text and as a slider in steps of 0.2 mm.
class TMillimetreEdit : public QObject {
  Q_OBJECT
 public:
  TMillimetreEdit(QLineEdit* text, QSlider* slider, QObject* parent);
  double Value() const { return FValue; }
  // Shows `value` without reporting a change.
  void SetValue(double value);
  // The slider position of a value: round(value * 5), ties to even.
  static int SliderPosition(double value);

 signals:
  void Changed();

 private:
  void TextEdited(const QString& text);
  void SliderMoved(int position);
  void PlaceSlider(int position);

  QLineEdit* FText;
  QSlider* FSlider;
  double FValue = 0;
};

class TFEttle : public QDialog {
  Q_OBJECT
 public:
  // Edits `sign` (which must stay alive while the dialog is open).
  explicit TFEttle(IStratSign* sign, QWidget* parent = nullptr);

  void accept() override;

  // The copy being edited (its templates change with every edit).
  IStratSign* Copy() const { return FCopy.Get(); }
  int TemplateCount() const;
  int CurrentTemplate() const;

 private:
  void FillTabs(int select);
  void ShowTemplate(int index);
  void TemplateButtonClick();
  // Writes the shown values into the current template of the copy.
  void RebuildTemplate();
  void UpdateOk();

  IStratSign* FSign;
  TComPtr<IStratSign> FCopy;
  QLineEdit* FName;
  QLineEdit* FCaption;
  QTabBar* FTabs;
  QPushButton* FTemplateButton;
  // Position X, Position Y, Space X, Space Y.
  std::array<TMillimetreEdit*, 4> FValues{};
  QCheckBox* FFill;
  TSignPreview* FPreview;
  QPushButton* FOk;
  bool FLoading = false;
};

}  // namespace stratedit
