#include "ProgramFolder.h"

#include <windows.h>

#include <vector>

namespace quire::sync {

namespace {

// Longest path the system gives a module, in characters.
constexpr DWORD kLongestModulePath = 32768;

// A folder is used only when it is a full path: a drive and a root, or a
// server share.  Anything else would be looked up from the current folder.
bool IsFullFolderPath(const std::wstring& folder) {
    auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    auto letter = [](wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); };
    const bool drive =
        folder.size() >= 3 && letter(folder[0]) && folder[1] == L':' && separator(folder[2]);
    const bool share = folder.size() > 2 && separator(folder[0]) && separator(folder[1]);
    return drive || share;
}

} // namespace

std::wstring ProgramFolder() {
    std::vector<wchar_t> path(kLongestModulePath);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), kLongestModulePath);
    if (length == 0 || length >= kLongestModulePath) {
        // A cut path would name another folder; load nothing rather than that.
        return {};
    }
    std::wstring folder(path.data(), length);
    const size_t slash = folder.rfind(L'\\');
    if (slash == std::wstring::npos) {
        return {};
    }
    folder.erase(slash);
    return IsFullFolderPath(folder) ? folder : std::wstring();
}

std::wstring LibraryPathIn(const std::wstring& folder, const wchar_t* fileName) {
    if (!IsFullFolderPath(folder)) {
        return {};
    }
    return folder + L'\\' + fileName;
}

} // namespace quire::sync
