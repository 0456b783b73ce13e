#pragma once

#include <optional>
#include <string>
#include <string_view>

// Remote paths as the library's callers give them ('/'-separated UTF-8) and as
// they travel in request lines and hrefs (percent-encoded).
namespace dav {

// Percent-encodes every byte of a UTF-8 path except the unreserved characters
// and '/'.
std::string percentEncodePath(std::string_view path);

// Decodes %XX sequences; a '%' not followed by two hex digits stays as it is.
// Nothing when the result would hold a zero byte.
std::optional<std::string> percentDecode(std::string_view text);

// The decoded path of an href, which may be a full URL: scheme and authority,
// query and fragment are dropped.
std::optional<std::string> hrefPath(std::string_view href);

// Joins the base path of the server address and a caller's remote path into the
// decoded path on the server, with exactly one '/' between them.  Nothing when
// the remote path is empty or has a "." or ".." segment.
std::optional<std::string> serverPath(std::string_view basePath, std::string_view remotePath);

// Whether text is well-formed UTF-8: no overlong forms, surrogates or code
// points past U+10FFFF.
bool isValidUtf8(std::string_view text);

// The path without its trailing '/' characters.
std::string_view withoutTrailingSlash(std::string_view path);

// The path with one trailing '/'.
std::string asCollectionPath(std::string_view path);

} // namespace dav
