#include "uFontEx.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QJsonObject>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <string>

#include "qsID.h"
#include "uCodePage.h"
#include "uCompoundStreamIntf.h"
#include "uDrawContext.h"
#include "uIniFile.h"
#include "uNumbers.h"
#include "uPageLines.h"

// ---------------------------------------------------------------------------
// The logical font record

TLogFont DefaultLogFont() {
  TLogFont lf;
  std::memset(&lf, 0, sizeof lf);
  lf.lfCharSet = RUSSIAN_CHARSET;
  lf.lfOutPrecision = 4;
  lf.lfQuality = 2;
  std::memcpy(lf.lfFaceName, "Arial", 5);
  return lf;
}

QString LogFontFaceName(const TLogFont& lf) {
  // A stored record may fill all 32 bytes without a terminator.
  const size_t n = strnlen(lf.lfFaceName, sizeof lf.lfFaceName);
  return QString::fromStdString(Cp1251ToUtf8(std::string_view(lf.lfFaceName, n)));
}

void SetLogFontFaceName(TLogFont* lf, const QString& name) {
  std::string bytes = Utf8ToCp1251(name.toStdString());
  if (bytes.size() > 31) bytes.resize(31);
  std::memset(lf->lfFaceName, 0, sizeof lf->lfFaceName);
  std::memcpy(lf->lfFaceName, bytes.data(), bytes.size());
}

// ---------------------------------------------------------------------------
// Mapping onto Qt

QString ResolveFontFamily(const QString& face) {
  // Documents name the faces of the desktop they were made on; Debian ships
  // metric-compatible replacements for the common ones, so line breaks and
  // widths stay as the author saw them.
  static const QHash<QString, QString> substitutes = {
      {"arial", "Liberation Sans"},
      {"arial cyr", "Liberation Sans"},
      {"helvetica", "Liberation Sans"},
      {"arial narrow", "Liberation Sans Narrow"},
      {"times new roman", "Liberation Serif"},
      {"times new roman cyr", "Liberation Serif"},
      {"times", "Liberation Serif"},
      {"courier new", "Liberation Mono"},
      {"courier new cyr", "Liberation Mono"},
      {"courier", "Liberation Mono"},
      {"symbol", "DejaVu Sans"},
  };
  const QString key = face.trimmed().toLower();
  const auto it = substitutes.constFind(key);
  if (it != substitutes.constEnd()) return it.value();
  if (!key.isEmpty() && QFontDatabase::hasFamily(face.trimmed())) return face.trimmed();
  return QStringLiteral("DejaVu Sans");
}

QFont LogFontToQFont(const TLogFont& lf) {
  const QString family =
      lf.lfCharSet == SYMBOL_CHARSET ? QStringLiteral("DejaVu Sans") : ResolveFontFamily(LogFontFaceName(lf));
  QFont f(family);
  // Text is laid out character by character; kerning would make the whole-line
  // width differ from the sum of the characters.
  f.setKerning(false);
  if (lf.lfHeight < 0) {
    f.setPixelSize(std::min(-static_cast<int64_t>(lf.lfHeight), int64_t{20000}));
  } else if (lf.lfHeight > 0) {
    // A positive height is the cell height (ascent + descent), not the em size.
    QFont probe(f);
    probe.setPixelSize(100);
    const int cell = QFontMetrics(probe).height();
    const int px = cell > 0 ? RoundEven(static_cast<double>(lf.lfHeight) * 100.0 / cell) : lf.lfHeight;
    f.setPixelSize(std::clamp(px, 1, 20000));
  }
  f.setWeight(lf.lfWeight <= 0 ? QFont::Normal : static_cast<QFont::Weight>(std::clamp(lf.lfWeight, 1, 1000)));
  f.setItalic(lf.lfItalic != 0);
  f.setUnderline(lf.lfUnderline != 0);
  f.setStrikeOut(lf.lfStrikeOut != 0);
  if (lf.lfWidth > 0) {
    const int avg = QFontMetrics(f).averageCharWidth();
    if (avg > 0) f.setStretch(std::clamp(RoundEven(lf.lfWidth * 100.0 / avg), 1, 4000));
  }
  return f;
}

