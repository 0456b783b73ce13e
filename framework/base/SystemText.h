#pragma once

#include <windows.h>

#include <string>

namespace quire {

// The system's message text for an error code, from a module's message table
// when one is given; without its line break, empty when there is none.
inline std::wstring SystemMessageText(DWORD code, HMODULE module = nullptr) {
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                        FORMAT_MESSAGE_IGNORE_INSERTS | (module ? FORMAT_MESSAGE_FROM_HMODULE : 0);
    const DWORD length =
        FormatMessageW(flags, module, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring text;
    if (length > 0 && buffer != nullptr) {
        text.assign(buffer, length);
    }
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) {
        text.pop_back();
    }
    return text;
}

} // namespace quire
