#include "DateSerial.h"

#include <gtest/gtest.h>

using namespace spreadsheet;

TEST(DateSerial, EveryDayRoundTripsThroughItsParts) {
    // Serial 60 is the phantom 29 February 1900; every other serial is a real day.
    for (double serial = 1; serial < 2958466; serial += 37) {
        if (serial == 60)
            continue;
        DateTimeParts p = dateFromSerial(serial);
        ASSERT_EQ(serialFromDate(p.year, p.month, p.day), serial) << serial;
    }
    DateTimeParts phantom = dateFromSerial(60);
    EXPECT_EQ(phantom.month, 2);
    EXPECT_EQ(phantom.day, 29);
    EXPECT_EQ(dateFromSerial(61).month, 3);
    EXPECT_EQ(dateFromSerial(2958465).year, 9999);
}

TEST(DateSerial, TimesRoundToTheSecondAndCarryIntoTheNextDay) {
    DateTimeParts p = dateFromSerial(45000.5 + 1.0 / 86400 * 0.6);
    EXPECT_EQ(p.hour, 12);
    EXPECT_EQ(p.second, 1);
    DateTimeParts late = dateFromSerial(45000.9999999);
    EXPECT_EQ(late.hour, 0);
    EXPECT_EQ(dateFromSerial(45000.9999999).day, dateFromSerial(45001).day);
}

TEST(DateSerial, MonthsAndDaysRunOver) {
    EXPECT_EQ(serialFromDate(2024, 13, 1), serialFromDate(2025, 1, 1));
    EXPECT_EQ(serialFromDate(2024, 0, 1), serialFromDate(2023, 12, 1));
    EXPECT_EQ(serialFromDate(2024, 3, 0), serialFromDate(2024, 2, 29));
    EXPECT_EQ(serialFromDate(2024, -11, 1), serialFromDate(2023, 1, 1));
}
