#pragma once

#include <cstdint>
#include <string_view>

namespace quire::sync {

// Which converter a document needs when it crosses sides.
enum class DocumentKind : int32_t {
    None = 0,
    WordProcessing = 1, // ".doc" on the PC, ".pgd" on the handheld
    Spreadsheet = 2,    // ".xls" on the PC, ".shf" on the handheld
};

// By the text after the last '.' of the whole name, compared without case.
DocumentKind DocumentKindOfPcName(std::wstring_view name);
DocumentKind DocumentKindOfHandheldName(std::wstring_view name);

} // namespace quire::sync
