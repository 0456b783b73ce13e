#include "TextCodec.h"

#include <algorithm>
#include <cwctype>

namespace skylink {

std::wstring toWide(std::string_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(needed > 0 ? needed : 0), L'\0');
    if (needed > 0) {
        MultiByteToWideChar(codePage, 0, text.data(), length, out.data(), needed);
    }
    return out;
}

std::string fromWide(std::wstring_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int needed =
        WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0) {
        WideCharToMultiByte(codePage, 0, text.data(), length, out.data(), needed, nullptr, nullptr);
    }
    return out;
}

void copyAnsi(std::wstring_view text, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) {
        return;
    }
    // Drop characters from the end until the converted text fits; a double-byte
    // character is never cut in half this way.
    for (std::size_t length = std::min(text.size(), static_cast<std::size_t>(size - 1));;
         --length) {
        const std::string converted = fromWide(text.substr(0, length), CP_ACP);
        if (converted.size() < static_cast<std::size_t>(size)) {
            converted.copy(buffer, converted.size());
            buffer[converted.size()] = '\0';
            return;
        }
        if (length == 0) {
            buffer[0] = '\0';
            return;
        }
    }
}

std::optional<uint64_t> parseContentLength(std::wstring_view text) {
    if (text.empty() || text.size() > 19) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(c - L'0');
    }
    return value;
}

bool isChunkedCoding(std::wstring_view text) {
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) {
        text.remove_suffix(1);
    }
    constexpr std::wstring_view chunked = L"chunked";
    if (text.size() < chunked.size()) {
        return false;
    }
    const std::wstring_view last = text.substr(text.size() - chunked.size());
    for (std::size_t i = 0; i < chunked.size(); ++i) {
        if (std::towlower(last[i]) != chunked[i]) {
            return false;
        }
    }
    return true;
}

} // namespace skylink
