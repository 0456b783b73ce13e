#pragma once

#include "base/UniqueHandle.h"

#include <windows.h>

#include <cstdint>
#include <string>

// The wireless server client library and its entry points.  Every entry point
// but the error text reader returns 0 for failure.
namespace quire::sync {

extern "C" {
// Called once per listed entry: UTF-8 name, size, RemoteEntryKind, context.
typedef int(__stdcall* WirelessListCallback)(const char* name, uint32_t size, int32_t kind,
                                             void* context);
// Called during a copy with the bytes done so far; 0 asks the library to stop.
typedef int(__stdcall* WirelessTransferCallback)(uint32_t bytesDone);
}

struct WirelessEntryPoints {
    int(__stdcall* connect)(const char* server, const char* user, const char* password);
    int(__stdcall* disconnect)();
    int(__stdcall* getFileList)(const char* folder, WirelessListCallback callback, void* context);
    int(__stdcall* getFile)(const char* remotePath, const wchar_t* pcPath,
                            WirelessTransferCallback callback);
    int(__stdcall* sendFile)(const wchar_t* pcPath, const char* remotePath,
                             WirelessTransferCallback callback);
    int(__stdcall* delFile)(const char* remotePath);
    int(__stdcall* getLastError)(char* buffer, int size);
    int(__stdcall* rename)(const char* oldPath, const char* newPath);
    int(__stdcall* mkDir)(const char* path);
};

// skylink.dll bound from a folder.  The first seven entry points are required;
// renaming and making folders are offered only when their entry points exist.
class WirelessLink {
public:
    // From the program's own folder.
    WirelessLink();
    explicit WirelessLink(const std::wstring& folder);

    bool IsLoaded() const { return static_cast<bool>(module_); }
    bool CanRename() const { return IsLoaded() && calls_.rename != nullptr; }
    bool CanMakeFolders() const { return IsLoaded() && calls_.mkDir != nullptr; }
    const WirelessEntryPoints& Calls() const { return calls_; }

private:
    ModuleHandle module_;
    WirelessEntryPoints calls_ = {};
};

// Filled by the main window from the login dialog; read by the worker to connect.
struct WirelessCredentials {
    std::wstring server;
    std::wstring user;
    std::wstring password;
};

} // namespace quire::sync
