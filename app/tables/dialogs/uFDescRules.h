// The small dialogs of the description column's commands: the pair of sizes
// (TFRange: leader ticks or box margins), the search that selects texts
// (TFFindAndSelect) and the font given to texts that match a condition
// (TFFontByValue). Each edits the column's values only on OK.
#pragma once

#include <QDialog>

#include "uFontEx.h"
#include "uPrintDesc.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class TPrintObject;

class TFRange : public QDialog {
  Q_OBJECT
 public:
  TFRange(const QString& caption, double left, double right, QWidget* parent = nullptr);
  // OK only while both fields hold numbers of at least 0.
  void UpdateOk();
  double Left() const;
  double Right() const;

  QLineEdit* sLeft;
  QLineEdit* sRight;
  QDialogButtonBox* btnBox;
};

// The condition of a search or a font rule.
class TTextMatchBox : public QWidget {
  Q_OBJECT
 public:
  explicit TTextMatchBox(const TTextMatch& match, QWidget* parent = nullptr);
  TTextMatch Match() const;
  // A number mode needs two numbers, the others a text.
  bool Complete() const;

  QComboBox* cbMode;
  QLineEdit* sText;
  QLineEdit* sFrom;
  QLineEdit* sTo;
  QCheckBox* cbCase;

 signals:
  void Changed();

 private:
  void UpdateEnabled();
};

class TFFindAndSelect : public QDialog {
  Q_OBJECT
 public:
  TFFindAndSelect(TPrintDesc* desc, QWidget* parent = nullptr);
  static bool Execute(TPrintObject* object);
  void Store();

  TTextMatchBox* gMatch;
  QCheckBox* cbAdd;
  QDialogButtonBox* btnBox;

 private:
  TPrintDesc* FDesc;
};

class TFFontByValue : public QDialog {
  Q_OBJECT
 public:
  TFFontByValue(TPrintDesc* desc, QWidget* parent = nullptr);
  static bool Execute(TPrintObject* object);
  void Store();
  TFontEx& WorkFont() { return FFont; }

  TTextMatchBox* gMatch;
  QLabel* lFont;
  QDialogButtonBox* btnBox;

 private:
  void ShowFont();
  TPrintDesc* FDesc;
  TFontEx FFont;
};

// The column's dialogs: "TPrintDesc" (the grid), ".MarkSize", ".MarginSizes",
// ".FindAndSelect", ".FontByValue".
void RegisterDescDialogs();
