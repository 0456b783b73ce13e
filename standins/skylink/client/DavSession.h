#pragma once

#include "DavListing.h"
#include "InetGet.h"
#include "InternetHandle.h"
#include "Skylink.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace skylink {

// A connection to one WebDAV server: its address, the credentials and the
// authentication scheme the server asked for.  Immutable once connected, so
// that any number of threads may run operations on it at once.  Every
// operation returns false with the thread's last error set.
class DavSession {
public:
    // Checks the address and the credentials with a PROPFIND of depth 0 on the
    // base folder.
    static std::unique_ptr<DavSession> connect(std::wstring_view url, std::wstring_view user,
                                               std::wstring_view password);

    bool list(std::string_view folder, std::vector<dav::ListedEntry>& entries) const;
    bool download(std::string_view remotePath, const std::wstring& pcPath,
                  WsProgressCallback progress) const;
    bool upload(const std::wstring& pcPath, std::string_view remotePath,
                WsProgressCallback progress) const;
    bool remove(std::string_view remotePath) const;
    bool move(std::string_view oldPath, std::string_view newPath) const;
    bool makeFolder(std::string_view remotePath) const;

    HINTERNET connection() const { return connection_.get(); }
    bool secure() const { return secure_; }
    DWORD authScheme() const { return authScheme_; }
    const std::wstring& user() const { return user_; }
    const std::wstring& password() const { return password_; }
    // "Authorization: Basic ..." for servers that asked for Basic.
    const std::wstring& basicAuthorization() const { return basicAuthorization_; }

private:
    DavSession() = default;

    bool open(std::wstring_view url);
    bool checkBase();
    // The decoded server path of a caller's remote path; false for paths that
    // could leave the base folder or name the base folder itself.
    bool resolve(std::string_view remotePath, std::string& path) const;
    std::wstring destinationHeader(const std::string& path) const;
    bool isCollection(const std::string& path) const;
    // WinINet for downloads where it can authenticate as WinHTTP would: no
    // credentials asked, or Basic ones sent as a header.
    bool downloadsThroughWinInet() const;
    InetRoute inetRoute(const std::wstring& host, unsigned short port) const;

    InternetHandle session_;
    InternetHandle connection_;
    std::unique_ptr<InetConnection> downloadConnection_;
    bool secure_ = false;
    std::wstring origin_; // scheme://host:port
    std::string basePath_;
    std::wstring user_;
    std::wstring password_;
    std::wstring basicAuthorization_;
    DWORD authScheme_ = 0;
};

} // namespace skylink
