#pragma once

#include <optional>
#include <string>
#include <string_view>

// UTF-8 and the UTF-16 of the add-in's wide strings, without the system's
// code-page calls, so that the record and name checks also build on the host.
// A wide string holds UTF-16 code units whatever the width of wchar_t.
namespace quire::addin {

// Nothing when the bytes are not valid UTF-8 (overlong forms, encoded
// surrogates, values past U+10FFFF, cut sequences).
std::optional<std::wstring> WidenUtf8Checked(std::string_view bytes);

// A lone surrogate becomes U+FFFD.
std::string NarrowUtf8Lossy(std::wstring_view text);

} // namespace quire::addin
