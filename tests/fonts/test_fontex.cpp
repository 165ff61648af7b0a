// The extended font: size arithmetic, the stored record, stream values and the Qt mapping.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <cstddef>
#include <cstring>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uDrawContext.h"
#include "uFontEx.h"
#include "uNewQS.h"

// Wrong rounding or a swapped multiply-divide makes every text of a document a size off.
TEST(FontExArithmetic, SizeHeightResolutionAndMillimetres) {
  TFontEx f;
  EXPECT_EQ(f.Size(), 10);
  EXPECT_EQ(f.Resolution(), 1);
  f.SetResolution(96);
  EXPECT_EQ(f.Height(), -13);
  EXPECT_EQ(f.Size(), 10);
  f.SetHeight(-20);  // 15 pt at 96 dpi
  EXPECT_EQ(f.Size(), 15);
  f.SetResolution(300);  // size is kept, height follows
  EXPECT_EQ(f.Size(), 15);
  EXPECT_EQ(f.Height(), -63);  // 62.5 rounds away from zero
  f.SetSize(10);
  EXPECT_NEAR(f.SizeMM(), 3.5277, 1e-4);
  f.SetSizeMM(5);
  EXPECT_EQ(f.Size(), 14);
}

// Derived properties write the record fields that files and other programs read.
TEST(FontExArithmetic, AngleAndStyleWriteTheRecord) {
  TFontEx f;
  f.SetAngle(90);
  EXPECT_EQ(f.LogFont().lfEscapement, 900);
  EXPECT_EQ(f.LogFont().lfOrientation, 900);
  EXPECT_EQ(f.Angle(), 90);
  f.SetStyle(fsBold | fsUnderline);
  EXPECT_EQ(f.LogFont().lfWeight, 700);
  EXPECT_EQ(f.LogFont().lfItalic, 0);
  EXPECT_EQ(f.LogFont().lfUnderline, 1);
  EXPECT_EQ(f.Style(), fsBold | fsUnderline);
  f.SetStyle(fsItalic | fsStrikeOut);
  EXPECT_EQ(f.LogFont().lfWeight, 400);
  EXPECT_EQ(f.Style(), fsItalic | fsStrikeOut);
  TLogFont lf = f.LogFont();
  lf.lfWeight = 501;  // anything above 500 counts as bold
  f.SetLogFont(lf);
  EXPECT_TRUE(f.Style() & fsBold);
}

// The record is stored in files byte for byte: field order and packing must match.
TEST(FontExRecord, DefaultRecordBytesAtTheirOffsets) {
  EXPECT_EQ(offsetof(TLogFont, lfWeight), 16u);
  EXPECT_EQ(offsetof(TLogFont, lfItalic), 20u);
  EXPECT_EQ(offsetof(TLogFont, lfCharSet), 23u);
  EXPECT_EQ(offsetof(TLogFont, lfFaceName), 28u);
  TFontEx f;
  f.SetResolution(96);
  TComPtr<ICompoundStream> s = NewQS();
  ASSERT_TRUE(f.SaveToQS(s.Get()));
  uint8_t bytes[64] = {};
  uint32_t size = sizeof bytes;
  ASSERT_EQ(s->ReadData(256, 0, bytes, &size), S_OK);
  ASSERT_EQ(size, 60u);
  int32_t height;
  std::memcpy(&height, bytes, 4);
  EXPECT_EQ(height, -13);
  EXPECT_EQ(bytes[23], 204);  // charset
  EXPECT_EQ(bytes[24], 4);    // output precision
  EXPECT_EQ(bytes[26], 2);    // quality
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes + 28)), "Arial");
}

// A load must take every value and recompute the height from Size at the current resolution.
TEST(FontExStream, RoundTripSetsSizeLast) {
  TFontEx a;
  a.SetResolution(96);
  a.SetSize(14);
  a.SetName(QString::fromUtf8("Times New Roman"));
  a.SetStyle(fsBold | fsItalic);
  a.SetAngle(45);
  a.Format = DT_CENTER | DT_BOTTOM | DT_WORDBREAK;
  a.Color = 0x0000FF;
  a.BkgColor = 0x00FF00;
  a.Transparent = false;
  TComPtr<ICompoundStream> s = NewQS();
  ASSERT_TRUE(a.SaveToQS(s.Get()));
  EXPECT_EQ(qsReadInteger(s.Get(), 261, 0), 14);

  TFontEx b;
  b.SetResolution(300);
  ASSERT_TRUE(b.LoadFromQS(s.Get()));
  EXPECT_EQ(b.Name(), "Times New Roman");
  EXPECT_EQ(b.Style(), fsBold | fsItalic);
  EXPECT_EQ(b.Angle(), 45);
  EXPECT_EQ(b.Format, DT_CENTER | DT_BOTTOM | DT_WORDBREAK);
  EXPECT_EQ(b.Color, 0x0000FFu);
  EXPECT_EQ(b.BkgColor, 0x00FF00u);
  EXPECT_FALSE(b.Transparent);
  EXPECT_EQ(b.Size(), 14);
  EXPECT_EQ(b.Height(), -58);  // from Size at 300 dpi, not the stored -19
}

