#include "TextConversion.h"

#include "SharedState.h"
#include "base/CodePage.h"

#include <windows.h>

namespace quire::sync {

std::string ToAnsi(const std::wstring& text) {
    return NarrowLossy(CP_ACP, text);
}

std::optional<std::string> ToAnsiPath(const std::wstring& path) {
    std::optional<std::string> result = NarrowChecked(CP_ACP, path);
    if (result && result->size() > kMaxOutsideBytes) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return std::nullopt;
    }
    return result;
}

std::wstring FromAnsi(const char* text) {
    return WidenLossy(CP_ACP, text ? text : "");
}

std::optional<std::string> ToUtf8Path(const std::wstring& path) {
    std::optional<std::string> result = NarrowChecked(CP_UTF8, path);
    if (result && result->size() > kMaxOutsideBytes) {
        return std::nullopt;
    }
    return result;
}

std::optional<std::wstring> FromUtf8Name(const char* text) {
    std::optional<std::wstring> name = WidenChecked(CP_UTF8, text ? text : "");
    if (name && name->size() >= kPathChars) {
        return std::nullopt;
    }
    return name;
}

} // namespace quire::sync
