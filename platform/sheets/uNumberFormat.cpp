#include "uNumberFormat.h"

#include <QDate>
#include <QStringList>
#include <cmath>

namespace {

// Splits a code at ';' outside quotes and brackets.
QStringList SplitSections(const QString& code) {
  QStringList sections;
  QString current;
  bool quoted = false;
  int bracket = 0;
  for (qsizetype i = 0; i < code.size(); ++i) {
    const QChar c = code[i];
    if (c == u'\\' && i + 1 < code.size() && !quoted) {
      current += c;
      current += code[++i];
      continue;
    }
    if (c == u'"') quoted = !quoted;
    if (!quoted && c == u'[') ++bracket;
    if (!quoted && c == u']' && bracket > 0) --bracket;
    if (c == u';' && !quoted && bracket == 0) {
      sections.push_back(current);
      current.clear();
      continue;
    }
    current += c;
  }
  sections.push_back(current);
  return sections;
}

// One piece of a section: a literal text or a format token.
struct TPiece {
  bool Literal;
  QString Text;
};

// Tokenizes a section: quoted text, escapes, skips colours and locale tags
// (keeping a currency symbol), "_x" padding as a space, "*x" fill dropped.
std::vector<TPiece> Tokenize(const QString& s) {
  std::vector<TPiece> pieces;
  auto literal = [&](const QString& t) {
    if (!pieces.empty() && pieces.back().Literal)
      pieces.back().Text += t;
    else
      pieces.push_back({true, t});
  };
  for (qsizetype i = 0; i < s.size(); ++i) {
    const QChar c = s[i];
    if (c == u'"') {
      const qsizetype end = s.indexOf(u'"', i + 1);
      literal(s.mid(i + 1, (end < 0 ? s.size() : end) - i - 1));
      i = end < 0 ? s.size() : end;
    } else if (c == u'\\' && i + 1 < s.size()) {
      literal(QString(s[++i]));
    } else if (c == u'_' && i + 1 < s.size()) {
      ++i;
      literal(QStringLiteral(" "));
    } else if (c == u'*' && i + 1 < s.size()) {
      ++i;
    } else if (c == u'[') {
      const qsizetype end = s.indexOf(u']', i + 1);
      const QString inner = s.mid(i + 1, (end < 0 ? s.size() : end) - i - 1);
      i = end < 0 ? s.size() : end;
      if (inner.startsWith(u'$')) {
        const qsizetype dash = inner.indexOf(u'-');
        literal(inner.mid(1, dash < 0 ? -1 : dash - 1));
      } else if (inner.compare(QLatin1String("h"), Qt::CaseInsensitive) == 0 ||
                 inner.compare(QLatin1String("hh"), Qt::CaseInsensitive) == 0 ||
                 inner.compare(QLatin1String("m"), Qt::CaseInsensitive) == 0 ||
                 inner.compare(QLatin1String("mm"), Qt::CaseInsensitive) == 0 ||
                 inner.compare(QLatin1String("s"), Qt::CaseInsensitive) == 0 ||
                 inner.compare(QLatin1String("ss"), Qt::CaseInsensitive) == 0) {
        pieces.push_back({false, QLatin1Char('[') + inner.toLower() + QLatin1Char(']')});
      }
      // colours and conditions are dropped
    } else {
      pieces.push_back({false, QString(c)});
    }
  }
  return pieces;
}

bool HasDateTokens(const std::vector<TPiece>& pieces) {
  for (const TPiece& p : pieces) {
    if (p.Literal) continue;
    if (p.Text.startsWith(u'[')) return true;
    const QChar c = p.Text[0].toLower();
    if (c == u'y' || c == u'd' || c == u'h' || c == u's' || c == u'm') return true;
  }
  return false;
}

QString Pad(qint64 v, int width) { return QString::number(v).rightJustified(width, u'0'); }

QString FormatDate(double value, const std::vector<TPiece>& pieces, bool date1904) {
  // Group runs of the same letter into tokens.
  struct TToken {
    bool Literal;
    QString Text;
  };
  std::vector<TToken> tokens;
  bool ampm = false;
  for (size_t i = 0; i < pieces.size(); ++i) {
    const TPiece& p = pieces[i];
    if (p.Literal || p.Text.startsWith(u'[')) {
      tokens.push_back({p.Literal, p.Text});
      continue;
    }
    const QChar c = p.Text[0].toLower();
    // AM/PM and A/P markers
    auto rest = [&](int n) {
      QString t;
      for (size_t k = i; k < pieces.size() && t.size() < n; ++k) t += pieces[k].Text;
      return t.toUpper();
    };
    if (c == u'a' && rest(5) == QLatin1String("AM/PM")) {
      tokens.push_back({false, QStringLiteral("AM/PM")});
      i += 4;
      ampm = true;
      continue;
    }
    if (c == u'a' && rest(3) == QLatin1String("A/P")) {
      tokens.push_back({false, QStringLiteral("A/P")});
      i += 2;
      ampm = true;
      continue;
    }
    if (c == u'y' || c == u'm' || c == u'd' || c == u'h' || c == u's') {
      if (!tokens.empty() && !tokens.back().Literal && tokens.back().Text[0] == c)
        tokens.back().Text += c;
      else
        tokens.push_back({false, QString(c)});
      continue;
    }
    if (c == u'0' && !tokens.empty() && !tokens.back().Literal && tokens.back().Text.startsWith(u'.')) {
      tokens.back().Text += u'0';
      continue;
    }
    if (c == u'.' && i + 1 < pieces.size() && pieces[i + 1].Text == QLatin1String("0")) {
      tokens.push_back({false, QStringLiteral(".")});
      continue;
    }
    tokens.push_back({true, p.Text});
  }
  // Minutes: an "m" right after hours or right before seconds.
  auto isTime = [](const TToken& t, QChar c) {
    return !t.Literal && (t.Text[0] == c || t.Text == QLatin1String("[h]"));
  };
  std::vector<bool> minute(tokens.size(), false);
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].Literal || tokens[i].Text[0] != u'm' || tokens[i].Text.size() > 2) continue;
    for (size_t k = i; k-- > 0;) {
      if (tokens[k].Literal) continue;
      minute[i] = isTime(tokens[k], u'h');
      break;
    }
    for (size_t k = i + 1; k < tokens.size() && !minute[i]; ++k) {
      if (tokens[k].Literal) continue;
      minute[i] = isTime(tokens[k], u's');
      break;
    }
  }
  // Serial number to date and time; 1900 system counts the nonexistent 1900-02-29.
  int decimals = 0;
  for (const TToken& t : tokens)
    if (!t.Literal && t.Text.startsWith(u'.')) decimals = static_cast<int>(t.Text.size()) - 1;
  const double scale = std::pow(10.0, decimals);
  double totalSeconds = std::round(value * 86400.0 * scale) / scale;
  if (!std::isfinite(totalSeconds) || std::abs(value) > 3e6) return FormatGeneralCell(value);
  const qint64 wholeSeconds = static_cast<qint64>(std::floor(totalSeconds));
  const double fraction = totalSeconds - static_cast<double>(wholeSeconds);
  const qint64 days = static_cast<qint64>(std::floor(static_cast<double>(wholeSeconds) / 86400.0));
  const qint64 secOfDay = wholeSeconds - days * 86400;
  QDate date;
  if (date1904)
    date = QDate(1904, 1, 1).addDays(days);
  else if (days == 60)
    date = QDate(1900, 2, 29);  // invalid in QDate: handled below
  else
    date = QDate(1899, 12, days < 60 ? 31 : 30).addDays(days);
  const bool fakeLeap = !date1904 && days == 60;
  const int year = fakeLeap ? 1900 : date.year();
  const int month = fakeLeap ? 2 : date.month();
  const int day = fakeLeap ? 29 : date.day();
  const int dow = fakeLeap ? 3 : date.dayOfWeek();
  const int hour = static_cast<int>(secOfDay / 3600);
  const int minuteValue = static_cast<int>(secOfDay / 60 % 60);
  const int second = static_cast<int>(secOfDay % 60);
  QString out;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const TToken& t = tokens[i];
    if (t.Literal) {
      out += t.Text;
      continue;
    }
    const QString& x = t.Text;
    const int n = static_cast<int>(x.size());
    if (x == QLatin1String("[h]") || x == QLatin1String("[hh]")) {
      out += Pad(wholeSeconds / 3600, x.size() - 2);
    } else if (x == QLatin1String("[m]") || x == QLatin1String("[mm]")) {
      out += Pad(wholeSeconds / 60, x.size() - 2);
    } else if (x == QLatin1String("[s]") || x == QLatin1String("[ss]")) {
      out += Pad(wholeSeconds, x.size() - 2);
    } else if (x[0] == u'y') {
      out += n <= 2 ? Pad(year % 100, 2) : Pad(year, 4);
    } else if (x[0] == u'm' && minute[i]) {
      out += Pad(minuteValue, n >= 2 ? 2 : 1);
    } else if (x[0] == u'm') {
      if (n == 1) out += QString::number(month);
      if (n == 2) out += Pad(month, 2);
      if (n == 3) out += QLocale::c().monthName(month, QLocale::ShortFormat);
      if (n == 4) out += QLocale::c().monthName(month, QLocale::LongFormat);
      if (n >= 5) out += QLocale::c().monthName(month, QLocale::LongFormat).left(1);
    } else if (x[0] == u'd') {
      if (n == 1) out += QString::number(day);
      if (n == 2) out += Pad(day, 2);
      if (n == 3) out += QLocale::c().dayName(dow, QLocale::ShortFormat);
      if (n >= 4) out += QLocale::c().dayName(dow, QLocale::LongFormat);
    } else if (x[0] == u'h') {
      int h = hour;
      if (ampm) h = hour % 12 == 0 ? 12 : hour % 12;
      out += Pad(h, n >= 2 ? 2 : 1);
    } else if (x[0] == u's') {
      out += Pad(second, n >= 2 ? 2 : 1);
    } else if (x.startsWith(u'.')) {
      out += u'.' + Pad(static_cast<qint64>(std::llround(fraction * scale)), decimals);
    } else if (x == QLatin1String("AM/PM")) {
      out += hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
    } else if (x == QLatin1String("A/P")) {
      out += hour < 12 ? QStringLiteral("A") : QStringLiteral("P");
    }
  }
  return out;
}

