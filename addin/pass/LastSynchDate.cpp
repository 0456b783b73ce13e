#include "LastSynchDate.h"

#include "base/UniqueHandle.h"
#include "records/SyncEntry.h"
#include "store/LocalSyncFolder.h"

namespace quire::addin {

namespace {

const wchar_t kValueName[] = L"last synch date";

} // namespace

uint64_t ReadLastSynchDate(HKEY userRoot) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(userRoot, kSettingsKey, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) {
        return 0;
    }
    RegistryKey key(raw);
    uint8_t bytes[8] = {};
    DWORD size = sizeof bytes;
    if (RegQueryValueExW(key.get(), kValueName, nullptr, nullptr, bytes, &size) != ERROR_SUCCESS ||
        size != sizeof bytes) {
        return 0;
    }
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

void SaveLastSynchDate(HKEY userRoot, uint64_t now) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(userRoot, kSettingsKey, 0, KEY_SET_VALUE, &raw) != ERROR_SUCCESS) {
        throw CSynchException("Can't save last synchronization date");
    }
    RegistryKey key(raw);
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<uint8_t>(now >> (8 * i));
    }
    if (RegSetValueExW(key.get(), kValueName, 0, REG_BINARY, bytes, sizeof bytes) !=
        ERROR_SUCCESS) {
        throw CSynchException("Can't save last synchronization date");
    }
}

} // namespace quire::addin
