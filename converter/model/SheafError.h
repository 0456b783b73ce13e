#pragma once

#include <cstdint>
#include <exception>

namespace sheaf {

// A record or a byte that the document does not hold.
inline constexpr int32_t SHEAF_E_DATA = -3000;
// The progress callback asked to stop.
inline constexpr int32_t SHEAF_E_CANCELLED = -9000;
// A session step failed, or the application described an error; the text is
// the library's last error text.
inline constexpr int32_t SHEAF_E_FAILED = -10000;
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
