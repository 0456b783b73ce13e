#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace docconv::utf8 {

void append(std::string& out, char32_t codePoint);
// The code points of valid UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF); nothing when the bytes are not valid.
std::optional<std::u32string> decode(std::string_view bytes);
bool isValid(std::string_view bytes);

} // namespace docconv::utf8
