#include "NumberText.h"

#include <gtest/gtest.h>

#include <clocale>

using sheaf::formatCellNumber;

TEST(NumberText, TenSignificantDigitsWithAPoint) {
    EXPECT_EQ(formatCellNumber(1), "1");
    EXPECT_EQ(formatCellNumber(2.5), "2.5");
    EXPECT_EQ(formatCellNumber(1.0 / 3), "0.3333333333");
    EXPECT_EQ(formatCellNumber(-1234.5678), "-1234.5678");
    EXPECT_EQ(formatCellNumber(45000), "45000");
    EXPECT_EQ(formatCellNumber(1e20), "1E+20");
    EXPECT_EQ(formatCellNumber(1.5e-7), "1.5E-07");
    EXPECT_EQ(formatCellNumber(12345678901.0), "1.23456789E+10");
}

TEST(NumberText, IgnoresTheProcessLocale) {
    const char* frenchLocales[] = {"fr_FR.UTF-8", "fr_FR", "French_France.1252", "French"};
    for (const char* name : frenchLocales) {
        if (std::setlocale(LC_ALL, name)) {
            break;
        }
    }
    const std::string third = formatCellNumber(1.0 / 3);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(third, "0.3333333333");
}
