#include "SeriesFormula.h"

#include <gtest/gtest.h>

using namespace sheaf;

TEST(SeriesFormula, ReadsCategoriesValuesAndSizes) {
    const SeriesRange plain = parseSeriesFormula("=SERIES(,Sheet1!$A$2:$A$5,Sheet1!$B$2:$B$5,1)");
    EXPECT_EQ(plain.categories, "'Sheet1'!$A$2:$A$5");
    EXPECT_EQ(plain.addressText(), "'Sheet1'!$B$2:$B$5");
    EXPECT_TRUE(plain.sizes.empty());

    const SeriesRange bubble =
        parseSeriesFormula("=SERIES('My, Sheet'!$B$1;'My, Sheet'!$A$2:$A$5;'My, "
                           "Sheet'!$B$2:$B$5;2;'My, Sheet'!$C$2:$C$5)");
    EXPECT_EQ(bubble.categories, "'My, Sheet'!$A$2:$A$5");
    EXPECT_EQ(bubble.sheet, "'My, Sheet'");
    EXPECT_EQ(bubble.sizes, "'My, Sheet'!$C$2:$C$5");
}

TEST(SeriesFormula, AdjacentColumnSeriesMergeIntoOneGroup) {
    SeriesRange group;
    ASSERT_TRUE(
        group.merge(parseSeriesFormula("=SERIES(,Sheet1!$A$2:$A$5,Sheet1!$B$2:$B$5,1)"), false));
    ASSERT_TRUE(
        group.merge(parseSeriesFormula("=SERIES(,Sheet1!$A$2:$A$5,Sheet1!$C$2:$C$5,2)"), false));
    EXPECT_EQ(group.addressText(), "'Sheet1'!$B$2:$C$5");
    EXPECT_EQ(group.categories, "'Sheet1'!$A$2:$A$5");
}

TEST(SeriesFormula, TextThatIsNoFormulaGivesAnEmptyRange) {
    EXPECT_TRUE(parseSeriesFormula("").empty());
    EXPECT_TRUE(parseSeriesFormula("SERIES(,A,B,1)").empty());
    EXPECT_TRUE(parseSeriesFormula("=").empty());
    EXPECT_TRUE(parseSeriesFormula("=SERIES(").empty());
}

TEST(SeriesFormula, EmptyGroupAddressIsTheDegenerateRange) {
    EXPECT_EQ(SeriesRange().addressText(), "!$Z$0:$Z$0");
}
