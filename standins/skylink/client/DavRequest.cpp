#include "DavRequest.h"

#include "DavSession.h"
#include "LastError.h"
#include "TextCodec.h"

namespace skylink {

namespace {

// Preferred first: Digest keeps the password off the wire.
constexpr DWORD kSchemePreference[] = {WINHTTP_AUTH_SCHEME_DIGEST, WINHTTP_AUTH_SCHEME_BASIC,
                                       WINHTTP_AUTH_SCHEME_NTLM, WINHTTP_AUTH_SCHEME_NEGOTIATE};

DWORD queryNumber(HINTERNET request, DWORD info) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (!WinHttpQueryHeaders(request, info | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &value, &size,
                             WINHTTP_NO_HEADER_INDEX)) {
        return 0;
    }
    return value;
}

std::wstring queryText(HINTERNET request, DWORD info) {
    DWORD size = 0;
    WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                        WINHTTP_NO_HEADER_INDEX);
    if (size == 0) {
        return {};
    }
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (!WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size,
                             WINHTTP_NO_HEADER_INDEX)) {
        return {};
    }
    text.resize(size / sizeof(wchar_t));
    return text;
}

} // namespace

DavRequest::DavRequest(const DavSession& session, const wchar_t* verb, std::string_view encodedPath)
    : session_(session), authScheme_(session.authScheme()) {
    const std::wstring path = toWide(encodedPath, CP_UTF8);
    request_.reset(WinHttpOpenRequest(session.connection(), verb, path.c_str(), nullptr,
                                      WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                      session.secure() ? WINHTTP_FLAG_SECURE : 0));
    if (!request_) {
        openError_ = GetLastError();
    }
}

// Added to the request handle once, with replacement, so that a second
// attempt after a challenge sends each header once.
void DavRequest::addHeader(std::wstring_view header) {
    if (request_) {
        const std::wstring line(header);
        WinHttpAddRequestHeaders(request_.get(), line.c_str(), static_cast<DWORD>(line.size()),
                                 WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
    }
}

bool DavRequest::send(RequestBody* body) {
    if (!request_) {
        setSystemError(openError_);
        return false;
    }
    if (!sendOnce(body)) {
        return false;
    }
    if (status_ == HTTP_STATUS_DENIED && chooseScheme()) {
        if (body != nullptr && !body->rewind()) {
            return false;
        }
        return sendOnce(body);
    }
    return true;
}

bool DavRequest::sendOnce(RequestBody* body) {
    if (authScheme_ == WINHTTP_AUTH_SCHEME_BASIC) {
        // Sent with the first request, so that a large body does not travel
        // twice.
        addHeader(session_.basicAuthorization());
    } else if (authScheme_ != 0 &&
               !WinHttpSetCredentials(request_.get(), WINHTTP_AUTH_TARGET_SERVER, authScheme_,
                                      session_.user().c_str(), session_.password().c_str(),
                                      nullptr)) {
        setSystemError(GetLastError());
        return false;
    }
    const DWORD length = body != nullptr ? body->length() : 0;
    if (!WinHttpSendRequest(request_.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                            WINHTTP_NO_REQUEST_DATA, 0, length, 0)) {
        setSystemError(GetLastError());
        return false;
    }
    if (body != nullptr && !body->writeTo(request_.get())) {
        return false;
    }
    if (!WinHttpReceiveResponse(request_.get(), nullptr)) {
        setSystemError(GetLastError());
        return false;
    }
    status_ = queryNumber(request_.get(), WINHTTP_QUERY_STATUS_CODE);
    return true;
}

// Picks the scheme for a second attempt after a challenge.  Digest needs the
// challenge's nonce, so it always gets its second attempt; Basic credentials
// that were already sent are not sent again.
bool DavRequest::chooseScheme() {
    DWORD supported = 0;
    DWORD first = 0;
    DWORD target = 0;
    if (!WinHttpQueryAuthSchemes(request_.get(), &supported, &first, &target)) {
        return false;
    }
    for (const DWORD scheme : kSchemePreference) {
        if ((supported & scheme) != 0) {
            if (scheme == WINHTTP_AUTH_SCHEME_BASIC && authScheme_ == scheme) {
                return false;
            }
            authScheme_ = scheme;
            return true;
        }
    }
    return false;
}

void DavRequest::reportStatus(const wchar_t* hint) const {
    setHttpError(status_, queryText(request_.get(), WINHTTP_QUERY_STATUS_TEXT), hint);
}

std::optional<uint64_t> DavRequest::contentLength() const {
    return parseContentLength(queryText(request_.get(), WINHTTP_QUERY_CONTENT_LENGTH));
}

bool DavRequest::bodyEndIsKnown() const {
    return contentLength().has_value() ||
           isChunkedCoding(queryText(request_.get(), WINHTTP_QUERY_TRANSFER_ENCODING));
}

bool DavRequest::read(void* buffer, DWORD size, DWORD& bytesRead) {
    bytesRead = 0;
    if (!WinHttpReadData(request_.get(), buffer, size, &bytesRead)) {
        setSystemError(GetLastError());
        return false;
    }
    return true;
}

bool DavRequest::readAll(std::string& body, std::size_t limit) {
    body.clear();
    char chunk[16384];
    for (;;) {
        DWORD bytesRead = 0;
        if (!read(chunk, sizeof(chunk), bytesRead)) {
            return false;
        }
        if (bytesRead == 0) {
            return true;
        }
        if (body.size() + bytesRead > limit) {
            setLastError(L"The server's answer is too large");
            return false;
        }
        body.append(chunk, bytesRead);
    }
}

} // namespace skylink
