#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A small namespace-aware XML pull reader for server replies.  It knows just
// enough XML for WebDAV bodies: elements, attributes, namespace declarations,
// character and entity references, CDATA, comments and processing
// instructions.  Document type declarations are skipped unread, so no entity
// can expand.  Every step is bounded by the input; malformed input ends in
// kError, never in a read past the end.
namespace dav {

enum class XmlEvent { kStartElement, kEndElement, kText, kEnd, kError };

class XmlReader {
public:
    static constexpr std::size_t kMaxDepth = 64;

    explicit XmlReader(std::string_view document) : input_(document) {}

    XmlEvent next();

    // For kStartElement and kEndElement: the element's resolved namespace
    // (empty when it has none) and its local name.
    const std::string& namespaceUri() const { return namespaceUri_; }
    const std::string& localName() const { return localName_; }
    // For kText: the decoded characters, in UTF-8.
    const std::string& text() const { return text_; }
    std::size_t depth() const { return open_.size(); }

private:
    struct Binding {
        std::string prefix;
        std::string uri;
        std::size_t depth;
    };
    struct OpenElement {
        std::string qualifiedName;
        std::size_t bindingCount;
    };

    XmlEvent fail();
    XmlEvent readMarkup();
    XmlEvent readText();
    XmlEvent readStartTag();
    XmlEvent readEndTag();
    XmlEvent emitPendingEnd();
    bool skipPast(std::string_view terminator);
    bool skipDoctype();
    bool readName(std::string& name);
    bool readAttributeValue(std::string& value);
    bool appendReference(std::string& out);
    void skipSpace();
    bool resolve(const std::string& qualifiedName);

    std::string_view input_;
    std::size_t pos_ = 0;
    bool failed_ = false;
    bool pendingEnd_ = false;
    bool sawRoot_ = false;
    std::vector<Binding> bindings_;
    std::vector<OpenElement> open_;
    std::string namespaceUri_;
    std::string localName_;
    std::string text_;
};

// Appends the UTF-8 form of a Unicode scalar value; false for surrogates,
// zero and values above U+10FFFF.
bool appendUtf8(std::string& out, unsigned long codePoint);

} // namespace dav
