#include "StoreName.h"

#include "RecordPath.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace quire::addin {

namespace {

wchar_t asciiLower(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Letter case aside, for the ASCII texts of extensions and scratch names.
bool sameAsciiText(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return asciiLower(x) == asciiLower(y); });
}

// Replaces the extension of the path's last component when it is one of
// `from`, with the matching `to`.
std::wstring renameKind(std::wstring path, bool folder, const wchar_t* const from[2],
                        const wchar_t* const to[2]) {
    if (folder) {
        return path;
    }
    const size_t slash = path.rfind(L'/');
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) {
        return path;
    }
    const std::wstring_view extension = std::wstring_view(path).substr(dot);
    for (int i = 0; i < 2; ++i) {
        if (sameAsciiText(extension, from[i])) {
            path.replace(dot, extension.size(), to[i]);
            break;
        }
    }
    return path;
}

bool samePath(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return asciiLower(x) == asciiLower(y); });
}

} // namespace

std::wstring StoreRelativePath(std::wstring_view path) {
    std::wstring relative(path);
    if (!relative.empty() && relative.front() == L'/') {
        relative.erase(0, 1);
    }
    std::replace(relative.begin(), relative.end(), L'/', L'\\');
    return relative;
}

std::wstring DesktopPathOf(std::wstring path, bool folder) {
    static const wchar_t* const from[2] = {L".xls", L".doc"};
    static const wchar_t* const to[2] = {L".shf", L".pgd"};
    return renameKind(std::move(path), folder, from, to);
}

std::wstring HandheldPathOf(std::wstring path, bool folder) {
    static const wchar_t* const from[2] = {L".shf", L".pgd"};
    static const wchar_t* const to[2] = {L".xls", L".doc"};
    return renameKind(std::move(path), folder, from, to);
}

bool ReturnsFromHandheld(const std::wstring& path, bool folder) {
    const RecordLocation location = recordLocation(HandheldPathOf(path, folder));
    const std::optional<std::wstring> back = recordEntryPath(location.parent, location.name);
    return back && samePath(DesktopPathOf(*back, folder), path);
}

bool IsUnfinishedSaveName(std::wstring_view name) {
    // GetTempFileName: a three-character prefix, up to four hex digits, ".tmp".
    static const wchar_t* const prefixes[] = {L"~qa", L"~qs", L"shf"};
    if (name.size() < 8 || name.size() > 11 ||
        !sameAsciiText(name.substr(name.size() - 4), L".tmp")) {
        return false;
    }
    const std::wstring_view digits = name.substr(3, name.size() - 7);
    const bool hex = std::all_of(digits.begin(), digits.end(), [](wchar_t c) {
        return (c >= L'0' && c <= L'9') || (asciiLower(c) >= L'a' && asciiLower(c) <= L'f');
    });
    return hex && std::any_of(std::begin(prefixes), std::end(prefixes), [&](const wchar_t* prefix) {
               return sameAsciiText(name.substr(0, 3), prefix);
           });
}

std::wstring StoreScratchName(unsigned number) {
    wchar_t name[16];
    std::swprintf(name, std::size(name), L"~qa%X.TMP", number & 0xFFFFu);
    return name;
}

} // namespace quire::addin
