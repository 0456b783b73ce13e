#include "SheafCodes.h"

#include <gtest/gtest.h>

using namespace sheaf;

TEST(ChartTypeCode, ApplicationTypesMapToKindAndSubType) {
    EXPECT_EQ(ChartTypeCode::fromApplicationType(51), ChartTypeCode::make(0, 0));
    EXPECT_EQ(ChartTypeCode::fromApplicationType(53), ChartTypeCode::make(0, 2));
    EXPECT_EQ(ChartTypeCode::fromApplicationType(-4100), ChartTypeCode::Unsupported);
    EXPECT_EQ(ChartTypeCode::fromApplicationType(70), ChartTypeCode::make(3, 1));
    EXPECT_EQ(ChartTypeCode::fromApplicationType(72), ChartTypeCode::make(4, 1));
    EXPECT_EQ(ChartTypeCode::fromApplicationType(86), ChartTypeCode::make(5, 0));
    EXPECT_EQ(ChartTypeCode::fromApplicationType(90), ChartTypeCode::make(9, 2));
    EXPECT_EQ(ChartTypeCode::fromApplicationType(105), ChartTypeCode::make(0, 0));
    EXPECT_EQ(ChartTypeCode::fromApplicationType(111), ChartTypeCode::make(1, 2));
    EXPECT_EQ(ChartTypeCode::fromApplicationType(12345), ChartTypeCode::Unsupported);
    EXPECT_EQ(ChartTypeCode::make(1, 2), 1u + 2u * 65536u);
}

TEST(ChartTypeCode, CodesMapBackToTheFirstRowThatHasThem) {
    struct Case {
        uint32_t code;
        int32_t type;
    };
    for (const Case& c :
         {Case{ChartTypeCode::Unsupported, -4100}, Case{ChartTypeCode::make(0, 0), 51},
          Case{ChartTypeCode::make(3, 1), 69}, Case{ChartTypeCode::make(4, 1), 74},
          Case{ChartTypeCode::make(5, 0), 1}, Case{ChartTypeCode::make(6, 0), -4120},
          Case{ChartTypeCode::make(7, 0), -4151}, Case{ChartTypeCode::make(8, 0), 15},
          Case{ChartTypeCode::make(9, 1), 89}, Case{ChartTypeCode::make(2, 2), 64}}) {
        EXPECT_EQ(ChartTypeCode::toApplicationType(c.code), c.type) << c.code;
    }
    EXPECT_EQ(ChartTypeCode::toApplicationType(ChartTypeCode::make(6, 1)), std::nullopt);
    EXPECT_EQ(ChartTypeCode::toApplicationType(ChartTypeCode::make(10, 0)), std::nullopt);
}

TEST(ChartTypeCode, EverySupportedCodeSurvivesTheRoundTrip) {
    for (int32_t type = -5000; type <= 200; ++type) {
        const uint32_t code = ChartTypeCode::fromApplicationType(type);
        const auto back = ChartTypeCode::toApplicationType(code);
        ASSERT_TRUE(back.has_value()) << type;
        EXPECT_EQ(ChartTypeCode::fromApplicationType(*back), code) << type;
    }
}
