#pragma once

#include "base/UniqueHandle.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace skylink {

// WinINet's handles.  Kept apart from WinHTTP's: the two libraries' headers
// cannot be included in one file.
struct InetHandleTraits {
    using Type = void*;
    static Type invalid() { return nullptr; }
    static void close(Type handle);
};
using InetHandle = quire::UniqueHandle<InetHandleTraits>;

// How the connection reaches the server, as WinHTTP's default configuration
// has it, so that both libraries take the same road.
struct InetRoute {
    std::wstring host;
    unsigned short port = 0;
    bool secure = false;
    std::wstring proxy;       // empty: direct
    std::wstring proxyBypass; // with a proxy only
};

// A connection for plain GETs whose bodies are large.  Wine's WinHTTP reads
// the socket 8 KB at a time; WinINet reads a large body straight into the
// caller's buffer, which more than doubles a download's speed there.
class InetConnection {
public:
    static std::unique_ptr<InetConnection> open(const InetRoute& route);

    void* handle() const { return connection_.get(); }
    bool secure() const { return secure_; }

private:
    InetHandle session_;
    InetHandle connection_;
    bool secure_ = false;
};

// One GET, with no redirect, cache, cookie or dialog; credentials only as the
// caller's own header line.  Returns false with the thread's last error set.
class InetGet {
public:
    InetGet(const InetConnection& connection, std::string_view encodedPath,
            const std::wstring& headerLine);

    bool send();
    DWORD status() const { return status_; }
    void reportStatus() const;
    std::optional<uint64_t> contentLength() const;
    // Whether the reply says where its body ends: a length, or chunks.
    bool bodyEndIsKnown() const;
    bool read(void* buffer, DWORD size, DWORD& bytesRead);

private:
    std::wstring queryText(DWORD info) const;

    InetHandle request_;
    std::wstring headerLine_;
    DWORD openError_ = 0;
    DWORD status_ = 0;
};

} // namespace skylink
