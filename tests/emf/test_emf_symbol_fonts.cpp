// Text in the symbol fonts of Windows pictures: codes become the pictures
// they name (Unicode characters when the font is missing), never the Latin
// letters of the codes; the public character map of Wingdings 2 plays as its
// reference image.
#include <gtest/gtest.h>

#include <QFontDatabase>

#include "emfTestUtil.h"
#include "uEmfDocument.h"
#include "uEmfSymbolFonts.h"
#include "uImageCompare.h"

using namespace emf;

TEST(EmfSymbolFonts, CodesMapToThePicturesTheyName) {
  EXPECT_EQ(SymbolFontOf("SYMBOL"), TSymbolFont::Symbol);
  EXPECT_EQ(SymbolFontOf(" Wingdings "), TSymbolFont::Wingdings);
  EXPECT_EQ(SymbolFontOf("wingdings 2"), TSymbolFont::Wingdings2);
  EXPECT_EQ(SymbolFontOf("Arial"), TSymbolFont::None);
  EXPECT_EQ(SymbolFontOf("Wingdings 3"), TSymbolFont::None);
  // Greek and mathematics of Symbol; ASCII punctuation and digits stay.
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Symbol, 'a'), U'α');
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Symbol, 'W'), U'Ω');
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Symbol, 0xA5), U'∞');
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Symbol, '5'), U'5');
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Symbol, 0x80), 0u);
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Wingdings, 'J'), U'☺');
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Wingdings, 0xFC), U'✔');
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Wingdings2, 'R'), U'☑');
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Wingdings2, 0x6A), U'①');
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Wingdings, 0x1F), 0u);
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Wingdings, 0x100), 0u);
  // Wide text may carry the codes in the symbol area.
  EXPECT_EQ(SymbolCode(0xF04A), 0x4Au);
  EXPECT_EQ(SymbolCode(0x263A), 0x263Au);

  // No letter or digit of a Wingdings font comes out as itself.
  for (const TSymbolFont font : {TSymbolFont::Wingdings, TSymbolFont::Wingdings2})
    for (uint32_t code = 0x21; code <= 0xFF; ++code) {
      const char32_t u = SymbolToUnicode(font, code);
      if (u != 0) {
        EXPECT_FALSE(u < 0x80 && QChar(char16_t(u)).isLetterOrNumber()) << std::hex << code;
      }
    }
  // Pictures beyond the basic plane come as one surrogate pair per code.
  const QString text = SymbolText(TSymbolFont::Wingdings2, QStringLiteral("!R\x7F"), false);
  EXPECT_EQ(text, QString::fromUcs4(U"\U0001F58A☑ ", 3));
  EXPECT_EQ(SymbolText(TSymbolFont::Symbol, QStringLiteral("a"), true), QString(QChar(0xF061)));
}

TEST(EmfSymbolFonts, TheWingdings2CharacterMapShowsItsPictures) {
  if (!HaveSharedData("emf")) GTEST_SKIP() << "shared data not present";
  // Most of its pictures lie beyond what DejaVu holds.
  if (!QFontDatabase::hasFamily(QStringLiteral("Symbola"))) GTEST_SKIP() << "fonts-symbola not installed";
  const QString path = SharedData("emf") + QStringLiteral("/test-174.emf");
  const std::unique_ptr<TEmfDocument> doc = TEmfDocument::FromFile(path);
  ASSERT_NE(doc, nullptr);
  bool ok = false;
  const QImage image = Render(*doc, 640, 640, true, &ok);
  ASSERT_TRUE(ok);
  const TImageComparison result =
      CompareWithReference(image, QStringLiteral(KERNO_TEST_DATA "/emf/test-174.png"), OutputDir(), 64, 600);
  EXPECT_TRUE(result.Matches) << result.Message.toStdString();
}
