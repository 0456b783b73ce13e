// The library against a server that misbehaves on purpose (rogue-server):
// connections cut part way through a listing, a download or an upload, and
// listings that no sound server would send.
#include "SkylinkServerFixture.h"

using namespace skylink_test;

namespace {

class RogueServerTest : public SkylinkServerTest {
protected:
    void TearDown() override {
        noRules();
        SkylinkServerTest::TearDown();
    }

    void rules(const std::string& json) { ASSERT_TRUE(writeFile(rulesFile(), json)); }
    void noRules() { DeleteFileW(rulesFile().c_str()); }
    std::wstring rulesFile() { return hostPath(settings_["rules"]); }

    // A prepared reply, whole, for the requests that `match` describes.
    void answerWith(const std::string& match, const std::string& reply) {
        ASSERT_TRUE(writeFile(hostPath(settings_["rules"] + ".reply"), reply));
        rules("[{" + match + R"(, "answer": ")" + settings_["rules"] + R"(.reply"}])");
    }

    // A prepared reply for the next listing of this test's folder.
    void answerListingWith(const std::string& status, const std::string& body) {
        answerWith(R"("method": "PROPFIND", "depth": "1")",
                   "HTTP/1.1 " + status + "\r\nContent-Type: application/xml\r\n" +
                       "Content-Length: " + std::to_string(body.size()) +
                       "\r\nConnection: close\r\n\r\n" + body);
    }

