#pragma once

#include "CellValue.h"

#include <string>

namespace spreadsheet {

// The text a cell shows for its value under a number format code: General,
// fixed decimals, thousands separators, percent, scientific, text (@), currency
// and literal parts, sections for negative and zero values, and the common date
// and time codes (d dd ddd dddd m mm mmm mmmm yy yyyy h hh m mm ss AM/PM).
std::string displayText(const CellValue& value, const std::string& numberFormat);

// A number as the General format shows it in a standard column: at most 11
// characters, in scientific form when it needs more.
std::string generalNumberText(double value);

} // namespace spreadsheet
