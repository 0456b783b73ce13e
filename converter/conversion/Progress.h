#pragma once

#include "ConverterInterface.h"

#include <cstdint>
#include <string>

namespace sheaf {

// Reports conversion progress to the caller's callback, when there is one.
// A callback that answers 0 stops the conversion: report() then throws
// SHEAF_E_CANCELLED.
class Progress {
public:
    explicit Progress(ProgressCallback callback) : callback_(callback) {}

    void report(uint32_t position, const std::string& text) const;
    // "Converting row %d..." and the like: the text with its number.
    void report(uint32_t position, const char* format, int32_t number) const;

    // The position of step `done` of `count` inside lo..hi, in unsigned
    // arithmetic as the handheld's progress positions always were.
    static uint32_t between(uint32_t lo, uint32_t hi, uint32_t done, uint32_t count);

    bool enabled() const { return callback_ != nullptr; }

private:
    ProgressCallback callback_;
};

} // namespace sheaf
