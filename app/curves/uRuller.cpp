#include "uRuller.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPaintDevice>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uDrawContext.h"
#include "uIniFile.h"
#include "uNumbers.h"
#include "uPrintDeepObject.h"

namespace {

constexpr int32_t idStep = 512;
constexpr int32_t idMarkSize = 513;
constexpr int32_t idModulus = 514;
constexpr int32_t idRight = 515;
constexpr int32_t idHasFont = 516;

// Right-aligned, vertically centred, single line.
constexpr int32_t kLabelFormat = DT_RIGHT | DT_VCENTER | DT_SINGLELINE;

// Mark indexes are counted in doubles first: beyond 2^53 they no longer name
// distinct marks, and a damaged ruler (a step of 1e-300) must not loop for ever.
constexpr double kMaxIndex = 9007199254740992.0;
// Positions computed through a division may miss a mark standing exactly on
// the column's edge by the last bit.
constexpr double kEdgeTolerance = 1e-9;

QString Number(double v) { return QString::fromStdString(FormatGeneral(v)); }
QString Label(double v) { return QString::fromStdString(FormatSignificant(v, 5)); }

double ParseNumber(const QString& text, double def) {
  const QByteArray bytes = text.toUtf8();
  return ReadNumber(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), def);
}

// Text to boolean: a number (non-zero is true) or the words true and false.
bool ParseBool(const QString& text, bool def) {
  const QString t = text.trimmed();
  if (t.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0) return true;
  if (t.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0) return false;
  const double v = ParseNumber(t, std::nan(""));
  return std::isnan(v) ? def : v != 0;
}

// A horizontal or vertical line whose end point is left out, as the
// platform's line drawing does: a mark of m pixels covers exactly m pixels.
void LineExclusive(QPainter* dc, int x1, int y1, int x2, int y2) {
  if (x1 == x2 && y1 == y2) return;
  const int ex = x2 == x1 ? x2 : (x2 > x1 ? x2 - 1 : x2 + 1);
  const int ey = y2 == y1 ? y2 : (y2 > y1 ? y2 - 1 : y2 + 1);
  dc->drawLine(x1, y1, ex, ey);
}

// Text whose top-left corner is at x, y, turned by the font's angle about that corner.
void TextOutWithFont(QPainter* dc, const TFontEx& font, int x, int y, const QString& text) {
  font.SelectInto(dc);
  const QFontMetrics fm(dc->font(), dc->device());
  if (font.Angle() != 0) {
    dc->save();
    dc->translate(x, y);
    dc->rotate(-font.Angle());
    dc->drawText(QPoint(0, fm.ascent()), text);
    dc->restore();
  } else {
    dc->drawText(QPoint(x, y + fm.ascent()), text);
  }
  font.UnselectFrom(dc);
}

// The range of mark indexes [first, last] as doubles, checked for use as
// integers; false when there is nothing sensible to draw.
bool IndexRange(double first, double last, int64_t* i1, int64_t* i2) {
  if (!std::isfinite(first) || !std::isfinite(last) || first > last) return false;
  if (std::fabs(first) > kMaxIndex || std::fabs(last) > kMaxIndex) return false;
  *i1 = static_cast<int64_t>(first);
  *i2 = static_cast<int64_t>(last);
  return true;
}

}  // namespace

TRuller::TRuller() { CreateFont(); }

TRuller::TRuller(const TRuller& source) { Assign(source); }

TRuller& TRuller::operator=(const TRuller& source) {
  if (this != &source) Assign(source);
  return *this;
}

TRuller::~TRuller() = default;

void TRuller::Assign(const TRuller& source) {
  FStep = source.FStep;
  FModulus = source.FModulus;
  FMarkSize = source.FMarkSize;
  FRight = source.FRight;
  if (source.FFont)
    CreateFont()->Assign(*source.FFont);
  else
    RemoveFont();
}

void TRuller::SetStep(double value) {
  if (value != 0 && value != FStep && std::isfinite(value)) FStep = value;
}

