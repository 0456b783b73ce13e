#pragma once

#include <cwctype>
#include <string>
#include <string_view>

namespace quire {

// A name the system reserves for a device in every folder, with or without an
// extension ("CON", "nul.txt", "COM1").
inline bool IsDeviceName(std::wstring_view name) {
    std::wstring stem(name.substr(0, name.find(L'.')));
    while (!stem.empty() && stem.back() == L' ') {
        stem.pop_back();
    }
    for (wchar_t& c : stem) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" || stem == L"CONIN$" ||
        stem == L"CONOUT$") {
        return true;
    }
    return stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) &&
           stem[3] >= L'1' && stem[3] <= L'9';
}

// One folder or file name from outside that stays where it is put: no
// separators, drive or stream colons, wildcards, control characters, dot names
// or device names, and no trailing dot or space, which the file system drops.
inline bool IsSafeEntryName(std::wstring_view name) {
    if (name.empty() || name == L"." || name == L"..") {
        return false;
    }
    for (wchar_t c : name) {
        if (c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) {
            return false;
        }
    }
    const wchar_t last = name.back();
    return last != L'.' && last != L' ' && !IsDeviceName(name);
}

} // namespace quire
