#include "Sprm.h"
#include "WordBinary.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using namespace docconv::word;

using Visit = std::pair<uint16_t, size_t>; // modifier and operand size

std::vector<Visit> visits(const std::vector<uint8_t>& grpprl) {
    std::vector<Visit> out;
    forEachSprm(grpprl, [&](uint16_t sprm, std::span<const uint8_t> operand) {
        out.push_back({sprm, operand.size()});
    });
    return out;
}

TEST(Sprm, OperandSizesFollowTheModifier) {
    struct Case {
        const char* name;
        std::vector<uint8_t> grpprl;
        std::vector<Visit> expected;
    };
    const Case cases[] = {
        {"toggle and word", {0x35, 0x08, 0x01, 0x43, 0x4A, 0x18, 0x00}, {{0x0835, 1}, {0x4A43, 2}}},
        {"long and three-byte",
         {0x00, 0x60, 1, 2, 3, 4, 0x00, 0xE0, 1, 2, 3},
         {{0x6000, 4}, {0xE000, 3}}},
        {"stored size", {0x01, 0xC6, 0x03, 9, 9, 9, 0x16, 0x24, 0x01}, {{0xC601, 3}, {0x2416, 1}}},
        {"table definition counts its size",
         {0x08, 0xD6, 0x04, 0x00, 1, 2, 3, 0x16, 0x24, 0x01},
         {{0xD608, 3}, {0x2416, 1}}},
        {"tab changes of size 255",
         {0x15, 0xC6, 0xFF, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0x16, 0x24, 0x01},
         {{0xC615, 9}, {0x2416, 1}}},
        {"an operand cut short ends the walk", {0x35, 0x08, 0x01, 0x43, 0x4A, 0x18}, {{0x0835, 1}}},
        {"a stored size past the end", {0x01, 0xC6, 0x09, 1}, {}},
        {"tab changes cut short", {0x15, 0xC6, 0xFF, 3, 0}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(visits(c.grpprl), c.expected) << c.name;
    }
}

} // namespace