QString GroupThousands(const QString& digits) {
  QString out;
  const qsizetype n = digits.size();
  for (qsizetype i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += u',';
    out += digits[i];
  }
  return out;
}

QString FormatNumberSection(double value, const std::vector<TPiece>& pieces) {
  // Locate the placeholders; everything before the first and after the last is literal.
  qsizetype first = -1, last = -1;
  int percent = 0;
  for (size_t i = 0; i < pieces.size(); ++i) {
    const TPiece& p = pieces[i];
    if (p.Literal) continue;
    const QChar c = p.Text[0];
    if (c == u'%') ++percent;
    if (c == u'0' || c == u'#' || c == u'?' || c == u'.' || c == u',' || c == u'E' || c == u'e' ||
        ((c == u'+' || c == u'-') && i > 0 &&
         (pieces[i - 1].Text == QLatin1String("E") || pieces[i - 1].Text == QLatin1String("e")))) {
      if (first < 0) first = static_cast<qsizetype>(i);
      last = static_cast<qsizetype>(i);
    }
  }
  auto literalText = [&](qsizetype from, qsizetype to) {
    QString t;
    for (qsizetype i = from; i < to; ++i) t += pieces[static_cast<size_t>(i)].Text;
    return t;
  };
  for (int k = 0; k < percent; ++k) value *= 100.0;
  if (first < 0) return literalText(0, static_cast<qsizetype>(pieces.size()));  // no digits: literal only
  QString pattern = literalText(first, last + 1);
  // Trailing commas after the digits scale by thousands.
  while (pattern.endsWith(u',')) {
    pattern.chop(1);
    value /= 1000.0;
  }
  const qsizetype e = pattern.indexOf(u'E', 0, Qt::CaseInsensitive);
  QString mantissa = e >= 0 ? pattern.left(e) : pattern;
  const qsizetype dot = mantissa.indexOf(u'.');
  const QString intPart = dot >= 0 ? mantissa.left(dot) : mantissa;
  const QString fracPart = dot >= 0 ? mantissa.mid(dot + 1) : QString();
  const bool thousands = intPart.contains(u',');
  const int minInt = static_cast<int>(intPart.count(u'0'));
  const int decimals = static_cast<int>(fracPart.count(u'0') + fracPart.count(u'#') + fracPart.count(u'?'));
  const int minDecimals = static_cast<int>(fracPart.count(u'0'));
  QString body;
  double v = std::abs(value);
  if (e >= 0) {
    int exponent = v == 0 ? 0 : static_cast<int>(std::floor(std::log10(v)));
    double m = v == 0 ? 0 : v / std::pow(10.0, exponent);
    if (std::round(m * std::pow(10.0, decimals)) >= 10.0 * std::pow(10.0, decimals)) {
      m /= 10.0;
      ++exponent;
    }
    QString digits = QString::number(m, 'f', decimals);
    body = digits;
    const QString expPattern = pattern.mid(e + 1);
    const bool plus = expPattern.startsWith(u'+');
    const int expDigits = static_cast<int>(expPattern.count(u'0'));
    body += pattern[e];
    body += exponent < 0 ? QStringLiteral("-") : (plus ? QStringLiteral("+") : QString());
    body += Pad(std::abs(exponent), std::max(1, expDigits));
  } else {
    const double scale = std::pow(10.0, decimals);
    v = std::round(v * scale) / scale;  // half away from zero, as spreadsheets round
    QString digits = QString::number(v, 'f', decimals);
    QString intDigits = digits;
    QString frac;
    const qsizetype d = digits.indexOf(u'.');
    if (d >= 0) {
      intDigits = digits.left(d);
      frac = digits.mid(d + 1);
    }
    while (frac.size() > minDecimals && frac.endsWith(u'0')) frac.chop(1);
    if (intDigits == QLatin1String("0") && minInt == 0) intDigits.clear();
    intDigits = intDigits.rightJustified(minInt, u'0');
    if (thousands) intDigits = GroupThousands(intDigits);
    body = intDigits;
    if (dot >= 0 && (!frac.isEmpty() || minDecimals > 0 || decimals == 0)) body += u'.' + frac;
    if (body.endsWith(u'.') && decimals > 0) body.chop(1);
  }
  QString out = literalText(0, first) + body + literalText(last + 1, static_cast<qsizetype>(pieces.size()));
  return out;
}

}  // namespace

