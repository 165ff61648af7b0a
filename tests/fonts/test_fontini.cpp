// The extended font in INI sections: which keys are written, and the read order.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "uFontEx.h"
#include "uIniFile.h"

namespace {

class FontIni : public ::testing::Test {
 protected:
  QString Path() const { return FDir.filePath("font.ini"); }
  QTemporaryDir FDir;
};

}  // namespace

// Template files stay short: values at their defaults are not written, and a
// default font writes exactly these four keys.
TEST_F(FontIni, DefaultFontWritesOnlyCharsetFormatSizeName) {
  TIniFile ini(Path());
  TFontEx f;
  ASSERT_TRUE(f.SaveToIni(&ini, "S", "FONT."));
  EXPECT_EQ(ini.ReadSection("S"), QStringList({"FONT.CHARSET", "FONT.FORMAT", "FONT.SIZE", "FONT.NAME"}));
  EXPECT_EQ(ini.ReadString("S", "FONT.CHARSET", ""), "204");
  EXPECT_EQ(ini.ReadString("S", "FONT.SIZE", ""), "10");
  EXPECT_EQ(ini.ReadString("S", "FONT.NAME", ""), "Arial");
}

// A non-default font must write everything needed to read it back the same.
TEST_F(FontIni, NonDefaultFontRoundTrips) {
  TIniFile ini(Path());
  TFontEx f;
  f.Transparent = false;
  f.SetAngle(90);
  f.BkgColor = 0x00FFFF;
  f.SetStyle(fsItalic | fsBold);
  f.Color = 0x0000FF;
  f.SetCharset(DEFAULT_CHARSET);
  f.Format = DT_RIGHT | DT_WORDBREAK;
  f.SetSize(14);
  f.SetName("Courier New");
  ASSERT_TRUE(f.SaveToIni(&ini, "S", ""));
  EXPECT_EQ(ini.ReadString("S", "TRANSPARENT", "?"), "0");
  EXPECT_EQ(ini.ReadString("S", "CHARSET", ""), "1");  // kept, or a reload into a new font gives 204
  TFontEx g;
  g.SetResolution(96);
  ASSERT_TRUE(g.LoadFromIni(&ini, "S", ""));
  EXPECT_FALSE(g.Transparent);
  EXPECT_EQ(g.Angle(), 90);
  EXPECT_EQ(g.BkgColor, 0x00FFFFu);
  EXPECT_EQ(g.Style(), fsItalic | fsBold);
  EXPECT_EQ(g.Color, 0x0000FFu);
  EXPECT_EQ(g.Charset(), DEFAULT_CHARSET);
  EXPECT_EQ(g.Format, DT_RIGHT | DT_WORDBREAK);
  EXPECT_EQ(g.Size(), 14);
  EXPECT_EQ(g.Height(), -19);
  EXPECT_EQ(g.Name(), "Courier New");
}

// SIZEMM is read after SIZE and wins when positive; absent keys keep the current values.
TEST_F(FontIni, SizeInMillimetresOverridesSizeAndMissingKeysKeepValues) {
  TIniFile ini(Path());
  ini.WriteString("S", "P.SIZE", "20");
  ini.WriteString("S", "P.SIZEMM", "5");
  TFontEx f;
  f.Color = 0x112233;
  ASSERT_TRUE(f.LoadFromIni(&ini, "S", "P."));
  EXPECT_EQ(f.Size(), 14);
  EXPECT_EQ(f.Color, 0x112233u);
  EXPECT_EQ(f.Name(), "Arial");
  ini.WriteString("S", "P.SIZEMM", "abc");  // not a number: SIZE stays
  ASSERT_TRUE(f.LoadFromIni(&ini, "S", "P."));
  EXPECT_EQ(f.Size(), 20);
}

TEST_F(FontIni, MissingFileOrSectionNameChangesNothing) {
  TIniFile ini(Path());
  TFontEx f;
  f.SetSize(30);
  EXPECT_FALSE(f.LoadFromIni(nullptr, "S", ""));
  EXPECT_FALSE(f.LoadFromIni(&ini, "", ""));
  EXPECT_FALSE(f.SaveToIni(nullptr, "S", ""));
  EXPECT_FALSE(f.SaveToIni(&ini, "", ""));
  EXPECT_EQ(f.Size(), 30);
  EXPECT_FALSE(QFile::exists(Path()));
}
