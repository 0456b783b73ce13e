#include "LocalFolder.h"

#include "base/UniqueHandle.h"

#include <shlobj.h>

#include <algorithm>
#include <cwchar>

namespace quire::sync {

namespace {

bool IsDotName(const wchar_t* name) {
    return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}

bool NameLess(const LocalItem& a, const LocalItem& b) {
    return CompareStringOrdinal(a.name.c_str(), static_cast<int>(a.name.size()), b.name.c_str(),
                                static_cast<int>(b.name.size()), TRUE) == CSTR_LESS_THAN;
}

// Every entry of a search pattern that is (or is not) a folder; false when the
// search found nothing at all.
bool Gather(const std::wstring& pattern, bool folders, std::vector<LocalItem>& out) {
    WIN32_FIND_DATAW found{};
    FindHandle search(FindFirstFileW(pattern.c_str(), &found));
    if (!search) {
        return false;
    }
    do {
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder != folders || IsDotName(found.cFileName)) {
            continue;
        }
        LocalItem item{found.cFileName, ImageRole::Folder, std::nullopt};
        if (!folders) {
            item.image = FileImageRole(found.cFileName);
            item.size = found.nFileSizeLow;
        }
        out.push_back(std::move(item));
    } while (FindNextFileW(search.get(), &found));
    std::stable_sort(out.begin(), out.end(), NameLess);
    return true;
}

} // namespace

bool ListLocalFolder(const std::wstring& folder, std::vector<LocalItem>& items) {
    items.clear();
    const bool listed = Gather(folder + L"\\*", true, items);
    std::vector<LocalItem> files;
    Gather(folder + L"\\*.*", false, files);
    items.insert(items.end(), std::make_move_iterator(files.begin()),
                 std::make_move_iterator(files.end()));
    return listed;
}

std::wstring SizeText(uint32_t size) {
    return std::to_wstring(size);
}

std::wstring DriveText(wchar_t letter) {
    const std::wstring root{letter, L':', L'\\'};
    const UINT type = GetDriveTypeW(root.c_str());
    if (type == DRIVE_REMOVABLE || type == DRIVE_REMOTE) {
        return root;
    }
    wchar_t label[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                               nullptr, 0) ||
        label[0] == L'\0') {
        return root;
    }
    return root + L" (" + label + L")";
}

ImageRole DriveImageRole(UINT driveType) {
    switch (driveType) {
    case DRIVE_REMOVABLE:
        return ImageRole::RemovableDrive;
    case DRIVE_REMOTE:
        return ImageRole::NetworkDrive;
    case DRIVE_CDROM:
        return ImageRole::CdromDrive;
    default:
        return ImageRole::FixedDrive;
    }
}

ImageRole DriveImageOf(wchar_t letter) {
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    return DriveImageRole(GetDriveTypeW(root));
}

std::vector<LocalItem> ListDrives(DWORD driveMask) {
    std::vector<LocalItem> drives;
    for (int bit = 0; bit < 32; ++bit) {
        if (driveMask & (1u << bit)) {
            const wchar_t letter = static_cast<wchar_t>(L'A' + bit);
            drives.push_back(LocalItem{DriveText(letter), DriveImageOf(letter), std::nullopt});
        }
    }
    return drives;
}

std::wstring FolderUp(const std::wstring& folder) {
    const size_t slash = folder.rfind(L'\\');
    if (slash == std::wstring::npos || slash <= 1) {
        return {};
    }
    return folder.substr(0, slash);
}

std::wstring WatchPathOf(const std::wstring& folder) {
    return folder.size() <= 2 ? folder + L'\\' : folder;
}

std::wstring LocationPathOf(const std::vector<LocationItem>& items, size_t chosen) {
    const int folderImage = ImageIndex(ImageRole::Folder);
    std::wstring path = items[chosen].text;
    for (size_t index = chosen; index > 0;) {
        --index;
        const LocationItem& earlier = items[index];
        const bool isComponent = earlier.image == folderImage;
        path = (isComponent ? earlier.text : earlier.text.substr(0, 2)) + L'\\' + path;
        if (!isComponent) {
            break;
        }
    }
    return path;
}

std::vector<std::wstring> PathComponents(const std::wstring& folder) {
    std::vector<std::wstring> components;
    size_t start = 0;
    while (start <= folder.size()) {
        size_t end = folder.find(L'\\', start);
        if (end == std::wstring::npos) {
            end = folder.size();
        }
        if (end > start) {
            components.push_back(folder.substr(start, end - start));
        }
        start = end + 1;
    }
    return components;
}

std::optional<std::wstring> ShellDocumentsFolder() {
    PIDLIST_ABSOLUTE location = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &location)) || !location) {
        return std::nullopt;
    }
    wchar_t path[MAX_PATH] = {};
    const bool found = SHGetPathFromIDListW(location, path) != FALSE;
    CoTaskMemFree(location);
    if (!found) {
        return std::nullopt;
    }
    std::wstring folder(path);
    while (folder.size() > 2 && folder.back() == L'\\') {
        folder.pop_back();
    }
    return folder;
}

} // namespace quire::sync
