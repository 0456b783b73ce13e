#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The handheld keeps a number format as a kind and a sub-index; workbooks keep
// format texts.  These are the two directions of that mapping.
namespace sheaf {

// The NumberFormatCode for a workbook's format text.
uint32_t classifyNumberFormat(std::string_view formatText);

// The workbook format text for a code, or nothing when the code names no
// format (general, or a sub-index outside its kind's list).  Texts are ANSI
// bytes of code page 1251 where they hold currency signs.
std::optional<std::string> numberFormatText(uint32_t code);

} // namespace sheaf
