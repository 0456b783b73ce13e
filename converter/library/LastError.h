#pragma once

#include "base/ErrorText.h"

#include <string>

namespace sheaf {

// The text of the library's most recent failure, one for the whole process.
inline void setLastError(const std::string& text) {
    quire::ModuleErrorText::Set(text);
}
inline std::string lastError() {
    return quire::ModuleErrorText::Get();
}

} // namespace sheaf
