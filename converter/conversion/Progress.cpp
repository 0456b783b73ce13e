#include "Progress.h"

#include "SheafError.h"

#include <cstdio>

namespace sheaf {

void Progress::report(uint32_t position, const std::string& text) const {
    if (callback_ && callback_(static_cast<int32_t>(position), text.c_str(), nullptr) == 0) {
        throw SheafError(SHEAF_E_CANCELLED);
    }
}

void Progress::report(uint32_t position, const char* format, int32_t number) const {
    if (!callback_) {
        return;
    }
    char text[128];
    std::snprintf(text, sizeof text, format, number);
    report(position, std::string(text));
}

uint32_t Progress::between(uint32_t lo, uint32_t hi, uint32_t done, uint32_t count) {
    return lo + (hi - lo) * done / (count == 0 ? 1 : count);
}

} // namespace sheaf
