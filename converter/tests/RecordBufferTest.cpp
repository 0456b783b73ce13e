#include "RecordBuffer.h"
#include "SheafError.h"

#include <gtest/gtest.h>

#include <vector>

using namespace sheaf;

namespace {

std::vector<uint8_t> bytesOf(const RecordBuffer& buffer) {
    return {buffer.bytes().begin(), buffer.bytes().end()};
}

int32_t codeOf(const auto& action) {
    try {
        action();
    } catch (const SheafError& error) {
        return error.code();
    }
    return 0;
}

} // namespace

TEST(RecordBuffer, WritesWordsMostSignificantFirstAndStringsWithoutTerminator) {
    RecordBuffer buffer;
    buffer.appendWord(12);
    buffer.appendWord(0xDEADBEEF);
    buffer.appendByte(7);
    buffer.appendString("2.5");
    EXPECT_EQ(bytesOf(buffer), (std::vector<uint8_t>{0, 0, 0, 12, 0xDE, 0xAD, 0xBE, 0xEF, 7, 0, 0,
                                                     0, 3, '2', '.', '5'}));

    int32_t position = 0;
    EXPECT_EQ(buffer.readWord(position), 12u);
    EXPECT_EQ(buffer.readWord(position), 0xDEADBEEFu);
    EXPECT_EQ(buffer.readByte(position), 7);
    std::string text = "old";
    buffer.readString(position, text);
    EXPECT_EQ(text, "2.5");
    EXPECT_EQ(position, buffer.size());
}

TEST(RecordBuffer, ReadsPastTheEndThrowAndKeepThePosition) {
    RecordBuffer buffer;
    buffer.appendWord(5);
    buffer.appendByte('a');
    buffer.appendByte('b');
    buffer.appendByte('c');

    int32_t position = 0;
    std::string text = "kept?";
    EXPECT_EQ(codeOf([&] { buffer.readString(position, text); }), SHEAF_E_DATA);
    EXPECT_EQ(position, 0);
    EXPECT_TRUE(text.empty()) << "the string is emptied before reading";

    position = 4;
    EXPECT_EQ(codeOf([&] { buffer.readWord(position); }), SHEAF_E_DATA);
    EXPECT_EQ(position, 4);
    position = 7;
    EXPECT_EQ(codeOf([&] { buffer.readByte(position); }), SHEAF_E_DATA);
    position = -1;
    EXPECT_EQ(codeOf([&] { buffer.readByte(position); }), SHEAF_E_DATA);
}

TEST(RecordBuffer, HugeStringLengthIsADataErrorNotAnOverflow) {
    RecordBuffer buffer;
    buffer.appendWord(0xFFFFFFFF);
    buffer.appendString("abc");
    int32_t position = 0;
    std::string text;
    EXPECT_EQ(codeOf([&] { buffer.readString(position, text); }), SHEAF_E_DATA);
}

TEST(RecordBuffer, AppendBufferAssignAndClearCopyBytes) {
    RecordBuffer a;
    a.appendWord(1);
    RecordBuffer b;
    b.appendByte(9);
    b.appendBuffer(a);
    EXPECT_EQ(bytesOf(b), (std::vector<uint8_t>{9, 0, 0, 0, 1}));

    b.appendBuffer(b);
    EXPECT_EQ(bytesOf(b), (std::vector<uint8_t>{9, 0, 0, 0, 1, 9, 0, 0, 0, 1}));

    RecordBuffer c;
    c.assign(a);
    a.clear();
    EXPECT_EQ(a.size(), 0);
    EXPECT_EQ(bytesOf(c), (std::vector<uint8_t>{0, 0, 0, 1}));
}
