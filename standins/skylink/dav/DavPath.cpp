#include "DavPath.h"

namespace dav {

namespace {

bool isUnreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool isDotSegment(std::string_view segment) {
    return segment == "." || segment == "..";
}

} // namespace

std::string percentEncodePath(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if (isUnreserved(u) || c == '/') {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 0x0F];
        }
    }
    return out;
}

std::optional<std::string> percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            c = static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        }
        if (c == '\0') {
            return std::nullopt;
        }
        out += c;
    }
    return out;
}

std::optional<std::string> hrefPath(std::string_view href) {
    const auto scheme = href.find("://");
    if (scheme != std::string_view::npos && href.find('/') > scheme) {
        const auto pathStart = href.find('/', scheme + 3);
        href = pathStart == std::string_view::npos ? std::string_view("/") : href.substr(pathStart);
    }
    href = href.substr(0, href.find_first_of("?#"));
    return percentDecode(href);
}

std::optional<std::string> serverPath(std::string_view basePath, std::string_view remotePath) {
    if (remotePath.empty()) {
        return std::nullopt;
    }
    std::size_t start = 0;
    while (start <= remotePath.size()) {
        const auto slash = remotePath.find('/', start);
        const auto end = slash == std::string_view::npos ? remotePath.size() : slash;
        if (isDotSegment(remotePath.substr(start, end - start))) {
            return std::nullopt;
        }
        start = end + 1;
    }
    std::string path(withoutTrailingSlash(basePath));
    if (remotePath.front() != '/') {
        path += '/';
    }
    path += remotePath;
    return path;
}

std::string_view withoutTrailingSlash(std::string_view path) {
    while (!path.empty() && path.back() == '/') {
        path.remove_suffix(1);
    }
    return path;
}

std::string asCollectionPath(std::string_view path) {
    std::string out(withoutTrailingSlash(path));
    out += '/';
    return out;
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned long point = 0;
        unsigned long least = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, point = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, point = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, point = lead & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            point = (point << 6) | (next & 0x3F);
        }
        if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace dav
