// The layer's properties dialog (TFLCEntry: its signs with their block
// placements and its top boundary line, edited live and restored on Cancel),
// the sign chooser (TfLDBList) and the pieces they share: sign names drawn
// with their patterns, millimetre fields with sliders.
#pragma once

#include <QDialog>
#include <QStyledItemDelegate>

#include "strat.h"
#include "uBoundaryLine.h"
#include "uComPtr.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;
class TColorPanel;
class TLineStyleCombo;
class TLineWidthCombo;
class TStratColEntry;

// Draws a sign name with its pattern ("LDB.ICON" on), rows "LDB.ICON.SIZE"
// high, and the sign's caption beside the name: the codes alone (SST, CLY)
// do not tell a geologist which rock is meant.
class TSignItemDelegate : public QStyledItemDelegate {
 public:
  TSignItemDelegate(IStratDataBase* database, QObject* parent);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  IStratDataBase* FDataBase;
  int FSize;
};

// Every sign name of a database, sorted with "LDB.SORT".
QStringList DataBaseSignNames(IStratDataBase* database);
// A sign's caption in the program's language ("Sandstone" for SST with the
// English pack, "Песчаник" with the Russian one); empty when it has none.
QString SignCaption(IStratDataBase* database, const QString& name);
// Gives a list view the sign drawing when "LDB.ICON" is on.
void UseSignIcons(QAbstractItemView* view, IStratDataBase* database);
// The same for a combo box whose names are already added; its list opens
// wide enough for their captions.
void UseSignIcons(QComboBox* combo, IStratDataBase* database);

// Lets an editable sign box complete from part of a code or of a rock name
// ("sand" offers "SST  Sandstone", ...); choosing one writes its code.
void UseSignCompleter(QComboBox* combo, IStratDataBase* database);

// A millimetre value as text and slider (0.2 mm steps).
class TMmField : public QObject {
  Q_OBJECT
 public:
  TMmField(QWidget* parent);
  double Value() const;
  void SetValue(double value);
  void SetEnabled(bool on);
  QLineEdit* Edit;
  QSlider* Slider;

 signals:
  void Changed();

 private:
  bool FUpdating = false;
};

class TfLDBList : public QDialog {
 public:
  TfLDBList(IStratDataBase* database, QWidget* parent = nullptr);
  QString Chosen() const;
  // Shows the signs whose code or rock name contains `text` (any case) and
  // makes current the sign of that code, else the first whose code begins
  // so, else the first shown; all signs for an empty text.
  void Filter(const QString& text);
  QLineEdit* eFind;
  QListWidget* lbSigns;
  QPushButton* btnOK;

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;

  IStratDataBase* FDataBase;
};

// Chooses a sign of the database; true with an existing sign's name.
bool ChooseSign(IStratDataBase* database, QString* name, QWidget* parent = nullptr);

class TFLCEntry : public QDialog {
 public:
  TFLCEntry(TStratColEntry* layer, QWidget* parent = nullptr);
  // Cancel puts the kept signs and line back.
  void reject() override;
  void SelectSign(int row);

  QListWidget* lbSigns;
  QComboBox* cbSign;
  TMmField* fOffsetX;
  TMmField* fOffsetY;
  TMmField* fSpaceX;
  TMmField* fSpaceY;
  QSpinBox* seCountX;
  QSpinBox* seCountY;
  QCheckBox* cbCut;
  QPushButton* btnUp;
  QPushButton* btnDown;
  QPushButton* btnAdd;
  QPushButton* btnDelete;
  QPushButton* btnPlace;
  TColorPanel* pColor;
  TLineWidthCombo* cbWidth;
  TLineStyleCombo* cbStyle;
  QCheckBox* cbPreview;

 private:
  void FillList(int select);
  void ShowSelected();
  void WriteSelected();
  void WriteLine();
  void Changed();
  void Add();
  void Move(int by);

  TStratColEntry* FLayer;
  TComPtr<IStratField> FKeptField;
  TBoundaryLine FKeptLine;
  bool FFilling = false;
};

// Opens the dialog on the layer; true on OK.
bool RunLayerDialog(TStratColEntry* layer, QWidget* parent = nullptr);
