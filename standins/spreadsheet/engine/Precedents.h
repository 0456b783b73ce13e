#pragma once

#include "Sheet.h"

#include <vector>

namespace spreadsheet {

// The cells that a formula refers to directly on its own sheet, as few
// rectangles as a row-by-row sweep gives, top to bottom.  Empty when the cell
// holds no formula or the formula refers to no cell of its sheet.
std::vector<CellArea> directPrecedents(const Sheet& sheet, CellPosition at);

} // namespace spreadsheet