char16_t SymbolToUnicode(uint32_t code) {
  if (code >= 0xF020 && code <= 0xF0FF) code -= 0xF000;
  if (code < 0x20 || code > 0xFF) return 0;
  // The Symbol font's layout: ASCII punctuation and digits, Greek letters on
  // the Latin keys, mathematical signs, arrows and bracket pieces above 0xA0.
  static const char16_t table[224] = {
      // 0x20
      u' ', u'!', u'\u2200', u'#', u'\u2203', u'%', u'&', u'\u220B', u'(', u')', u'\u2217', u'+', u',', u'\u2212', u'.',
      u'/',
      // 0x30
      u'0', u'1', u'2', u'3', u'4', u'5', u'6', u'7', u'8', u'9', u':', u';', u'<', u'=', u'>', u'?',
      // 0x40
      u'\u2245', u'\u0391', u'\u0392', u'\u03A7', u'\u0394', u'\u0395', u'\u03A6', u'\u0393', u'\u0397', u'\u0399',
      u'\u03D1', u'\u039A', u'\u039B', u'\u039C', u'\u039D', u'\u039F',
      // 0x50
      u'\u03A0', u'\u0398', u'\u03A1', u'\u03A3', u'\u03A4', u'\u03A5', u'\u03C2', u'\u03A9', u'\u039E', u'\u03A8',
      u'\u0396', u'[', u'\u2234', u']', u'\u22A5', u'_',
      // 0x60
      u'\u203E', u'\u03B1', u'\u03B2', u'\u03C7', u'\u03B4', u'\u03B5', u'\u03C6', u'\u03B3', u'\u03B7', u'\u03B9',
      u'\u03D5', u'\u03BA', u'\u03BB', u'\u03BC', u'\u03BD', u'\u03BF',
      // 0x70
      u'\u03C0', u'\u03B8', u'\u03C1', u'\u03C3', u'\u03C4', u'\u03C5', u'\u03D6', u'\u03C9', u'\u03BE', u'\u03C8',
      u'\u03B6', u'{', u'|', u'}', u'\u223C', 0,
      // 0x80 - 0x9F: unassigned
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      // 0xA0
      u'\u20AC', u'\u03D2', u'\u2032', u'\u2264', u'\u2044', u'\u221E', u'\u0192', u'\u2663', u'\u2666', u'\u2665',
      u'\u2660', u'\u2194', u'\u2190', u'\u2191', u'\u2192', u'\u2193',
      // 0xB0
      u'\u00B0', u'\u00B1', u'\u2033', u'\u2265', u'\u00D7', u'\u221D', u'\u2202', u'\u2022', u'\u00F7', u'\u2260',
      u'\u2261', u'\u2248', u'\u2026', u'\u23D0', u'\u23AF', u'\u21B5',
      // 0xC0
      u'\u2135', u'\u2111', u'\u211C', u'\u2118', u'\u2297', u'\u2295', u'\u2205', u'\u2229', u'\u222A', u'\u2283',
      u'\u2287', u'\u2284', u'\u2282', u'\u2286', u'\u2208', u'\u2209',
      // 0xD0
      u'\u2220', u'\u2207', u'\u00AE', u'\u00A9', u'\u2122', u'\u220F', u'\u221A', u'\u22C5', u'\u00AC', u'\u2227',
      u'\u2228', u'\u21D4', u'\u21D0', u'\u21D1', u'\u21D2', u'\u21D3',
      // 0xE0
      u'\u25CA', u'\u27E8', u'\u00AE', u'\u00A9', u'\u2122', u'\u2211', u'\u239B', u'\u239C', u'\u239D', u'\u23A1',
      u'\u23A2', u'\u23A3', u'\u23A7', u'\u23A8', u'\u23A9', u'\u23AA',
      // 0xF0
      0, u'\u27E9', u'\u222B', u'\u2320', u'\u23AE', u'\u2321', u'\u239E', u'\u239F', u'\u23A0', u'\u23A4', u'\u23A5',
      u'\u23A6', u'\u23AB', u'\u23AC', u'\u23AD', 0};
  return table[code - 0x20];
}

QString TextForCharset(const TLogFont& lf, const QString& text) {
  if (lf.lfCharSet != SYMBOL_CHARSET) return text;
  QString out;
  out.reserve(text.size());
  for (const QChar c : text) {
    uint32_t code = c.unicode();
    if (code >= 0x80 && !(code >= 0xF020 && code <= 0xF0FF)) {
      // The Symbol font receives the single-byte code of the character.
      const std::string b = Utf8ToCp1251(QString(c).toStdString());
      code = b.size() == 1 ? static_cast<uint8_t>(b[0]) : 0;
    }
    const char16_t u = SymbolToUnicode(code);
    out.append(u ? QChar(u) : c);
  }
  return out;
}

