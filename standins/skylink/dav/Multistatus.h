#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The resources of a WebDAV multistatus reply (the body of a PROPFIND answer).
namespace dav {

struct DavResource {
    std::string href; // as sent: percent-encoded, absolute path or full URL
    bool collection = false;
    std::optional<uint64_t> contentLength;
};

// Fills `resources` with every response of the body that carries an href and
// no failing status.  Properties count only from a propstat whose status is a
// success (or that has no status).  False, with `resources` empty, when the
// body is not well-formed XML or its root is not DAV:multistatus.
bool parseMultistatus(std::string_view body, std::vector<DavResource>& resources);

// The status code of an HTTP status line such as "HTTP/1.1 200 OK", or 0.
int statusCodeOfLine(std::string_view statusLine);

} // namespace dav
