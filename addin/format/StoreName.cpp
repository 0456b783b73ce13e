#include "StoreName.h"

#include "RecordPath.h"

#include <algorithm>

namespace quire::addin {

namespace {

wchar_t asciiLower(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool sameExtension(std::wstring_view a, std::wstring_view b) {
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
        if (sameExtension(extension, from[i])) {
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

} // namespace quire::addin
