#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include "uNumbers.h"

// The reader accepts what users type in dialogs and what other locales wrote.
TEST(ReadNumber, SeparatorsSignsAndBlanks) {
  EXPECT_DOUBLE_EQ(ReadNumber("0,25", 1), 0.25);
  EXPECT_DOUBLE_EQ(ReadNumber("0.25", 1), 0.25);
  EXPECT_DOUBLE_EQ(ReadNumber("  -12.5 ", 1), -12.5);
  EXPECT_DOUBLE_EQ(ReadNumber("1 000", 1), 1000);
  EXPECT_DOUBLE_EQ(ReadNumber(",5", 1), 0.5);
  EXPECT_DOUBLE_EQ(ReadNumber("7.", 1), 7);
  // A second separator ends the number.
  EXPECT_DOUBLE_EQ(ReadNumber("1.2.3", 0), 1.2);
  EXPECT_DOUBLE_EQ(ReadNumber("1,2.3", 0), 1.2);
}

TEST(ReadNumber, ExponentEndsTheNumber) {
  EXPECT_DOUBLE_EQ(ReadNumber("1.5e3", 0), 1500);
  EXPECT_DOUBLE_EQ(ReadNumber("2E-2", 0), 0.02);
  EXPECT_DOUBLE_EQ(ReadNumber("3e2xyz", 0), 300);
  EXPECT_DOUBLE_EQ(ReadNumber("4e", 0), 4);
}

TEST(ReadNumber, GarbageGivesTheDefault) {
  EXPECT_DOUBLE_EQ(ReadNumber("", 9), 9);
  EXPECT_DOUBLE_EQ(ReadNumber("   ", 9), 9);
  EXPECT_DOUBLE_EQ(ReadNumber("abc", 9), 9);
  EXPECT_DOUBLE_EQ(ReadNumber("12a", 9), 9);
  EXPECT_DOUBLE_EQ(ReadNumber("-", 9), 9);
  EXPECT_DOUBLE_EQ(ReadNumber(".", 9), 9);
  EXPECT_DOUBLE_EQ(ReadNumber("+5", 9), 9);
  EXPECT_DOUBLE_EQ(ReadNumber("e5", 9), 9);
}

// Numbers as files write them are read in place; whichever way a text is
// read, its value is the correctly rounded one (as strtod gives it).
TEST(ReadNumber, PlainNumbersReadExactly) {
  std::mt19937_64 rng(11);
  const auto digits = [&](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('0' + rng() % 10);
    return s;
  };
  for (int round = 0; round < 20000; ++round) {
    std::string text = (round % 3 == 0 ? "-" : "") + digits(1 + static_cast<int>(rng() % 12));
    if (round % 4 != 0) text += "." + digits(1 + static_cast<int>(rng() % 20));
    const double expected = std::strtod(text.c_str(), nullptr);
    const double read = ReadNumber(text, 12345);
    ASSERT_EQ(read, expected) << text;
    ASSERT_EQ(std::signbit(read), std::signbit(expected)) << text;
  }
  EXPECT_EQ(ReadNumber("0.1", 9), 0.1);
  EXPECT_EQ(ReadNumber("-0", 9), 0.0);
  EXPECT_TRUE(std::signbit(ReadNumber("-0", 9)));
  EXPECT_EQ(ReadNumber("007.50", 9), 7.5);
  EXPECT_EQ(ReadNumber(std::string(400, '9'), 9), HUGE_VAL) << "beyond the doubles: infinity, as before";
  EXPECT_EQ(ReadNumber("-.5", 9), -0.5);
  EXPECT_EQ(ReadNumber("--5", 9), 9);
  EXPECT_EQ(ReadNumber("1..2", 9), 1);
}

TEST(FormatNumber, GeneralIsShortestUpTo15Digits) {
  EXPECT_EQ(FormatGeneral(0), "0");
  EXPECT_EQ(FormatGeneral(0.1), "0.1");
  EXPECT_EQ(FormatGeneral(-2.5), "-2.5");
  EXPECT_EQ(FormatGeneral(1500), "1500");
  EXPECT_EQ(FormatGeneral(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(FormatGeneral(123456789012345.0), "123456789012345");
  EXPECT_EQ(FormatGeneral(1e20), "1E20");
  EXPECT_EQ(FormatGeneral(1e-7), "1E-7");
  EXPECT_EQ(FormatGeneral(0.00012), "0.00012");
  EXPECT_EQ(FormatGeneral(0.25, ','), "0,25");
  // What was written reads back.
  for (double v : {0.1, 1.0 / 3, 2.0 / 7 * 1e10, -1e-9, 12345.6789})
    EXPECT_NEAR(ReadNumber(FormatGeneral(v), 0), v, std::fabs(v) * 1e-14);
}

TEST(FormatNumber, ScaleLabelsUseFiveDigits) {
  EXPECT_EQ(FormatSignificant(1234.5678, 5), "1234.6");
  EXPECT_EQ(FormatSignificant(0.1 + 0.2, 5), "0.3");
  EXPECT_EQ(FormatSignificant(100000, 5), "1E5");
  EXPECT_EQ(FormatSignificant(2500, 5), "2500");
}

TEST(Rounding, TiesGoToEven) {
  EXPECT_EQ(RoundEven(2.5), 2);
  EXPECT_EQ(RoundEven(3.5), 4);
  EXPECT_EQ(RoundEven(-2.5), -2);
  EXPECT_EQ(RoundEven(2.6), 3);
  EXPECT_EQ(RoundEven(1e12), INT32_MAX);
  EXPECT_EQ(RoundEven(NAN), 0);
  EXPECT_EQ(MulDiv(10, 96, 72), 13);
  EXPECT_EQ(MulDiv(-10, 96, 72), -13);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
}
