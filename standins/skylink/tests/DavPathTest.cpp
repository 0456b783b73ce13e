#include "Base64.h"
#include "DavPath.h"

#include <gtest/gtest.h>

using namespace dav;

namespace {

TEST(DavPathTest, EncodesEverythingButUnreservedCharactersAndSlashes) {
    EXPECT_EQ(percentEncodePath("/Docs/\xC3\x9C"
                                "bersicht 1.xls"),
              "/Docs/%C3%9Cbersicht%201.xls");
    EXPECT_EQ(percentEncodePath("/a%b?c#d&e+f~g_h-i"), "/a%25b%3Fc%23d%26e%2Bf~g_h-i");
}

TEST(DavPathTest, DecodesPercentSequencesAndKeepsStrayPercents) {
    EXPECT_EQ(percentDecode("/a%20b%c3%9C"), "/a b\xC3\x9C");
    EXPECT_EQ(percentDecode("100%"), "100%");
    EXPECT_EQ(percentDecode("%4"), "%4");
    EXPECT_EQ(percentDecode("%zz"), "%zz");
    EXPECT_FALSE(percentDecode("a%00b"));
}

TEST(DavPathTest, TakesThePathOfFullUrlsAndDropsQueries) {
    EXPECT_EQ(hrefPath("http://host:8080/dav/a%20b?x=1"), "/dav/a b");
    EXPECT_EQ(hrefPath("https://host"), "/");
    EXPECT_EQ(hrefPath("/plain/path#frag"), "/plain/path");
}

TEST(DavPathTest, JoinsBaseAndRemotePathsAndRefusesDotSegments) {
    EXPECT_EQ(serverPath("/dav/", "/Docs/a.xls"), "/dav/Docs/a.xls");
    EXPECT_EQ(serverPath("", "/"), "/");
    EXPECT_EQ(serverPath("/dav", "Docs"), "/dav/Docs");
    EXPECT_FALSE(serverPath("/dav", ""));
    EXPECT_FALSE(serverPath("/dav", "/../etc"));
    EXPECT_FALSE(serverPath("/dav", "/a/./b"));
    EXPECT_FALSE(serverPath("/dav", "/a/.."));
    EXPECT_EQ(serverPath("/dav", "/a/...b"), "/dav/a/...b");
}

TEST(DavPathTest, OnlyWellFormedUtf8IsUtf8) {
    for (const char* good :
         {"", "plain.shf", "\xC3\xBC", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF"}) {
        EXPECT_TRUE(dav::isValidUtf8(good)) << good;
    }
    for (const char* bad : {"\xFF", "bad\xFF\xFE.shf", "\xC3", "\xC0\xAF", "\xE0\x80\xAF",
                            "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\xC3\x28"}) {
        EXPECT_FALSE(dav::isValidUtf8(bad)) << bad;
    }
}

TEST(DavPathTest, Base64MatchesTheStandardVectors) {
    EXPECT_EQ(base64Encode(""), "");
    EXPECT_EQ(base64Encode("f"), "Zg==");
    EXPECT_EQ(base64Encode("fo"), "Zm8=");
    EXPECT_EQ(base64Encode("foo"), "Zm9v");
    EXPECT_EQ(base64Encode("quire:s3cret pass"), "cXVpcmU6czNjcmV0IHBhc3M=");
    EXPECT_EQ(base64Encode("\xFF\xFE"), "//4=");
}

} // namespace
