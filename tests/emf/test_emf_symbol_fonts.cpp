// Text in the symbol fonts of Windows pictures: codes become the pictures
// they name (Unicode characters when the font is missing), never the Latin
// letters of the codes; the public character map of Wingdings 2 plays as its
// reference image; Wingdings 3 and Webdings text recorded into a picture plays
// as the mapped characters.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QPainter>

#include "emfTestUtil.h"
#include "uEmfDocument.h"
#include "uEmfPlayer.h"
#include "uEmfRecorder.h"
#include "uEmfSymbolFonts.h"
#include "uImageCompare.h"
#include "uRecordingDevice.h"

using namespace emf;

TEST(EmfSymbolFonts, CodesMapToThePicturesTheyName) {
  EXPECT_EQ(SymbolFontOf("SYMBOL"), TSymbolFont::Symbol);
  EXPECT_EQ(SymbolFontOf(" Wingdings "), TSymbolFont::Wingdings);
  EXPECT_EQ(SymbolFontOf("wingdings 2"), TSymbolFont::Wingdings2);
  EXPECT_EQ(SymbolFontOf("Wingdings 3"), TSymbolFont::Wingdings3);
  EXPECT_EQ(SymbolFontOf("WEBDINGS"), TSymbolFont::Webdings);
  EXPECT_EQ(SymbolFontOf("Arial"), TSymbolFont::None);
  EXPECT_EQ(SymbolFontOf("Wingdings 4"), TSymbolFont::None);
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
  // Arrows of Wingdings 3; pictographs of Webdings.
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Wingdings3, '!'), U'⭠');
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Wingdings3, 'p'), U'▲');
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Wingdings3, 0xF0), U'\U0001F897');
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Webdings, 'a'), U'✔');
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Webdings, 0xFC), U'\U0001F30D');  // the globe
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Webdings, 0xD9), U'☁');
  // Codes the fonts leave empty show their empty box.
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Wingdings3, 0xFF), U'▯');
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Webdings, 0x7F), U'▯');
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Wingdings, 0x1F), 0u);
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Webdings, 0x1F), 0u);
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Wingdings3, 0x100), 0u);
  EXPECT_EQ(SymbolToUnicode(TSymbolFont::Wingdings, 0x100), 0u);
  // Wide text may carry the codes in the symbol area.
  EXPECT_EQ(SymbolCode(0xF04A), 0x4Au);
  EXPECT_EQ(SymbolCode(0x263A), 0x263Au);

  // No letter or digit of a Wingdings or Webdings font comes out as itself;
  // every code of the last two draws something.
  for (const TSymbolFont font :
       {TSymbolFont::Wingdings, TSymbolFont::Wingdings2, TSymbolFont::Wingdings3, TSymbolFont::Webdings})
    for (uint32_t code = 0x21; code <= 0xFF; ++code) {
      const char32_t u = SymbolToUnicode(font, code);
      if (u != 0) {
        EXPECT_FALSE(u < 0x80 && QChar(char16_t(u)).isLetterOrNumber()) << std::hex << code;
      } else {
        EXPECT_TRUE(font == TSymbolFont::Wingdings || font == TSymbolFont::Wingdings2) << std::hex << code;
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

// Text in Wingdings 3 and Webdings recorded into a picture (the recorder keeps
// the codes and the face) plays as the characters of the pictures, each at
// its recorded advance, also where one code takes two UTF-16 units.
TEST(EmfSymbolFonts, RecordedWingdings3AndWebdingsTextPlaysAsItsPictures) {
  struct TCase {
    const char* Face;
    TSymbolFont Font;
    QString Codes;
  };
  const TCase cases[] = {
      {"Wingdings 3", TSymbolFont::Wingdings3, QString::fromLatin1("!\"p\xFF")},
      {"Webdings", TSymbolFont::Webdings, QString::fromLatin1("a\xFC!\xD9")},
  };
  for (const TCase& c : cases) {
    const QString face = QString::fromLatin1(c.Face);
    if (QFontDatabase::hasFamily(face)) continue;  // the codes would go to the font itself
    TEmfRecorder recorder(QSizeF(80, 20));
    {
      QPainter p(&recorder);
      QFont font(face);
      font.setPixelSize(40);
      p.setFont(font);
      p.drawText(QPointF(10, 50), c.Codes);
    }
    const std::unique_ptr<TEmfDocument> doc = recorder.Finish();
    ASSERT_NE(doc, nullptr) << c.Face;
    TRecordingDevice device(QSize(recorder.WidthPx(), recorder.HeightPx()), 96);
    {
      QPainter p(&device);
      EXPECT_TRUE(PlayEmf(&p, *doc, QRectF(0, 0, recorder.WidthPx(), recorder.HeightPx())));
    }
    QString expected, played;
    for (const QChar code : c.Codes) {
      const char32_t u = SymbolToUnicode(c.Font, code.unicode());
      expected += QString::fromUcs4(&u, 1);
    }
    double lastX = -1;
    for (const TRecordedItem* text : device.Texts()) {
      played += text->Text;
      EXPECT_GT(text->Baseline.x(), lastX + 5) << c.Face << " " << text->Text.toStdString();
      lastX = text->Baseline.x();
    }
    EXPECT_EQ(played, expected) << c.Face << "\n" << device.Dump();
    EXPECT_EQ(device.Texts().size(), size_t(c.Codes.size())) << c.Face;
  }
}
