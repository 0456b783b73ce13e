#pragma once

#include <windows.h>

#include <cstdint>

namespace quire::addin {

// The current time as a UTC file time.
inline uint64_t systemFileTimeNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// What a pass takes from its surroundings, so that tests can aim it at
// scratch keys and a clock of their own.
struct AddinEnvironment {
    HKEY userRoot = HKEY_CURRENT_USER; // holds the settings key
    HINSTANCE resources = nullptr;     // module with the conflict dialog template
    uint64_t (*now)() = systemFileTimeNow;
};

} // namespace quire::addin
