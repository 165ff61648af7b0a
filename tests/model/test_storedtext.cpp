// Stored text read into QString in place: the same characters as the
// UTF-8 path, the short form cut at 255 bytes, the full form preferred when
// it holds text, and anything that is not a String read as empty.
#include <gtest/gtest.h>

#include <string>

#include "qs.h"
#include "qsID.h"
#include "uCodePage.h"
#include "uComPtr.h"
#include "uStoredText.h"

TEST(StoredText, EveryByteDecodesAsThroughUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Cp1251Text(all), QString::fromStdString(Cp1251ToUtf8(all)));
  EXPECT_TRUE(Cp1251Text({}).isEmpty());
}

TEST(StoredText, ShortAndFullFormsReadAsTheirWritersMeant) {
  TComPtr<ICompoundStream> s;
  qsCreateCompoundStream(s.Put());
  ASSERT_TRUE(s);
  const std::string longText(300, '\xC0');  // Cyrillic A
  ASSERT_TRUE(qsWriteShortStr(s.Get(), 1, "\xCA\xE5\xF0\xED"));
  ASSERT_TRUE(qsWriteString(s.Get(), 2, longText));
  ASSERT_TRUE(qsWriteString(s.Get(), 3, ""));
  ASSERT_TRUE(qsWriteInteger(s.Get(), 4, 65));

  EXPECT_EQ(qsReadText(s.Get(), 1), QStringLiteral(u"Керн"));
  EXPECT_EQ(qsReadText(s.Get(), 2), QString(255, QChar(0x0410))) << "the short form stops at 255";
  EXPECT_TRUE(qsReadText(s.Get(), 4).isEmpty()) << "an Integer is no text";
  EXPECT_TRUE(qsReadText(s.Get(), 5).isEmpty()) << "missing";
  EXPECT_TRUE(qsReadText(nullptr, 1).isEmpty());

  EXPECT_EQ(qsReadFullText(s.Get(), 1, 2), QString(300, QChar(0x0410)));
  EXPECT_EQ(qsReadFullText(s.Get(), 1, 3), QStringLiteral(u"Керн")) << "an empty full form gives way";
  EXPECT_EQ(qsReadFullText(s.Get(), 1, 4), QStringLiteral(u"Керн")) << "as does one that is not a String";
  EXPECT_EQ(qsReadFullText(s.Get(), 2, 5), QString(255, QChar(0x0410)));

  // The bytes are lent where the container keeps them, as qsReadString copies them.
  std::string_view bytes;
  EXPECT_TRUE(qsViewString(s.Get(), 2, &bytes));
  EXPECT_EQ(std::string(bytes), qsReadString(s.Get(), 2, ""));
  EXPECT_TRUE(qsViewString(s.Get(), 3, &bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(qsViewString(s.Get(), 4, &bytes));
  EXPECT_FALSE(qsViewString(nullptr, 1, &bytes));
}
