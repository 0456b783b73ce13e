#pragma once

#include <cstdint>
#include <span>
#include <vector>

// The chart group's type record of a chart substream (BAR, LINE, PIE...) and
// the application's chart type constants (Chart.h).
namespace xls {

struct ChartTypeRecord {
    uint16_t id = 0;      // rec::Bar, rec::Line...
    uint16_t flags = 0;   // the record's option word
    uint16_t donut = 0;   // PIE: the hole's size in percent
    bool bubbles = false; // SCATTER: a bubble chart
};

// The type a chart group's record stands for; `threeD` when the group has a
// 3-D record.  Column clustered for a record this table does not know.
int32_t chartTypeOf(uint16_t id, std::span<const uint8_t> data, bool threeD);

// The record that draws the chart type (as 2-D; a 3-D type is drawn flat).
ChartTypeRecord chartTypeRecordOf(int32_t chartType);

// The record's data as the chart substream holds it.
void appendChartTypeData(const ChartTypeRecord& type, std::vector<uint8_t>& out);

} // namespace xls