// ---------------------------------------------------------------------------
// TFontEx: record arithmetic and persistence

TFontEx::TFontEx() : FLogFont(DefaultLogFont()) { SetSize(10); }

void TFontEx::Assign(const TFontEx& source) {
  FLogFont = source.FLogFont;
  Format = source.Format;
  Color = source.Color;
  BkgColor = source.BkgColor;
  Transparent = source.Transparent;
  SetResolution(source.FResolution);
  SetSize(source.FSize);
}

void TFontEx::SetResolution(int32_t value) {
  FResolution = value;
  SetSize(FSize);
}

void TFontEx::SetSize(int32_t value) {
  FSize = value;
  FLogFont.lfHeight = -MulDiv(FSize, FResolution, 72);
}

void TFontEx::SetHeight(int32_t value) {
  FLogFont.lfHeight = value;
  FSize = -MulDiv(value, 72, FResolution);
}

double TFontEx::SizeMM() const { return FSize * 25.4 / 72.0; }

void TFontEx::SetSizeMM(double mm) { SetSize(RoundEven(mm * 72.0 / 25.4)); }

void TFontEx::SetAngle(int32_t degrees) {
  FLogFont.lfEscapement = degrees * 10;
  FLogFont.lfOrientation = degrees * 10;
}

int32_t TFontEx::Style() const {
  int32_t s = 0;
  if (FLogFont.lfWeight > 500) s |= fsBold;
  if (FLogFont.lfItalic) s |= fsItalic;
  if (FLogFont.lfUnderline) s |= fsUnderline;
  if (FLogFont.lfStrikeOut) s |= fsStrikeOut;
  return s;
}

void TFontEx::SetStyle(int32_t style) {
  FLogFont.lfWeight = (style & fsBold) ? 700 : 400;
  FLogFont.lfItalic = (style & fsItalic) ? 1 : 0;
  FLogFont.lfUnderline = (style & fsUnderline) ? 1 : 0;
  FLogFont.lfStrikeOut = (style & fsStrikeOut) ? 1 : 0;
}

bool TFontEx::LoadFromQS(ICompoundStream* stream) {
  if (!stream) return false;
  // Only a Binary value is a record; a stream without one keeps the current font.
  TCompoundEntry entry{};
  if (stream->GetEntry(256, &entry) == S_OK && entry.Tag == qsBinary) {
    TLogFont lf = FLogFont;
    uint32_t size = sizeof lf;
    if (stream->ReadData(256, 0, &lf, &size) == S_OK) FLogFont = lf;
  }
  Format = qsReadInteger(stream, 257, 0);
  Color = static_cast<uint32_t>(qsReadInteger(stream, 258, 0));
  BkgColor = static_cast<uint32_t>(qsReadInteger(stream, 259, 0xFFFFFF));
  Transparent = qsReadBool(stream, 260, true);
  SetSize(qsReadInteger(stream, 261, 12));
  return true;
}

bool TFontEx::SaveToQS(ICompoundStream* stream) const {
  if (!stream) return false;
  bool ok = stream->WriteBuffer(256, &FLogFont, sizeof FLogFont) == S_OK;
  ok = qsWriteInteger(stream, 257, Format) && ok;
  ok = qsWriteInteger(stream, 258, static_cast<int32_t>(Color)) && ok;
  ok = qsWriteInteger(stream, 259, static_cast<int32_t>(BkgColor)) && ok;
  ok = qsWriteBool(stream, 260, Transparent) && ok;
  ok = stream->WriteInteger(261, FSize) == S_OK && ok;
  return ok;
}

