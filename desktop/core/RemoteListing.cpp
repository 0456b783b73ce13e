#include "RemoteListing.h"

#include "Messages.h"
#include "base/EntryName.h"

#include <algorithm>
#include <cwchar>

namespace quire::sync {

void RemoteListing::Add(uint32_t size, RemoteEntryKind kind, std::wstring name) {
    entries.push_back(RemoteEntry{size, kind, std::move(name)});
}

void RemoteListing::Sort() {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const RemoteEntry& left, const RemoteEntry& right) {
                         if (left.kind != right.kind &&
                             (left.kind == REMOTE_FOLDER || right.kind == REMOTE_FOLDER)) {
                             return left.kind == REMOTE_FOLDER;
                         }
                         return _wcsicmp(left.name.c_str(), right.name.c_str()) < 0;
                     });
}

bool IsPlainEntryName(const std::wstring& name) {
    return IsSafeEntryName(name);
}

bool IsWirelessEntryName(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L"..") {
        return false;
    }
    return std::none_of(name.begin(), name.end(), [](wchar_t character) {
        return character < 0x20 || character == L'/' || character == L'\\';
    });
}

bool IsRemoteEntryKind(int32_t kind) {
    return kind >= REMOTE_SHEAF && kind <= REMOTE_PAGE;
}

RemoteEntryKind RemoteEntryKindOfName(const std::wstring& name) {
    if (name.size() < 4) {
        return REMOTE_OTHER;
    }
    const wchar_t* ending = name.c_str() + name.size() - 4;
    if (_wcsicmp(ending, L".shf") == 0) {
        return REMOTE_SHEAF;
    }
    if (_wcsicmp(ending, L".xls") == 0) {
        return REMOTE_EXCEL;
    }
    if (_wcsicmp(ending, L".doc") == 0) {
        return REMOTE_WORD;
    }
    if (_wcsicmp(ending, L".pgd") == 0) {
        return REMOTE_PAGE;
    }
    return REMOTE_OTHER;
}

void DeliverListing(HWND mainWindow, RemoteListing& listing) {
    SendMessageW(mainWindow, WM_REMOTE_LISTING, reinterpret_cast<WPARAM>(&listing), -1);
    SendMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(CMD_STATUS_TEXT, 0), 0);
}

} // namespace quire::sync