QString FormatGeneralCell(double value) {
  if (!std::isfinite(value)) return QStringLiteral("#NUM!");
  if (value == 0) return QStringLiteral("0");
  const double a = std::abs(value);
  if (a >= 1e11 || a < 1e-9) {
    QString s = QString::number(value, 'E', 5);  // 1.23457E+11
    // drop trailing zeros of the mantissa
    const qsizetype e = s.indexOf(u'E');
    QString m = s.left(e), x = s.mid(e);
    while (m.contains(u'.') && (m.endsWith(u'0') || m.endsWith(u'.'))) m.chop(1);
    return m + x;
  }
  QString s = QString::number(value, 'g', 10);
  if (s.contains(u'e')) s = QString::number(value, 'f', 10);
  if (s.contains(u'.'))
    while (s.endsWith(u'0') || s.endsWith(u'.')) {
      const bool dot = s.endsWith(u'.');
      s.chop(1);
      if (dot) break;
    }
  return s;
}

QString ShortDateFormatCode(const QLocale& locale) {
  const QString qt = locale.dateFormat(QLocale::ShortFormat);
  QString code;
  for (qsizetype i = 0; i < qt.size();) {
    const QChar c = qt[i];
    qsizetype run = 1;
    while (i + run < qt.size() && qt[i + run] == c) ++run;
    if (c == u'\'') {  // quoted literal text
      const qsizetype end = qt.indexOf(u'\'', i + 1);
      const qsizetype stop = end < 0 ? qt.size() : end;
      code += u'"' + qt.mid(i + 1, stop - i - 1) + u'"';
      i = stop + 1;
      continue;
    }
    if (c == u'y')
      code += QStringLiteral("yyyy");
    else if (c == u'M')
      code += QString(run, u'm');
    else if (c == u'd')
      code += QString(run, u'd');
    else
      code += qt.mid(i, run);
    i += run;
  }
  return code.isEmpty() ? QStringLiteral("yyyy-mm-dd") : code;
}

