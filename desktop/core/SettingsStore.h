#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace quire::sync {

// What the main window reads at its initialisation.
struct WindowSettings {
    std::wstring lastDir;
    // Present only when stored and its top-left corner lies inside the work area.
    std::optional<RECT> position;
    std::wstring remoteLocation = L"1";
    std::wstring syncFolder;
};

// What the login dialog reads and writes.
struct LoginSettings {
    std::wstring server;
    std::wstring user;
    std::wstring password;
};

// The program's settings under one registry key, shared with the sync add-in.
// Reading opens the key for queries only; writing creates it and closes it at
// once.  Failures are silent: a value that cannot be read keeps its default.
class SettingsStore {
public:
    static constexpr const wchar_t* kKeyPath = L"SOFTWARE\\Halvorn\\QuireSync";

    SettingsStore();
    // Tests point the store at a scratch key.
    SettingsStore(HKEY root, std::wstring keyPath);

    // wirelessAvailable: whether skylink.dll is bound; "last remote" is read only then.
    WindowSettings LoadWindowSettings(bool wirelessAvailable) const;
    WindowSettings LoadWindowSettings(bool wirelessAvailable, const RECT& workArea) const;
    // At the main window's destruction.
    void SaveWindowSettings(const std::wstring& lastDir, const RECT& position,
                            const std::wstring& remoteLocation) const;

    LoginSettings LoadLogin() const;
    // The password is kept, protected for the current user, only when remembered.
    void SaveLogin(const LoginSettings& login, bool rememberPassword) const;

    bool SynchWarningSuppressed() const;
    void SuppressSynchWarning() const;

    // Single values, for the readers above and the window's small dialogs.
    std::optional<std::wstring> ReadString(const wchar_t* name) const;
    std::optional<DWORD> ReadDword(const wchar_t* name) const;
    bool WriteString(const wchar_t* name, const std::wstring& value) const;

private:
    HKEY root_;
    std::wstring keyPath_;
};

// A stored window rectangle is applied only when its top-left corner lies above
// and to the left of the work area's bottom-right corner.
bool StoredPositionFits(const RECT& stored, const RECT& workArea);

// The remote location a stored one loads as: a retired mode '0' (or any other
// unknown mode) restarts at the wireless top folder, and wireless without the
// library becomes the sync folder's top folder.
std::wstring NormaliseRemoteLocation(const std::wstring& stored, bool wirelessAvailable);

} // namespace quire::sync