void TRuller::SetModulus(double value) {
  if (value != 0 && value != FModulus && std::isfinite(value)) FModulus = value;
}

TFontEx TRuller::DefaultFont() {
  TFontEx font;
  font.SetSize(10);
  font.Format = kLabelFormat;
  return font;
}

TFontEx* TRuller::CreateFont() {
  // Every ruler starts with one (a document load makes hundreds): copied
  // from one made once.
  static const TFontEx kDefault = DefaultFont();
  if (!FFont) FFont.emplace(kDefault);
  return &*FFont;
}

QString TRuller::ToText() const {
  return QStringLiteral("STEP=") + Number(FStep) + QStringLiteral(" KOEF=") + Number(FModulus) +
         QStringLiteral(" MARKSIZE=") + Number(FMarkSize) + QStringLiteral(" RIGHT=") + (FRight ? u'1' : u'0') +
         QStringLiteral(" FONT=") + (FFont ? u'1' : u'0');
}

void TRuller::LoadFromText(const QString& text) {
  for (const QString& piece : text.split(QLatin1Char(' '))) {
    const QStringList pair = piece.split(QLatin1Char('='));
    if (pair.size() != 2) continue;
    const QString& key = pair[0];
    const QString& value = pair[1];
    if (key == QLatin1String("STEP"))
      SetStep(ParseNumber(value, FStep));
    else if (key == QLatin1String("KOEF"))
      SetModulus(ParseNumber(value, FModulus));
    else if (key == QLatin1String("MARKSIZE"))
      FMarkSize = ParseNumber(value, FMarkSize);
    else if (key == QLatin1String("RIGHT"))
      FRight = ParseBool(value, FRight);
    else if (key == QLatin1String("FONT")) {
      if (value == QLatin1String("1"))
        CreateFont();
      else
        RemoveFont();
    }
  }
}

bool TRuller::LoadFromIni(const TIniFile* ini, const QString& section, const QString& key) {
  if (!ini) return false;
  LoadFromText(ini->ReadString(section, key, QString()));
  if (FFont) FFont->LoadFromIni(ini, section, key + QStringLiteral(".FONT."));
  return true;
}

bool TRuller::SaveToIni(TIniFile* ini, const QString& section, const QString& key) const {
  if (!ini || section.isEmpty() || key.isEmpty()) return false;
  bool ok = ini->WriteString(section, key, ToText());
  if (FFont) ok = FFont->SaveToIni(ini, section, key + QStringLiteral(".FONT.")) && ok;
  return ok;
}

bool TRuller::LoadFromQS(ICompoundStream* stream) {
  if (!stream) return false;
  FStep = qsReadDouble(stream, idStep, 10.0);
  FMarkSize = qsReadDouble(stream, idMarkSize, 2.0);
  FModulus = qsReadDouble(stream, idModulus, 5.0);
  FRight = qsReadBool(stream, idRight, true);
  if (qsReadBool(stream, idHasFont, true))
    CreateFont()->LoadFromQS(stream);
  else
    RemoveFont();
  return true;
}

bool TRuller::SaveToQS(ICompoundStream* stream) const {
  if (!stream) return false;
  if (!qsWriteDouble(stream, idStep, FStep) || !qsWriteDouble(stream, idMarkSize, FMarkSize) ||
      !qsWriteDouble(stream, idModulus, FModulus) || !qsWriteBool(stream, idRight, FRight) ||
      !qsWriteBool(stream, idHasFont, FFont.has_value()))
    return false;
  return !FFont || FFont->SaveToQS(stream);
}

bool TRuller::LoadFromStream(IStream* stream) {
  if (!stream) return false;
  TComPtr<ICompoundStream> qs;
  if (qsCreateFromStream(stream, qs.Put()) != S_OK || !qs) return false;
  return LoadFromQS(qs.Get());
}

bool TRuller::SaveToStream(IStream* stream) const {
  if (!stream) return false;
  TComPtr<ICompoundStream> qs;
  qsCreateCompoundStream(qs.Put());
  if (!qs || !SaveToQS(qs.Get())) return false;
  return qsSaveToStream(qs.Get(), stream) == S_OK;
}

