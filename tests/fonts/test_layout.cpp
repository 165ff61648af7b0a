// Text layout by geometry: where each piece of text lands, in which font and colour.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

#include "uFontEx.h"
#include "uRecordingDevice.h"

namespace {

// A 10 pt font at 96 dpi: height -13.
TFontEx Font10() {
  TFontEx f;
  f.SetResolution(96);
  f.SetSize(10);
  return f;
}

int Advance(const QFont& font, QPaintDevice* dev, const QString& s) {
  return QFontMetrics(font, dev).horizontalAdvance(s);
}

// Top of the text's cell in device pixels (texts are placed by their top-left
// corner; the layout uses whole-pixel ascents).
double TopOf(const TRecordedItem* t) { return t->Baseline.y() - std::round(t->Ascent); }

std::vector<QString> Strings(const TRecordingDevice& dev) {
  std::vector<QString> out;
  for (const TRecordedItem* t : dev.Texts()) out.push_back(t->Text);
  return out;
}

}  // namespace

// The subscript must be smaller, lowered by half the font height, and the
// following text back at full size; centring counts the subscript at two thirds.
TEST(FontLayout, SubscriptIsSmallerLoweredAndMeasuredAtTwoThirds) {
  TRecordingDevice dev(QSize(400, 200), 96);
  const TFontEx f = Font10();
  QPainter p(&dev);
  f.DrawInRect(&p, QRect(0, 0, 400, 100), "H$D2$NO");
  const auto texts = dev.Texts();
  ASSERT_EQ(texts.size(), 3u) << dev.Dump();
  EXPECT_EQ(texts[0]->Text, "H");
  EXPECT_EQ(texts[1]->Text, "2");
  EXPECT_EQ(texts[2]->Text, "O");
  EXPECT_EQ(texts[0]->FontPixelSize, 13);
  EXPECT_EQ(texts[1]->FontPixelSize, 8);  // 13 * 2 div 3
  EXPECT_EQ(texts[2]->FontPixelSize, 13);
  EXPECT_DOUBLE_EQ(texts[0]->Baseline.x(), 2);
  EXPECT_DOUBLE_EQ(TopOf(texts[0]), 2);
  EXPECT_DOUBLE_EQ(TopOf(texts[1]), 2 + 6);  // 13 div 2 lower
  EXPECT_DOUBLE_EQ(TopOf(texts[2]), 2);
  QFont big = f.ToQFont();
  QFont small = big;
  small.setPixelSize(8);
  const int wH = Advance(big, &dev, "H");
  EXPECT_DOUBLE_EQ(texts[1]->Baseline.x(), 2 + wH);
  EXPECT_DOUBLE_EQ(texts[2]->Baseline.x(), 2 + wH + Advance(small, &dev, "2"));

  const QSize m = f.MeasureLine(&p, "H$D2$NO");
  EXPECT_EQ(m.width(), wH + Advance(big, &dev, "2") * 2 / 3 + Advance(big, &dev, "O"));
  EXPECT_EQ(m.height(), QFontMetrics(big, &dev).height());
}

// "$$" must draw one dollar sign, and a "$" at the end of a line is plain text.
TEST(FontLayout, DoubleDollarDrawsOneDollar) {
  TRecordingDevice dev(QSize(400, 200), 96);
  QPainter p(&dev);
  const TFontEx f = Font10();
  f.DrawInRect(&p, QRect(0, 0, 400, 100), "$$5");
  EXPECT_EQ(Strings(dev), std::vector<QString>({"$", "5"}));
  dev.Clear();
  f.DrawInRect(&p, QRect(0, 0, 400, 100), "5$");
  EXPECT_EQ(Strings(dev), std::vector<QString>({"5", "$"}));
  EXPECT_EQ(f.MeasureLine(&p, "$$5").width(), Advance(f.ToQFont(), &dev, "$5"));
}

// Escapes switch the text colour; "$d" goes back to the font's own colour.
TEST(FontLayout, MarkupColours) {
  TRecordingDevice dev(QSize(400, 200), 96);
  QPainter p(&dev);
  TFontEx f = Font10();
  f.Color = 0x00FF00;
  f.DrawInRect(&p, QRect(0, 0, 400, 100), "a$rb$bc$gd$de$yf$lg");
  const auto t = dev.Texts();
  ASSERT_EQ(t.size(), 7u) << dev.Dump();
  EXPECT_EQ(t[0]->State.PenColor, QColor(0, 255, 0));
  EXPECT_EQ(t[1]->State.PenColor, QColor(255, 0, 0));
  EXPECT_EQ(t[2]->State.PenColor, QColor(0, 0, 255));
  EXPECT_EQ(t[3]->State.PenColor, QColor(0, 128, 0));
  EXPECT_EQ(t[4]->State.PenColor, QColor(0, 255, 0));
  EXPECT_EQ(t[5]->State.PenColor, QColor(255, 255, 0));
  EXPECT_EQ(t[6]->State.PenColor, QColor(128, 128, 128));
}