bool TFontEx::LoadFromIni(const TIniFile* ini, const QString& section, const QString& prefix) {
  if (!ini || section.isEmpty()) return false;
  SetAngle(ini->ReadInteger(section, prefix + "ANGLE", Angle()));
  BkgColor = static_cast<uint32_t>(ini->ReadInteger(section, prefix + "BKGCOLOR", static_cast<int>(BkgColor)));
  SetStyle(ini->ReadInteger(section, prefix + "STYLE", Style()));
  Color = static_cast<uint32_t>(ini->ReadInteger(section, prefix + "COLOR", static_cast<int>(Color)));
  SetCharset(static_cast<uint8_t>(ini->ReadInteger(section, prefix + "CHARSET", Charset())));
  Format = ini->ReadInteger(section, prefix + "FORMAT", Format);
  SetSize(ini->ReadInteger(section, prefix + "SIZE", FSize));
  SetName(ini->ReadString(section, prefix + "NAME", Name()));
  const double mm = ini->ReadFloat(section, prefix + "SIZEMM", 0);
  if (mm > 0) SetSizeMM(mm);
  Transparent = ini->ReadBool(section, prefix + "TRANSPARENT", Transparent);
  return true;
}

bool TFontEx::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) const {
  if (!ini || section.isEmpty()) return false;
  // Values at their usual defaults are left out, keeping template files short.
  bool ok = true;
  if (Angle() != 0) ok = ini->WriteInteger(section, prefix + "ANGLE", Angle()) && ok;
  if (BkgColor != 0xFFFFFF) ok = ini->WriteInteger(section, prefix + "BKGCOLOR", static_cast<int>(BkgColor)) && ok;
  if (Style() != 0) ok = ini->WriteInteger(section, prefix + "STYLE", Style()) && ok;
  if (Color != 0) ok = ini->WriteInteger(section, prefix + "COLOR", static_cast<int>(Color)) && ok;
  // Always written: a left-out charset 1 would come back as the 204 of a new font.
  ok = ini->WriteInteger(section, prefix + "CHARSET", Charset()) && ok;
  ok = ini->WriteInteger(section, prefix + "FORMAT", Format) && ok;
  ok = ini->WriteInteger(section, prefix + "SIZE", FSize) && ok;
  ok = ini->WriteString(section, prefix + "NAME", Name()) && ok;
  if (!Transparent) ok = ini->WriteBool(section, prefix + "TRANSPARENT", false) && ok;
  return ok;
}

// ---------------------------------------------------------------------------
// Drawing

namespace {

// Text output with the platform's top-left reference point (Qt draws at the baseline).
void TextOutTopLeft(QPainter* dc, int x, int y, const QString& s) {
  const QFontMetrics fm(dc->font(), dc->device());
  dc->drawText(QPoint(x, y + fm.ascent()), s);
}

// Rotated output: the escapement turns the text counter-clockwise about its top-left corner.
void TextOutRotated(QPainter* dc, int x, int y, int tenths, const QString& s) {
  const QFontMetrics fm(dc->font(), dc->device());
  dc->save();
  dc->translate(x, y);
  dc->rotate(-tenths / 10.0);
  dc->drawText(QPoint(0, fm.ascent()), s);
  dc->restore();
}

QString StripControls(const QString& line) {
  QString out;
  out.reserve(line.size());
  for (const QChar c : line)
    if (c.unicode() >= 32) out.append(c);
  return out;
}

QStringList SplitLines(const QString& text) {
  QStringList lines = text.split(QChar('\r'));
  for (QString& l : lines) l = StripControls(l);
  return lines;
}

int Advance(const QFontMetrics& fm, const TLogFont& lf, QChar c) {
  return fm.horizontalAdvance(TextForCharset(lf, QString(c)));
}

}  // namespace

void TFontEx::SelectInto(QPainter* dc) const {
  if (!dc) return;
  TSaved& saved = FSaved.Get();
  saved.Valid = true;
  saved.Font = dc->font();
  saved.Pen = dc->pen();
  saved.Background = dc->background();
  saved.Mode = dc->backgroundMode();
  dc->setPen(QPen(ColorRefToQColor(Color)));
  dc->setBackground(QBrush(ColorRefToQColor(BkgColor)));
  dc->setBackgroundMode(Transparent ? Qt::TransparentMode : Qt::OpaqueMode);
  dc->setFont(ToQFont());
}

void TFontEx::UnselectFrom(QPainter* dc) const {
  if (!dc || !FSaved.Valid()) return;
  TSaved& saved = FSaved.Get();
  dc->setFont(saved.Font);
  dc->setPen(saved.Pen);
  dc->setBackground(saved.Background);
  dc->setBackgroundMode(saved.Mode);
  // Kept for the next SelectInto: a font drawn once is mostly drawn again.
  saved = TSaved();
}

