// skylink.dll test double: scripted results, error texts, listings and progress.

#include "FakeSkylink.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

namespace {

FakeSkylinkState state;

typedef int(__stdcall* ListCallback)(const char*, uint32_t, int32_t, void*);
typedef int(__stdcall* TransferCallback)(uint32_t);

void Note(char call) {
    const size_t used = strlen(state.calls);
    if (used + 1 < sizeof state.calls) {
        state.calls[used] = call;
    }
}

void Copy(char (&target)[300], const char* text) {
    strncpy(target, text ? text : "", sizeof target - 1);
    target[sizeof target - 1] = '\0';
}

bool Fails(int& failuresLeft) {
    if (failuresLeft > 0) {
        --failuresLeft;
        return true;
    }
    return false;
}

// Reports the scripted progress; stops early when the caller asks.
bool ReportProgress(TransferCallback callback) {
    for (int i = 0; i < state.progressCount; ++i) {
        const int result = callback(state.progress[i]);
        if (state.callbackCount < 32) {
            state.callbackResults[state.callbackCount++] = result;
        }
        if (result == 0) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" {

int __stdcall wsConnect(const char* server, const char* user, const char* password) {
    Note('C');
    Copy(state.connectServer, server);
    Copy(state.connectUser, user);
    Copy(state.connectPassword, password);
    return Fails(state.connectFailures) ? 0 : 1;
}

int __stdcall wsDisconnect() {
    Note('D');
    return 1;
}

int __stdcall wsGetFileList(const char* folder, ListCallback callback, void* context) {
    Note('L');
    Copy(state.listedFolder, folder);
    if (Fails(state.listFailures)) {
        return 0;
    }
    for (int i = 0; i < state.entryCount; ++i) {
        const FakeSkylinkEntry& entry = state.entries[i];
        callback(entry.name, entry.size, entry.kind, context);
    }
    return 1;
}

int __stdcall wsGetFile(const char* remotePath, const wchar_t* pcPath, TransferCallback callback) {
    Note('G');
    Copy(state.remotePath, remotePath);
    wcsncpy(state.pcPath, pcPath, 299);
    if (Fails(state.getFailures) || !ReportProgress(callback)) {
        return 0;
    }
    HANDLE file = CreateFileW(pcPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD written = 0;
    WriteFile(file, remotePath, static_cast<DWORD>(strlen(remotePath)), &written, nullptr);
    CloseHandle(file);
    return 1;
}

int __stdcall wsSendFile(const wchar_t* pcPath, const char* remotePath, TransferCallback callback) {
    Note('S');
    Copy(state.remotePath, remotePath);
    wcsncpy(state.pcPath, pcPath, 299);
    if (Fails(state.sendFailures)) {
        return 0;
    }
    return ReportProgress(callback) ? 1 : 0;
}

int __stdcall wsDelFile(const char* remotePath) {
    Note('X');
    Copy(state.remotePath, remotePath);
    return Fails(state.deleteFailures) ? 0 : 1;
}

int __stdcall wsGetLastError(char* buffer, int size) {
    Note('E');
    if (!state.hasLastError || size < 1) {
        return 0;
    }
    strncpy(buffer, state.lastError, static_cast<size_t>(size) - 1);
    buffer[size - 1] = '\0';
    return 1;
}

int __stdcall wsRename(const char*, const char*) {
    return 1;
}

int __stdcall wsMkDir(const char*) {
    return 1;
}

FakeSkylinkState* __stdcall FakeSkylinkControl() {
    return &state;
}

} // extern "C"
