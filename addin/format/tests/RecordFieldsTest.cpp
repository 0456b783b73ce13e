#include "RecordFields.h"

#include <gtest/gtest.h>

#include <climits>

namespace quire::addin {
namespace {

std::vector<uint8_t> bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(RecordFieldsTest, TextEndsAtTheFirstZeroByte) {
    EXPECT_EQ(FieldText(bytes("a.xls")), "a.xls");
    EXPECT_EQ(FieldText(bytes(std::string_view("12\0junk", 7))), "12");
    EXPECT_EQ(FieldText({}), "");
}

TEST(RecordFieldsTest, NumbersReadAsTheCLibraryReadsThem) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {
        {"12", 12},
        {"-1", -1},
        {"+3", 3},
        {" \t\n-7x", -7},
        {"32767abc", 32767},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"- 1", 0},
        {"0012", 12},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FieldNumber(c.text), c.value) << c.text;
    }
}

TEST(RecordFieldsTest, NumbersBeyondThirtyTwoBitsAreHeldAtTheEnds) {
    EXPECT_EQ(FieldNumber("2147483648"), INT_MAX);
    EXPECT_EQ(FieldNumber("4294967297"), INT_MAX); // not 1, as a wrap would give
    EXPECT_EQ(FieldNumber("-2147483649"), INT_MIN);
    EXPECT_EQ(FieldNumber(std::string(400, '9')), INT_MAX);
    EXPECT_EQ(FieldNumber("-" + std::string(400, '9')), INT_MIN);
}

TEST(RecordFieldsTest, TimeTextsReadByFieldWidth) {
    const RecordTime time = ParseRecordTimeText("20040305174209");
    EXPECT_EQ(time.year, 2004);
    EXPECT_EQ(time.month, 3);
    EXPECT_EQ(time.day, 5);
    EXPECT_EQ(time.hour, 17);
    EXPECT_EQ(time.minute, 42);
    EXPECT_EQ(time.second, 9);
    EXPECT_EQ(FormatRecordTimeText(time), "20040305174209");

    const RecordTime cut = ParseRecordTimeText("200403");
    EXPECT_EQ(cut.year, 2004);
    EXPECT_EQ(cut.month, 3);
    EXPECT_EQ(cut.day, 0);
    EXPECT_EQ(ParseRecordTimeText("garbage").year, 0);
}

TEST(RecordFieldsTest, HeaderNamesTheEntryAndItsNumbers) {
    RecordTexts texts{"42", "May.xls", "Local/Reports", "32777", "20040305174209", "1", "1"};
    const std::optional<RecordHeader> header = DecodeRecordHeader(texts);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->path, L"/Reports/May.xls");
    EXPECT_EQ(header->id, 42);
    EXPECT_EQ(header->size, 32777);
    EXPECT_TRUE(header->changed);
    EXPECT_EQ(header->part, 1);
    EXPECT_EQ(header->time.minute, 42);
    EXPECT_FALSE(header->isFolder());
    EXPECT_TRUE(header->hasData());
}

TEST(RecordFieldsTest, NegativeSizesAreFoldersAndOnlyMinusOneHasNoData) {
    RecordTexts texts{"1", "Reports", "Local", "-1", "", "0", "0"};
    std::optional<RecordHeader> folder = DecodeRecordHeader(texts);
    ASSERT_TRUE(folder);
    EXPECT_TRUE(folder->isFolder());
    EXPECT_FALSE(folder->hasData());
    EXPECT_FALSE(folder->changed);

    texts.size = "-2";
    folder = DecodeRecordHeader(texts);
    ASSERT_TRUE(folder);
    EXPECT_TRUE(folder->isFolder());
    EXPECT_TRUE(folder->hasData());
}

TEST(RecordFieldsTest, HeaderOutsideTheSyncFolderIsRefused) {
    RecordTexts texts{"1", "..", "Local", "3", "", "0", "0"};
    EXPECT_FALSE(DecodeRecordHeader(texts));
    texts.name = "a.xls";
    texts.parent = "Local/../..";
    EXPECT_FALSE(DecodeRecordHeader(texts));
    texts.parent = "LocalX";
    EXPECT_FALSE(DecodeRecordHeader(texts)); // a folder part must start with "/"
}

} // namespace
} // namespace quire::addin
