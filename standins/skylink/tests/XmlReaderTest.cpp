#include "XmlReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using dav::XmlEvent;
using dav::XmlReader;

namespace {

// The events of a document as "<ns|name", ">ns|name" and "'text" strings,
// ending in "end" or "error".
std::vector<std::string> events(std::string_view document) {
    XmlReader reader(document);
    std::vector<std::string> out;
    for (;;) {
        switch (reader.next()) {
        case XmlEvent::kStartElement:
            out.push_back("<" + reader.namespaceUri() + "|" + reader.localName());
            break;
        case XmlEvent::kEndElement:
            out.push_back(">" + reader.namespaceUri() + "|" + reader.localName());
            break;
        case XmlEvent::kText:
            out.push_back("'" + reader.text());
            break;
        case XmlEvent::kEnd:
            out.push_back("end");
            return out;
        case XmlEvent::kError:
            out.push_back("error");
            return out;
        }
    }
}

bool wellFormed(std::string_view document) {
    return events(document).back() == "end";
}

TEST(XmlReaderTest, ResolvesPrefixedAndDefaultNamespacesPerScope) {
    EXPECT_EQ(
        events("<?xml version='1.0'?><D:a xmlns:D='DAV:'><b xmlns=\"u\"><D:c/></b><b/></D:a>"),
        (std::vector<std::string>{"<DAV:|a", "<u|b", "<DAV:|c", ">DAV:|c", ">u|b", "<|b", ">|b",
                                  ">DAV:|a", "end"}));
}

TEST(XmlReaderTest, DecodesReferencesCdataAndSkipsCommentsAndDoctype) {
    EXPECT_EQ(events("<!DOCTYPE a [<!ENTITY x \"y>\">]><a>&lt;&amp;&#65;&#xC9;<!-- c -->"
                     "<![CDATA[<&>]]></a>"),
              (std::vector<std::string>{"<|a", "'<&A\xC3\x89", "'<&>", ">|a", "end"}));
}

TEST(XmlReaderTest, RejectsMalformedDocuments) {
    for (const char* bad :
         {"", "text", "<a>", "<a></b>", "<a/><b/>", "<a>&bogus;</a>", "<a>&#0;</a>",
          "<a>&#xD800;</a>", "<a>&#x110000;</a>", "<p:a/>", "<a b='1></a>", "<a><![CDATA[x</a>",
          "<a><!-- x</a>", "<a b=1/>", "<a>x</a>junk", "<:a/>", "<a", "<!DOCTYPE a", "<a>&amp"}) {
        EXPECT_FALSE(wellFormed(bad)) << bad;
    }
}

TEST(XmlReaderTest, LimitsNesting) {
    std::string deep;
    for (std::size_t i = 0; i < XmlReader::kMaxDepth; ++i) {
        deep += "<a>";
    }
    std::string closed = deep;
    for (std::size_t i = 0; i < XmlReader::kMaxDepth; ++i) {
        closed += "</a>";
    }
    EXPECT_TRUE(wellFormed(closed));
    EXPECT_FALSE(wellFormed("<a>" + closed + "</a>"));
}

TEST(XmlReaderTest, StaysInErrorAfterAFailure) {
    XmlReader reader("<a></b><c/>");
    EXPECT_EQ(reader.next(), XmlEvent::kStartElement);
    EXPECT_EQ(reader.next(), XmlEvent::kError);
    EXPECT_EQ(reader.next(), XmlEvent::kError);
}

} // namespace
