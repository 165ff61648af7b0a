// The extended font of every text-bearing object: a logical font record kept
// byte for byte as documents store it, plus colours, transparency, alignment
// and word wrap, with its persistence and its mapping onto Qt fonts.
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPen>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>

struct ICompoundStream;
class QJsonObject;
class QPainter;
class TIniFile;
class TPageLines;

// The platform's ANSI logical font record (60 bytes, stored in files as is).
#pragma pack(push, 1)
struct TLogFont {
  int32_t lfHeight;
  int32_t lfWidth;
  int32_t lfEscapement;
  int32_t lfOrientation;
  int32_t lfWeight;
  uint8_t lfItalic;
  uint8_t lfUnderline;
  uint8_t lfStrikeOut;
  uint8_t lfCharSet;
  uint8_t lfOutPrecision;
  uint8_t lfClipPrecision;
  uint8_t lfQuality;
  uint8_t lfPitchAndFamily;
  char lfFaceName[32];  // Windows-1251, NUL-terminated when shorter than 32
};
#pragma pack(pop)
static_assert(sizeof(TLogFont) == 60, "the stored logical font record is 60 bytes");

// Character sets the system names.
constexpr uint8_t ANSI_CHARSET = 0;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t SYMBOL_CHARSET = 2;
constexpr uint8_t RUSSIAN_CHARSET = 204;

// Formatted text output flags (the bits of TFontEx::Format).
constexpr int32_t DT_CENTER = 1;
constexpr int32_t DT_RIGHT = 2;
constexpr int32_t DT_VCENTER = 4;
constexpr int32_t DT_BOTTOM = 8;
constexpr int32_t DT_WORDBREAK = 16;
constexpr int32_t DT_SINGLELINE = 32;

// Style bits of TFontEx::Style.
constexpr int32_t fsBold = 1;
constexpr int32_t fsItalic = 2;
constexpr int32_t fsUnderline = 4;
constexpr int32_t fsStrikeOut = 8;

// A default logical font: charset 204, output precision 4, quality 2, face "Arial".
TLogFont DefaultLogFont();
QString LogFontFaceName(const TLogFont& lf);
void SetLogFontFaceName(TLogFont* lf, const QString& name);

// The installed family drawn for a face name: the face itself when installed,
// a metric-compatible Liberation font for the common Windows faces, else DejaVu Sans.
QString ResolveFontFamily(const QString& face);
// The Qt font for a logical font; the pixel size is |lfHeight| (the height at
// the target's resolution). Rotation is not part of a QFont: callers rotate
// the painter by the escapement.
QFont LogFontToQFont(const TLogFont& lf);
// Text as the font shows it: for the symbol charset every character is taken as
// the byte the Symbol font would receive and mapped to its Greek or math character.
QString TextForCharset(const TLogFont& lf, const QString& text);
// Unicode of a Symbol font byte (or of its private code point U+F0xx); 0 when unassigned.
char16_t SymbolToUnicode(uint32_t code);

class TFontEx {
 public:
  TFontEx();

  const TLogFont& LogFont() const { return FLogFont; }
  void SetLogFont(const TLogFont& lf) { FLogFont = lf; }

  int32_t Format = 0;
  uint32_t Color = 0;
  bool Transparent = true;
  uint32_t BkgColor = 0xFFFFFF;

  // Copies the logical font, Format, colours and transparency, then the
  // source's resolution, then its size (so the height suits that resolution).
  void Assign(const TFontEx& source);

  int32_t Resolution() const { return FResolution; }
  void SetResolution(int32_t value);  // keeps Size, recomputes the height
  int32_t Size() const { return FSize; }
  void SetSize(int32_t value);  // height := -MulDiv(Size, Resolution, 72)
  int32_t Height() const { return FLogFont.lfHeight; }
  void SetHeight(int32_t value);  // Size := -MulDiv(height, 72, Resolution)
  double SizeMM() const;
  void SetSizeMM(double mm);
  int32_t Angle() const { return FLogFont.lfEscapement / 10; }
  void SetAngle(int32_t degrees);
  int32_t Style() const;
  void SetStyle(int32_t style);
  bool Bold() const { return FLogFont.lfWeight > 500; }
  void SetBold(bool on) { FLogFont.lfWeight = on ? 700 : 400; }
  uint8_t Charset() const { return FLogFont.lfCharSet; }
  void SetCharset(uint8_t charset) { FLogFont.lfCharSet = charset; }
  QString Name() const { return LogFontFaceName(FLogFont); }
  void SetName(const QString& name) { SetLogFontFaceName(&FLogFont, name); }

