#pragma once

#include <string>
#include <string_view>

// The workbook stream stores texts as UTF-16 code units (or their low bytes
// when every unit fits); the model holds UTF-8.
namespace xls {

// Appends `codeUnit` to a UTF-8 string, pairing surrogates through `pending`.
void appendUtf16(std::string& out, char16_t codeUnit, char16_t& pending);
std::u16string utf8ToUtf16(std::string_view text);
// True when every code unit fits in one byte (the compressed form).
bool fitsCompressed(std::u16string_view units);

} // namespace xls
