#pragma once

#include <cstdint>

namespace docconv {

// The Windows-1252 character of a byte; the five bytes the code page leaves
// undefined stand for the control characters of the same value.
char32_t cp1252ToUnicode(uint8_t byte);

} // namespace docconv
