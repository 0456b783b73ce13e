#include "RemoteTarget.h"

#include "PaneImages.h"
#include "SharedState.h"

#include <windows.h>

namespace quire::sync {

std::wstring RemoteLocationOf(const std::vector<TargetItem>& items, size_t chosen) {
    std::wstring folder;
    for (size_t index = chosen + 1; index > 0;) {
        --index;
        const TargetItem& item = items[index];
        if (item.indent > 0) {
            folder = L'/' + item.text + folder;
            continue;
        }
        const bool wireless = item.image == ImageIndex(ImageRole::WirelessServer);
        return (wireless ? TARGET_WIRELESS : TARGET_SYNC_FOLDER) + folder;
    }
    return folder;
}

std::vector<std::wstring> RemoteComponents(const std::wstring& remoteFolder) {
    std::vector<std::wstring> components;
    size_t start = 0;
    while (start < remoteFolder.size()) {
        size_t end = remoteFolder.find(L'/', start);
        if (end == std::wstring::npos) {
            end = remoteFolder.size();
        }
        if (end > start) {
            components.push_back(remoteFolder.substr(start, end - start));
        }
        start = end + 1;
    }
    return components;
}

std::wstring RemoteUp(const std::wstring& location) {
    const size_t slash = location.rfind(L'/');
    return slash == std::wstring::npos ? location : location.substr(0, slash);
}

bool IsUsableSyncFolder(const std::wstring& folder) {
    const bool driveAbsolute = folder.size() >= 3 && iswalpha(folder[0]) && folder[1] == L':' &&
                               (folder[2] == L'\\' || folder[2] == L'/');
    const bool network = folder.size() >= 3 && folder[0] == L'\\' && folder[1] == L'\\';
    if (!driveAbsolute && !network) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace quire::sync
