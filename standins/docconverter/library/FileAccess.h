#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace docconv {

// Reads a whole file, sharing it with readers.  Returns 0 or the Win32 error.
DWORD readWholeFile(const char* path, std::vector<uint8_t>& bytes);

// Writes the bytes to a temporary file beside `destination` and moves it into
// place, so that a failure leaves whatever stood there before.  Returns 0 or
// the Win32 error.
DWORD replaceFile(const char* destination, const std::vector<uint8_t>& bytes);

} // namespace docconv