QSize TFontEx::MeasureLine(QPainter* dc, const QString& line) const {
  if (!dc || !dc->device()) return {};
  const QFontMetrics fm(ToQFont(), dc->device());
  const int height = fm.height();
  if (line.isEmpty()) return {0, height};
  if (!line.contains(QChar('$'))) return {fm.horizontalAdvance(TextForCharset(FLogFont, line)), height};
  int width = 0;
  bool reduced = false;  // inside a subscript or superscript
  const auto add = [&](int w) { width += reduced ? w * 2 / 3 : w; };
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line[i];
    if (c == QChar('$') && i + 1 < line.size()) {
      const char e = line[++i].toLatin1();
      switch (e) {
        case 'D':
        case 'U':
          reduced = true;
          break;
        case 'N':
          reduced = false;
          break;
        case 'B':
        case 'I':
        case '_':
        case 'S':
        case 'a':
        case 'b':
        case 'd':
        case 'g':
        case 'l':
        case 'm':
        case 'o':
        case 'p':
        case 'r':
        case 'y':
          break;
        case '<':
          // Measured as drawn: the position steps back by a "$".
          width -= fm.horizontalAdvance(QChar('$'));
          break;
        default:
          add(fm.horizontalAdvance(QChar('$')));  // "$$" and unknown pairs draw one "$"
          break;
      }
      continue;
    }
    add(Advance(fm, FLogFont, c));
  }
  return {width, height};
}

QString TFontEx::WrapText(QPainter* dc, int width, const QString& text) const {
  if (!dc || !dc->device() || text.isEmpty()) return text;
  if (Angle() != 0 || !(Format & DT_WORDBREAK)) return text;
  const QFontMetrics fm(ToQFont(), dc->device());
  const int limit = width - 5;
  QString out = text;
  int sum = 0;
  qsizetype lineStart = 0;
  qsizetype space = -1;
  qsizetype i = 0;
  while (i < out.size()) {
    const QChar c = out[i];
    if (c == QChar('\r')) {
      sum = 0;
      lineStart = i + 1;
      space = -1;
      ++i;
      continue;
    }
    if (c == QChar('$')) {  // an escape takes no width
      i += 2;
      continue;
    }
    if (c == QChar(' ')) space = i;
    if (c.unicode() >= 32) sum += Advance(fm, FLogFont, c);
    if (sum >= limit && space >= lineStart) {
      // Break at the last space of this line; a word longer than the limit stays whole.
      out[space] = QChar('\r');
      sum = 0;
      lineStart = space + 1;
      i = space + 1;
      space = -1;
      continue;
    }
    ++i;
  }
  return out;
}

QSize TFontEx::MeasureText(QPainter* dc, int width, const QString& text) const {
  if (!dc || !dc->device() || text.isEmpty()) return {};
  const QStringList lines = SplitLines(WrapText(dc, width, text));
  int widest = 0, height = 0;
  for (const QString& line : lines) {
    const QSize m = MeasureLine(dc, line);
    widest = std::max(widest, m.width());
    height += m.height();
  }
  // DrawHorizontal insets left-aligned lines and the first line by 2 pixels.
  return {widest + 4, height + 4};
}

void TFontEx::DrawInRect(QPainter* dc, const QRect& rect, const QString& text, TPageLines* sheets) const {
  if (!dc || !dc->device() || text.isEmpty()) return;
  SelectInto(dc);
  if (Angle() == 0)
    DrawHorizontal(dc, rect, text, sheets);
  else
    DrawRotated(dc, rect, text);
  UnselectFrom(dc);
}

