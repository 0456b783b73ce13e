#pragma once

#include <string>

namespace sheaf {

// The text of the most recent failure, one for the whole process.  Never
// cleared: it always explains the last failure, however long ago.
void setLastError(const std::string& text);
std::string lastError();

} // namespace sheaf
