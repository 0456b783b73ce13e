#include "LastError.h"

#include "TextCodec.h"
#include "base/SystemText.h"

#include <winhttp.h>

#include <algorithm>
#include <string>

namespace skylink {

namespace {

constexpr std::size_t kTextCapacity = 512;

// Trivially destructible, so that no destructor runs at thread exit inside the
// library.
thread_local wchar_t lastErrorText[kTextCapacity];

struct Hint {
    DWORD status;
    const wchar_t* text;
};

constexpr Hint kHttpHints[] = {
    {401, L"wrong user name or password"},
    {403, L"access denied"},
    {404, L"no such file or folder"},
    {405, L"not allowed here; the name may already exist"},
    {409, L"the folder does not exist or the name is taken by a folder"},
    {412, L"the new name already exists"},
    {413, L"the file is too large for the server"},
    {423, L"the file is locked"},
    {507, L"the server is out of space"},
};

struct NetworkText {
    DWORD code;
    const wchar_t* text;
};

// Used when the system has no text of its own for a WinHTTP code.
constexpr NetworkText kNetworkTexts[] = {
    {ERROR_WINHTTP_TIMEOUT, L"The server did not answer in time"},
    {ERROR_WINHTTP_NAME_NOT_RESOLVED, L"The server name could not be resolved"},
    {ERROR_WINHTTP_CANNOT_CONNECT, L"Cannot connect to the server"},
    {ERROR_WINHTTP_CONNECTION_ERROR, L"The connection to the server was reset"},
    {ERROR_WINHTTP_INVALID_URL, L"The server address is not a valid URL"},
    {ERROR_WINHTTP_UNRECOGNIZED_SCHEME, L"The server address must start with http:// or https://"},
    {ERROR_WINHTTP_SECURE_FAILURE, L"The server's certificate is not valid"},
    {ERROR_WINHTTP_INVALID_SERVER_RESPONSE, L"The server's answer could not be understood"},
    {ERROR_WINHTTP_OPERATION_CANCELLED, L"The operation was cancelled"},
};

std::wstring systemText(DWORD code) {
    const bool network = code >= WINHTTP_ERROR_BASE && code <= WINHTTP_ERROR_LAST;
    std::wstring text =
        quire::SystemMessageText(code, network ? GetModuleHandleW(L"winhttp.dll") : nullptr);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'.')) {
        text.pop_back();
    }
    if (text.empty()) {
        for (const NetworkText& known : kNetworkTexts) {
            if (known.code == code) {
                text = known.text;
            }
        }
    }
    return text;
}

} // namespace

void clearLastError() {
    lastErrorText[0] = L'\0';
}

void setLastError(std::wstring_view text) {
    const std::size_t length = std::min(text.size(), kTextCapacity - 1);
    text.copy(lastErrorText, length);
    lastErrorText[length] = L'\0';
}

void setHttpError(DWORD status, std::wstring_view reason, const wchar_t* hint) {
    std::wstring text = L"HTTP " + std::to_wstring(status);
    if (!reason.empty()) {
        text += L' ';
        text += reason;
    }
    for (const Hint& known : kHttpHints) {
        if (hint == nullptr && known.status == status) {
            hint = known.text;
        }
    }
    if (hint != nullptr) {
        text += L" (";
        text += hint;
        text += L')';
    }
    setLastError(text);
}

void setSystemError(DWORD code) {
    std::wstring text = systemText(code);
    const bool network = code >= WINHTTP_ERROR_BASE && code <= WINHTTP_ERROR_LAST;
    if (text.empty()) {
        text = network ? L"Network error" : L"System error";
    }
    text += network ? L" (WinHTTP error " : L" (error ";
    text += std::to_wstring(code) + L')';
    setLastError(text);
}

bool copyLastError(char* buffer, int size) {
    if (buffer == nullptr || size <= 0) {
        return false;
    }
    if (lastErrorText[0] == L'\0') {
        buffer[0] = '\0';
        return false;
    }
    copyAnsi(lastErrorText, buffer, size);
    return true;
}

} // namespace skylink
