#include "DavSession.h"

#include "Base64.h"
#include "DavPath.h"
#include "DavRequest.h"
#include "LastError.h"
#include "TempFile.h"
#include "TextCodec.h"

#include <memory>

namespace skylink {

namespace {

// Uploads go out a chunk per progress report.  Downloads fill a larger
// buffer, which halves their cost under Wine, but report progress at least
// every kProgressMs so that a slow link still shows it moving.
constexpr DWORD kChunkSize = 256 * 1024;
constexpr DWORD kDownloadChunkSize = 1024 * 1024;
constexpr ULONGLONG kProgressMs = 250;
constexpr std::size_t kListingLimit = 32 * 1024 * 1024;
constexpr DWORD HTTP_STATUS_MULTI_STATUS = 207;

constexpr char kPropfindBody[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                 "<D:propfind xmlns:D=\"DAV:\"><D:prop>"
                                 "<D:resourcetype/><D:getcontentlength/>"
                                 "</D:prop></D:propfind>\n";

bool isSuccess(DWORD status) {
    return status >= 200 && status < 300;
}

// Servers that insist on a trailing '/' for folders answer a plain path with
// one of these.
bool mayNeedCollectionPath(DWORD status) {
    return status == HTTP_STATUS_CONFLICT || status == HTTP_STATUS_BAD_REQUEST ||
           status == HTTP_STATUS_MOVED || status == HTTP_STATUS_REDIRECT;
}

// Sends the request and requires a success status.
bool succeeds(DavRequest& request, RequestBody* body = nullptr) {
    if (!request.send(body)) {
        return false;
    }
    if (!isSuccess(request.status())) {
        request.reportStatus();
        return false;
    }
    return true;
}

class StringBody : public RequestBody {
public:
    explicit StringBody(std::string_view text) : text_(text) {}
    DWORD length() const override { return static_cast<DWORD>(text_.size()); }
    bool rewind() override { return true; }
    bool writeTo(HINTERNET request) override {
        DWORD written = 0;
        if (!WinHttpWriteData(request, text_.data(), length(), &written)) {
            setSystemError(GetLastError());
            return false;
        }
        return true;
    }

private:
    std::string_view text_;
};

// A PC file sent in chunks, reporting progress after each one.
class FileBody : public RequestBody {
public:
    FileBody(HANDLE file, DWORD length, WsProgressCallback progress)
        : file_(file), length_(length), progress_(progress), buffer_(new char[kChunkSize]) {}

    DWORD length() const override { return length_; }

    bool rewind() override {
        if (SetFilePointer(file_, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
            setSystemError(GetLastError());
            return false;
        }
        return true;
    }

    bool writeTo(HINTERNET request) override {
        DWORD done = 0;
        while (done < length_) {
            const DWORD wanted = length_ - done < kChunkSize ? length_ - done : kChunkSize;
            DWORD got = 0;
            if (!ReadFile(file_, buffer_.get(), wanted, &got, nullptr)) {
                setSystemError(GetLastError());
                return false;
            }
            if (got == 0) {
                setLastError(L"The file became shorter while it was being sent");
                return false;
            }
            DWORD written = 0;
            if (!WinHttpWriteData(request, buffer_.get(), got, &written)) {
                setSystemError(GetLastError());
                return false;
            }
            done += got;
            if (progress_ != nullptr && progress_(done) == 0) {
                setLastError(L"The transfer was cancelled");
                return false;
            }
        }
        return true;
    }

private:
    HANDLE file_;
    DWORD length_;
    WsProgressCallback progress_;
    std::unique_ptr<char[]> buffer_;
};

// Asks for the properties a listing needs; true on a multistatus reply.
bool propfind(DavRequest& request, const wchar_t* depthHeader, const wchar_t* hint = nullptr) {
    request.addHeader(depthHeader);
    request.addHeader(L"Content-Type: application/xml; charset=\"utf-8\"");
    StringBody body(kPropfindBody);
    if (!request.send(&body)) {
        return false;
    }
    if (request.status() != HTTP_STATUS_MULTI_STATUS) {
        request.reportStatus(request.status() == HTTP_STATUS_DENIED ? nullptr : hint);
        return false;
    }
    return true;
}

// Receives a GET's body into a temporary file beside `pcPath`, which replaces
// the file there only once the whole body has arrived.
template <class Request>
bool receiveBody(Request& request, const std::wstring& pcPath, WsProgressCallback progress) {
    if (request.status() != HTTP_STATUS_OK) {
        request.reportStatus();
        return false;
    }
    // A body that simply stops could be a whole file or a cut one: a reply
    // cut even inside its headers reads as a complete, empty file.
    if (!request.bodyEndIsKnown()) {
        setLastError(L"The server's answer does not say how long the file is");
        return false;
    }
    TempFile file;
    if (!file.create(pcPath)) {
        return false;
    }
    const auto expected = request.contentLength();
    std::unique_ptr<char[]> buffer(new char[kDownloadChunkSize]);
    uint64_t done = 0;
    for (;;) {
        // Fill a chunk before writing, so that progress comes at a steady
        // pace rather than once per network packet.  At least one read each
        // time: only a read of nothing is the end of the body, never a
        // thread that waited past the progress interval.
        DWORD filled = 0;
        DWORD got = 0;
        const ULONGLONG started = GetTickCount64();
        do {
            if (!request.read(buffer.get() + filled, kDownloadChunkSize - filled, got)) {
                return false;
            }
            filled += got;
        } while (got != 0 && filled < kDownloadChunkSize &&
                 GetTickCount64() - started < kProgressMs);
        if (filled == 0) {
            break;
        }
        if (!file.write(buffer.get(), filled)) {
            return false;
        }
        done += filled;
        if (progress != nullptr && progress(static_cast<DWORD>(done)) == 0) {
            setLastError(L"The transfer was cancelled");
            return false;
        }
    }
    if (expected && *expected != done) {
        setLastError(L"The connection closed before the whole file arrived");
        return false;
    }
    return file.commit();
}

} // namespace

std::unique_ptr<DavSession> DavSession::connect(std::wstring_view url, std::wstring_view user,
                                                std::wstring_view password) {
    std::unique_ptr<DavSession> session(new DavSession);
    session->user_ = user;
    session->password_ = password;
    const std::string credentials = fromWide(user, CP_UTF8) + ":" + fromWide(password, CP_UTF8);
    session->basicAuthorization_ =
        L"Authorization: Basic " + toWide(dav::base64Encode(credentials), CP_UTF8);
    if (!session->open(url) || !session->checkBase()) {
        return nullptr;
    }
    return session;
}

bool DavSession::open(std::wstring_view url) {
    const std::wstring address(url);
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    if (address.empty() || !WinHttpCrackUrl(address.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) ||
        parts.dwHostNameLength == 0) {
        setLastError(L"The server address must be an http:// or https:// URL");
        return false;
    }
    secure_ = parts.nScheme == INTERNET_SCHEME_HTTPS;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    const auto decodedPath = dav::percentDecode(fromWide(path, CP_UTF8));
    if (!decodedPath) {
        setLastError(L"The server address has an invalid path");
        return false;
    }
    basePath_ = *decodedPath;
    const bool ipv6 = host.find(L':') != std::wstring::npos;
    origin_ = std::wstring(secure_ ? L"https://" : L"http://") + (ipv6 ? L"[" : L"") + host +
              (ipv6 ? L"]:" : L":") + std::to_wstring(parts.nPort);

    session_.reset(WinHttpOpen(L"skylink/1.0", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                               WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session_) {
        setSystemError(GetLastError());
        return false;
    }
    // A redirect would repeat a WebDAV method at an address the user never gave.
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    WinHttpSetOption(session_.get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof(policy));
    connection_.reset(WinHttpConnect(session_.get(), host.c_str(), parts.nPort, 0));
    if (!connection_) {
        setSystemError(GetLastError());
        return false;
    }
    // Without it every download goes through WinHTTP.
    downloadConnection_ = InetConnection::open(inetRoute(host, parts.nPort));
    return true;
}

bool DavSession::checkBase() {
    DavRequest request(*this, L"PROPFIND",
                       dav::percentEncodePath(dav::asCollectionPath(basePath_)));
    if (!propfind(request, L"Depth: 0", L"no WebDAV folder at this server address")) {
        return false;
    }
    authScheme_ = request.authScheme();
    return true;
}

bool DavSession::resolve(std::string_view remotePath, std::string& path) const {
    const auto resolved = dav::serverPath(basePath_, remotePath);
    if (!resolved || dav::withoutTrailingSlash(*resolved) == dav::withoutTrailingSlash(basePath_)) {
        setLastError(L"Invalid remote path");
        return false;
    }
    path = *resolved;
    return true;
}

bool DavSession::list(std::string_view folder, std::vector<dav::ListedEntry>& entries) const {
    std::string path = dav::asCollectionPath(basePath_);
    if (dav::withoutTrailingSlash(folder) != "" && !resolve(folder, path)) {
        return false;
    }
    path = dav::asCollectionPath(path);
    DavRequest request(*this, L"PROPFIND", dav::percentEncodePath(path));
    if (!propfind(request, L"Depth: 1")) {
        return false;
    }
    std::string reply;
    if (!request.readAll(reply, kListingLimit)) {
        return false;
    }
    if (!dav::listChildren(reply, path, entries)) {
        setLastError(L"The server's folder listing could not be read");
        return false;
    }
    return true;
}

bool DavSession::download(std::string_view remotePath, const std::wstring& pcPath,
                          WsProgressCallback progress) const {
    std::string path;
    if (!resolve(remotePath, path)) {
        return false;
    }
    const std::string encodedPath = dav::percentEncodePath(path);
    if (downloadsThroughWinInet()) {
        InetGet request(*downloadConnection_, encodedPath,
                        authScheme_ == WINHTTP_AUTH_SCHEME_BASIC ? basicAuthorization_ + L"\r\n"
                                                                 : std::wstring());
        if (!request.send()) {
            return false;
        }
        // Left to WinHTTP: a folder that asks for credentials the base folder
        // did not, which WinHTTP answers, and a reply without a length, whose
        // chunks WinHTTP reads (or which is turned down there).
        const bool challenged = request.status() == HTTP_STATUS_DENIED && authScheme_ == 0;
        const bool unmeasured = request.status() == HTTP_STATUS_OK && !request.bodyEndIsKnown();
        if (!challenged && !unmeasured) {
            return receiveBody(request, pcPath, progress);
        }
    }
    DavRequest request(*this, L"GET", encodedPath);
    return request.send() && receiveBody(request, pcPath, progress);
}

bool DavSession::downloadsThroughWinInet() const {
    return downloadConnection_ != nullptr &&
           (authScheme_ == 0 || authScheme_ == WINHTTP_AUTH_SCHEME_BASIC);
}

InetRoute DavSession::inetRoute(const std::wstring& host, unsigned short port) const {
    InetRoute route{host, port, secure_, {}, {}};
    WINHTTP_PROXY_INFO proxy = {};
    if (WinHttpGetDefaultProxyConfiguration(&proxy)) {
        if (proxy.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && proxy.lpszProxy != nullptr) {
            route.proxy = proxy.lpszProxy;
            if (proxy.lpszProxyBypass != nullptr) {
                route.proxyBypass = proxy.lpszProxyBypass;
            }
        }
        GlobalFree(proxy.lpszProxy);
        GlobalFree(proxy.lpszProxyBypass);
    }
    return route;
}

bool DavSession::upload(const std::wstring& pcPath, std::string_view remotePath,
                        WsProgressCallback progress) const {
    std::string path;
    if (!resolve(remotePath, path)) {
        return false;
    }
    quire::FileHandle file(CreateFileW(pcPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size)) {
        setSystemError(GetLastError());
        return false;
    }
    if (size.QuadPart > 0xFFFFFFFFLL) {
        setLastError(L"The file is too large to send (4 GB or more)");
        return false;
    }
    FileBody body(file.get(), static_cast<DWORD>(size.QuadPart), progress);
    DavRequest request(*this, L"PUT", dav::percentEncodePath(path));
    request.addHeader(L"Content-Type: application/octet-stream");
    return succeeds(request, &body);
}

bool DavSession::remove(std::string_view remotePath) const {
    std::string path;
    if (!resolve(remotePath, path)) {
        return false;
    }
    DavRequest request(*this, L"DELETE", dav::percentEncodePath(path));
    if (!request.send()) {
        return false;
    }
    if (isSuccess(request.status())) {
        return true;
    }
    if (mayNeedCollectionPath(request.status())) {
        DavRequest again(*this, L"DELETE", dav::percentEncodePath(dav::asCollectionPath(path)));
        if (again.send() && isSuccess(again.status())) {
            return true;
        }
    }
    request.reportStatus();
    return false;
}

std::wstring DavSession::destinationHeader(const std::string& path) const {
    return L"Destination: " + origin_ + toWide(dav::percentEncodePath(path), CP_UTF8);
}

bool DavSession::move(std::string_view oldPath, std::string_view newPath) const {
    std::string from;
    std::string to;
    if (!resolve(oldPath, from) || !resolve(newPath, to)) {
        return false;
    }
    DavRequest request(*this, L"MOVE", dav::percentEncodePath(from));
    request.addHeader(destinationHeader(to));
    request.addHeader(L"Overwrite: F");
    if (!request.send()) {
        return false;
    }
    if (isSuccess(request.status())) {
        return true;
    }
    if (mayNeedCollectionPath(request.status())) {
        DavRequest again(*this, L"MOVE", dav::percentEncodePath(dav::asCollectionPath(from)));
        again.addHeader(destinationHeader(dav::asCollectionPath(to)));
        again.addHeader(L"Overwrite: F");
        if (again.send() && isSuccess(again.status())) {
            return true;
        }
        if (again.status() == HTTP_STATUS_PRECOND_FAILED) {
            again.reportStatus();
            return false;
        }
    }
    request.reportStatus();
    return false;
}

bool DavSession::makeFolder(std::string_view remotePath) const {
    std::string path;
    if (!resolve(remotePath, path)) {
        return false;
    }
    DavRequest request(*this, L"MKCOL", dav::percentEncodePath(dav::asCollectionPath(path)));
    return succeeds(request);
}

} // namespace skylink
