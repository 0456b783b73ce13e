#pragma once

#include <cstdint>

// Failure codes that a converter library's entry points return and that
// their callers tell apart; 0 or more is success.
namespace sheaf {

// A record or a byte that the document does not hold.
inline constexpr int32_t SHEAF_E_DATA = -3000;
// The spreadsheet application failed.
inline constexpr int32_t SHEAF_E_EXCEL = -7000;
// The progress callback asked to stop.
inline constexpr int32_t SHEAF_E_CANCELLED = -9000;
// A session step failed, or the application described an error; the text is
// the library's last error text.
inline constexpr int32_t SHEAF_E_FAILED = -10000;

} // namespace sheaf
