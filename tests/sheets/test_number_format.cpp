// The displayed text of spreadsheet numbers under the common format codes.
#include <gtest/gtest.h>

#include "uNumberFormat.h"

namespace {

std::string F(double v, const char* code) { return FormatCellNumber(v, QString::fromUtf8(code)).toStdString(); }

TEST(SheetsNumberFormat, GeneralShowsShortestFormUpToTenDigits) {
  EXPECT_EQ(F(0.1 + 0.2, "General"), "0.3");
  EXPECT_EQ(F(1.0 / 3.0, "General"), "0.3333333333");
  EXPECT_EQ(F(42, "General"), "42");
  EXPECT_EQ(F(-1234.5, ""), "-1234.5");
  EXPECT_EQ(F(1.5e12, "General"), "1.5E+12");
  EXPECT_EQ(F(0, "General"), "0");
}

TEST(SheetsNumberFormat, FixedDecimalsThousandsAndPercent) {
  EXPECT_EQ(F(2.5, "0"), "3") << "half away from zero";
  EXPECT_EQ(F(-2.5, "0"), "-3");
  EXPECT_EQ(F(3.14159, "0.00"), "3.14");
  EXPECT_EQ(F(1234567.891, "#,##0"), "1,234,568");
  EXPECT_EQ(F(1234.5, "#,##0.00"), "1,234.50");
  EXPECT_EQ(F(0.5, "#,##0.00"), "0.50");
  EXPECT_EQ(F(0.256, "0%"), "26%");
  EXPECT_EQ(F(0.256, "0.00%"), "25.60%");
  EXPECT_EQ(F(-0.004, "0.00"), "0.00") << "no minus for a value shown as zero";
  EXPECT_EQ(F(1.5, "#.##"), "1.5");
  EXPECT_EQ(F(12345, "0.00E+00"), "1.23E+04");
}

TEST(SheetsNumberFormat, SectionsLiteralsAndColours) {
  EXPECT_EQ(F(-5, "#,##0;[Red](#,##0)"), "(5)");
  EXPECT_EQ(F(0, "0.0;-0.0;\"zero\""), "zero");
  EXPECT_EQ(F(7, "\"No. \"0"), "No. 7");
  EXPECT_EQ(F(7, "0\\ \"m\""), "7 m");
  EXPECT_EQ(F(3, "[$€-407]0.00"), "€3.00");
  EXPECT_EQ(F(5, "0_);(0)"), "5 ");
}

TEST(SheetsNumberFormat, DatesAndTimesFromDaySerials) {
  EXPECT_EQ(F(43905, "yyyy-mm-dd"), "2020-03-15");
  EXPECT_EQ(F(43905, "dd.mm.yyyy"), "15.03.2020");
  EXPECT_EQ(F(43905, "d-mmm-yy"), "15-Mar-20");
  EXPECT_EQ(F(43905.75, "yyyy-mm-dd hh:mm"), "2020-03-15 18:00") << "mm after hh is minutes";
  EXPECT_EQ(F(0.5208333333, "h:mm AM/PM"), "12:30 PM");
  EXPECT_EQ(F(1.5, "[h]:mm:ss"), "36:00:00");
  EXPECT_EQ(F(60, "yyyy-mm-dd"), "1900-02-29") << "the 1900 system's phantom leap day";
  EXPECT_EQ(F(61, "yyyy-mm-dd"), "1900-03-01");
  EXPECT_EQ(FormatCellNumber(0, "yyyy-mm-dd", true).toStdString(), "1904-01-01");
  EXPECT_TRUE(IsDateFormat("yyyy\\-mm\\-dd"));
  EXPECT_FALSE(IsDateFormat("#,##0.00"));
  EXPECT_FALSE(IsDateFormat("[Red]0"));
}

TEST(SheetsNumberFormat, BuiltinFormatsAndOddCodesNeverFail) {
  EXPECT_EQ(BuiltinNumberFormat(4), "#,##0.00");
  EXPECT_EQ(BuiltinNumberFormat(100), "");
  // The short date shows as the reader's locale writes dates, with the full year.
  const QLocale us(QLocale::English, QLocale::UnitedStates);
  const QLocale ru(QLocale::Russian, QLocale::Russia);
  EXPECT_EQ(BuiltinNumberFormat(14, us), "m/d/yyyy");
  EXPECT_EQ(BuiltinNumberFormat(14, ru), "dd.mm.yyyy");
  EXPECT_EQ(FormatCellNumber(43905, BuiltinNumberFormat(14, us)).toStdString(), "3/15/2020");
  EXPECT_EQ(FormatCellNumber(43905, BuiltinNumberFormat(14, ru)).toStdString(), "15.03.2020");
  for (int id = 0; id < 50; ++id) (void)FormatCellNumber(-12.5, BuiltinNumberFormat(id));
  for (const char* code : {"\"", "[", "0;", ";;;", "E+", "0.0E", "[h", "\\", "_", "*", "#,##0,,", "yyyy;0", "AM/PM"})
    (void)FormatCellNumber(1e300, code);
  EXPECT_EQ(F(1234567, "#,##0,"), "1,235") << "a trailing comma scales by a thousand";
}

}  // namespace