// Style escapes accumulate until "$N"; "$S" shows the Symbol font's Greek; "$<" steps back one "$".
TEST(FontLayout, StyleEscapesAccumulateUntilNormal) {
  TRecordingDevice dev(QSize(400, 200), 96);
  QPainter p(&dev);
  const TFontEx f = Font10();
  f.DrawInRect(&p, QRect(0, 0, 400, 100), "$Ba$Ib$Na$Sp$N$<x");
  const auto t = dev.Texts();
  ASSERT_EQ(t.size(), 5u) << dev.Dump();
  EXPECT_EQ(t[0]->FontWeight, QFont::Bold);
  EXPECT_FALSE(t[0]->Italic);
  EXPECT_EQ(t[1]->FontWeight, QFont::Bold);
  EXPECT_TRUE(t[1]->Italic);
  EXPECT_EQ(t[2]->FontWeight, QFont::Normal);
  EXPECT_FALSE(t[2]->Italic);
  EXPECT_EQ(t[3]->Text, QString::fromUtf8("π"));
  const double afterPi = t[3]->Baseline.x() + std::round(t[3]->TextWidth);
  EXPECT_DOUBLE_EQ(t[4]->Baseline.x(), afterPi - Advance(f.ToQFont(), &dev, "$"));
}

// Horizontal alignment: centred on the rectangle's middle, right-aligned to its right edge.
TEST(FontLayout, CentreAndRightAlignment) {
  TRecordingDevice dev(QSize(400, 200), 96);
  QPainter p(&dev);
  TFontEx f = Font10();
  const int w = Advance(f.ToQFont(), &dev, "Hello");
  f.Format = DT_CENTER;
  f.DrawInRect(&p, QRect(10, 0, 200, 50), "Hello");
  f.Format = DT_RIGHT;
  f.DrawInRect(&p, QRect(10, 0, 200, 50), "Hello");
  const auto t = dev.Texts();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_DOUBLE_EQ(t[0]->Baseline.x(), 10 + 100 - w / 2);
  EXPECT_DOUBLE_EQ(t[1]->Baseline.x(), 210 - w);
}

// Vertical centring stacks the lines around the middle; bottom alignment ends at the bottom edge.
TEST(FontLayout, VerticalCentreAndBottom) {
  TRecordingDevice dev(QSize(400, 400), 96);
  QPainter p(&dev);
  TFontEx f = Font10();
  const int lh = QFontMetrics(f.ToQFont(), &dev).height();
  f.Format = DT_VCENTER;
  f.DrawInRect(&p, QRect(0, 100, 200, 101), "a\r\nb\r\nc");
  auto t = dev.Texts();
  ASSERT_EQ(t.size(), 3u) << dev.Dump();
  for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(TopOf(t[i]), 100 + 50 + i * lh - (3 * lh) / 2) << i;
  dev.Clear();
  f.Format = DT_BOTTOM;
  f.DrawInRect(&p, QRect(0, 100, 200, 100), "a\r\nb");
  t = dev.Texts();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_DOUBLE_EQ(TopOf(t[0]), 200 - 2 * lh);
  EXPECT_DOUBLE_EQ(TopOf(t[1]), 200 - lh);
  dev.Clear();
  f.Format = 0;  // top: lines step by the font height
  f.DrawInRect(&p, QRect(0, 100, 200, 100), "a\r\nb");
  t = dev.Texts();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_DOUBLE_EQ(TopOf(t[0]), 102);
  EXPECT_DOUBLE_EQ(TopOf(t[1]), 102 + 13);
}

// At 90 degrees the lines become columns one font height apart, read upwards, without markup.
TEST(FontLayout, NinetyDegreesDrawsLinesAsColumns) {
  TRecordingDevice dev(QSize(400, 400), 96);
  QPainter p(&dev);
  TFontEx f = Font10();
  f.SetAngle(90);
  f.DrawInRect(&p, QRect(50, 20, 100, 300), "A$Bb\r\nCD");
  const auto t = dev.Texts();
  ASSERT_EQ(t.size(), 2u) << dev.Dump();
  EXPECT_EQ(t[0]->Text, "A$Bb");
  EXPECT_EQ(t[1]->Text, "CD");
  EXPECT_DOUBLE_EQ(t[0]->Angle, -90);
  EXPECT_DOUBLE_EQ(t[1]->Baseline.x() - t[0]->Baseline.x(), 13);
  // Left alignment starts at the bottom edge, top alignment at the left edge.
  EXPECT_DOUBLE_EQ(t[0]->Baseline.y(), 320);
  EXPECT_DOUBLE_EQ(t[0]->Baseline.x() - std::round(t[0]->Ascent), 50);
}

