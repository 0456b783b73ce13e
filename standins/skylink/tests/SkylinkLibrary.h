#pragma once

#include "Skylink.h"
#include "base/UniqueHandle.h"

#include <string>

// The library loaded from the program's own folder and bound by its exported
// names, the way the desktop program binds it.
struct SkylinkLibrary {
    quire::ModuleHandle module;
    decltype(&wsConnect) connect = nullptr;
    decltype(&wsDisconnect) disconnect = nullptr;
    decltype(&wsGetFileList) getFileList = nullptr;
    decltype(&wsGetFile) getFile = nullptr;
    decltype(&wsSendFile) sendFile = nullptr;
    decltype(&wsDelFile) delFile = nullptr;
    decltype(&wsGetLastError) getLastError = nullptr;
    decltype(&wsRename) rename = nullptr;
    decltype(&wsMkDir) mkDir = nullptr;

    // False when the library or one of its nine entry points is missing.
    bool load();

    // The calling thread's last error text, or "(none)" when there is none.
    std::string lastError() const;
};