// An older or foreign stream without a font record must not wipe the font out;
// a value of the wrong kind under 256 is not a record.
TEST(FontExStream, MissingOrWrongRecordKeepsTheCurrentFont) {
  TFontEx f;
  f.SetName("Courier New");
  f.SetStyle(fsBold);
  TComPtr<ICompoundStream> s = NewQS();
  ASSERT_TRUE(f.LoadFromQS(s.Get()));
  EXPECT_EQ(f.Name(), "Courier New");
  EXPECT_EQ(f.Style(), fsBold);
  EXPECT_EQ(f.Size(), 12);  // the stream's documented default
  EXPECT_TRUE(f.Transparent);
  EXPECT_EQ(f.BkgColor, 0xFFFFFFu);

  qsWriteInteger(s.Get(), 256, 7);
  ASSERT_TRUE(f.LoadFromQS(s.Get()));
  EXPECT_EQ(f.Name(), "Courier New");

  // A short record replaces only the bytes it holds.
  const int32_t height = -40;
  s->WriteBuffer(256, &height, 4);
  ASSERT_TRUE(f.LoadFromQS(s.Get()));
  EXPECT_EQ(f.Name(), "Courier New");
  EXPECT_FALSE(f.LoadFromQS(nullptr));
}

// A face name filling all 32 bytes has no terminator; reading it must stop at 32.
TEST(FontExRecord, UnterminatedFaceNameIsReadSafely) {
  TLogFont lf = DefaultLogFont();
  std::memset(lf.lfFaceName, 'A', 32);
  EXPECT_EQ(LogFontFaceName(lf).size(), 32);
  TFontEx f;
  f.SetName(QString(40, QChar('B')));
  EXPECT_EQ(f.Name().size(), 31);
  f.SetName(QString::fromUtf8("Шрифт"));  // Cyrillic faces are stored in Windows-1251
  EXPECT_EQ(static_cast<uint8_t>(f.LogFont().lfFaceName[0]), 0xD8);
  EXPECT_EQ(f.Name(), QString::fromUtf8("Шрифт"));
}

TEST(FontExRecord, AssignCopiesResolutionThenSize) {
  TFontEx a;
  a.SetResolution(96);
  a.SetSize(12);
  a.Color = 0x123456;
  a.Transparent = false;
  a.Format = DT_RIGHT;
  TFontEx b;
  b.Assign(a);
  EXPECT_EQ(b.Resolution(), 96);
  EXPECT_EQ(b.Size(), 12);
  EXPECT_EQ(b.Height(), -16);
  EXPECT_EQ(b.Color, 0x123456u);
  EXPECT_FALSE(b.Transparent);
  EXPECT_EQ(b.Format, DT_RIGHT);
}

// Documents name Windows faces; without a metric-compatible substitute every
// line break would move.
TEST(FontExQt, FacesMapToInstalledMetricCompatibleFamilies) {
  EXPECT_EQ(ResolveFontFamily("Arial"), "Liberation Sans");
  EXPECT_EQ(ResolveFontFamily("times new roman"), "Liberation Serif");
  EXPECT_EQ(ResolveFontFamily("Courier New"), "Liberation Mono");
  EXPECT_EQ(ResolveFontFamily("No Such Face 123"), "DejaVu Sans");
  EXPECT_EQ(ResolveFontFamily(""), "DejaVu Sans");

  TFontEx f;
  f.SetResolution(96);
  f.SetStyle(fsBold | fsItalic | fsUnderline | fsStrikeOut);
  const QFont q = f.ToQFont();
  EXPECT_EQ(q.pixelSize(), 13);
  EXPECT_EQ(q.weight(), QFont::Bold);
  EXPECT_TRUE(q.italic());
  EXPECT_TRUE(q.underline());
  EXPECT_TRUE(q.strikeOut());
  EXPECT_EQ(QFontInfo(q).family(), "Liberation Sans");
}

// Text typed for the Symbol font holds Latin letters and 1251 bytes that mean Greek and math signs.
TEST(FontExQt, SymbolCharsetShowsGreekAndMath) {
  TLogFont lf = DefaultLogFont();
  lf.lfCharSet = SYMBOL_CHARSET;
  EXPECT_EQ(TextForCharset(lf, "abgDW"), QString::fromUtf8("αβγΔΩ"));
  EXPECT_EQ(TextForCharset(lf, QString(QChar(0xF061))), QString::fromUtf8("α"));  // private code point
  EXPECT_EQ(TextForCharset(lf, QString::fromUtf8("\u00B1")), QString::fromUtf8("±"));
  // 0xA3 (1251: Cyrillic Je) is the Symbol font's "less or equal".
  EXPECT_EQ(TextForCharset(lf, QString::fromUtf8("Ј")), QString::fromUtf8("≤"));
  lf.lfCharSet = RUSSIAN_CHARSET;
  EXPECT_EQ(TextForCharset(lf, "abg"), "abg");
  EXPECT_EQ(SymbolToUnicode(0x80), 0);
  EXPECT_EQ(SymbolToUnicode(0x300), 0);
}

TEST(FontExQt, ColourValuesAreBlueGreenRed) {
  EXPECT_EQ(ColorRefToQColor(0x0000FF), QColor(255, 0, 0));
  EXPECT_EQ(QColorToColorRef(QColor(0, 128, 0)), 0x008000u);
}
