#include "uPrintText.h"

#include <QImage>
#include <QJsonObject>
#include <QPainter>

#include "qsID.h"
#include "uCodePage.h"
#include "uIniFile.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPageLines.h"
#include "uPropertiesDialogs.h"
#include "uStoredText.h"

namespace {

std::string ToBytes(const QString& s) { return Utf8ToCp1251(s.toStdString()); }

const QString kCrLf = QStringLiteral("\r\n");
const QString kEscapedBreak = QStringLiteral("\\n");
const QString kQuotedEmpty = QStringLiteral("\" \"");

}  // namespace

TPrintText::TPrintText() = default;

void TPrintText::SetText(const QString& text) {
  FText = text;
  FPrintedText = text;
}

bool TPrintText::LoadFromQS(ICompoundStream* stream) {
  if (!TPrintObject::LoadFromQS(stream)) return false;
  // A stream of an older writer holds only the short strings; the full texts
  // replace them when present. Read in stored order.
  std::string_view text, printed, fullText, fullPrinted;
  qsViewString(stream, 4096, &text);
  qsViewString(stream, 4097, &printed);
  qsViewString(stream, 4099, &fullText);
  qsViewString(stream, 4100, &fullPrinted);
  constexpr size_t kShortLimit = 255;
  FText = Cp1251Text(fullText.empty() ? text.substr(0, kShortLimit) : fullText);
  FPrintedText = Cp1251Text(fullPrinted.empty() ? printed.substr(0, kShortLimit) : fullPrinted);
  UseEditText = qsReadBool(stream, 4098, false);
  IntervalTop = qsReadDouble(stream, 4101, FTop);
  IntervalBottom = qsReadDouble(stream, 4102, FTop + GetHeight());
  Bound = qsReadBool(stream, 4103, false);
  FFont.LoadFromQS(stream);
  SetModified(false);
  return true;
}

bool TPrintText::SaveToQS(ICompoundStream* stream) {
  if (!TPrintObject::SaveToQS(stream)) return false;
  const std::string text = ToBytes(FText);
  const std::string printed = ToBytes(FPrintedText);
  const bool ok = qsWriteShortStr(stream, 4096, text) && qsWriteShortStr(stream, 4097, printed) &&
                  qsWriteString(stream, 4099, text) && qsWriteString(stream, 4100, printed) &&
                  qsWriteBool(stream, 4098, UseEditText) && qsWriteDouble(stream, 4101, IntervalTop) &&
                  qsWriteDouble(stream, 4102, IntervalBottom) && qsWriteBool(stream, 4103, Bound) &&
                  FFont.SaveToQS(stream);
  if (!ok) return false;
  SetModified(false);
  return true;
}

QString EncodeIniText(const QString& text) {
  if (text.isEmpty()) return kQuotedEmpty;
  QString out = text;
  out.replace(kCrLf, kEscapedBreak);
  // A lone CR or LF cannot stand in an INI line either; it comes back as CR LF.
  out.replace(QChar('\r'), kEscapedBreak);
  out.replace(QChar('\n'), kEscapedBreak);
  return out;
}

QString DecodeIniText(const QString& value) {
  if (value == kQuotedEmpty) return QString();
  QString out;
  out.reserve(value.size());
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value[i] == QChar('\\') && i + 1 < value.size() && value[i + 1] == QChar('n') &&
        (i == 0 || value[i - 1] != QChar('\\'))) {
      out += kCrLf;
      ++i;
      continue;
    }
    out += value[i];
  }
  return out;
}

bool TPrintText::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TPrintObject::LoadFromIni(ini, section, prefix)) return false;
  if (ini->ValueExists(section, prefix + "TEXT")) SetText(DecodeIniText(ini->ReadString(section, prefix + "TEXT", "")));
  FBorder = ini->ReadBool(section, prefix + "RECT", FBorder);
  FFont.LoadFromIni(ini, section, prefix + "FONT.");
  return true;
}

bool TPrintText::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TPrintObject::SaveToIni(ini, section, prefix)) return false;
  bool ok = ini->WriteString(section, prefix + "TEXT", EncodeIniText(FText));
  ok = ini->WriteBool(section, prefix + "RECT", FBorder) && ok;
  ok = FFont.SaveToIni(ini, section, prefix + "FONT.") && ok;
  return ok;
}

void TPrintText::GetCaption(QString* text) {
  if (!text) return;
  if (FText.isEmpty()) {
    *text = TranslateWord("Text");
    return;
  }
  const qsizetype cr = FText.indexOf(QChar('\r'));
  *text = cr < 0 ? FText : FText.left(cr);
}