void TRuller::DrawDepthMarks(const TDrawContext& context, const TPrintDeepObject& scale) const {
  QPainter* dc = context.DC;
  if (!dc || !dc->device()) return;
  const double u = FStep * FModulus;  // page mm between marks
  const double rowsPerMm = static_cast<double>(context.Ky()) * static_cast<double>(context.Zoom);
  // Marks closer than a device pixel would merge into one band: nothing to
  // tell apart, and a damaged ruler (a step of 1e-300) would loop for ever.
  if (!std::isfinite(u) || !(std::fabs(u) * rowsPerMm >= 1)) return;

  const TRect r = scale.GetPixelRect(context);
  const int m = context.LengthX(FMarkSize);
  int markFrom, markTo;
  TRect box = r;
  if (FRight) {
    markFrom = r.Right - m;
    markTo = r.Right;
    box.Right = r.Right - m - 2;
  } else {
    markFrom = r.Left;
    markTo = r.Left + m;
    box.Left = r.Left + m + 2;
  }

  TFontEx font;
  int labelHeight = 0;
  if (FFont) {
    font.Assign(*FFont);
    font.SetResolution(RoundEven(context.DpiY() * static_cast<double>(context.Zoom)));
    labelHeight = std::abs(font.Height());
  }

  const double y0 = scale.DepthToPage(0);
  const double d = scale.Top() - y0;
  double first = std::ceil(d / u - kEdgeTolerance);
  double last = std::floor((scale.GetHeight() + d) / u + kEdgeTolerance);
  // Only the marks whose line or label can reach the rows being repainted.
  const double clipTop = context.PageY(context.ClipRect.Top - labelHeight - 1);
  const double clipBottom = context.PageY(context.ClipRect.Bottom + labelHeight + 1);
  if (u > 0) {
    first = std::max(first, std::floor((clipTop - y0) / u));
    last = std::min(last, std::ceil((clipBottom - y0) / u));
  }
  int64_t i1 = 0, i2 = 0;
  if (!IndexRange(first, last, &i1, &i2)) return;
  // A printed sheet ends at its page: a label cut by the page's edge would
  // print half on each sheet, so it stays whole on the page holding its mark
  // and is left off the page that holds only a part of it.
  const bool paged = dynamic_cast<const QPagedPaintDevice*>(dc->device()) != nullptr;
  int labelTop = r.Top, labelBottom = r.Bottom;
  if (paged) {
    labelTop = std::max(labelTop, context.ClipRect.Top);
    labelBottom = std::min(labelBottom, context.ClipRect.Bottom);
  }

  for (int64_t i = i1; i <= i2; ++i) {
    const double position = y0 + static_cast<double>(i) * u;
    const int y = context.PixelY(position);
    LineExclusive(dc, markFrom, y, markTo, y);
    if (FFont) {
      if (paged && (y < context.ClipRect.Top || y >= context.ClipRect.Bottom)) continue;
      // Centred on its mark, but kept inside the column (and the page): the
      // label of a mark on the column's top or bottom edge would print over
      // the block above or below (the head's last row, the next body).
      const int height = labelHeight / 2 * 2;
      int top = y - labelHeight / 2;
      if (labelBottom - labelTop >= height)
        top = std::clamp(top, labelTop, labelBottom - height);
      else if (r.Bottom - r.Top >= height)
        top = std::clamp(top, r.Top, r.Bottom - height);
      const QRect label(box.Left, top, box.Right - box.Left, height);
      if (label.width() > 0) font.DrawFormatted(dc, label, Label(static_cast<double>(i) * FStep));
    }
  }
}

