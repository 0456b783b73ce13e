#pragma once

#include "BiffRecordWriter.h"
#include "Chart.h"
#include "FormulaTokens.h"

#include <cstdint>
#include <string>
#include <vector>

namespace xls {

// One series' references as formula tokens, ready to be written.
struct EncodedSeries {
    std::vector<uint8_t> name, categories, values; // empty when absent
    std::string literalName;                       // a name given as text
    uint16_t categoryCount = 0;
    uint16_t valueCount = 0;
};

struct EncodedChart {
    const spreadsheet::Chart* chart = nullptr;
    std::vector<EncodedSeries> series;
};

// Encodes the series formulas of the chart; a reference without a sheet is to
// `sheet`.  Series that cannot be encoded are left out with a note.  Must run
// before the globals are written: the references join the EXTERNSHEET record.
EncodedChart encodeChart(const spreadsheet::Chart& chart, const std::string& sheet,
                         EncodeContext& context, std::vector<std::string>& notes);

// The chart substream of a chart sheet after its BOF, up to and including its EOF.
void writeChartSubstream(const EncodedChart& chart, BiffRecordWriter& out);

} // namespace xls
