#include "TextConversion.h"

#include "SharedState.h"

#include <windows.h>

#include <cstring>

namespace quire::sync {

namespace {

std::string Narrow(UINT codePage, DWORD flags, const std::wstring& text, BOOL* usedDefault) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, usedDefault);
    if (bytes <= 0) {
        return {};
    }
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), length, result.data(), bytes, nullptr,
                        usedDefault);
    return result;
}

std::optional<std::wstring> Widen(UINT codePage, DWORD flags, const char* text) {
    if (text == nullptr || *text == '\0') {
        return std::wstring();
    }
    const int length = static_cast<int>(strlen(text));
    const int chars = MultiByteToWideChar(codePage, flags, text, length, nullptr, 0);
    if (chars <= 0) {
        return std::nullopt;
    }
    std::wstring result(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(codePage, flags, text, length, result.data(), chars);
    return result;
}

} // namespace

std::string ToAnsi(const std::wstring& text) {
    return Narrow(CP_ACP, 0, text, nullptr);
}

std::optional<std::string> ToAnsiPath(const std::wstring& path) {
    BOOL usedDefault = FALSE;
    std::string result = Narrow(CP_ACP, WC_NO_BEST_FIT_CHARS, path, &usedDefault);
    if (usedDefault || (result.empty() && !path.empty())) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return std::nullopt;
    }
    if (result.size() > kMaxOutsideBytes) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return std::nullopt;
    }
    return result;
}

std::wstring FromAnsi(const char* text) {
    return Widen(CP_ACP, 0, text).value_or(std::wstring());
}

std::optional<std::string> ToUtf8Path(const std::wstring& path) {
    std::string result = Narrow(CP_UTF8, WC_ERR_INVALID_CHARS, path, nullptr);
    if (result.size() > kMaxOutsideBytes || (result.empty() && !path.empty())) {
        return std::nullopt;
    }
    return result;
}

std::optional<std::wstring> FromUtf8Name(const char* text) {
    std::optional<std::wstring> name = Widen(CP_UTF8, MB_ERR_INVALID_CHARS, text);
    if (name && name->size() >= kPathChars) {
        return std::nullopt;
    }
    return name;
}

} // namespace quire::sync
