#include "SyncFolder.h"

#include "SharedState.h"
#include "base/UniqueHandle.h"

#include <algorithm>

namespace quire::sync {

namespace {

std::optional<std::wstring> Fitting(std::wstring path) {
    if (path.size() >= kPathChars) {
        return std::nullopt;
    }
    return path;
}

bool IsDotName(const wchar_t* name) {
    return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}

} // namespace

std::optional<std::wstring> SyncFolderPath(const std::wstring& root,
                                           const std::wstring& remoteFolder) {
    std::wstring path = root + (remoteFolder.empty() ? std::wstring(L"/") : remoteFolder);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    if (path.back() != L'\\') {
        path += L'\\';
    }
    return Fitting(std::move(path));
}

std::optional<std::wstring> SyncFolderPathOfName(const std::wstring& root,
                                                 const std::wstring& remoteFolder,
                                                 const std::wstring& name) {
    std::optional<std::wstring> folder = SyncFolderPath(root, remoteFolder);
    if (!folder || !IsPlainEntryName(name)) {
        return std::nullopt;
    }
    return Fitting(*folder + name);
}

RemoteListing ListSyncFolder(const std::wstring& root, const std::wstring& remoteFolder) {
    RemoteListing listing;
    const std::optional<std::wstring> folder = SyncFolderPath(root, remoteFolder);
    if (!folder) {
        return listing;
    }
    const std::wstring pattern = *folder + L'*';
    WIN32_FIND_DATAW found = {};
    FindHandle search(FindFirstFileW(pattern.c_str(), &found));
    if (!search) {
        return listing;
    }
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!IsDotName(found.cFileName)) {
                listing.Add(kFolderSize, REMOTE_FOLDER, found.cFileName);
            }
        } else {
            listing.Add(found.nFileSizeLow, RemoteEntryKindOfName(found.cFileName),
                        found.cFileName);
        }
    } while (FindNextFileW(search.get(), &found));
    listing.Sort();
    return listing;
}

} // namespace quire::sync
