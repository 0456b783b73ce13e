#include "CellAddress.h"

#include <gtest/gtest.h>

using namespace spreadsheet;

TEST(CellAddress, ColumnLettersAcrossTheAlphabetBoundaries) {
    EXPECT_EQ(columnLetters(0), "A");
    EXPECT_EQ(columnLetters(25), "Z");
    EXPECT_EQ(columnLetters(26), "AA");
    EXPECT_EQ(columnLetters(255), "IV");
}

TEST(CellAddress, ParsesCellsAndAreasInsideTheGrid) {
    EXPECT_EQ(parseCellAddress("$B$3"), (CellPosition{2, 1}));
    EXPECT_EQ(parseCellAddress("iv65536"), (CellPosition{65535, 255}));
    EXPECT_FALSE(parseCellAddress("IW1"));
    EXPECT_FALSE(parseCellAddress("A65537"));
    EXPECT_FALSE(parseCellAddress("A0"));
    EXPECT_FALSE(parseCellAddress("A1B"));
    auto area = parseAreaAddress("C4:A1");
    ASSERT_TRUE(area);
    EXPECT_EQ(areaAddressText(*area, true, true), "$A$1:$C$4");
    auto column = parseAreaAddress("B:B");
    ASSERT_TRUE(column);
    EXPECT_EQ(column->rowCount(), kMaxRows);
    EXPECT_EQ(areaAddressText({{1, 1}, {1, 1}}), "B2");
}
