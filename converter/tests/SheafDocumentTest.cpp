#include "SheafDocument.h"
#include "SheafError.h"

#include <gtest/gtest.h>

using namespace sheaf;

namespace {

RecordBuffer word(uint32_t value) {
    RecordBuffer buffer;
    buffer.appendWord(value);
    return buffer;
}

uint32_t firstWord(const RecordBuffer& buffer) {
    int32_t position = 0;
    return buffer.readWord(position);
}

} // namespace

TEST(SheafDocument, AppendNumbersRecordsAndSetReplacesInPlace) {
    SheafDocument document;
    EXPECT_EQ(document.cursor(), -1);
    EXPECT_EQ(document.append(word(10)), 1);
    EXPECT_EQ(document.append(word(20)), 2);
    EXPECT_EQ(document.append(word(30)), 3);
    EXPECT_EQ(document.cursor(), 2);

    EXPECT_EQ(document.set(1, word(11)), 0);
    EXPECT_TRUE(document.found());
    EXPECT_EQ(document.recordCount(), 3);
    EXPECT_EQ(firstWord(document.get(1)), 11u);

    EXPECT_EQ(document.set(4, word(99)), -1);
    EXPECT_FALSE(document.found());
    EXPECT_EQ(document.recordCount(), 3);
}

TEST(SheafDocument, ReadsInOrderWithGetThenNext) {
    SheafDocument document;
    for (uint32_t v : {1u, 2u, 3u}) {
        document.append(word(v));
    }
    EXPECT_EQ(firstWord(document.get(1)), 1u);
    EXPECT_EQ(firstWord(document.next()), 2u);
    EXPECT_EQ(firstWord(document.next()), 3u);
    EXPECT_EQ(document.cursor(), 2);

    EXPECT_THROW(document.next(), SheafError);
    EXPECT_FALSE(document.found());
    EXPECT_EQ(document.cursor(), 2);

    EXPECT_THROW(document.get(7), SheafError);
    EXPECT_THROW(document.get(0), SheafError);
    EXPECT_EQ(document.cursor(), 2);
}

TEST(SheafDocument, ClearEmptiesEverything) {
    SheafDocument document;
    document.append(word(1));
    document.clear();
    EXPECT_EQ(document.recordCount(), 0);
    EXPECT_EQ(document.cursor(), -1);
    EXPECT_THROW(document.get(1), SheafError);
    EXPECT_EQ(document.append(word(5)), 1) << "numbering starts again at 1";
}
