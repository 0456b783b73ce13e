#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sheaf {

// One group of chart series that share a sheet and lie side by side: a
// rectangle of values holding one series per column or per row.  Strings are
// ANSI byte strings.
class SeriesRange {
public:
    std::string categories; // category labels, sheet name quoted
    std::string sizes;      // bubble sizes, sheet name quoted; empty when absent
    std::string sheet;      // sheet part of the values reference, as written
    int32_t firstColumn = 0;
    int32_t firstRow = 0;
    int32_t lastColumn = 0;
    int32_t lastRow = 0;

    void reset() { *this = SeriesRange(); }
    bool empty() const { return sheet.empty(); }

    // Reads a values reference such as 'Sheet1'!$B$2:$D$9 into the sheet and
    // the corners; a single cell gives a one-cell rectangle.
    void parseValuesReference(std::string_view text);

    // 'Sheet1'!$B$2:$D$9
    std::string addressText() const;

    // Extends this range by an adjacent one on the same sheet; false when the
    // two cannot be merged.
    bool merge(const SeriesRange& other, bool inRows);

    // Takes the first series off this range and returns it; this range becomes
    // empty when that was its last series.
    SeriesRange splitOffSeries(bool inRows);

    // =SERIES(;categories;values;order[;sizes])
    std::string seriesFormula(int32_t order) const;

    static int32_t lettersToColumn(std::string_view letters);
    static std::string columnToLetters(int32_t column);

    // Wraps the sheet part of a reference in single quotes (Sheet1!$A$1
    // becomes 'Sheet1'!$A$1) after dropping a [workbook] part.
    static void quoteSheetOfReference(std::string& reference);

    // Position of the first character of `set` that stands outside single
    // quotes, or -1.  A doubled quote inside a quoted name does not toggle.
    static int32_t findOutsideQuotes(std::string_view text, std::string_view set);
};

} // namespace sheaf
