#include "LocalSyncFolder.h"

#include "base/UniqueHandle.h"
#include "records/SyncEntry.h"

namespace quire::addin {

const std::wstring& LocalSyncFolder::path() {
    if (!cached_.empty()) {
        return cached_;
    }
    HKEY raw = nullptr;
    if (RegOpenKeyExW(userRoot_, kSettingsKey, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) {
        throw CSynchException("Can't get local synch folder");
    }
    RegistryKey key(raw);
    wchar_t buffer[260] = {};
    DWORD bytes = sizeof buffer;
    if (RegQueryValueExW(key.get(), L"local synch folder", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS) {
        throw CSynchException("Can't get local synch folder");
    }
    // A stored value need not carry its terminating zero.
    std::wstring folder(buffer, wcsnlen(buffer, bytes / sizeof(wchar_t)));
    if (folder.empty()) {
        throw CSynchException("Can't get local synch folder");
    }
    if (folder.back() != L'\\') {
        folder += L'\\';
    }
    cached_ = std::move(folder);
    return cached_;
}

} // namespace quire::addin