    std::string response(const std::string& href, const std::string& properties) {
        return "<D:response><D:href>" + href + "</D:href><D:propstat><D:prop>" + properties +
               "</D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>";
    }
    std::string file(const std::string& name, const std::string& length) {
        return response(remoteFolder_ + "/" + name,
                        "<D:resourcetype/><D:getcontentlength>" + length + "</D:getcontentlength>");
    }
    std::string multistatus(const std::string& responses) {
        return R"(<?xml version="1.0" encoding="utf-8"?><D:multistatus xmlns:D="DAV:">)" +
               response(remoteFolder_ + "/", "<D:resourcetype><D:collection/></D:resourcetype>") +
               responses + "</D:multistatus>";
    }
};

TEST_F(RogueServerTest, CutListingIsReportedAndTheNextOneWorks) {
    ASSERT_TRUE(writeFile(server("a.shf"), "a"));
    for (const char* cut : {"40", "300"}) {
        SCOPED_TRACE(cut);
        rules(std::string(R"([{"method": "PROPFIND", "depth": "1", "cut-reply-after": )") + cut +
              "}]");
        std::vector<Listed> entries;
        EXPECT_EQ(library_.getFileList(remoteFolder_.c_str(), collectEntry, &entries), 0);
        EXPECT_FALSE(library_.lastError().empty());
    }
    noRules();
    EXPECT_EQ(list(remoteFolder_), (std::vector<Listed>{{"a.shf", 1, 0}}));
}

TEST_F(RogueServerTest, CutDownloadKeepsTheOldFileAndTheNextOneWorks) {
    const std::string content = patternBytes(3 * 1024 * 1024);
    ASSERT_TRUE(writeFile(server("big.xls"), content));
    ASSERT_TRUE(writeFile(pc(L"big.xls"), "the good copy"));
    // In the reply's headers, and in its body.
    for (const char* cut : {"60", "1048576"}) {
        SCOPED_TRACE(cut);
        rules(std::string(R"([{"method": "GET", "cut-reply-after": )") + cut + "}]");
        EXPECT_EQ(library_.getFile(remote("big.xls").c_str(), pc(L"big.xls").c_str(), nullptr), 0);
        EXPECT_FALSE(library_.lastError().empty());
        EXPECT_EQ(readFile(pc(L"big.xls")), "the good copy");
        EXPECT_EQ(namesIn(pcFolder_), std::vector<std::wstring>{L"big.xls"});
    }
    noRules();
    ASSERT_TRUE(library_.getFile(remote("big.xls").c_str(), pc(L"big.xls").c_str(), nullptr))
        << library_.lastError();
    EXPECT_TRUE(readFile(pc(L"big.xls")) == content);
}

TEST_F(RogueServerTest, ReplyWithoutALengthIsTakenOnlyInChunks) {
    ASSERT_TRUE(writeFile(pc(L"a.xls"), "the good copy"));
    answerWith(R"("method": "GET")", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nsome bytes");
    EXPECT_EQ(library_.getFile(remote("a.xls").c_str(), pc(L"a.xls").c_str(), nullptr), 0);
    EXPECT_EQ(library_.lastError(), "The server's answer does not say how long the file is");
    EXPECT_EQ(readFile(pc(L"a.xls")), "the good copy");

    answerWith(R"("method": "GET")",
               "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n"
               "Connection: close\r\n\r\n5\r\nsome \r\n5\r\nbytes\r\n0\r\n\r\n");
    ASSERT_TRUE(library_.getFile(remote("a.xls").c_str(), pc(L"a.xls").c_str(), nullptr))
        << library_.lastError();
    EXPECT_EQ(readFile(pc(L"a.xls")), "some bytes");
    EXPECT_EQ(namesIn(pcFolder_), std::vector<std::wstring>{L"a.xls"});
}

TEST_F(RogueServerTest, CutUploadStoresNothingAndTheNextOneWorks) {
    const std::string content = patternBytes(3 * 1024 * 1024);
    ASSERT_TRUE(writeFile(pc(L"big.shf"), content));
    rules(R"([{"method": "PUT", "cut-request-after": 1048576}])");
    EXPECT_EQ(library_.sendFile(pc(L"big.shf").c_str(), remote("big.shf").c_str(), nullptr), 0);
    EXPECT_FALSE(library_.lastError().empty());
    EXPECT_FALSE(exists(server("big.shf")));
    noRules();
    ASSERT_TRUE(library_.sendFile(pc(L"big.shf").c_str(), remote("big.shf").c_str(), nullptr))
        << library_.lastError();
    EXPECT_TRUE(readFile(server("big.shf")) == content);
}

TEST_F(RogueServerTest, HostileListingsGiveOnlyEntriesOfTheFolder) {
    answerListingWith("207 Multi-Status",
                      multistatus(file("good.shf", "10") + file("..", "1") +
                                  file("%2e%2e%2fescape.shf", "1") + file("sub/deeper.shf", "1") +
                                  file("huge.xls", "5000000000") + file("bad%ff%fe.shf", "1") +
                                  file("", "1")));
    std::vector<Listed> entries;
    ASSERT_TRUE(library_.getFileList(remoteFolder_.c_str(), collectEntry, &entries))
        << library_.lastError();
    std::sort(entries.begin(), entries.end());
    // A size past 32 bits arrives as its low 32 bits, as the interface has it.
    EXPECT_EQ(entries, (std::vector<Listed>{{"good.shf", 10, 0}, {"huge.xls", 705032704, 1}}));

    // Not multistatus, not XML, cut short, or nested past all reason.
    const std::string nested = std::string(100000, '<') + "a>";
    for (const auto& [status, body] : std::vector<std::pair<std::string, std::string>>{
             {"200 OK", multistatus(file("a.shf", "1"))},
             {"207 Multi-Status", "no xml at all"},
             {"207 Multi-Status", multistatus(file("a.shf", "1")).substr(0, 150)},
             {"207 Multi-Status",
              R"(<?xml version="1.0"?><D:multistatus xmlns:D="DAV:">)" + nested}}) {
        SCOPED_TRACE(body.substr(0, 60));
        answerListingWith(status, body);
        entries.clear();
        EXPECT_EQ(library_.getFileList(remoteFolder_.c_str(), collectEntry, &entries), 0);
        EXPECT_TRUE(entries.empty());
        EXPECT_FALSE(library_.lastError().empty());
    }
}

TEST_F(RogueServerTest, ListingLargerThanTheLimitIsRefused) {
    std::string responses;
    while (responses.size() < 33 * 1024 * 1024) {
        responses += file("f" + std::to_string(responses.size()) + ".shf", "1");
    }
    answerListingWith("207 Multi-Status", multistatus(responses));
    std::vector<Listed> entries;
    EXPECT_EQ(library_.getFileList(remoteFolder_.c_str(), collectEntry, &entries), 0);
    EXPECT_EQ(library_.lastError(), "The server's answer is too large");
    EXPECT_TRUE(entries.empty());
}

} // namespace
