#include <gtest/gtest.h>
#include <iconv.h>

#include "uCodePage.h"

namespace {
std::string IconvTo(const char* to, const char* from, const std::string& in) {
  iconv_t cd = iconv_open(to, from);
  std::string out(in.size() * 4 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  out.resize(out.size() - dstLeft);
  return out;
}
}  // namespace

// Our table must agree with the system's converter on every assigned byte.
TEST(CodePage, EveryByteAgreesWithIconv) {
  for (int b = 1; b < 256; ++b) {
    if (b == 0x98) continue;  // unassigned in Windows-1251
    const std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(Cp1251ToUtf8(byte), IconvTo("UTF-8", "CP1251", byte)) << "byte " << b;
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(byte)), byte) << "byte " << b;
    const std::string utf16 = IconvTo("UTF-16LE", "CP1251", byte);
    ASSERT_EQ(utf16.size(), 2u) << "byte " << b;
    char16_t unit = 0;
    Cp1251ToUtf16(byte, &unit);
    EXPECT_EQ(unit, static_cast<char16_t>(static_cast<uint8_t>(utf16[0]) | static_cast<uint8_t>(utf16[1]) << 8))
        << "byte " << b;
  }
}

TEST(CodePage, UnmappableAndBrokenInput) {
  EXPECT_EQ(Cp1251ToUtf8("\xCA"), "\xD0\x9A");   // Cyrillic Ka
  EXPECT_EQ(Utf8ToCp1251("\xE4\xB8\xAD"), "?");  // CJK has no byte
  EXPECT_EQ(Utf8ToCp1251("a\xFF"
                         "b"),
            "a?b");
  EXPECT_EQ(Utf8ToCp1251("\xD0"), "?");  // truncated sequence
}

TEST(CodePage, TextFileDecoding) {
  EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBFkey=1"), "key=1");
  EXPECT_EQ(DecodeTextFile("\xD0\x9A"), "\xD0\x9A");          // valid UTF-8 stays
  EXPECT_EQ(DecodeTextFile("\xCA\xE5"), "\xD0\x9A\xD0\xB5");  // legacy bytes converted
}
