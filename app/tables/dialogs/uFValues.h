// The values dialog: a two-column grid of parameter names and their values.
// Names come from the texts that show them and stay as they are; values are
// edited in place and written back on OK.
#pragma once

#include <QDialog>

class QTableWidget;
class TNamedValueList;

class TfValues : public QDialog {
  Q_OBJECT

 public:
  TfValues(TNamedValueList* values, QWidget* parent = nullptr);

  // Runs the dialog on `values`; true when OK stored the grid into it.
  static bool Edit(TNamedValueList* values, QWidget* parent = nullptr);

  // Writes the grid's values into the list (what OK does).
  void Store();

  QTableWidget* gValues;

 private:
  TNamedValueList* FValues;
};