  QFont ToQFont() const { return LogFontToQFont(FLogFont); }

  // Compound stream values 256-261 of the owning object.
  bool LoadFromQS(ICompoundStream* stream);
  bool SaveToQS(ICompoundStream* stream) const;
  // Ini keys prefix + ANGLE, BKGCOLOR, STYLE, COLOR, CHARSET, FORMAT, SIZE, NAME,
  // SIZEMM, TRANSPARENT. False without a file or a section name.
  bool LoadFromIni(const TIniFile* ini, const QString& section, const QString& prefix);
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) const;

  // Drawing onto a painter whose coordinates are device pixels.
  void SelectInto(QPainter* dc) const;
  void UnselectFrom(QPainter* dc) const;
  // With `sheets` (printing), a line that a sheet's edge would cut moves to
  // the next sheet; DrawFormatted does so for single lines.
  void DrawInRect(QPainter* dc, const QRect& rect, const QString& text, TPageLines* sheets = nullptr) const;
  void DrawFormatted(QPainter* dc, const QRect& rect, const QString& text, TPageLines* sheets = nullptr) const;
  QString WrapText(QPainter* dc, int width, const QString& text) const;
  QSize MeasureLine(QPainter* dc, const QString& line) const;
  // The pixels DrawInRect needs for `text` in a box `width` pixels wide
  // (lines broken as WrapText breaks them): the widest line with its inset,
  // and every line's height.
  QSize MeasureText(QPainter* dc, int width, const QString& text) const;
  // One line of marked-up text whose top-left corner is at x, y (the font
  // selected for it and restored afterwards); the width MeasureLine gives.
  void DrawLine(QPainter* dc, int x, int y, const QString& line) const;

 private:
  void DrawHorizontal(QPainter* dc, const QRect& rect, const QString& text, TPageLines* sheets) const;
  void DrawRotated(QPainter* dc, const QRect& rect, const QString& text) const;
  void DrawMarkupLine(QPainter* dc, int x, int y, const QString& line) const;

  TLogFont FLogFont;
  int32_t FResolution = 1;
  int32_t FSize = 10;

  // What SelectInto replaced, restored by UnselectFrom. Made on the first
  // SelectInto: a QFont, QPen and QBrush for every font object would cost a
  // document load more than the rest of the font's values together.
  struct TSaved {
    bool Valid = false;
    QFont Font;
    QPen Pen;
    QBrush Background;
    Qt::BGMode Mode = Qt::TransparentMode;
  };
  // Copies with the font (a copy taken between SelectInto and UnselectFrom
  // restores the same painter state).
  class TSavedSlot {
   public:
    TSavedSlot() = default;
    TSavedSlot(const TSavedSlot& other) : FPtr(other.FPtr ? std::make_unique<TSaved>(*other.FPtr) : nullptr) {}
    TSavedSlot& operator=(const TSavedSlot& other) {
      if (this != &other) FPtr = other.FPtr ? std::make_unique<TSaved>(*other.FPtr) : nullptr;
      return *this;
    }
    TSavedSlot(TSavedSlot&&) noexcept = default;
    TSavedSlot& operator=(TSavedSlot&&) noexcept = default;
    ~TSavedSlot() = default;
    bool Valid() const { return FPtr && FPtr->Valid; }
    TSaved& Get() {
      if (!FPtr) FPtr = std::make_unique<TSaved>();
      return *FPtr;
    }
    void Reset() { FPtr.reset(); }

   private:
    std::unique_ptr<TSaved> FPtr;
  };
  mutable TSavedSlot FSaved;
};

// The font's values for "Kerno --dump".
QJsonObject FontToJson(const TFontEx& font);