void TPrintText::Draw(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0) return;
  QPainter* dc = context.DC;
  if (dc && context.Has(doBorders)) {
    const TRect r = GetPixelRect(context);
    if (!r.Intersects(context.ClipRect)) return;
    const int yTop = context.PixelY(IntervalTop);
    const int yBottom = context.PixelY(IntervalBottom);
    const int xLeft = r.Left;
    const int xRight = r.Right;

    FFont.SetResolution(RoundEven(context.DpiY() * static_cast<double>(context.Zoom)));
    TRect box = r;
    if (Bound && FBorder) {
      box.Left = context.PixelX(FLeft + LeftIndent);
      box.Right = context.PixelX(FLeft + GetWidth() - RightIndent);
    }
    const QString text = UseEditText ? FText : FPrintedText;
    TPageLines sheets(context, FTop, GetHeight(), r.Top);
    FFont.DrawInRect(dc, ToQRect(box), FFont.WrapText(dc, box.Width(), text), &sheets);

    // Leader ticks from the interval's middle to the box's middle; their
    // lengths are page lengths at zoom 1.
    const int yInterval = (yTop + yBottom) / 2;
    const int yBox = (box.Top + box.Bottom) / 2;
    if (LeftTick > 0) dc->drawLine(box.Left, yInterval, box.Left + RoundEven(context.Kx() * LeftTick), yBox);
    if (RightTick > 0) dc->drawLine(box.Right, yInterval, box.Right - RoundEven(context.Kx() * RightTick), yBox);

    if (Bound) {
      DrawSelection(context);
      if (FBorder) {
        const QPoint top[4] = {{xLeft, yTop}, {box.Left, box.Top}, {box.Right, box.Top}, {xRight, yTop}};
        const QPoint bottom[4] = {{xLeft, yBottom}, {box.Left, box.Bottom}, {box.Right, box.Bottom}, {xRight, yBottom}};
        dc->drawPolyline(top, 4);
        dc->drawPolyline(bottom, 4);
      }
      return;
    }
  } else if (Bound) {
    DrawSelection(context);
    return;
  }
  TPrintObject::Draw(context);
}

bool TPrintText::EditProperties() { return RunPropertiesDialog(QStringLiteral("TPrintText"), this); }

void TPrintText::DumpProperties(QJsonObject* json) const {
  if (!json) return;
  TPrintObject::DumpProperties(json);
  (*json)[QStringLiteral("text")] = FText;
  (*json)[QStringLiteral("printedText")] = FPrintedText;
  (*json)[QStringLiteral("useEditText")] = UseEditText;
  (*json)[QStringLiteral("bound")] = Bound;
  (*json)[QStringLiteral("intervalTop")] = IntervalTop;
  (*json)[QStringLiteral("intervalBottom")] = IntervalBottom;
  QJsonObject font;
  font[QStringLiteral("name")] = FFont.Name();
  font[QStringLiteral("size")] = FFont.Size();
  font[QStringLiteral("style")] = FFont.Style();
  font[QStringLiteral("angle")] = FFont.Angle();
  font[QStringLiteral("charset")] = FFont.Charset();
  font[QStringLiteral("format")] = FFont.Format;
  font[QStringLiteral("color")] = static_cast<qint64>(FFont.Color);
  font[QStringLiteral("bkgColor")] = static_cast<qint64>(FFont.BkgColor);
  font[QStringLiteral("transparent")] = FFont.Transparent;
  (*json)[QStringLiteral("font")] = font;
}

void RegisterTextKinds() {
  RegisterKind(kindText, []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintText>(); });
}

void TPrintText::GrowToText() {
  if (FFont.Angle() != 0) return;
  // Measured as a 300 dpi printer would draw it.
  constexpr int kDpi = 300;
  constexpr double kMmPerPixel = 25.4 / kDpi;
  QImage probe(1, 1, QImage::Format_RGB32);
  probe.setDotsPerMeterX(qRound(kDpi / 0.0254));
  probe.setDotsPerMeterY(qRound(kDpi / 0.0254));
  QPainter dc(&probe);
  TFontEx font;
  font.Assign(FFont);
  font.SetResolution(kDpi);
  const QString text = UseEditText ? FText : FPrintedText;
  const QSize need = font.MeasureText(&dc, RoundEven(GetWidth() / kMmPerPixel), text);
  if (need.isEmpty()) return;
  // A millimetre to spare: screen fonts, hinted at few pixels, run wider.
  const double width = need.width() * kMmPerPixel + 1;
  const double height = need.height() * kMmPerPixel;
  if (width > GetWidth() && !(FFont.Format & DT_WORDBREAK)) SetWidth(width);
  if (height > GetHeight()) SetHeight(height);
}

void TPrintText::ShiftInterval(double dy) {
  IntervalTop += dy;
  IntervalBottom += dy;
}

void TPrintText::RescaleInterval(double factor, double top) {
  IntervalTop = top + factor * (IntervalTop - top);
  IntervalBottom = top + factor * (IntervalBottom - top);
}
