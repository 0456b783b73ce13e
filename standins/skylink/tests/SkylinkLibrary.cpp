#include "SkylinkLibrary.h"

namespace {

template <typename Function> bool bind(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(GetProcAddress(module, name));
    return function != nullptr;
}

} // namespace

bool SkylinkLibrary::load() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring libraryPath(path, length);
    libraryPath.erase(libraryPath.find_last_of(L'\\') + 1);
    libraryPath += L"skylink.dll";
    module.reset(LoadLibraryW(libraryPath.c_str()));
    const HMODULE m = module.get();
    return m != nullptr && bind(m, "_wsConnect@12", connect) &&
           bind(m, "_wsDisconnect@0", disconnect) && bind(m, "_wsGetFileList@12", getFileList) &&
           bind(m, "_wsGetFile@12", getFile) && bind(m, "_wsSendFile@12", sendFile) &&
           bind(m, "_wsDelFile@4", delFile) && bind(m, "_wsGetLastError@8", getLastError) &&
           bind(m, "_wsRename@8", rename) && bind(m, "_wsMkDir@4", mkDir);
}

std::string SkylinkLibrary::lastError() const {
    char buffer[260];
    if (getLastError(buffer, sizeof(buffer)) == 0) {
        return "(none)";
    }
    return buffer;
}
