#pragma once

#include <windows.h>

namespace quire {

// Looks up one entry point of a loaded library by name into a typed function
// pointer; false, and a null pointer, when the library lacks it.
template <typename Function>
bool ResolveEntryPoint(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(GetProcAddress(module, name));
    return function != nullptr;
}

} // namespace quire
