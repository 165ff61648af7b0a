// The displayed text of a spreadsheet number under its number format code:
// General, fixed decimals, thousands, percent, scientific, dates and times,
// literal text, and sections for negative and zero values.
#pragma once

#include <QLocale>
#include <QString>

// The format code of a built-in format number (0-49); empty when unknown.
// Number 14, the short date, follows the locale as spreadsheets show it.
QString BuiltinNumberFormat(int id, const QLocale& locale = QLocale());
// The locale's short date as a format code, always with a four-digit year
// ("m/d/yyyy" in the United States, "dd.mm.yyyy" in Russia).
QString ShortDateFormatCode(const QLocale& locale);
// True when the code shows dates or times (the value is a day serial number).
bool IsDateFormat(const QString& code);
// The text a spreadsheet shows for the value; `date1904` selects the 1904 day system.
QString FormatCellNumber(double value, const QString& code, bool date1904 = false);
// Excel's General form: up to 10 significant digits, exponent form for large or tiny values.
QString FormatGeneralCell(double value);
