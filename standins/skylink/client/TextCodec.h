#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Conversions between the code pages the entry points speak.
namespace skylink {

std::wstring toWide(std::string_view text, UINT codePage);
std::string fromWide(std::wstring_view text, UINT codePage);

// Writes `text` in the ANSI code page into `buffer`, cut at a whole character
// so that it and its terminating zero fit in `size` bytes.
void copyAnsi(std::wstring_view text, char* buffer, int size);

// A Content-Length header's value; nothing for an absent or malformed one.
std::optional<uint64_t> parseContentLength(std::wstring_view text);

// Whether a Transfer-Encoding header's value ends in "chunked", the one
// coding that marks the end of a body without a length.
bool isChunkedCoding(std::wstring_view text);

} // namespace skylink
