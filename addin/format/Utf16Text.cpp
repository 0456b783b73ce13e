#include "Utf16Text.h"

#include <cstdint>

namespace quire::addin {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The code point that starts at `at`, or nothing for a sequence that is
// not valid; `at` moves past it.
std::optional<char32_t> decodeOne(std::string_view bytes, size_t& at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    size_t length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (bytes.size() - at < length) {
        return std::nullopt;
    }
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        if (!isContinuation(next)) {
            return std::nullopt;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    at += length;
    return value;
}

void appendUtf16(std::wstring& out, char32_t value) {
    if (value < 0x10000) {
        out.push_back(static_cast<wchar_t>(value));
        return;
    }
    value -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (value >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (value & 0x3FF)));
}

void appendUtf8(std::string& out, char32_t value) {
    if (value < 0x80) {
        out.push_back(static_cast<char>(value));
    } else if (value < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (value >> 6)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else if (value < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (value >> 12)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (value >> 18)));
        out.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    }
}

bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

std::optional<std::wstring> WidenUtf8Checked(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    size_t at = 0;
    while (at < bytes.size()) {
        std::optional<char32_t> value = decodeOne(bytes, at);
        if (!value) {
            return std::nullopt;
        }
        appendUtf16(out, *value);
    }
    return out;
}

std::string NarrowUtf8Lossy(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        // Only the low 16 bits are a unit: a wider wchar_t carries nothing more.
        const char32_t unit = static_cast<uint16_t>(text[i]);
        if (isHighSurrogate(unit) && i + 1 < text.size() &&
            isLowSurrogate(static_cast<uint16_t>(text[i + 1]))) {
            const char32_t low = static_cast<uint16_t>(text[++i]);
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

} // namespace quire::addin
