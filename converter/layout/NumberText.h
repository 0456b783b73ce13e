#pragma once

#include <string>

namespace sheaf {

// A cell value as the handheld stores it: at most 10 significant digits, a
// point as the decimal separator whatever the process locale, and the
// exponent form with a capital E for very large or small values.
std::string formatCellNumber(double value);

} // namespace sheaf
