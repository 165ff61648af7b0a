// The rulers dialog of a depth scale: its list of rulers, position, width and
// border, and the named profiles of "preferences.ini" to fill the list from
// or save it to. Works on copies; OK writes them back.
#pragma once

#include <QDialog>
#include <functional>

#include "uRuller.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class TPrintDeepScale;
class TPrintObject;

class TFRullers : public QDialog {
 public:
  explicit TFRullers(TPrintDeepScale* scale, QWidget* parent = nullptr);

  // Writes the edits into the scale (what OK does).
  void Apply();
  // The dialog registered for TPrintDeepScale: true when OK was pressed.
  static bool Execute(TPrintObject* object);

  // How one ruler is edited; `line` is the list line's rectangle in global
  // coordinates, beside which the ruler dialog opens. The default runs TFRuller.
  using TRullerEditor = std::function<bool(TRuller* ruller, QWidget* owner, const QRect& line)>;
  void SetRullerEditor(TRullerEditor editor) { FEditor = std::move(editor); }

  // The list as it stands in the dialog.
  const TRullerList& WorkRullers() const { return FRullers; }
  // The text of a ruler's line: Step=10, then "       K =2.5" unless the
  // modulus is 1, then "       Text" when the ruler has labels.
  static QString LineText(const TRuller& ruller);

 private:
  void FillList();
  void FillProfiles();
  void ListChanged();
  void UpdateOk();
  bool EditLine(int row);
  void lDefaultActivated(int index);
  void btnAddClick();
  void btnDeleteClick();
  void btnSaveProfileClick();
  void btnDeleteProfileClick();

  TPrintDeepScale* FScale;
  TRullerList FRullers;
  TRullerEditor FEditor;
  QListWidget* FList;
  QLineEdit* sLeft;
  QLineEdit* sWidth;
  QCheckBox* bBorder;
  QComboBox* lDefault;
  QPushButton* btnOK;
};

// Registers the depth scale's dialog with the properties-dialog registry.
void RegisterDepthScaleDialogs();
