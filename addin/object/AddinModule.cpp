// Entry points of the in-process server.
#include "QuireAddin.h"
#include "QuireSynch.h"
#include "Registration.h"
#include "com/ClassFactory.h"

namespace {

using namespace quire;

HINSTANCE moduleInstance = nullptr;

// The cached sync folder lives as long as the library is loaded.
addin::AddinServices& services() {
    static addin::AddinServices shared = [] {
        addin::AddinServices made;
        made.environment.resources = moduleInstance;
        return made;
    }();
    return shared;
}

HRESULT createQuireSynch(REFIID iid, void** out) {
    return addin::createQuireSynch(services(), iid, out);
}

const com::ClassEntry classTable[] = {
    {&CLSID_QuireSynch, &createQuireSynch},
};

addin::RegistrationTarget registrationTarget() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(moduleInstance, path, MAX_PATH);
    addin::RegistrationTarget target;
    target.module = moduleInstance;
    target.modulePath = path;
    return target;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        moduleInstance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return com::canUnloadNow();
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return com::getClassObject(classTable, clsid, iid, out);
}

extern "C" HRESULT WINAPI DllRegisterServer() {
    try {
        return addin::RegisterAddin(registrationTarget(), services().log);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    try {
        return addin::UnregisterAddin(registrationTarget());
    } catch (...) {
        return E_UNEXPECTED;
    }
}
