#pragma once

#include <optional>
#include <string>

// Conversions between the program's UTF-16 texts and the byte strings of the
// outside libraries.  The checked forms refuse what would not arrive intact, so
// that a path is never cut or altered into another one.
namespace quire::sync {

// Longest byte string the outside libraries accept, terminator excluded.
inline constexpr size_t kMaxOutsideBytes = 259;

// Text in the ANSI code page; characters outside it become the default character.
std::string ToAnsi(const std::wstring& text);
// A path in the ANSI code page, or nothing when a character has no equivalent
// there (last error ERROR_NO_UNICODE_TRANSLATION) or the result exceeds
// kMaxOutsideBytes (ERROR_FILENAME_EXCED_RANGE).
std::optional<std::string> ToAnsiPath(const std::wstring& path);
std::wstring FromAnsi(const char* text);

// A remote path in UTF-8, or nothing when it exceeds kMaxOutsideBytes.
std::optional<std::string> ToUtf8Path(const std::wstring& path);
// A name from UTF-8, or nothing when it is not valid UTF-8 or longer than a
// path buffer holds.
std::optional<std::wstring> FromUtf8Name(const char* text);

} // namespace quire::sync
