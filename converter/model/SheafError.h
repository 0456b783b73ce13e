#pragma once

#include "ConverterResults.h"

#include <cstdint>
#include <exception>

namespace sheaf {

// Any other failure; the platform's E_FAIL.
inline constexpr int32_t SHEAF_E_UNEXPECTED = static_cast<int32_t>(0x80004005u);

// Thrown inside a conversion with the result code that the library's entry
// points hand back to their caller.
class SheafError : public std::exception {
public:
    explicit SheafError(int32_t code) : code_(code) {}
    int32_t code() const noexcept { return code_; }
    const char* what() const noexcept override { return "sheaf conversion error"; }

private:
    int32_t code_;
};

[[noreturn]] inline void throwDataError() {
    throw SheafError(SHEAF_E_DATA);
}

} // namespace sheaf
