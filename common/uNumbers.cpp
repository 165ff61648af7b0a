#include "uNumbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

double ReadNumber(std::string_view text, double def) {
  // The common form, as files write numbers ("-123.45", "7", "0.5"): read in
  // place. Anything else (blanks, commas, exponents, a point at either end)
  // takes the careful path below.
  if (const size_t sign = !text.empty() && text[0] == '-' ? 1 : 0; text.size() > sign) {
    bool point = false, plain = text[sign] != '.' && text.back() != '.';
    uint64_t mantissa = 0;
    int digits = 0, decimals = 0;
    for (size_t i = sign; plain && i < text.size(); ++i) {
      const char c = text[i];
      if (c == '.' && !point) {
        point = true;
      } else if (c >= '0' && c <= '9') {
        if (digits < 19) mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
        ++digits;
        decimals += point;
      } else {
        plain = false;
      }
    }
    if (plain) {
      // Up to 15 digits the digits and the power of ten are exact doubles,
      // and their quotient is rounded once: the correctly rounded value.
      static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                           1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
      double value = 0;
      if (digits <= 15) {
        value = static_cast<double>(mantissa) / kPowers[decimals];
        return sign ? -value : value;
      }
      const auto res = std::from_chars(text.data() + sign, text.data() + text.size(), value);
      if (res.ec == std::errc() && res.ptr == text.data() + text.size()) return sign ? -value : value;
    }
  }
  // Normalise into "-123.45e-6" and let from_chars (locale independent) convert.
  std::string norm;
  norm.reserve(text.size() + 2);
  bool negative = false, seenSeparator = false, seenDigit = false, seenAnything = false;
  size_t i = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ' || c == '\t') continue;
    if (c == '-' && !seenAnything) {
      negative = !negative;
      seenAnything = true;
      continue;
    }
    if (c >= '0' && c <= '9') {
      norm += c;
      seenDigit = seenAnything = true;
      continue;
    }
    if (c == '.' || c == ',') {
      if (seenSeparator) break;
      seenSeparator = seenAnything = true;
      norm += '.';
      continue;
    }
    if (c == 'e' || c == 'E') {
      if (!seenDigit) return def;
      // The exponent ends the number: optional sign, then its digits.
      std::string exponent;
      size_t j = i + 1;
      while (j < text.size() && (text[j] == ' ' || text[j] == '\t')) ++j;
      if (j < text.size() && (text[j] == '-' || text[j] == '+')) exponent += text[j++];
      while (j < text.size() && text[j] >= '0' && text[j] <= '9') exponent += text[j++];
      if (!exponent.empty() && exponent != "-" && exponent != "+") {
        norm += 'e';
        norm += exponent;
      }
      i = text.size();
      break;
    }
    return def;
  }
  if (!seenDigit) return def;
  if (norm.front() == '.') norm.insert(norm.begin(), '0');
  double value = 0;
  const auto res = std::from_chars(norm.data(), norm.data() + norm.size(), value);
  if (res.ec == std::errc::result_out_of_range) {
    // Overflow gives infinity, underflow zero: what the text means, not the default.
    value = norm.find("e-") != std::string::npos ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (res.ec != std::errc()) {
    return def;
  }
  return negative ? -value : value;
}

std::string FormatSignificant(double value, int digits, char decimalSeparator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (digits < 1) digits = 1;
  if (digits > 17) digits = 17;
  if (value == 0) return "0";
  // Scientific form with the requested precision gives the digits and the exponent.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", digits - 1, value);
  std::string s(buf);
  const size_t ePos = s.find('e');
  const int exponent = std::atoi(s.c_str() + ePos + 1);
  std::string mantissa = s.substr(0, ePos);
  const bool negative = mantissa[0] == '-';
  if (negative) mantissa.erase(0, 1);
  std::string ds;  // significant digits without the point
  for (char c : mantissa)
    if (c != '.') ds += c;
  while (ds.size() > 1 && ds.back() == '0') ds.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= digits || exponent < -5) {
    out += ds[0];
    if (ds.size() > 1) {
      out += decimalSeparator;
      out += ds.substr(1);
    }
    out += 'E';
    out += std::to_string(exponent);
  } else if (exponent < 0) {
    out += '0';
    out += decimalSeparator;
    out.append(static_cast<size_t>(-exponent - 1), '0');
    out += ds;
  } else {
    const size_t intDigits = static_cast<size_t>(exponent) + 1;
    if (ds.size() <= intDigits) {
      out += ds;
      out.append(intDigits - ds.size(), '0');
    } else {
      out += ds.substr(0, intDigits);
      out += decimalSeparator;
      out += ds.substr(intDigits);
    }
  }
  return out;
}

std::string FormatGeneral(double value, char decimalSeparator) {
  return FormatSignificant(value, 15, decimalSeparator);
}

int64_t RoundEven64(double value) {
  if (std::isnan(value)) return 0;
  const double r = std::nearbyint(value);  // default rounding mode: ties to even
  if (r >= 9.2233720368547758e18) return std::numeric_limits<int64_t>::max();
  if (r <= -9.2233720368547758e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(r);
}

int32_t RoundEven(double value) {
  const int64_t r = RoundEven64(value);
  if (r > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (r < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  // Round half away from zero, as the platform's MulDiv does.
  const int64_t num = static_cast<int64_t>(a) * b;
  int64_t q = num / c;
  const int64_t rem = num % c;
  if (2 * std::llabs(rem) >= std::llabs(static_cast<int64_t>(c))) q += ((num < 0) != (c < 0)) ? -1 : 1;
  if (q > std::numeric_limits<int32_t>::max() || q < std::numeric_limits<int32_t>::min()) return -1;
  return static_cast<int32_t>(q);
}
