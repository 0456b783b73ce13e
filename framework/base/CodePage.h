#pragma once

#include <windows.h>

#include <climits>
#include <optional>
#include <string>
#include <string_view>

// Conversions between UTF-16 and the byte strings of a code page (CP_ACP,
// CP_UTF8).  The checked forms refuse a text that would not arrive intact;
// the lossy forms put a stand-in character where one cannot be carried.
namespace quire {

namespace detail {

inline int byteCount(size_t size) {
    return size > INT_MAX ? -1 : static_cast<int>(size);
}

inline std::optional<std::string> narrow(UINT codePage, DWORD flags, std::wstring_view text,
                                         const char* fallback, BOOL* usedFallback) {
    if (text.empty()) {
        return std::string();
    }
    const int length = byteCount(text.size());
    if (length < 0) {
        return std::nullopt;
    }
    const int bytes = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0,
                                          fallback, usedFallback);
    if (bytes <= 0) {
        return std::nullopt;
    }
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), length, result.data(), bytes, fallback,
                        usedFallback);
    return result;
}

inline std::optional<std::wstring> widen(UINT codePage, DWORD flags, std::string_view text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int length = byteCount(text.size());
    if (length < 0) {
        return std::nullopt;
    }
    const int chars = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (chars <= 0) {
        return std::nullopt;
    }
    std::wstring result(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), length, result.data(), chars);
    return result;
}

} // namespace detail

// Nothing when a character has no exact equivalent in the code page (no best
// fit, no default character) or the text is not valid UTF-16; last error
// ERROR_NO_UNICODE_TRANSLATION then.
inline std::optional<std::string> NarrowChecked(UINT codePage, std::wstring_view text) {
    std::optional<std::string> result;
    if (codePage == CP_UTF8) {
        result = detail::narrow(codePage, WC_ERR_INVALID_CHARS, text, nullptr, nullptr);
    } else {
        BOOL usedDefault = FALSE;
        result = detail::narrow(codePage, WC_NO_BEST_FIT_CHARS, text, nullptr, &usedDefault);
        if (usedDefault) {
            result.reset();
        }
    }
    if (!result) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    }
    return result;
}

// Characters the code page lacks become `fallback`, or the code page's own
// default character; UTF-8 takes no fallback and gets U+FFFD for broken text.
inline std::string NarrowLossy(UINT codePage, std::wstring_view text,
                               const char* fallback = nullptr) {
    return detail::narrow(codePage, 0, text, codePage == CP_UTF8 ? nullptr : fallback, nullptr)
        .value_or(std::string());
}

// Nothing when the bytes are not valid in the code page.
inline std::optional<std::wstring> WidenChecked(UINT codePage, std::string_view text) {
    std::optional<std::wstring> result = detail::widen(codePage, MB_ERR_INVALID_CHARS, text);
    if (!result) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    }
    return result;
}

inline std::wstring WidenLossy(UINT codePage, std::string_view text) {
    return detail::widen(codePage, 0, text).value_or(std::wstring());
}

} // namespace quire