void TRuller::DrawHorizontal(QPainter* dc, const QRect& strip, double fontZoom, double zoom, double offset) const {
  if (!dc || !dc->device()) return;
  const double px = dc->device()->logicalDpiX() / 25.4;
  const double py = dc->device()->logicalDpiY() / 25.4;
  const double u = FStep * FModulus;
  if (!std::isfinite(u) || !(zoom > 0) || !(std::fabs(u) * px * zoom >= 1) || !std::isfinite(offset)) return;
  int64_t i1 = 0, i2 = 0;
  if (!IndexRange(std::nearbyint(offset / u), std::nearbyint((offset + strip.width() / (px * zoom)) / u), &i1, &i2))
    return;
  const int m = RoundEven(FMarkSize * py);
  const int top = strip.top();
  const int bottom = strip.top() + strip.height();
  TFontEx font;
  if (FFont) {
    font.Assign(*FFont);
    font.SetResolution(RoundEven(dc->device()->logicalDpiY() * fontZoom));
  }
  for (int64_t i = i1; i <= i2; ++i) {
    const int x = strip.left() + RoundEven(px * zoom * (static_cast<double>(i) * u - offset));
    int labelRow;
    if (FRight) {
      LineExclusive(dc, x, bottom - m, x, bottom);
      labelRow = top + 1;
    } else {
      LineExclusive(dc, x, top, x, top + m);
      labelRow = top + m;
    }
    if (FFont) TextOutWithFont(dc, font, x + 1, labelRow, Label(static_cast<double>(i) * FStep));
  }
}

void TRuller::DrawVertical(QPainter* dc, const QRect& strip, double fontZoom, double zoom, double offset) const {
  if (!dc || !dc->device()) return;
  const double px = dc->device()->logicalDpiX() / 25.4;
  const double py = dc->device()->logicalDpiY() / 25.4;
  const double u = FStep * FModulus;
  if (!std::isfinite(u) || !(zoom > 0) || !(std::fabs(u) * py * zoom >= 1) || !std::isfinite(offset)) return;
  int64_t i1 = 0, i2 = 0;
  if (!IndexRange(std::nearbyint(offset / u), std::nearbyint((offset + strip.height() / (py * zoom)) / u), &i1, &i2))
    return;
  const int m = RoundEven(FMarkSize * px);
  const int left = strip.left();
  const int right = strip.left() + strip.width();
  TFontEx font;
  if (FFont) {
    font.Assign(*FFont);
    font.SetResolution(RoundEven(dc->device()->logicalDpiY() * fontZoom));
  }
  for (int64_t i = i1; i <= i2; ++i) {
    const int y = strip.top() + RoundEven(py * zoom * (static_cast<double>(i) * u - offset));
    int labelColumn;
    if (FRight) {
      LineExclusive(dc, right - m, y, right, y);
      labelColumn = left;
    } else {
      LineExclusive(dc, left, y, left + m, y);
      labelColumn = left + m;
    }
    if (FFont) TextOutWithFont(dc, font, labelColumn, y - 1, Label(static_cast<double>(i) * FStep));
  }
}

TRullerList ScreenRullers(Qt::Orientation orientation, double zoom) {
  // Coarser levels as the view shrinks, so labels keep their room.
  const double s = zoom > 0 && std::isfinite(zoom) ? std::max<double>(1, RoundEven(1 / zoom)) : 1;
  const double steps[3] = {s, s / 2, s / 10};
  const double marks[3] = {3, 2, 1};
  TRullerList rulers(3);
  for (int k = 0; k < 3; ++k) {
    rulers[k].SetModulus(10);  // centimetres on a millimetre page
    rulers[k].SetStep(steps[k]);
    rulers[k].SetMarkSize(marks[k]);
    rulers[k].SetRight(true);
    if (k == 0) {
      TFontEx* font = rulers[k].CreateFont();
      font->SetSize(8);
      if (orientation == Qt::Vertical) font->SetAngle(90);
    } else {
      rulers[k].RemoveFont();
    }
  }
  return rulers;
}

void DrawScreenRuller(QPainter* dc, const QRect& strip, Qt::Orientation orientation, double originMm, double zoom) {
  for (const TRuller& r : ScreenRullers(orientation, zoom)) {
    if (orientation == Qt::Horizontal)
      r.DrawHorizontal(dc, strip, 1, zoom, originMm);
    else
      r.DrawVertical(dc, strip, 1, zoom, originMm);
  }
}