// Rectangles are the platform's: right and bottom are left + width and top + height.
void TFontEx::DrawHorizontal(QPainter* dc, const QRect& rect, const QString& text, TPageLines* sheets) const {
  const QStringList lines = SplitLines(text);
  const int n = static_cast<int>(lines.size());
  const bool paged = sheets && sheets->Active();
  // Printed across sheets, centred and bottom lines are laid out in the box's
  // height as every sheet counts it.
  const int height = paged ? sheets->Rows() : rect.height();
  const int left = rect.left(), top = rect.top();
  const int right = left + rect.width(), bottom = top + height;
  const QFontMetrics fm(dc->font(), dc->device());
  const int absHeight = FLogFont.lfHeight != 0 ? std::abs(FLogFont.lfHeight) : fm.height();
  for (int i = 0; i < n; ++i) {
    const QString& line = lines[i];
    const QSize m = MeasureLine(dc, line);
    const int lw = m.width(), lh = m.height();
    int x;
    if (Format & DT_CENTER)
      x = left + rect.width() / 2 - lw / 2;
    else if (Format & DT_RIGHT)
      x = right - lw;
    else
      x = left + 2;
    int y;
    if (Format & DT_VCENTER)
      y = top + height / 2 + i * lh - (n * lh) / 2;
    else if (Format & DT_BOTTOM)
      y = bottom + lh * (i - n);
    else
      y = top + 2 + i * absHeight;
    if (paged) {
      const std::optional<int32_t> row = sheets->Place(y - top, lh);
      if (!row) continue;
      y = *row;
    }
    if (line.contains(QChar('$')))
      DrawMarkupLine(dc, x, y, line);
    else if (!line.isEmpty())
      TextOutTopLeft(dc, x, y, TextForCharset(FLogFont, line));
  }
}

void TFontEx::DrawLine(QPainter* dc, int x, int y, const QString& line) const {
  if (!dc || !dc->device() || line.isEmpty()) return;
  SelectInto(dc);
  const QString plain = StripControls(line);
  if (plain.contains(QChar('$')))
    DrawMarkupLine(dc, x, y, plain);
  else
    TextOutTopLeft(dc, x, y, TextForCharset(FLogFont, plain));
  UnselectFrom(dc);
}

void TFontEx::DrawMarkupLine(QPainter* dc, int x, int y, const QString& line) const {
  TLogFont work = FLogFont;
  int offset = 0;
  int cx = x;
  const QFont own = dc->font();
  const auto apply = [&] { dc->setFont(LogFontToQFont(work)); };
  const auto color = [&](uint32_t c) {
    QPen p = dc->pen();
    p.setColor(ColorRefToQColor(c));
    dc->setPen(p);
  };
  const auto put = [&](QChar c) {
    const QString s = TextForCharset(work, QString(c));
    TextOutTopLeft(dc, cx, y + offset, s);
    cx += QFontMetrics(dc->font(), dc->device()).horizontalAdvance(s);
  };
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line[i];
    if (c != QChar('$') || i + 1 == line.size()) {
      put(c);
      continue;
    }
    const char e = line[++i].toLatin1();
    switch (e) {
      case 'B':
        work.lfWeight = 700;
        apply();
        break;
      case 'I':
        work.lfItalic = 1;
        apply();
        break;
      case '_':
        work.lfUnderline = 1;
        apply();
        break;
      case 'D':
        work.lfHeight = work.lfHeight * 2 / 3;
        offset = (-FLogFont.lfHeight) / 2;
        apply();
        break;
      case 'U':
        work.lfHeight = work.lfHeight * 2 / 3;
        offset = FLogFont.lfHeight / 4;
        apply();
        break;
      case 'S':
        work.lfCharSet = SYMBOL_CHARSET;
        SetLogFontFaceName(&work, QStringLiteral("Symbol"));
        apply();
        break;
      case 'N':
        work = FLogFont;
        offset = 0;
        dc->setFont(own);
        break;
      case '<':
        cx -= QFontMetrics(dc->font(), dc->device()).horizontalAdvance(QChar('$'));
        break;
      case 'a':
        color(0x000000);
        break;
      case 'b':
        color(0xFF0000);
        break;
      case 'd':
        color(Color);
        break;
      case 'g':
        color(0x008000);
        break;
      case 'l':
        color(0x808080);
        break;
      case 'm':
        color(0x000080);
        break;
      case 'o':
        color(0x008080);
        break;
      case 'p':
        color(0x800080);
        break;
      case 'r':
        color(0x0000FF);
        break;
      case 'y':
        color(0x00FFFF);
        break;
      default:
        put(QChar('$'));
        break;
    }
  }
  dc->setFont(own);
}

