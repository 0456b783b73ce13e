#include "InetGet.h"

#include "LastError.h"
#include "TextCodec.h"

#include <wininet.h>

namespace skylink {

namespace {

// WinHTTP's defaults, which the other requests run with.
constexpr DWORD kConnectTimeout = 60000;
constexpr DWORD kSendTimeout = 30000;
constexpr DWORD kReceiveTimeout = 30000;

constexpr DWORD kRequestFlags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_RELOAD |
                                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                                INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_KEEP_CONNECTION;

void setTimeouts(HINTERNET handle) {
    DWORD value = kConnectTimeout;
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &value, sizeof(value));
    value = kSendTimeout;
    InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &value, sizeof(value));
    value = kReceiveTimeout;
    InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &value, sizeof(value));
}

} // namespace

void InetHandleTraits::close(Type handle) {
    InternetCloseHandle(handle);
}

std::unique_ptr<InetConnection> InetConnection::open(const InetRoute& route) {
    std::unique_ptr<InetConnection> connection(new InetConnection);
    const bool proxied = !route.proxy.empty();
    connection->session_.reset(InternetOpenW(
        L"skylink/1.0", proxied ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_DIRECT,
        proxied ? route.proxy.c_str() : nullptr,
        proxied && !route.proxyBypass.empty() ? route.proxyBypass.c_str() : nullptr, 0));
    if (!connection->session_) {
        return nullptr;
    }
    setTimeouts(connection->session_.get());
    connection->connection_.reset(InternetConnectW(connection->session_.get(), route.host.c_str(),
                                                   route.port, nullptr, nullptr,
                                                   INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection->connection_) {
        return nullptr;
    }
    connection->secure_ = route.secure;
    return connection;
}

InetGet::InetGet(const InetConnection& connection, std::string_view encodedPath,
                 const std::wstring& headerLine)
    : headerLine_(headerLine) {
    const std::wstring path = toWide(encodedPath, CP_UTF8);
    request_.reset(
        HttpOpenRequestW(connection.handle(), L"GET", path.c_str(), nullptr, nullptr, nullptr,
                         kRequestFlags | (connection.secure() ? INTERNET_FLAG_SECURE : 0), 0));
    if (!request_) {
        openError_ = GetLastError();
    }
}

bool InetGet::send() {
    if (!request_) {
        setSystemError(openError_);
        return false;
    }
    if (!HttpSendRequestW(request_.get(), headerLine_.empty() ? nullptr : headerLine_.c_str(),
                          static_cast<DWORD>(headerLine_.size()), nullptr, 0)) {
        setSystemError(GetLastError());
        return false;
    }
    DWORD size = sizeof(status_);
    if (!HttpQueryInfoW(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status_,
                        &size, nullptr)) {
        setSystemError(GetLastError());
        return false;
    }
    return true;
}

std::wstring InetGet::queryText(DWORD info) const {
    DWORD size = 0;
    HttpQueryInfoW(request_.get(), info, nullptr, &size, nullptr);
    if (size == 0) {
        return {};
    }
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (!HttpQueryInfoW(request_.get(), info, text.data(), &size, nullptr)) {
        return {};
    }
    text.resize(size / sizeof(wchar_t));
    return text;
}

void InetGet::reportStatus() const {
    setHttpError(status_, queryText(HTTP_QUERY_STATUS_TEXT));
}

std::optional<uint64_t> InetGet::contentLength() const {
    return parseContentLength(queryText(HTTP_QUERY_CONTENT_LENGTH));
}

bool InetGet::bodyEndIsKnown() const {
    return contentLength().has_value() || isChunkedCoding(queryText(HTTP_QUERY_TRANSFER_ENCODING));
}

bool InetGet::read(void* buffer, DWORD size, DWORD& bytesRead) {
    bytesRead = 0;
    if (!InternetReadFile(request_.get(), buffer, size, &bytesRead)) {
        setSystemError(GetLastError());
        return false;
    }
    return true;
}

} // namespace skylink
