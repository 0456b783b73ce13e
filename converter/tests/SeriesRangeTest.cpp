#include "SeriesRange.h"

#include <gtest/gtest.h>

using namespace sheaf;

namespace {

SeriesRange rangeOf(const char* reference) {
    SeriesRange range;
    range.parseValuesReference(reference);
    return range;
}

} // namespace

TEST(SeriesRange, ParsesAbsoluteReferencesWithQuotedSheets) {
    const SeriesRange range = rangeOf("'My!Sheet'!$B$2:$AD$19");
    EXPECT_EQ(range.sheet, "'My!Sheet'");
    EXPECT_EQ(range.firstColumn, 2);
    EXPECT_EQ(range.firstRow, 2);
    EXPECT_EQ(range.lastColumn, 30);
    EXPECT_EQ(range.lastRow, 19);
    EXPECT_EQ(range.addressText(), "'My!Sheet'!$B$2:$AD$19");

    const SeriesRange cell = rangeOf("S!$C$7");
    EXPECT_EQ(cell.addressText(), "S!$C$7:$C$7");

    EXPECT_TRUE(rangeOf("$A$1:$B$2").empty()) << "no sheet part";
}

TEST(SeriesRange, ColumnLettersBothWays) {
    EXPECT_EQ(SeriesRange::columnToLetters(1), "A");
    EXPECT_EQ(SeriesRange::columnToLetters(26), "Z");
    EXPECT_EQ(SeriesRange::columnToLetters(27), "AA");
    EXPECT_EQ(SeriesRange::columnToLetters(52), "AZ");
    EXPECT_EQ(SeriesRange::columnToLetters(53), "BA");
    EXPECT_EQ(SeriesRange::columnToLetters(256), "IV");
    EXPECT_EQ(SeriesRange::columnToLetters(702), "ZZ");
    EXPECT_EQ(SeriesRange::columnToLetters(703), "AAA");
    EXPECT_EQ(SeriesRange::columnToLetters(0), "Z");

    EXPECT_EQ(SeriesRange::lettersToColumn("A"), 1);
    EXPECT_EQ(SeriesRange::lettersToColumn("AA"), 27);
    EXPECT_EQ(SeriesRange::lettersToColumn("IV"), 256);
    EXPECT_EQ(SeriesRange::lettersToColumn("XFD"), 16384);
    EXPECT_EQ(SeriesRange::lettersToColumn(""), 0);
    for (int32_t column = 1; column <= 16384; ++column) {
        ASSERT_EQ(SeriesRange::lettersToColumn(SeriesRange::columnToLetters(column)), column);
    }
}

TEST(SeriesRange, MergesAdjacentRangesOnTheSameSheet) {
    SeriesRange range = rangeOf("'S'!$B$2:$B$9");
    EXPECT_TRUE(range.merge(rangeOf("'S'!$C$2:$C$9"), false));
    EXPECT_EQ(range.addressText(), "'S'!$B$2:$C$9");
    EXPECT_FALSE(range.merge(rangeOf("'S'!$E$2:$E$9"), false));
    EXPECT_FALSE(range.merge(rangeOf("'T'!$D$2:$D$9"), false));

    SeriesRange backwards = rangeOf("'S'!$C$2:$C$9");
    EXPECT_TRUE(backwards.merge(rangeOf("'S'!$B$2:$B$9"), false));
    EXPECT_EQ(backwards.firstColumn, 3);
    EXPECT_EQ(backwards.lastColumn, 2);

    SeriesRange rows = rangeOf("'S'!$B$2:$F$2");
    EXPECT_TRUE(rows.merge(rangeOf("'S'!$B$3:$F$3"), true));
    EXPECT_EQ(rows.addressText(), "'S'!$B$2:$F$3");
    EXPECT_FALSE(rows.merge(rangeOf("'S'!$B$5:$F$5"), true));

    SeriesRange empty;
    EXPECT_TRUE(empty.merge(rangeOf("'T'!$D$2:$D$9"), true));
    EXPECT_EQ(empty.addressText(), "'T'!$D$2:$D$9");
}

TEST(SeriesRange, SplitsOneSeriesAtATime) {
    SeriesRange range = rangeOf("'S'!$B$2:$D$9");
    range.categories = "'S'!$A$2:$A$9";
    EXPECT_EQ(range.splitOffSeries(false).addressText(), "'S'!$B$2:$B$9");
    EXPECT_EQ(range.splitOffSeries(false).addressText(), "'S'!$C$2:$C$9");
    const SeriesRange last = range.splitOffSeries(false);
    EXPECT_EQ(last.addressText(), "'S'!$D$2:$D$9");
    EXPECT_EQ(last.categories, "'S'!$A$2:$A$9");
    EXPECT_TRUE(range.empty());
    EXPECT_TRUE(range.splitOffSeries(false).empty());

    SeriesRange rows = rangeOf("'S'!$B$2:$D$3");
    EXPECT_EQ(rows.splitOffSeries(true).addressText(), "'S'!$B$2:$D$2");
    EXPECT_EQ(rows.splitOffSeries(true).addressText(), "'S'!$B$3:$D$3");
    EXPECT_TRUE(rows.empty());
}

TEST(SeriesRange, SeriesFormulaUsesSemicolonsAndOptionalSizes) {
    SeriesRange range = rangeOf("'S'!$B$2:$B$9");
    range.categories = "'S'!$A$2:$A$9";
    EXPECT_EQ(range.seriesFormula(3), "=SERIES(;'S'!$A$2:$A$9;'S'!$B$2:$B$9;3)");
    range.sizes = "'S'!$C$2:$C$9";
    EXPECT_EQ(range.seriesFormula(1), "=SERIES(;'S'!$A$2:$A$9;'S'!$B$2:$B$9;1;'S'!$C$2:$C$9)");
}

TEST(SeriesRange, QuotesTheSheetOfAReference) {
    auto quoted = [](std::string text) {
        SeriesRange::quoteSheetOfReference(text);
        return text;
    };
    EXPECT_EQ(quoted("Sheet1!$A$1"), "'Sheet1'!$A$1");
    EXPECT_EQ(quoted("'Sheet 1'!$A$1"), "'Sheet 1'!$A$1");
    EXPECT_EQ(quoted("[Book1.xls]Sheet1!$A$1:$A$4"), "'Sheet1'!$A$1:$A$4");
    EXPECT_EQ(quoted("'[Book1.xls]My Sheet'!$A$1"), "'My Sheet'!$A$1");
    EXPECT_EQ(quoted("$A$1"), "$A$1");
    EXPECT_EQ(quoted(""), "");
    EXPECT_EQ(quoted("'a!b'"), "'a!b'") << "the only ! stands inside quotes";
}

TEST(SeriesRange, QuoteAwareSearchSkipsQuotedNamesAndDoubledQuotes) {
    EXPECT_EQ(SeriesRange::findOutsideQuotes("'a!b'!x", "!"), 5);
    EXPECT_EQ(SeriesRange::findOutsideQuotes("'it''s!'!x", "!"), 8);
    EXPECT_EQ(SeriesRange::findOutsideQuotes("'a:b'!$A$1:$B$2", ":!"), 5);
    EXPECT_EQ(SeriesRange::findOutsideQuotes("'open!", "!"), -1);
}
