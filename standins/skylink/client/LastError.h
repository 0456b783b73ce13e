#pragma once

#include <windows.h>

#include <string_view>

// The text of the last failure, kept per thread: the library is called from the
// program's worker and from its window thread at the same time.
namespace skylink {

void clearLastError();
void setLastError(std::wstring_view text);
// "HTTP <status> <reason>", with the given hint or the usual one for the
// statuses a user can act on.
void setHttpError(DWORD status, std::wstring_view reason, const wchar_t* hint = nullptr);
// The system's text for a Win32 or WinHTTP error code.
void setSystemError(DWORD code);

// Copies the text into `buffer` (ANSI); false when there is none.
bool copyLastError(char* buffer, int size);

} // namespace skylink
