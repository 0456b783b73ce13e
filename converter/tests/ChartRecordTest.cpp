#include "ChartRecord.h"
#include "SheafCodes.h"
#include "SheafError.h"

#include <gtest/gtest.h>

using namespace sheaf;

TEST(ChartRecord, RoundTripsAndKeepsTheFieldOrder) {
    ChartRecord chart;
    chart.ordinal = 4;
    chart.name = "Chart 1";
    chart.type = ChartTypeCode::make(ChartTypeCode::Bubble, 0);
    chart.inRows = true;
    chart.categories = "'S'!$A$2:$A$9";
    chart.groups = {{"'S'!$B$2:$B$9", "'S'!$C$2:$C$9"}, {"'S'!$E$2:$E$9", ""}};
    const RecordBuffer record = chart.encode();

    int32_t position = 0;
    std::string text;
    EXPECT_EQ(record.readWord(position), 4u);
    record.readString(position, text);
    EXPECT_EQ(text, "Chart 1");
    record.readString(position, text);
    EXPECT_EQ(text, "") << "a chart without a title stores an empty title";
    EXPECT_EQ(record.readWord(position), 8u);
    EXPECT_EQ(record.readByte(position), 1);

    EXPECT_EQ(ChartRecord::decode(record), chart);
}

TEST(ChartRecord, GroupCountsBeyondTheRecordAreDataErrors) {
    ChartRecord chart;
    chart.groups = {{"'S'!$B$2:$B$9", ""}};
    RecordBuffer record = chart.encode();
    RecordBuffer shortened(record.bytes().first(static_cast<size_t>(record.size() - 2)));
    EXPECT_THROW(ChartRecord::decode(shortened), SheafError);

    RecordBuffer huge;
    huge.appendWord(0);
    huge.appendString("c");
    huge.appendString("");
    huge.appendWord(0);
    huge.appendByte(0);
    huge.appendString("");
    huge.appendWord(0xFFFFFFFF);
    EXPECT_THROW(ChartRecord::decode(huge), SheafError);
}