QString BuiltinNumberFormat(int id, const QLocale& locale) {
  switch (id) {
    case 0:
      return QStringLiteral("General");
    case 1:
      return QStringLiteral("0");
    case 2:
      return QStringLiteral("0.00");
    case 3:
      return QStringLiteral("#,##0");
    case 4:
      return QStringLiteral("#,##0.00");
    case 5:
      return QStringLiteral("$#,##0_);($#,##0)");
    case 6:
      return QStringLiteral("$#,##0_);[Red]($#,##0)");
    case 7:
      return QStringLiteral("$#,##0.00_);($#,##0.00)");
    case 8:
      return QStringLiteral("$#,##0.00_);[Red]($#,##0.00)");
    case 9:
      return QStringLiteral("0%");
    case 10:
      return QStringLiteral("0.00%");
    case 11:
      return QStringLiteral("0.00E+00");
    case 12:
      return QStringLiteral("# ?/?");
    case 13:
      return QStringLiteral("# ?\?/?\?");
    case 14:
      return ShortDateFormatCode(locale);
    case 15:
      return QStringLiteral("d-mmm-yy");
    case 16:
      return QStringLiteral("d-mmm");
    case 17:
      return QStringLiteral("mmm-yy");
    case 18:
      return QStringLiteral("h:mm AM/PM");
    case 19:
      return QStringLiteral("h:mm:ss AM/PM");
    case 20:
      return QStringLiteral("h:mm");
    case 21:
      return QStringLiteral("h:mm:ss");
    case 22:
      return QStringLiteral("yyyy-mm-dd h:mm");
    case 37:
      return QStringLiteral("#,##0 ;(#,##0)");
    case 38:
      return QStringLiteral("#,##0 ;[Red](#,##0)");
    case 39:
      return QStringLiteral("#,##0.00;(#,##0.00)");
    case 40:
      return QStringLiteral("#,##0.00;[Red](#,##0.00)");
    case 45:
      return QStringLiteral("mm:ss");
    case 46:
      return QStringLiteral("[h]:mm:ss");
    case 47:
      return QStringLiteral("mm:ss.0");
    case 48:
      return QStringLiteral("##0.0E+0");
    case 49:
      return QStringLiteral("@");
    default:
      return {};
  }
}

