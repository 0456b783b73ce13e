#include "SettingsStore.h"

#include "SharedState.h"
#include "base/UniqueHandle.h"

#include <wincrypt.h>

#include <vector>

namespace quire::sync {

namespace {

constexpr const wchar_t* kLastDir = L"last dir";
constexpr const wchar_t* kLastPosition = L"last position";
constexpr const wchar_t* kLastRemote = L"last remote";
constexpr const wchar_t* kLocalSynchFolder = L"local synch folder";
constexpr const wchar_t* kNoSynchWarning = L"do not show synch warning";
constexpr const wchar_t* kServer = L"wsserver";
constexpr const wchar_t* kUser = L"wspin";
constexpr const wchar_t* kPassword = L"wspassword";

// A protected password is far below this; anything larger is not ours.
constexpr DWORD kMaxProtectedBytes = 16 * 1024;

RegistryKey OpenForReading(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return RegistryKey();
    }
    return RegistryKey(key);
}

RegistryKey OpenForWriting(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return RegistryKey();
    }
    return RegistryKey(key);
}

// A string read into a path buffer; a longer value fails to read.
std::optional<std::wstring> QueryString(HKEY key, const wchar_t* name) {
    wchar_t buffer[kPathChars] = {};
    DWORD bytes = sizeof buffer;
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    // The stored value need not end with its terminator.
    const size_t chars = bytes / sizeof(wchar_t);
    return std::wstring(buffer, wcsnlen(buffer, chars));
}

// A value of a fixed size; one of another size is not taken.
template <typename Value> std::optional<Value> QueryFixed(HKEY key, const wchar_t* name) {
    Value value = {};
    DWORD bytes = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &bytes) !=
            ERROR_SUCCESS ||
        bytes != sizeof value) {
        return std::nullopt;
    }
    return value;
}

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

std::vector<BYTE> Protect(const std::wstring& password) {
    DATA_BLOB plain = {static_cast<DWORD>(password.size() * sizeof(wchar_t)),
                       reinterpret_cast<BYTE*>(const_cast<wchar_t*>(password.data()))};
    DATA_BLOB sealed = {};
    if (!CryptProtectData(&plain, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &sealed)) {
        return {};
    }
    std::vector<BYTE> bytes(sealed.pbData, sealed.pbData + sealed.cbData);
    LocalFree(sealed.pbData);
    return bytes;
}

std::optional<std::wstring> Unprotect(std::vector<BYTE>& bytes) {
    DATA_BLOB sealed = {static_cast<DWORD>(bytes.size()), bytes.data()};
    DATA_BLOB plain = {};
    if (!CryptUnprotectData(&sealed, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                            &plain)) {
        return std::nullopt;
    }
    std::wstring password(reinterpret_cast<const wchar_t*>(plain.pbData),
                          plain.cbData / sizeof(wchar_t));
    SecureZeroMemory(plain.pbData, plain.cbData);
    LocalFree(plain.pbData);
    return password;
}

