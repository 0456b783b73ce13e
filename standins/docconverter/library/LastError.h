#pragma once

#include <string>

namespace docconv {

// The text of the most recent failure, one for the whole process; never
// cleared.
void setLastError(const std::string& text);
std::string lastError();

} // namespace docconv
