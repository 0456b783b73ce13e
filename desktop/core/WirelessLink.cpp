#include "WirelessLink.h"

#include "ProgramFolder.h"
#include "base/LibraryBinding.h"

namespace quire::sync {

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
    const bool complete = ResolveEntryPoint(handle, "_wsConnect@12", calls.connect) &&
                          ResolveEntryPoint(handle, "_wsDisconnect@0", calls.disconnect) &&
                          ResolveEntryPoint(handle, "_wsGetFileList@12", calls.getFileList) &&
                          ResolveEntryPoint(handle, "_wsGetFile@12", calls.getFile) &&
                          ResolveEntryPoint(handle, "_wsSendFile@12", calls.sendFile) &&
                          ResolveEntryPoint(handle, "_wsDelFile@4", calls.delFile) &&
                          ResolveEntryPoint(handle, "_wsGetLastError@8", calls.getLastError);
    if (!complete) {
        return;
    }
    ResolveEntryPoint(handle, "_wsRename@8", calls.rename);
    ResolveEntryPoint(handle, "_wsMkDir@4", calls.mkDir);
    module_ = std::move(module);
    calls_ = calls;
}

} // namespace quire::sync
