// Number reading and writing shared by dialogs, INI values and table cells.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Tolerant number reader: blanks are skipped, a leading "-" negates, "." and ","
// both act as the decimal separator (a second one ends the number), "E"/"e"
// starts a decimal exponent that ends the number; any other character, or no
// digits at all, yields `def`.
double ReadNumber(std::string_view text, double def);

// General form: shortest text of up to 15 significant digits; exponent form
// ("1E20", "1E-6") only for very large or very small magnitudes.
std::string FormatGeneral(double value, char decimalSeparator = '.');
// General form with at most `digits` significant digits (scale labels use 5).
std::string FormatSignificant(double value, int digits, char decimalSeparator = '.');

// Rounding to nearest with ties to even (2.5 -> 2, 3.5 -> 4), saturating at the
// integer range; NaN gives 0.
int64_t RoundEven64(double value);
int32_t RoundEven(double value);
// Rounded multiply-divide: Round(a * b / c) in 64-bit arithmetic; c == 0 gives -1.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);
