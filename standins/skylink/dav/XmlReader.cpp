#include "XmlReader.h"

namespace dav {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isNameStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}

bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

int digitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

} // namespace

bool appendUtf8(std::string& out, unsigned long codePoint) {
    if (codePoint == 0 || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return false;
    }
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return true;
}

XmlEvent XmlReader::next() {
    if (failed_) {
        return XmlEvent::kError;
    }
    if (pendingEnd_) {
        return emitPendingEnd();
    }
    while (pos_ < input_.size()) {
        if (input_[pos_] != '<') {
            const XmlEvent event = readText();
            if (event == XmlEvent::kText && open_.empty()) {
                continue; // whitespace around the root element
            }
            return event;
        }
        const std::size_t before = pos_;
        const XmlEvent event = readMarkup();
        if (failed_ || pos_ == before) {
            return fail();
        }
        if (event != XmlEvent::kEnd) {
            return event;
        }
    }
    if (!open_.empty() || !sawRoot_) {
        return fail();
    }
    return XmlEvent::kEnd;
}

XmlEvent XmlReader::fail() {
    failed_ = true;
    return XmlEvent::kError;
}

// Returns kEnd for markup that yields no event (comments, declarations).
XmlEvent XmlReader::readMarkup() {
    const std::string_view rest = input_.substr(pos_);
    if (rest.starts_with("<?")) {
        return skipPast("?>") ? XmlEvent::kEnd : fail();
    }
    if (rest.starts_with("<!--")) {
        return skipPast("-->") ? XmlEvent::kEnd : fail();
    }
    if (rest.starts_with("<![CDATA[")) {
        if (open_.empty()) {
            return fail();
        }
        pos_ += 9;
        const std::size_t end = input_.find("]]>", pos_);
        if (end == std::string_view::npos) {
            return fail();
        }
        text_.assign(input_.substr(pos_, end - pos_));
        pos_ = end + 3;
        return XmlEvent::kText;
    }
    if (rest.starts_with("<!DOCTYPE")) {
        if (sawRoot_) {
            return fail();
        }
        return skipDoctype() ? XmlEvent::kEnd : fail();
    }
    if (rest.starts_with("</")) {
        return readEndTag();
    }
    return readStartTag();
}

XmlEvent XmlReader::readText() {
    text_.clear();
    while (pos_ < input_.size() && input_[pos_] != '<') {
        const char c = input_[pos_];
        if (c == '&') {
            if (!appendReference(text_)) {
                return fail();
            }
            continue;
        }
        if (open_.empty() && !isSpace(c)) {
            return fail();
        }
        text_ += c;
        ++pos_;
    }
    return XmlEvent::kText;
}

XmlEvent XmlReader::readStartTag() {
    ++pos_; // '<'
    std::string qualifiedName;
    if (!readName(qualifiedName)) {
        return fail();
    }
    if (open_.size() >= kMaxDepth || (open_.empty() && sawRoot_)) {
        return fail();
    }
    const std::size_t bindingCount = bindings_.size();
    const std::size_t depth = open_.size() + 1;
    bool selfClosing = false;
    for (;;) {
        skipSpace();
        if (pos_ >= input_.size()) {
            return fail();
        }
        if (input_[pos_] == '>') {
            ++pos_;
            break;
        }
        if (input_.substr(pos_).starts_with("/>")) {
            pos_ += 2;
            selfClosing = true;
            break;
        }
        std::string attribute;
        std::string value;
        if (!readName(attribute)) {
            return fail();
        }
        skipSpace();
        if (pos_ >= input_.size() || input_[pos_] != '=') {
            return fail();
        }
        ++pos_;
        skipSpace();
        if (!readAttributeValue(value)) {
            return fail();
        }
        if (attribute == "xmlns") {
            bindings_.push_back({"", std::move(value), depth});
        } else if (attribute.starts_with("xmlns:")) {
            bindings_.push_back({attribute.substr(6), std::move(value), depth});
        }
    }
    open_.push_back({std::move(qualifiedName), bindingCount});
    sawRoot_ = true;
    if (!resolve(open_.back().qualifiedName)) {
        return fail();
    }
    pendingEnd_ = selfClosing;
    return XmlEvent::kStartElement;
}

