#include "Registration.h"

#include "base/UniqueHandle.h"

namespace quire::addin {

namespace {

constexpr UINT kScriptResource = 101;

// Sets the host's bit only on a DWORD that is already there; nothing is
// created, and the outcome never changes the result of registration.
void allowAddinActions(HKEY currentUser, const AddinLog& log) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(currentUser, kHostSynchronizeKey, 0, KEY_ALL_ACCESS, &raw) != ERROR_SUCCESS) {
        return;
    }
    RegistryKey key(raw);
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key.get(), L"Parameters", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
        return;
    }
    value |= kRunAddinActions;
    if (RegSetValueExW(key.get(), L"Parameters", 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&value), sizeof value) != ERROR_SUCCESS) {
        log.write("Can't set \"Execute addin action\" option for Blackberry desktop manager");
    }
}

HRESULT runScript(const RegistrationTarget& target, bool registering) {
    std::wstring script = com::loadScriptResource(target.module, kScriptResource, L"REGISTRY");
    if (script.empty()) {
        return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
    }
    const com::ScriptReplacement replacements[] = {{L"MODULE", target.modulePath}};
    return com::runRegistryScript(script, replacements, target.roots, registering);
}

} // namespace

HRESULT RegisterAddin(const RegistrationTarget& target, const AddinLog& log) {
    allowAddinActions(target.roots.currentUser, log);
    HRESULT hr = runScript(target, true);
    if (SUCCEEDED(hr)) {
        hr = com::registerTypeLibrary(target.roots.classesRoot, target.modulePath);
    }
    return hr;
}

HRESULT UnregisterAddin(const RegistrationTarget& target) {
    HRESULT hr = runScript(target, false);
    HRESULT library = com::unregisterTypeLibrary(target.roots.classesRoot, target.modulePath);
    return FAILED(hr) ? hr : library;
}

} // namespace quire::addin
