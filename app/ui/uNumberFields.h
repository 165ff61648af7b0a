// The number fields of dialogs: a number shown in the general form and read
// back with the tolerant number reader ("0,25" is 0.25).
#pragma once

#include <QString>

class QLineEdit;
class QWidget;

QString NumberText(double value);
// A line edit named `name` showing `value`.
QLineEdit* NewNumberEdit(const QString& name, double value, QWidget* parent);
// The number in `text`, or `def` when it holds no finite number.
double FieldNumber(const QString& text, double def);
// The same rounded to a whole number (ties to even); `def` beyond 32 bits.
int FieldInteger(const QString& text, int def);
// True, with the number, when the field holds a finite number.
bool ReadNumberField(const QLineEdit* edit, double* value);

// Positions and sizes on the sheet, in millimetres, shown to a hundredth (a
// mouse drag leaves values such as 132.583329506384).
QString MillimetreText(double mm);
QLineEdit* NewMillimetreEdit(const QString& name, double mm, QWidget* parent);
// True, with the value, when the field holds a finite number: `current` itself
// while the field still shows it, so that a dialog confirmed unchanged moves
// nothing by the rounding.
bool ReadMillimetreField(const QLineEdit* edit, double current, double* value);
// The same with `current` for a field that holds no number.
double MillimetreField(const QLineEdit* edit, double current);