// The password is stored protected (REG_BINARY); a plain REG_SZ value written by
// older versions is still accepted as it is.
std::optional<std::wstring> QueryPassword(HKEY key) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, kPassword, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (type != REG_BINARY) {
        return QueryString(key, kPassword);
    }
    if (bytes == 0 || bytes > kMaxProtectedBytes) {
        return std::nullopt;
    }
    std::vector<BYTE> sealed(bytes);
    if (RegQueryValueExW(key, kPassword, nullptr, nullptr, sealed.data(), &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    sealed.resize(bytes);
    std::optional<std::wstring> password = Unprotect(sealed);
    if (password && password->size() >= kPathChars) {
        return std::nullopt;
    }
    return password;
}

RECT WorkArea() {
    RECT area = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

} // namespace

bool StoredPositionFits(const RECT& stored, const RECT& workArea) {
    return workArea.right > stored.left && workArea.bottom > stored.top;
}

std::wstring NormaliseRemoteLocation(const std::wstring& stored, bool wirelessAvailable) {
    std::wstring location = stored;
    if (location.empty() || (location[0] != TARGET_WIRELESS && location[0] != TARGET_SYNC_FOLDER)) {
        location = std::wstring(1, TARGET_WIRELESS);
    }
    if (location[0] == TARGET_WIRELESS && !wirelessAvailable) {
        location = std::wstring(1, TARGET_SYNC_FOLDER);
    }
    return location;
}

SettingsStore::SettingsStore() : SettingsStore(HKEY_CURRENT_USER, kKeyPath) {}

SettingsStore::SettingsStore(HKEY root, std::wstring keyPath)
    : root_(root), keyPath_(std::move(keyPath)) {}

WindowSettings SettingsStore::LoadWindowSettings(bool wirelessAvailable) const {
    return LoadWindowSettings(wirelessAvailable, WorkArea());
}

WindowSettings SettingsStore::LoadWindowSettings(bool wirelessAvailable,
                                                 const RECT& workArea) const {
    WindowSettings settings;
    RegistryKey key = OpenForReading(root_, keyPath_);
    if (!key) {
        return settings;
    }
    if (std::optional<std::wstring> lastDir = QueryString(key.get(), kLastDir)) {
        settings.lastDir = *lastDir;
    }
    std::optional<RECT> position = QueryFixed<RECT>(key.get(), kLastPosition);
    if (position && StoredPositionFits(*position, workArea)) {
        settings.position = position;
    }
    if (wirelessAvailable) {
        if (std::optional<std::wstring> remote = QueryString(key.get(), kLastRemote)) {
            settings.remoteLocation = *remote;
        }
    }
    settings.syncFolder = QueryString(key.get(), kLocalSynchFolder).value_or(std::wstring());
    key.reset();
    settings.remoteLocation = NormaliseRemoteLocation(settings.remoteLocation, wirelessAvailable);
    return settings;
}

void SettingsStore::SaveWindowSettings(const std::wstring& lastDir, const RECT& position,
                                       const std::wstring& remoteLocation) const {
    RegistryKey key = OpenForWriting(root_, keyPath_);
    if (!key) {
        return;
    }
    SetString(key.get(), kLastDir, lastDir);
    RegSetValueExW(key.get(), kLastPosition, 0, REG_BINARY,
                   reinterpret_cast<const BYTE*>(&position), sizeof position);
    SetString(key.get(), kLastRemote, remoteLocation);
}

LoginSettings SettingsStore::LoadLogin() const {
    LoginSettings login;
    RegistryKey key = OpenForReading(root_, keyPath_);
    if (!key) {
        return login;
    }
    login.server = QueryString(key.get(), kServer).value_or(std::wstring());
    login.user = QueryString(key.get(), kUser).value_or(std::wstring());
    login.password = QueryPassword(key.get()).value_or(std::wstring());
    return login;
}

void SettingsStore::SaveLogin(const LoginSettings& login, bool rememberPassword) const {
    RegistryKey key = OpenForWriting(root_, keyPath_);
    if (!key) {
        return;
    }
    SetString(key.get(), kServer, login.server);
    SetString(key.get(), kUser, login.user);
    if (!rememberPassword) {
        RegDeleteValueW(key.get(), kPassword);
        return;
    }
    const std::vector<BYTE> sealed = Protect(login.password);
    if (sealed.empty()) {
        // Never fall back to keeping the password readable.
        RegDeleteValueW(key.get(), kPassword);
        return;
    }
    RegSetValueExW(key.get(), kPassword, 0, REG_BINARY, sealed.data(),
                   static_cast<DWORD>(sealed.size()));
}

bool SettingsStore::SynchWarningSuppressed() const {
    return ReadDword(kNoSynchWarning).value_or(0) != 0;
}

void SettingsStore::SuppressSynchWarning() const {
    RegistryKey key = OpenForWriting(root_, keyPath_);
    if (!key) {
        return;
    }
    const DWORD one = 1;
    RegSetValueExW(key.get(), kNoSynchWarning, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                   sizeof one);
}

std::optional<std::wstring> SettingsStore::ReadString(const wchar_t* name) const {
    RegistryKey key = OpenForReading(root_, keyPath_);
    return key ? QueryString(key.get(), name) : std::nullopt;
}

std::optional<DWORD> SettingsStore::ReadDword(const wchar_t* name) const {
    RegistryKey key = OpenForReading(root_, keyPath_);
    return key ? QueryFixed<DWORD>(key.get(), name) : std::nullopt;
}

bool SettingsStore::WriteString(const wchar_t* name, const std::wstring& value) const {
    RegistryKey key = OpenForWriting(root_, keyPath_);
    if (!key) {
        return false;
    }
    return SetString(key.get(), name, value);
}

} // namespace quire::sync
