#include "DocumentKind.h"

#include <cwchar>
#include <string>

namespace quire::sync {

namespace {

DocumentKind KindByExtension(std::wstring_view name, const wchar_t* word, const wchar_t* sheet) {
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos) {
        return DocumentKind::None;
    }
    const std::wstring extension(name.substr(dot));
    if (_wcsicmp(extension.c_str(), sheet) == 0) {
        return DocumentKind::Spreadsheet;
    }
    if (_wcsicmp(extension.c_str(), word) == 0) {
        return DocumentKind::WordProcessing;
    }
    return DocumentKind::None;
}

} // namespace

DocumentKind DocumentKindOfPcName(std::wstring_view name) {
    return KindByExtension(name, L".doc", L".xls");
}

DocumentKind DocumentKindOfHandheldName(std::wstring_view name) {
    return KindByExtension(name, L".pgd", L".shf");
}

} // namespace quire::sync