// Word wrap breaks at the last space before the limit and never splits a long word.
TEST(FontLayout, WrapBreaksAtSpacesAndKeepsLongWords) {
  TRecordingDevice dev(QSize(400, 400), 96);
  QPainter p(&dev);
  TFontEx f = Font10();
  f.Format = DT_WORDBREAK;
  const int w = Advance(f.ToQFont(), &dev, "aaaa aaaa");
  const QString wrapped = f.WrapText(&p, w + 6, "aaaa aaaa bb");
  EXPECT_EQ(wrapped, "aaaa aaaa\rbb");
  EXPECT_EQ(f.WrapText(&p, 30, "Pneumatolysis is"), "Pneumatolysis\ris");
  EXPECT_EQ(f.WrapText(&p, 30, "Pneumatolysis"), "Pneumatolysis");
  // Escapes take no width; an existing line break restarts the sum.
  EXPECT_EQ(f.WrapText(&p, w + 6, "$Baaaa aaaa\r\naaaa aaaa"), "$Baaaa aaaa\r\naaaa aaaa");
  f.Format = 0;  // without the word-break bit the text is left alone
  EXPECT_EQ(f.WrapText(&p, 30, "Pneumatolysis is"), "Pneumatolysis is");
}

// A non-transparent font paints its background colour behind the text.
TEST(FontLayout, OpaqueBackgroundUsesBkgColor) {
  TRecordingDevice dev(QSize(400, 400), 96);
  QPainter p(&dev);
  TFontEx f = Font10();
  f.Transparent = false;
  f.BkgColor = 0x00FFFF;
  f.DrawInRect(&p, QRect(0, 0, 200, 50), "x");
  const auto t = dev.Texts();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0]->State.BackgroundMode, Qt::OpaqueMode);
  EXPECT_EQ(t[0]->State.BackgroundColor, QColor(255, 255, 0));
  // The painter is handed back as it was.
  EXPECT_EQ(p.backgroundMode(), Qt::TransparentMode);
}

// Nothing is drawn for an empty text or a missing device.
TEST(FontLayout, EmptyTextOrNoDeviceDrawsNothing) {
  TRecordingDevice dev(QSize(400, 400), 96);
  QPainter p(&dev);
  const TFontEx f = Font10();
  f.DrawInRect(&p, QRect(0, 0, 200, 50), "");
  f.DrawInRect(nullptr, QRect(0, 0, 200, 50), "x");
  f.DrawFormatted(nullptr, QRect(0, 0, 200, 50), "x");
  EXPECT_EQ(f.WrapText(nullptr, 10, "a b"), "a b");
  EXPECT_EQ(f.MeasureLine(nullptr, "a"), QSize());
  EXPECT_TRUE(dev.Items().empty());
}

// Table cells: the format bits go to the formatted output (single line centred both ways).
TEST(FontLayout, FormattedOutputCentresASingleLine) {
  TRecordingDevice dev(QSize(400, 400), 96);
  QPainter p(&dev);
  TFontEx f = Font10();
  f.Format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  f.DrawFormatted(&p, QRect(0, 0, 200, 100), "cell");
  const auto t = dev.Texts();
  ASSERT_EQ(t.size(), 1u) << dev.Dump();
  EXPECT_NEAR(t[0]->Baseline.x() + t[0]->TextWidth / 2, 100, 1);
  EXPECT_NEAR(t[0]->Baseline.y() - t[0]->Ascent + (t[0]->Ascent + t[0]->Descent) / 2, 50, 1.5);
}

// Other angles stack the lines downwards one font height apart, each turned about its top-left corner.
TEST(FontLayout, OtherAnglesStackLinesDownwards) {
  TRecordingDevice dev(QSize(400, 400), 96);
  QPainter p(&dev);
  TFontEx f = Font10();
  f.SetAngle(45);
  f.Format = DT_BOTTOM;
  f.DrawInRect(&p, QRect(50, 20, 100, 300), "AB\r\nCD");
  const auto t = dev.Texts();
  ASSERT_EQ(t.size(), 2u) << dev.Dump();
  EXPECT_DOUBLE_EQ(t[0]->Angle, -45);
  EXPECT_NEAR(t[1]->Baseline.x() - t[0]->Baseline.x(), 0, 1e-9);
  EXPECT_NEAR(t[1]->Baseline.y() - t[0]->Baseline.y(), 13, 1e-9);
  // Bottom: the first line's corner is n lines above the bottom edge.
  const double a = std::round(t[0]->Ascent) * std::sqrt(0.5);
  EXPECT_NEAR(t[0]->Baseline.x(), 50 + a, 1e-6);
  EXPECT_NEAR(t[0]->Baseline.y(), 320 - 26 + a, 1e-6);
}
