// Saves two versions of a document from the handheld into the sync folder in
// turn, until it is killed: the program that the test of killed saves stops
// at random moments.  The sync folder is the target's folder.
#include "log/AddinLog.h"
#include "store/LocalSyncFolder.h"
#include "store/LocalSyncStore.h"

#include <windows.h>

#include <string>
#include <vector>

using namespace quire::addin;

namespace {

std::vector<uint8_t> contentOf(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(i * seed + seed);
    }
    return bytes;
}

SyncEntry entryOf(const std::wstring& name, std::vector<uint8_t> content) {
    SyncEntry entry;
    entry.path = L"/" + name;
    entry.size = static_cast<int32_t>(content.size());
    entry.content = std::move(content);
    entry.time = 127000000000000000ull;
    return entry;
}

// A settings key of this process's own, gone with the Wine server.
HKEY settingsRoot(const std::wstring& folder) {
    const std::wstring root =
        L"Software\\QuireStoreSaveLoop\\" + std::to_wstring(GetCurrentProcessId());
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, root.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    HKEY settings = nullptr;
    if (RegCreateKeyExW(key, kSettingsKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &settings, nullptr) != ERROR_SUCCESS ||
        RegSetValueExW(settings, L"local synch folder", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))) !=
            ERROR_SUCCESS) {
        return nullptr;
    }
    RegCloseKey(settings);
    return key;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        return 2;
    }
    const std::wstring target = argv[1];
    const size_t slash = target.find_last_of(L'\\');
    const std::wstring folder = target.substr(0, slash);
    const std::wstring name = target.substr(slash + 1);
    HKEY root = settingsRoot(folder);
    if (root == nullptr) {
        return 1;
    }
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    AddinLog log(std::wstring(temp) + L"quire-store-save-loop-" +
                 std::to_wstring(GetCurrentProcessId()) + L".txt");
    LocalSyncFolder syncFolder(root);
    LocalSyncStore store(syncFolder, log);
    // Of different lengths, so that a cut file cannot pass for either.
    std::vector<SyncEntry> versions = {entryOf(name, contentOf(300000, 3)),
                                       entryOf(name, contentOf(200000, 7))};
    try {
        for (size_t v = 0; v < versions.size(); ++v) {
            SyncEntry copy = entryOf(name + L".v" + std::to_wstring(v), versions[v].content);
            store.SaveContent(copy);
        }
        store.SaveContent(versions[0]);
        CloseHandle(CreateFileW((target + L".ready").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, 0, nullptr));
        for (size_t i = 1;; ++i) {
            store.SaveContent(versions[i % versions.size()]);
        }
    } catch (const CSynchException&) {
        return 1;
    }
}
