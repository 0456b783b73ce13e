#include "RecordParts.h"

#include <gtest/gtest.h>

#include <climits>

namespace quire::addin {
namespace {

TEST(RecordPartsTest, PartLengthsFollowTheFileSize) {
    EXPECT_EQ(ExpectedPartLength(32767, 0), 32767u);
    EXPECT_EQ(ExpectedPartLength(32767, 1), 0u);
    EXPECT_EQ(ExpectedPartLength(32768, 0), 32767u);
    EXPECT_EQ(ExpectedPartLength(32768, 1), 1u);
    EXPECT_EQ(ExpectedPartLength(10, 0), 10u);
    EXPECT_EQ(ExpectedPartLength(0, 0), 0u);
    EXPECT_EQ(ExpectedPartLength(-1, 0), 0u);
    EXPECT_EQ(ExpectedPartLength(100, -1), 0u);
    EXPECT_EQ(ExpectedPartLength(INT_MAX, INT_MAX), 0u);
    EXPECT_EQ(ExpectedPartLength(INT_MAX, 65538), 1u); // the last byte the size allows

    EXPECT_EQ(ExpectedPartCount(-1), 1u);
    EXPECT_EQ(ExpectedPartCount(0), 1u);
    EXPECT_EQ(ExpectedPartCount(32767), 1u);
    EXPECT_EQ(ExpectedPartCount(32768), 2u);
    EXPECT_EQ(ExpectedPartCount(65534), 2u);
    EXPECT_EQ(ExpectedPartCount(INT_MAX), 65539u);
}

TEST(RecordPartsTest, OnlyAByteBeyondThePartIsTheTerminator) {
    std::vector<uint8_t> closed = {1, 2, 3, 0};
    DropPartTerminator(closed, 3, 0);
    EXPECT_EQ(closed, (std::vector<uint8_t>{1, 2, 3}));

    std::vector<uint8_t> ownZero = {1, 2, 0};
    DropPartTerminator(ownZero, 3, 0);
    EXPECT_EQ(ownZero, (std::vector<uint8_t>{1, 2, 0}));

    std::vector<uint8_t> lastPart = {7, 0};
    DropPartTerminator(lastPart, 32768, 1);
    EXPECT_EQ(lastPart, (std::vector<uint8_t>{7}));

    std::vector<uint8_t> empty = {0};
    DropPartTerminator(empty, 0, 0);
    EXPECT_TRUE(empty.empty());

    std::vector<uint8_t> tooLong = {1, 2, 3, 4, 0};
    DropPartTerminator(tooLong, 3, 0);
    EXPECT_EQ(tooLong.size(), 5u);
}

TEST(RecordPartsTest, LaterPartsGoToTheirOffset) {
    std::vector<uint8_t> content(10, 1);
    const std::vector<uint8_t> second = {2, 2};
    ASSERT_TRUE(PlacePart(content, 32769, 1, second));
    ASSERT_EQ(content.size(), 32769u);
    EXPECT_EQ(content[9], 1);
    EXPECT_EQ(content[10], 0); // the gap of a part not yet come
    EXPECT_EQ(content[32767], 2);
    EXPECT_EQ(content[32768], 2);
}

TEST(RecordPartsTest, FileIsGivenRoomOnceButNotOnTheRecordsWordAlone) {
    const std::vector<uint8_t> part(kPartSize, 7);
    const int32_t size = int32_t(kPartSize) * 6 + 100;
    std::vector<uint8_t> content = part;
    ASSERT_TRUE(PlacePart(content, size, 1, part));
    const uint8_t* room = content.data();
    EXPECT_GE(content.capacity(), size_t(size));
    for (int32_t next = 2; next < 6; ++next) {
        ASSERT_TRUE(PlacePart(content, size, next, part));
    }
    EXPECT_EQ(content.data(), room); // no part after the second moved the file
    EXPECT_EQ(content.size(), kPartSize * 6);

    // A record that claims two gigabytes and sends two parts gets room in
    // proportion to the parts.
    std::vector<uint8_t> claimed = part;
    ASSERT_TRUE(PlacePart(claimed, INT_MAX, 1, part));
    EXPECT_LT(claimed.capacity(), kPartSize * 2 * 16);
}

TEST(RecordPartsTest, PartsBeyondTheFileLeaveTheContentAlone) {
    const std::vector<uint8_t> original(5, 9);
    const std::vector<uint8_t> part = {1};
    struct Case {
        int32_t size;
        int32_t part;
    } cases[] = {{32767, 1}, {10, 9000}, {-1, 0}, {0, 0}, {INT_MAX, INT_MAX}};
    for (const Case& c : cases) {
        std::vector<uint8_t> content = original;
        EXPECT_FALSE(PlacePart(content, c.size, c.part, part)) << c.size << " " << c.part;
        EXPECT_EQ(content, original);
    }
    // A negative part number counts as the first part.
    std::vector<uint8_t> content = original;
    EXPECT_TRUE(PlacePart(content, 5, -3, part));
    EXPECT_EQ(content[0], 1);
}

} // namespace
} // namespace quire::addin
