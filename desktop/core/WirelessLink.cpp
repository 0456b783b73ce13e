#include "WirelessLink.h"

#include "ProgramFolder.h"

namespace quire::sync {

namespace {

template <typename Function> bool Resolve(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(GetProcAddress(module, name));
    return function != nullptr;
}

} // namespace

WirelessLink::WirelessLink() : WirelessLink(ProgramFolder()) {}

WirelessLink::WirelessLink(const std::wstring& folder) {
    const std::wstring path = LibraryPathIn(folder, L"skylink.dll");
    if (path.empty()) {
        return;
    }
    ModuleHandle module(LoadLibraryW(path.c_str()));
    if (!module) {
        return;
    }
    WirelessEntryPoints calls = {};
    HMODULE handle = module.get();
    const bool complete = Resolve(handle, "_wsConnect@12", calls.connect) &&
                          Resolve(handle, "_wsDisconnect@0", calls.disconnect) &&
                          Resolve(handle, "_wsGetFileList@12", calls.getFileList) &&
                          Resolve(handle, "_wsGetFile@12", calls.getFile) &&
                          Resolve(handle, "_wsSendFile@12", calls.sendFile) &&
                          Resolve(handle, "_wsDelFile@4", calls.delFile) &&
                          Resolve(handle, "_wsGetLastError@8", calls.getLastError);
    if (!complete) {
        return;
    }
    Resolve(handle, "_wsRename@8", calls.rename);
    Resolve(handle, "_wsMkDir@4", calls.mkDir);
    module_ = std::move(module);
    calls_ = calls;
}

} // namespace quire::sync