void TFontEx::DrawRotated(QPainter* dc, const QRect& rect, const QString& text) const {
  const QStringList lines = SplitLines(text);
  const int n = static_cast<int>(lines.size());
  const QFontMetrics fm(dc->font(), dc->device());
  const int h = FLogFont.lfHeight != 0 ? std::abs(FLogFont.lfHeight) : fm.height();
  const int left = rect.left(), top = rect.top();
  const int right = left + rect.width(), bottom = top + rect.height();
  const int tenths = FLogFont.lfEscapement;
  if (Angle() == 90) {
    int x0;
    if (Format & DT_VCENTER)
      x0 = left + rect.width() / 2 - (h * n) / 2;
    else if (Format & DT_BOTTOM)
      x0 = right - h * n;
    else
      x0 = left;
    for (int i = 0; i < n; ++i) {
      const QString s = TextForCharset(FLogFont, lines[i]);
      const int lw = fm.horizontalAdvance(s);
      int y;
      if (Format & DT_CENTER)
        y = top + rect.height() / 2 + lw / 2;
      else if (Format & DT_RIGHT)
        y = top + lw;
      else
        y = bottom;
      if (!s.isEmpty()) TextOutRotated(dc, x0 + i * h, y, tenths, s);
    }
    return;
  }
  int y0;
  if (Format & DT_VCENTER)
    y0 = top + rect.height() / 2 - (h * n) / 2;
  else if (Format & DT_BOTTOM)
    y0 = bottom - h * n;
  else
    y0 = top;
  for (int i = 0; i < n; ++i) {
    const QString s = TextForCharset(FLogFont, lines[i]);
    const int lw = fm.horizontalAdvance(s);
    int x;
    if (Format & DT_CENTER)
      x = left + rect.width() / 2 - lw / 2;
    else if (Format & DT_RIGHT)
      x = right - lw;
    else
      x = left;
    if (!s.isEmpty()) TextOutRotated(dc, x, y0 + i * h, tenths, s);
  }
}

void TFontEx::DrawFormatted(QPainter* dc, const QRect& rect, const QString& text, TPageLines* sheets) const {
  if (!dc || !dc->device() || text.isEmpty()) return;
  SelectInto(dc);
  QRect box = rect;
  if (sheets && sheets->Active() && (Format & DT_SINGLELINE) && Angle() == 0) {
    // The line's own box, placed on the sheet that holds it whole.
    const int lineHeight = QFontMetrics(dc->font(), dc->device()).height();
    const std::optional<int32_t> row = sheets->PlaceSingleLine(lineHeight, (Format & DT_VCENTER)  ? TPageLines::Centred
                                                                           : (Format & DT_BOTTOM) ? TPageLines::AtBottom
                                                                                                  : TPageLines::AtTop);
    if (!row) {
      UnselectFrom(dc);
      return;
    }
    box = QRect(rect.left(), *row, rect.width(), lineHeight);
  }
  int flags = Qt::TextExpandTabs;
  if (Format & DT_CENTER)
    flags |= Qt::AlignHCenter;
  else if (Format & DT_RIGHT)
    flags |= Qt::AlignRight;
  else
    flags |= Qt::AlignLeft;
  QString s = text;
  if (Format & DT_SINGLELINE) {
    // Vertical placement applies to single lines only, as in the platform's output.
    if (Format & DT_VCENTER)
      flags |= Qt::AlignVCenter;
    else if (Format & DT_BOTTOM)
      flags |= Qt::AlignBottom;
    else
      flags |= Qt::AlignTop;
    s = StripControls(s);
  } else {
    flags |= Qt::AlignTop;
    if (Format & DT_WORDBREAK) flags |= Qt::TextWordWrap;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QChar('\r'), QChar('\n'));
  }
  dc->save();
  dc->setClipRect(box, dc->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  dc->drawText(box, flags, TextForCharset(FLogFont, s));
  dc->restore();
  UnselectFrom(dc);
}

QJsonObject FontToJson(const TFontEx& font) {
  QJsonObject json;
  json[QStringLiteral("name")] = font.Name();
  json[QStringLiteral("size")] = font.Size();
  json[QStringLiteral("style")] = font.Style();
  json[QStringLiteral("angle")] = font.Angle();
  json[QStringLiteral("charset")] = font.Charset();
  json[QStringLiteral("format")] = font.Format;
  json[QStringLiteral("color")] = static_cast<qint64>(font.Color);
  json[QStringLiteral("bkgColor")] = static_cast<qint64>(font.BkgColor);
  json[QStringLiteral("transparent")] = font.Transparent;
  return json;
}
