#pragma once

#include "InternetHandle.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace skylink {

class DavSession;

// The body of a request, written after the headers have gone out.  It may be
// asked to start again when the server wants other credentials.
class RequestBody {
public:
    virtual ~RequestBody() = default;
    virtual DWORD length() const = 0;
    virtual bool rewind() = 0;
    // Writes the whole body; false with the last error set.
    virtual bool writeTo(HINTERNET request) = 0;
};

// One WebDAV request on the session's connection.  Failures set the thread's
// last error text.
class DavRequest {
public:
    // `encodedPath` is the percent-encoded path on the server.
    DavRequest(const DavSession& session, const wchar_t* verb, std::string_view encodedPath);

    void addHeader(std::wstring_view header);

    // Sends the request and receives the status, answering one authentication
    // challenge.  False when no status arrived.
    bool send(RequestBody* body = nullptr);

    DWORD status() const { return status_; }
    // The status as the last error text, with a hint of the caller's own when
    // the usual one would mislead.
    void reportStatus(const wchar_t* hint = nullptr) const;
    // The authentication scheme that the request settled on (0 for none).
    DWORD authScheme() const { return authScheme_; }
    std::optional<uint64_t> contentLength() const;
    // Whether the reply says where its body ends: a length, or chunks.
    bool bodyEndIsKnown() const;

    // Reads up to `size` bytes of the response body; 0 bytes at its end.
    bool read(void* buffer, DWORD size, DWORD& bytesRead);
    // Reads the whole body, failing when it exceeds `limit` bytes.
    bool readAll(std::string& body, std::size_t limit);

private:
    bool sendOnce(RequestBody* body);
    bool chooseScheme();

    const DavSession& session_;
    InternetHandle request_;
    DWORD authScheme_;
    DWORD status_ = 0;
    DWORD openError_ = 0;
};

} // namespace skylink
