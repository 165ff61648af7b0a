#include "uNumberFields.h"

#include <QLineEdit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "uNumbers.h"

QString NumberText(double value) { return QString::fromStdString(FormatGeneral(value)); }

QLineEdit* NewNumberEdit(const QString& name, double value, QWidget* parent) {
  auto* edit = new QLineEdit(NumberText(value), parent);
  edit->setObjectName(name);
  return edit;
}

double FieldNumber(const QString& text, double def) {
  const QByteArray utf8 = text.toUtf8();
  const double d = ReadNumber(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), def);
  return std::isfinite(d) ? d : def;
}

int FieldInteger(const QString& text, int def) {
  const double d = FieldNumber(text, def);
  if (d > INT32_MAX || d < INT32_MIN) return def;
  return RoundEven(d);
}

bool ReadNumberField(const QLineEdit* edit, double* value) {
  const double v = FieldNumber(edit->text(), std::numeric_limits<double>::quiet_NaN());
  if (std::isnan(v)) return false;
  *value = v;
  return true;
}

QString MillimetreText(double mm) {
  const double rounded = std::round(mm * 100) / 100;
  return NumberText(std::isfinite(rounded) ? rounded + 0.0 : mm);  // + 0.0: no "-0"
}

QLineEdit* NewMillimetreEdit(const QString& name, double mm, QWidget* parent) {
  auto* edit = new QLineEdit(MillimetreText(mm), parent);
  edit->setObjectName(name);
  return edit;
}

bool ReadMillimetreField(const QLineEdit* edit, double current, double* value) {
  if (edit->text().trimmed() == MillimetreText(current)) {
    *value = current;
    return true;
  }
  return ReadNumberField(edit, value);
}

double MillimetreField(const QLineEdit* edit, double current) {
  double value = current;
  return ReadMillimetreField(edit, current, &value) ? value : current;
}
