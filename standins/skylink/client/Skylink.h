#pragma once

#include <windows.h>

// The wireless-server client library's entry points.  Every entry point
// returns 0 for failure and nonzero for success; after a failure,
// wsGetLastError on the same thread gives a readable reason.  Server address,
// user name and password are ANSI; remote paths are '/'-separated UTF-8; PC
// paths are UTF-16.  The library may be called from several threads at once.
extern "C" {

// Called once per child of a listed folder: UTF-8 name, size (low 32 bits,
// 0xFFFFFFFF for folders), entry kind, the caller's context.
typedef int(__stdcall* WsListCallback)(const char* name, DWORD size, int kind, void* context);

// Called after each chunk of a transfer with the bytes done so far; returning 0
// stops the transfer.
typedef int(__stdcall* WsProgressCallback)(DWORD bytesDone);

int __stdcall wsConnect(const char* server, const char* user, const char* password);
int __stdcall wsDisconnect(void);
int __stdcall wsGetFileList(const char* folder, WsListCallback callback, void* context);
int __stdcall wsGetFile(const char* remotePath, const wchar_t* pcPath, WsProgressCallback progress);
int __stdcall wsSendFile(const wchar_t* pcPath, const char* remotePath,
                         WsProgressCallback progress);
int __stdcall wsDelFile(const char* remotePath);
int __stdcall wsGetLastError(char* buffer, int size);
int __stdcall wsRename(const char* oldPath, const char* newPath);
int __stdcall wsMkDir(const char* remotePath);

} // extern "C"