XmlEvent XmlReader::readEndTag() {
    pos_ += 2; // "</"
    std::string qualifiedName;
    if (!readName(qualifiedName)) {
        return fail();
    }
    skipSpace();
    if (pos_ >= input_.size() || input_[pos_] != '>' || open_.empty() ||
        open_.back().qualifiedName != qualifiedName) {
        return fail();
    }
    ++pos_;
    pendingEnd_ = true;
    return emitPendingEnd();
}

XmlEvent XmlReader::emitPendingEnd() {
    pendingEnd_ = false;
    if (!resolve(open_.back().qualifiedName)) {
        return fail();
    }
    bindings_.resize(open_.back().bindingCount);
    open_.pop_back();
    return XmlEvent::kEndElement;
}

bool XmlReader::skipPast(std::string_view terminator) {
    const std::size_t end = input_.find(terminator, pos_);
    if (end == std::string_view::npos) {
        return false;
    }
    pos_ = end + terminator.size();
    return true;
}

// Skips "<!DOCTYPE ...>", including an internal subset in brackets, without
// interpreting any of it.
bool XmlReader::skipDoctype() {
    char quote = 0;
    int brackets = 0;
    for (pos_ += 9; pos_ < input_.size(); ++pos_) {
        const char c = input_[pos_];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++brackets;
        } else if (c == ']') {
            --brackets;
        } else if (c == '>' && brackets <= 0) {
            ++pos_;
            return true;
        }
    }
    return false;
}

bool XmlReader::readName(std::string& name) {
    const std::size_t start = pos_;
    if (pos_ >= input_.size() || !isNameStart(input_[pos_])) {
        return false;
    }
    while (pos_ < input_.size() && isNameChar(input_[pos_])) {
        ++pos_;
    }
    name.assign(input_.substr(start, pos_ - start));
    return true;
}

bool XmlReader::readAttributeValue(std::string& value) {
    if (pos_ >= input_.size() || (input_[pos_] != '"' && input_[pos_] != '\'')) {
        return false;
    }
    const char quote = input_[pos_++];
    while (pos_ < input_.size() && input_[pos_] != quote) {
        const char c = input_[pos_];
        if (c == '<') {
            return false;
        }
        if (c == '&') {
            if (!appendReference(value)) {
                return false;
            }
            continue;
        }
        value += c;
        ++pos_;
    }
    if (pos_ >= input_.size()) {
        return false;
    }
    ++pos_;
    return true;
}

bool XmlReader::appendReference(std::string& out) {
    const std::size_t end = input_.find(';', pos_);
    if (end == std::string_view::npos || end - pos_ > 12) {
        return false;
    }
    const std::string_view name = input_.substr(pos_ + 1, end - pos_ - 1);
    pos_ = end + 1;
    if (name == "lt") {
        out += '<';
    } else if (name == "gt") {
        out += '>';
    } else if (name == "amp") {
        out += '&';
    } else if (name == "quot") {
        out += '"';
    } else if (name == "apos") {
        out += '\'';
    } else if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x';
        const int base = hex ? 16 : 10;
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty()) {
            return false;
        }
        unsigned long codePoint = 0;
        for (const char c : digits) {
            const int digit = digitValue(c, base);
            if (digit < 0 || codePoint > 0x10FFFF) {
                return false;
            }
            codePoint = codePoint * base + static_cast<unsigned long>(digit);
        }
        return appendUtf8(out, codePoint);
    } else {
        return false;
    }
    return true;
}

void XmlReader::skipSpace() {
    while (pos_ < input_.size() && isSpace(input_[pos_])) {
        ++pos_;
    }
}

bool XmlReader::resolve(const std::string& qualifiedName) {
    const std::size_t colon = qualifiedName.find(':');
    const std::string prefix = colon == std::string::npos ? "" : qualifiedName.substr(0, colon);
    localName_ = colon == std::string::npos ? qualifiedName : qualifiedName.substr(colon + 1);
    if (localName_.empty() || colon == 0) {
        return false;
    }
    for (auto binding = bindings_.rbegin(); binding != bindings_.rend(); ++binding) {
        if (binding->prefix == prefix) {
            namespaceUri_ = binding->uri;
            return true;
        }
    }
    namespaceUri_.clear();
    return prefix.empty() || prefix == "xml";
}

} // namespace dav
