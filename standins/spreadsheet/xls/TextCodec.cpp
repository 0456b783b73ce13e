#include "TextCodec.h"

#include <algorithm>

namespace xls {

void appendUtf16(std::string& out, char16_t unit, char16_t& pending) {
    uint32_t cp = unit;
    if (unit >= 0xD800 && unit < 0xDC00) {
        if (pending != 0) {
            out += "\xEF\xBF\xBD";
        }
        pending = unit;
        return;
    }
    if (unit >= 0xDC00 && unit < 0xE000) {
        cp = pending == 0
                 ? 0xFFFD
                 : 0x10000 + ((static_cast<uint32_t>(pending) - 0xD800) << 10) + (unit - 0xDC00u);
    } else if (pending != 0) {
        out += "\xEF\xBF\xBD";
    }
    pending = 0;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string units;
    units.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        size_t len = b < 0x80 ? 1 : b < 0xC0 ? 0 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF8 ? 4 : 0;
        uint32_t cp = 0xFFFD;
        if (len == 1) {
            cp = b;
        } else if (len > 1 && i + len <= text.size()) {
            cp = b & (0xFFu >> (len + 1));
            for (size_t k = 1; k < len; ++k) {
                const unsigned char c = static_cast<unsigned char>(text[i + k]);
                if ((c & 0xC0) != 0x80) {
                    cp = 0xFFFD;
                    len = k;
                    break;
                }
                cp = (cp << 6) | (c & 0x3F);
            }
        } else {
            len = 1; // a stray or cut-off byte
        }
        i += len;
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            units.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(cp > 0xFFFF ? 0xFFFD : cp));
        }
    }
    return units;
}

bool fitsCompressed(std::u16string_view units) {
    return std::all_of(units.begin(), units.end(), [](char16_t u) { return u <= 0xFF; });
}

} // namespace xls
