#pragma once

#include "SeriesRange.h"

#include <string_view>

namespace sheaf {

// Reads a chart series formula, =SERIES(name,categories,values,order[,sizes])
// with "," or ";" between the arguments, into a range: the categories and
// sizes with their sheets quoted, the values as a rectangle.  The name and the
// order are dropped.  A text that is no formula gives an empty range.
SeriesRange parseSeriesFormula(std::string_view formula);

} // namespace sheaf
