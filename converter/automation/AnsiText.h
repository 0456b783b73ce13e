#pragma once

#include <windows.h>

#include <string>

namespace sheaf {

// Conversions between the converter's ANSI byte strings (system code page) and
// the application's wide strings.
std::wstring ansiToWide(const std::string& text);
std::string wideToAnsi(const wchar_t* text, size_t length);

} // namespace sheaf
