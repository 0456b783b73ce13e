#pragma once

#include <windows.h>

#include <string>

namespace quire::addin {

// The settings key the add-in shares with the desktop program, below a
// user root (HKEY_CURRENT_USER, or a scratch key in tests).
constexpr const wchar_t* kSettingsKey = L"SOFTWARE\\Halvorn\\QuireSync";

// The device sync folder from "local synch folder", with a trailing "\".
// The first good read is kept for the life of the object, so a change of the
// value takes effect only when the host loads the add-in again.
class LocalSyncFolder {
public:
    explicit LocalSyncFolder(HKEY userRoot = HKEY_CURRENT_USER) : userRoot_(userRoot) {}

    // Throws CSynchException "Can't get local synch folder".
    const std::wstring& path();

private:
    HKEY userRoot_;
    std::wstring cached_;
};

} // namespace quire::addin
