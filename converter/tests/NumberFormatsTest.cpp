#include "NumberFormats.h"
#include "SheafCodes.h"

#include <gtest/gtest.h>

using namespace sheaf;

namespace {

constexpr uint32_t code(uint16_t kind, uint16_t sub) {
    return NumberFormatCode::make(kind, sub);
}

} // namespace

TEST(NumberFormats, ClassifiesByTheFirstRuleThatApplies) {
    struct Case {
        const char* format;
        uint32_t expected;
    };
    const Case cases[] = {
        {"General", code(0, 0)},
        {"0.00", code(4, 2)},
        {"#,##0", code(4, 0)},
        {"0%", code(6, 0)},
        {"0.000%", code(6, 3)},
        {"@", code(7, 0)},
        {"dd/mm/yyyy;@", code(1, 10)},
        {"d mmm yyyy;@", code(1, 8)},
        {"mmmm yy;@", code(1, 15)},
        {"mm/yyyy;@", code(1, 23)},
        {"d mmm;@", code(1, 3)},
        {"dd/mm;@", code(1, 4)},
        {"mmm;@", code(1, 24)},
        {"h:mm;@", code(2, 0)},
        {"h:mm:ss AM/PM;@", code(2, 3)},
        {"h:mm AM/PM;@", code(2, 1)},
        {"dd/mm/yy h:mm:ss;@", code(3, 2)},
        {"[$-F400]h:mm:ss AM/PM", code(2, 3)},
        {"ss.00;@", code(3, 0)},
        {"[$\x88-2] 0.00", code(5, 1)},
        {"0.00 [$\x88-1]", code(5, 1)},
        {"#,##0.00 [$USD]", code(5, 2)},
        {"0.00 [$DM-407]", code(5, 4)},
        {"0.00 [$\xF0.-419]", code(5, 5)},
        {"[$$-409]0.00", code(5, 0)},
        {"0 $", code(5, 0)},
        {"", code(0, 0)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(classifyNumberFormat(c.format), c.expected) << c.format;
    }
}

TEST(NumberFormats, FormatTextsForCodes) {
    EXPECT_EQ(numberFormatText(code(0, 0)), std::nullopt);
    EXPECT_EQ(numberFormatText(code(1, 10)), "dd/mm/yy;@");
    EXPECT_EQ(numberFormatText(code(1, 27)), "yyyy, dd mmmm;@");
    EXPECT_EQ(numberFormatText(code(1, 28)), std::nullopt);
    EXPECT_EQ(numberFormatText(code(2, 3)), "h:mm:ss AM/PM;@");
    EXPECT_EQ(numberFormatText(code(3, 7)), "dd/mm h:mm:ss AM/PM;@");
    EXPECT_EQ(numberFormatText(code(4, 0)), "0.00");
    EXPECT_EQ(numberFormatText(code(4, 2)), std::nullopt);
    EXPECT_EQ(numberFormatText(code(5, 5)), "0.00 [$\xF0.-419]");
    EXPECT_EQ(numberFormatText(code(6, 0)), "0.00%");
    EXPECT_EQ(numberFormatText(code(7, 0)), "@");
    EXPECT_EQ(numberFormatText(code(8, 0)), std::nullopt);
}

TEST(NumberFormats, EveryListedFormatClassifiesBackToItsKind) {
    for (uint16_t kind = 1; kind <= 7; ++kind) {
        for (uint16_t sub = 0;; ++sub) {
            const auto text = numberFormatText(code(kind, sub));
            if (!text) {
                break;
            }
            EXPECT_EQ(NumberFormatCode::kind(classifyNumberFormat(*text)), kind) << *text;
        }
    }
}
