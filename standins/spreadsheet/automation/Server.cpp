// The in-process server's exports: one class table served by one generic
// class factory, and registration that refuses to take over a class that is
// already registered to another server.
#include "Objects.h"

#include "base/UniqueHandle.h"
#include "com/ClassFactory.h"

#include <olectl.h>

#include <string>

namespace spreadsheet::automation {

namespace {

HMODULE g_module = nullptr;

const CLSID kApplicationClass = {
    0x00024500, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

HRESULT createApplication(REFIID iid, void** out) {
    IDispatch* created = nullptr;
    try {
        created = newApplication();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    HRESULT hr = created->QueryInterface(iid, out);
    created->Release();
    return hr;
}

const quire::com::ClassEntry kClasses[] = {{&kApplicationClass, createApplication}};

// What registration writes for each class.
struct Registration {
    const wchar_t* clsidText;
    const wchar_t* progId;
    const wchar_t* description;
};

const Registration kRegistrations[] = {{L"{00024500-0000-0000-C000-000000000046}",
                                        L"Excel.Application", L"Spreadsheet application stand-in"}};

using RegistryKey = quire::UniqueHandle<quire::RegistryKeyTraits>;

std::wstring modulePath() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
    return std::wstring(path, n < MAX_PATH ? n : 0);
}

// The default value of a key under HKEY_CLASSES_ROOT, or empty.
std::wstring readDefault(const std::wstring& subkey) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, subkey.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return {};
    RegistryKey key(raw);
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value),
                         &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    return value;
}

bool keyExists(const std::wstring& subkey) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, subkey.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return false;
    RegistryKey key(raw);
    return true;
}

bool writeDefault(const std::wstring& subkey, const wchar_t* name, const std::wstring& value) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &raw,
                        nullptr) != ERROR_SUCCESS)
        return false;
    RegistryKey key(raw);
    return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

bool sameModule(const std::wstring& registered, const std::wstring& ours) {
    return _wcsicmp(registered.c_str(), ours.c_str()) == 0;
}

// True when the class or program identifier already belongs to another server.
bool registeredElsewhere(const Registration& entry, const std::wstring& ours) {
    std::wstring clsidKey = std::wstring(L"CLSID\\") + entry.clsidText;
    std::wstring inproc = readDefault(clsidKey + L"\\InprocServer32");
    if (!inproc.empty() && !sameModule(inproc, ours))
        return true;
    if (keyExists(clsidKey + L"\\LocalServer32"))
        return true;
    std::wstring progIdClass = readDefault(std::wstring(entry.progId) + L"\\CLSID");
    return !progIdClass.empty() && _wcsicmp(progIdClass.c_str(), entry.clsidText) != 0;
}

} // namespace

} // namespace spreadsheet::automation

using namespace spreadsheet::automation;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    return quire::com::getClassObject(kClasses, clsid, iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return quire::com::canUnloadNow();
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    std::wstring ours = modulePath();
    if (ours.empty())
        return SELFREG_E_CLASS;
    for (const Registration& entry : kRegistrations) {
        if (registeredElsewhere(entry, ours))
            return SELFREG_E_CLASS;
    }
    for (const Registration& entry : kRegistrations) {
        std::wstring clsidKey = std::wstring(L"CLSID\\") + entry.clsidText;
        bool ok = writeDefault(clsidKey, nullptr, entry.description) &&
                  writeDefault(clsidKey + L"\\InprocServer32", nullptr, ours) &&
                  writeDefault(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                  writeDefault(clsidKey + L"\\ProgID", nullptr, entry.progId) &&
                  writeDefault(entry.progId, nullptr, entry.description) &&
                  writeDefault(std::wstring(entry.progId) + L"\\CLSID", nullptr, entry.clsidText);
        if (!ok)
            return SELFREG_E_CLASS;
    }
    return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    std::wstring ours = modulePath();
    for (const Registration& entry : kRegistrations) {
        std::wstring clsidKey = std::wstring(L"CLSID\\") + entry.clsidText;
        // Only our own registration is removed.
        if (!sameModule(readDefault(clsidKey + L"\\InprocServer32"), ours))
            continue;
        RegDeleteTreeW(HKEY_CLASSES_ROOT, clsidKey.c_str());
        if (_wcsicmp(readDefault(std::wstring(entry.progId) + L"\\CLSID").c_str(),
                     entry.clsidText) == 0)
            RegDeleteTreeW(HKEY_CLASSES_ROOT, entry.progId);
    }
    return S_OK;
}
