#include "ProgramFolder.h"

#include "SharedState.h"

#include <windows.h>

namespace quire::sync {

std::wstring ProgramFolder() {
    wchar_t path[kPathChars] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(kPathChars));
    if (length == 0 || length >= kPathChars) {
        // A cut path would name another folder; load nothing rather than that.
        return {};
    }
    std::wstring folder(path, length);
    const size_t slash = folder.rfind(L'\\');
    folder.erase(slash == std::wstring::npos ? 0 : slash);
    return folder;
}

std::wstring LibraryPathIn(const std::wstring& folder, const wchar_t* fileName) {
    return folder.empty() ? std::wstring(fileName) : folder + L'\\' + fileName;
}

} // namespace quire::sync
