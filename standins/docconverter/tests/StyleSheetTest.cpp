#include "LittleEndian.h"
#include "StyleSheet.h"
#include "TextDocument.h"
#include "WordBinary.h"

#include <gtest/gtest.h>

namespace {

using namespace docconv;
using namespace docconv::word;

struct StyleDefinition {
    uint16_t kind; // 1 paragraph, 2 character
    uint16_t base;
    std::vector<uint8_t> characterGrpprl;
};

std::vector<uint8_t> toggle(uint16_t sprm, uint8_t operand) {
    std::vector<uint8_t> out;
    le::put16(out, sprm);
    out.push_back(operand);
    return out;
}

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A style sheet as Word 97 stores it: header, then each style with a name and
// its property groups (paragraph styles: paragraph, then character).
std::vector<uint8_t> styleSheet(const std::vector<StyleDefinition>& styles) {
    std::vector<uint8_t> out;
    le::put16(out, 18);
    le::put16(out, static_cast<uint16_t>(styles.size()));
    le::put16(out, 10);
    out.resize(out.size() + 14, 0);
    for (const StyleDefinition& definition : styles) {
        std::vector<uint8_t> entry;
        le::put16(entry, 0);
        le::put16(entry, static_cast<uint16_t>(definition.kind | (definition.base << 4)));
        le::put16(entry, definition.kind == 1 ? 2 : 1);
        le::put16(entry, 0);
        le::put16(entry, 0);
        le::put16(entry, 1); // a one-letter name
        le::put16(entry, 'S');
        le::put16(entry, 0);
        if (definition.kind == 1) {
            le::put16(entry, 2);
            le::put16(entry, 0);
        }
        le::put16(entry, static_cast<uint16_t>(definition.characterGrpprl.size()));
        entry.insert(entry.end(), definition.characterGrpprl.begin(),
                     definition.characterGrpprl.end());
        entry.resize(entry.size() + entry.size() % 2, 0);
        le::put16(out, static_cast<uint16_t>(entry.size()));
        out.insert(out.end(), entry.begin(), entry.end());
    }
    return out;
}

TEST(StyleSheet, StylesFollowTheirBaseAndToggle) {
    const std::vector<uint8_t> bold = toggle(kSprmCFBold, 1);
    const StyleSheet sheet(styleSheet({
        {1, kNoStyle, {}},                          // 0 Normal
        {1, 0, bold},                               // 1 bold paragraphs
        {1, 1, toggle(kSprmCFItalic, 1)},           // 2 adds italic
        {1, 1, toggle(kSprmCFBold, 0x81)},          // 3 flips the bold off
        {2, kNoStyle, bold + toggle(kSprmCKul, 1)}, // 4 character style
        {1, 6, bold},                               // 5 and 6 base each other
        {1, 5, toggle(kSprmCFItalic, 1)},
    }));
    struct Case {
        uint16_t paragraph;
        uint16_t character;
        uint8_t expected;
    };
    const Case cases[] = {
        {0, kNoStyle, kPlain},
        {1, kNoStyle, kBold},
        {2, kNoStyle, kBold | kItalic},
        {3, kNoStyle, kPlain},
        {0, 4, kBold | kUnderline},
        {1, 4, kUnderline}, // bold against bold is off again
        {0, 1, kPlain},     // a paragraph style is no character style
        {40, kNoStyle, kPlain},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sheet.bits(c.paragraph, c.character), c.expected)
            << c.paragraph << "/" << c.character;
    }
    // A loop of base styles ends; what it gives is of no matter.
    sheet.bits(5, kNoStyle);
}

TEST(StyleSheet, DamagedSheetsLeaveTextPlain) {
    const std::vector<uint8_t> whole = styleSheet({{1, kNoStyle, toggle(kSprmCFBold, 1)}});
    for (size_t size = 0; size < whole.size(); ++size) {
        const StyleSheet sheet(std::span<const uint8_t>(whole.data(), size));
        EXPECT_EQ(sheet.bits(0, kNoStyle), kPlain) << size;
    }
    EXPECT_EQ(StyleSheet(whole).bits(0, kNoStyle), kBold);
}

TEST(DirectFormatting, OperandsSetClearFollowOrFlipTheStyle) {
    struct Case {
        uint8_t operand;
        uint8_t style;
        uint8_t expected;
    };
    const Case cases[] = {
        {0, kBold | kItalic, kItalic}, {1, kItalic, kBold | kItalic}, {0x80, kBold, kBold},
        {0x80, kPlain, kPlain},        {0x81, kBold, kPlain},         {0x81, kPlain, kBold},
    };
    for (const Case& c : cases) {
        const DirectFormatting formatting = directFormattingOf(toggle(kSprmCFBold, c.operand));
        EXPECT_EQ(formatting.applyTo(c.style), c.expected) << int(c.operand) << "/" << int(c.style);
    }
    EXPECT_EQ(directFormattingOf(toggle(kSprmCKul, 3)).applyTo(kPlain), kUnderline);
}

} // namespace
