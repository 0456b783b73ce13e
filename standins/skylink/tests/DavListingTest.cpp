#include "DavListing.h"
#include "Multistatus.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

using namespace dav;

namespace {

std::string readDataFile(const char* name) {
    std::ifstream in(std::string(SKYLINK_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string describe(const std::vector<ListedEntry>& entries) {
    std::string out;
    for (const ListedEntry& entry : entries) {
        out +=
            entry.name + "|" + std::to_string(entry.size) + "|" + std::to_string(entry.kind) + "\n";
    }
    return out;
}

TEST(DavListingTest, ListsTheChildrenOfARealServerReply) {
    const std::string reply = readDataFile("nginx-listing.xml");
    ASSERT_FALSE(reply.empty());
    std::vector<ListedEntry> entries;
    ASSERT_TRUE(listChildren(reply, "/Docs/", entries));
    EXPECT_EQ(describe(entries), "empty.pgd|0|5\n"
                                 "Letter one.DOC|5|4\n"
                                 "\xC3\x9C"
                                 "bersicht.xls|3|1\n"
                                 "Sub Folder|4294967295|2\n");
}

TEST(DavListingTest, ClassifiesNamesByTheirLastFourCharacters) {
    EXPECT_EQ(kindOfFileName("Book.SHF"), kKindSheaf);
    EXPECT_EQ(kindOfFileName("a.xls"), kKindWorkbook);
    EXPECT_EQ(kindOfFileName("x.Doc"), kKindWordDocument);
    EXPECT_EQ(kindOfFileName(".pgd"), kKindWordProcessing);
    EXPECT_EQ(kindOfFileName("x.shf.txt"), kKindOther);
    EXPECT_EQ(kindOfFileName("xls"), kKindOther);
    EXPECT_EQ(kindOfFileName(""), kKindOther);
}

TEST(DavListingTest, HonoursPropstatStatusesAndFullUrlHrefs) {
    const char* reply = R"(<?xml version="1.0"?>
<d:multistatus xmlns:d="DAV:"><d:response><d:href>https://h/dav/Docs</d:href>
<d:propstat><d:prop><d:resourcetype><d:collection/></d:resourcetype></d:prop></d:propstat>
</d:response><d:response><d:href>https://h/dav/Docs/big.shf</d:href>
<d:propstat><d:prop><d:getcontentlength>4294967298</d:getcontentlength></d:prop>
<d:status>HTTP/1.1 200 OK</d:status></d:propstat>
<d:propstat><d:prop><d:resourcetype><d:collection/></d:resourcetype></d:prop>
<d:status>HTTP/1.1 404 Not Found</d:status></d:propstat></d:response>
<d:response><d:href>/dav/Docs/gone.xls</d:href><d:status>HTTP/1.1 404 Not Found</d:status>
</d:response><d:response><d:href>/dav/Docs/bad-length.doc</d:href><d:propstat><d:prop>
<d:getcontentlength>12x</d:getcontentlength></d:prop></d:propstat></d:response>
<d:response><d:href>/dav/Docs/Sub/deeper.xls</d:href></d:response>
<d:response><d:href>/dav/Docs/%2E%2E</d:href></d:response>
<d:response><d:href>/dav/Docs/nul%00name</d:href></d:response>
<d:response><d:href></d:href></d:response>
<x:response xmlns:x="urn:not-dav"><x:href>/dav/Docs/foreign</x:href></x:response>
</d:multistatus>)";
    std::vector<ListedEntry> entries;
    ASSERT_TRUE(listChildren(reply, "/dav/Docs/", entries));
    EXPECT_EQ(describe(entries), "big.shf|2|0\nbad-length.doc|0|4\n");
}

TEST(DavListingTest, RefusesRepliesThatAreNotMultistatus) {
    std::vector<ListedEntry> entries;
    EXPECT_FALSE(listChildren("<html><body>Welcome</body></html>", "/", entries));
    EXPECT_FALSE(listChildren("<D:multistatus xmlns:D='DAV:'><D:response><D:href>/a</D:href>", "/",
                              entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(listChildren("", "/", entries));
}

TEST(DavListingTest, ReadsStatusLines) {
    EXPECT_EQ(statusCodeOfLine(" HTTP/1.1 207 Multi-Status "), 207);
    EXPECT_EQ(statusCodeOfLine("HTTP/1.1 20"), 0);
    EXPECT_EQ(statusCodeOfLine("HTTP/1.1 2x0 OK"), 0);
    EXPECT_EQ(statusCodeOfLine("garbage"), 0);
}

} // namespace
