#pragma once

#include "com/RegistryScript.h"
#include "log/AddinLog.h"

#include <string>

namespace quire::addin {

// The host's synchronisation settings; bit 0x80 of "Parameters" lets it run
// add-in actions.
constexpr const wchar_t* kHostSynchronizeKey =
    L"Software\\Research In Motion\\BlackBerry\\Synchronize";
constexpr DWORD kRunAddinActions = 0x80;

// Where registration writes and what it registers: the module whose script
// (REGISTRY 101) and type library (resource 1) are used, and its path.
struct RegistrationTarget {
    com::RegistryRoots roots;
    HMODULE module = nullptr;
    std::wstring modulePath;
};

HRESULT RegisterAddin(const RegistrationTarget& target, const AddinLog& log);
HRESULT UnregisterAddin(const RegistrationTarget& target);

} // namespace quire::addin