bool IsDateFormat(const QString& code) {
  const QStringList sections = SplitSections(code);
  return HasDateTokens(Tokenize(sections.front()));
}

QString FormatCellNumber(double value, const QString& code, bool date1904) {
  if (code.isEmpty() || code.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0 || code == QLatin1String("@"))
    return FormatGeneralCell(value);
  if (!std::isfinite(value)) return FormatGeneralCell(value);
  const QStringList sections = SplitSections(code);
  QString section = sections[0];
  bool negateShown = false;  // the section shows the sign itself
  if (value < 0 && sections.size() >= 2) {
    section = sections[1];
    negateShown = true;
  } else if (value == 0 && sections.size() >= 3) {
    section = sections[2];
  }
  const std::vector<TPiece> pieces = Tokenize(section);
  if (section.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0 || pieces.empty()) {
    return negateShown ? FormatGeneralCell(std::abs(value)) : FormatGeneralCell(value);
  }
  if (HasDateTokens(pieces)) return FormatDate(value, pieces, date1904);
  // Fractions and other rare forms: the General form.
  for (const TPiece& p : pieces)
    if (!p.Literal && p.Text == QLatin1String("/")) return FormatGeneralCell(value);
  QString text = FormatNumberSection(value, pieces);
  if (value < 0 && !negateShown) {
    // No minus for a value that rounds to zero.
    bool nonZero = false;
    for (const QChar c : text)
      if (c.isDigit() && c != u'0') nonZero = true;
    if (nonZero) text.prepend(u'-');
  }
  return text;
}
