#include "QuireSynch.h"

#include "com/Bstr.h"
#include "pass/SynchPass.h"

#include <new>

namespace quire::addin {

const wchar_t kExtensionInfo[] =
    L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?><extensioninfo version=\"1.0.0\">"
    L"<vendorname>Halvorn</vendorname><vendorversion>1.4</vendorversion>"
    L"<description>Quire synchronization addin</description>"
    L"<displayname>Quire synchronization addin</displayname>"
    L"<clsid>{3A47674D-E8E8-493D-A74E-D6D7FF23A800}</clsid>"
    L"<access><database>Quire</database></access></extensioninfo>";

HRESULT desktopTypeInfo(REFIID iid, ITypeInfo** info) {
    return com::loadTypeInfo(LIBID_DesktopAPILib, 1, 0, L"desktopapi.tlb", iid, info);
}

HRESULT STDMETHODCALLTYPE QuireSynch::GetInfo(BSTR* info) {
    services_.log.write("=== get info called");
    if (!info) {
        return E_POINTER;
    }
    try {
        com::reassign(info, kExtensionInfo);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE QuireSynch::Process(IDispatch* utility, IHostDatabase* database) {
    try {
        SynchPass pass(services_.environment, services_.folder, services_.log);
        return pass.Process(utility, database);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT STDMETHODCALLTYPE QuireSynch::Configure(long, IDispatch*) {
    services_.log.write("=== configure called");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE QuireSynch::GetErrorString(long, BSTR*) {
    services_.log.write("=== get error string called");
    return S_OK;
}

HRESULT createQuireSynch(AddinServices& services, REFIID iid, void** out) {
    auto object = com::makeObject<QuireSynch>(services);
    if (!object) {
        return E_OUTOFMEMORY;
    }
    return object->QueryInterface(iid, out);
}

} // namespace quire::addin
