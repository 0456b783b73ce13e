#include "Multistatus.h"

#include "XmlReader.h"

namespace dav {

namespace {

constexpr std::string_view kDavNamespace = "DAV:";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::optional<uint64_t> parseLength(std::string_view text) {
    text = trimmed(text);
    if (text.empty() || text.size() > 19) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

bool isSuccess(int status) {
    return status >= 200 && status < 300;
}

// Walks the element tree keeping the chain of DAV: element names, and picks up
// the few properties a listing needs.
class MultistatusBuilder {
public:
    explicit MultistatusBuilder(std::vector<DavResource>& out) : out_(out) {}

    bool run(XmlReader& reader) {
        for (;;) {
            switch (reader.next()) {
            case XmlEvent::kStartElement:
                if (!start(reader)) {
                    return false;
                }
                break;
            case XmlEvent::kEndElement:
                end();
                break;
            case XmlEvent::kText:
                text_ += reader.text();
                break;
            case XmlEvent::kEnd:
                return true;
            case XmlEvent::kError:
                return false;
            }
        }
    }

private:
    bool inside(std::initializer_list<std::string_view> chain) const {
        if (chain.size() != path_.size()) {
            return false;
        }
        auto name = path_.begin();
        for (const std::string_view expected : chain) {
            if (*name++ != expected) {
                return false;
            }
        }
        return true;
    }

    bool start(const XmlReader& reader) {
        path_.push_back(reader.namespaceUri() == kDavNamespace ? reader.localName() : "");
        text_.clear();
        if (path_.size() == 1) {
            return path_[0] == "multistatus";
        }
        if (inside({"multistatus", "response"})) {
            resource_ = DavResource{};
            responseStatus_ = 0;
        } else if (inside({"multistatus", "response", "propstat"})) {
            propstat_ = DavResource{};
            propstatStatus_ = 0;
        } else if (inside({"multistatus", "response", "propstat", "prop", "resourcetype",
                           "collection"})) {
            propstat_.collection = true;
        }
        return true;
    }

    void end() {
        if (inside({"multistatus", "response", "href"})) {
            resource_.href = std::string(trimmed(text_));
        } else if (inside({"multistatus", "response", "status"})) {
            responseStatus_ = statusCodeOfLine(text_);
        } else if (inside({"multistatus", "response", "propstat", "status"})) {
            propstatStatus_ = statusCodeOfLine(text_);
        } else if (inside({"multistatus", "response", "propstat", "prop", "getcontentlength"})) {
            propstat_.contentLength = parseLength(text_);
        } else if (inside({"multistatus", "response", "propstat"})) {
            if (propstatStatus_ == 0 || isSuccess(propstatStatus_)) {
                resource_.collection = resource_.collection || propstat_.collection;
                if (propstat_.contentLength) {
                    resource_.contentLength = propstat_.contentLength;
                }
            }
        } else if (inside({"multistatus", "response"})) {
            if (!resource_.href.empty() && (responseStatus_ == 0 || isSuccess(responseStatus_))) {
                out_.push_back(std::move(resource_));
            }
        }
        path_.pop_back();
        text_.clear();
    }

    std::vector<DavResource>& out_;
    std::vector<std::string> path_;
    std::string text_;
    DavResource resource_;
    DavResource propstat_;
    int responseStatus_ = 0;
    int propstatStatus_ = 0;
};

} // namespace

int statusCodeOfLine(std::string_view statusLine) {
    statusLine = trimmed(statusLine);
    const auto space = statusLine.find(' ');
    if (space == std::string_view::npos || statusLine.size() < space + 4) {
        return 0;
    }
    int code = 0;
    for (std::size_t i = space + 1; i < space + 4; ++i) {
        const char c = statusLine[i];
        if (c < '0' || c > '9') {
            return 0;
        }
        code = code * 10 + (c - '0');
    }
    return code;
}

bool parseMultistatus(std::string_view body, std::vector<DavResource>& resources) {
    resources.clear();
    XmlReader reader(body);
    MultistatusBuilder builder(resources);
    if (!builder.run(reader)) {
        resources.clear();
        return false;
    }
    return true;
}

} // namespace dav
