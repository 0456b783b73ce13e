#pragma once

#include "BiffRecordReader.h"
#include "Chart.h"
#include "FormulaTokens.h"

#include <string>
#include <vector>

namespace xls {

// A chart holds at most this many series; later ones are dropped with a note.
inline constexpr size_t kMaxChartSeries = 255;

// Reads a chart substream, from the record after its BOF up to and including
// its EOF, into `chart`: the type of the first chart group, the title, and
// each series as its series formula rebuilt from the references the file
// gives (always absolute, as the application shows them).  False when the
// stream ends before the EOF; `chart` then holds what was read.
bool readChartSubstream(BiffRecordReader& records, FormulaContext& context,
                        spreadsheet::Chart& chart, std::vector<std::string>& notes);

} // namespace xls
