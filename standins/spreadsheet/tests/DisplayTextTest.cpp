#include "DisplayText.h"

#include <gtest/gtest.h>

using namespace spreadsheet;

namespace {

std::string shown(double n, const char* format = "General") {
    return displayText(CellValue::fromNumber(n), format);
}

} // namespace

TEST(DisplayText, GeneralFitsElevenCharacters) {
    EXPECT_EQ(shown(3), "3");
    EXPECT_EQ(shown(1.0 / 3), "0.333333333");
    EXPECT_EQ(shown(-1.0 / 3), "-0.33333333");
    EXPECT_EQ(shown(123456789012.0), "1.23457E+11");
    EXPECT_EQ(shown(0.0000000001), "1E-10");
    EXPECT_EQ(shown(1234.5), "1234.5");
}

TEST(DisplayText, NonNumbers) {
    EXPECT_EQ(displayText(CellValue::fromBoolean(true), "General"), "TRUE");
    EXPECT_EQ(displayText(CellValue::fromError(ErrorCode::Div0), "0.00"), "#DIV/0!");
    EXPECT_EQ(displayText(CellValue::fromText("abc"), "0.00"), "abc");
    EXPECT_EQ(displayText(CellValue::fromText("abc"), "\"<\"@\">\""), "<abc>");
    EXPECT_EQ(displayText(CellValue{}, "General"), "");
}

TEST(DisplayText, FixedDecimalsPercentAndSeparators) {
    EXPECT_EQ(shown(3.14159, "0.00"), "3.14");
    EXPECT_EQ(shown(-2.5, "0.00"), "-2.50");
    EXPECT_EQ(shown(0.5, "0"), "1");
    EXPECT_EQ(shown(1234567.891, "#,##0.00"), "1,234,567.89");
    EXPECT_EQ(shown(0.125, "0.00%"), "12.50%");
    EXPECT_EQ(shown(0.5, "0%"), "50%");
    EXPECT_EQ(shown(12345, "0.00E+00"), "1.23E+04");
    EXPECT_EQ(shown(-5, "0.00;(0.00)"), "(5.00)");
    EXPECT_EQ(shown(0, "0;-0;\"zero\""), "zero");
    EXPECT_EQ(shown(3, "0.00 [$USD]"), "3.00 USD");
    EXPECT_EQ(shown(3, "[$$-409]0.00"), "$3.00");
}

TEST(DisplayText, CommonDateAndTimeFormats) {
    // 45351 is 29 February 2024; .75 is 18:00.
    EXPECT_EQ(shown(45351, "dd/mm/yyyy;@"), "29/02/2024");
    EXPECT_EQ(shown(45351, "d mmm yy"), "29 Feb 24");
    EXPECT_EQ(shown(45351, "dddd, mmmm d"), "Thursday, February 29");
    EXPECT_EQ(shown(45351.75, "h:mm:ss AM/PM;@"), "6:00:00 PM");
    EXPECT_EQ(shown(45351.75, "dd/mm/yy h:mm;@"), "29/02/24 18:00");
    EXPECT_EQ(shown(60, "yyyy-mm-dd"), "1900-02-29");
    EXPECT_EQ(shown(-1, "dd/mm/yyyy"), "###########");
}

TEST(DisplayText, MoreNumberFormsTheConvertersMeet) {
    EXPECT_EQ(shown(1234567, "#,##0"), "1,234,567");
    EXPECT_EQ(shown(0.05, "0.0"), "0.1");
    EXPECT_EQ(shown(-0.25, "0%"), "-25%");
    EXPECT_EQ(shown(0.5, "#.##"), ".5");
    EXPECT_EQ(shown(12, "0.##"), "12.");
    EXPECT_EQ(shown(3, "0.00 [$\xE2\x82\xAC-1]"), "3.00 \xE2\x82\xAC");
    EXPECT_EQ(shown(7, "\"No. \"0"), "No. 7");
    EXPECT_EQ(shown(1e20), "1E+20");
    EXPECT_EQ(shown(-123456789012.0), "-1.2346E+11");
}

TEST(DisplayText, MoreDateAndTimeForms) {
    EXPECT_EQ(shown(45351, "mmmm yyyy"), "February 2024");
    EXPECT_EQ(shown(45351, "m/d/yy"), "2/29/24");
    EXPECT_EQ(shown(0.5625, "h:mm"), "13:30");
    EXPECT_EQ(shown(1.25, "[h]:mm"), "30:00");
    EXPECT_EQ(shown(0.0, "h:mm AM/PM"), "12:00 AM");
    // "mm" after an hour is minutes, before seconds too.
    EXPECT_EQ(shown(45351.5 + 5.0 / 1440, "mm:ss"), "05:00");
}
