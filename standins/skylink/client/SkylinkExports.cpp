// The library's entry points: argument checks, text conversions, the one
// process-wide session, and no exception past this file.
#include "DavSession.h"
#include "LastError.h"
#include "Skylink.h"
#include "TextCodec.h"

#include <memory>
#include <mutex>
#include <new>

using skylink::DavSession;

namespace {

std::mutex sessionLock;
// Shared, so that a disconnect on one thread leaves an operation running on
// another thread its own reference.
std::shared_ptr<const DavSession> currentSession;

std::shared_ptr<const DavSession> session() {
    std::lock_guard<std::mutex> guard(sessionLock);
    return currentSession;
}

void replaceSession(std::shared_ptr<const DavSession> next) {
    std::shared_ptr<const DavSession> previous;
    {
        std::lock_guard<std::mutex> guard(sessionLock);
        previous = std::exchange(currentSession, std::move(next));
    }
}

// Runs one operation with a fresh error text, turning exceptions into failures.
template <typename Operation> int guarded(Operation operation) {
    skylink::clearLastError();
    try {
        return operation() ? 1 : 0;
    } catch (const std::bad_alloc&) {
        skylink::setLastError(L"Out of memory");
    } catch (...) {
        skylink::setLastError(L"Internal error");
    }
    return 0;
}

// Runs an operation on the connected session.
template <typename Operation> int connected(Operation operation) {
    return guarded([&] {
        const auto current = session();
        if (!current) {
            skylink::setLastError(L"Not connected to the wireless server");
            return false;
        }
        return operation(*current);
    });
}

bool present(const void* argument) {
    if (argument == nullptr) {
        skylink::setLastError(L"Missing argument");
        return false;
    }
    return true;
}

} // namespace

extern "C" {

int __stdcall wsConnect(const char* server, const char* user, const char* password) {
    return guarded([&] {
        if (!present(server) || !present(user) || !present(password)) {
            return false;
        }
        std::shared_ptr<const DavSession> next =
            DavSession::connect(skylink::toWide(server, CP_ACP), skylink::toWide(user, CP_ACP),
                                skylink::toWide(password, CP_ACP));
        if (!next) {
            return false;
        }
        replaceSession(std::move(next));
        return true;
    });
}

int __stdcall wsDisconnect(void) {
    return guarded([] {
        replaceSession(nullptr);
        return true;
    });
}

int __stdcall wsGetFileList(const char* folder, WsListCallback callback, void* context) {
    return connected([&](const DavSession& current) {
        if (!present(folder) || !present(reinterpret_cast<const void*>(callback))) {
            return false;
        }
        std::vector<dav::ListedEntry> entries;
        if (!current.list(folder, entries)) {
            return false;
        }
        for (const dav::ListedEntry& entry : entries) {
            callback(entry.name.c_str(), entry.size, entry.kind, context);
        }
        return true;
    });
}

int __stdcall wsGetFile(const char* remotePath, const wchar_t* pcPath,
                        WsProgressCallback progress) {
    return connected([&](const DavSession& current) {
        return present(remotePath) && present(pcPath) &&
               current.download(remotePath, pcPath, progress);
    });
}

int __stdcall wsSendFile(const wchar_t* pcPath, const char* remotePath,
                         WsProgressCallback progress) {
    return connected([&](const DavSession& current) {
        return present(pcPath) && present(remotePath) &&
               current.upload(pcPath, remotePath, progress);
    });
}

int __stdcall wsDelFile(const char* remotePath) {
    return connected([&](const DavSession& current) {
        return present(remotePath) && current.remove(remotePath);
    });
}

int __stdcall wsGetLastError(char* buffer, int size) {
    return skylink::copyLastError(buffer, size) ? 1 : 0;
}

int __stdcall wsRename(const char* oldPath, const char* newPath) {
    return connected([&](const DavSession& current) {
        return present(oldPath) && present(newPath) && current.move(oldPath, newPath);
    });
}

int __stdcall wsMkDir(const char* remotePath) {
    return connected([&](const DavSession& current) {
        return present(remotePath) && current.makeFolder(remotePath);
    });
}

} // extern "C"
