#include "AddinTestSupport.h"

#include <gtest/gtest.h>

#include <regex>

using namespace quire::addin;
using namespace quire::addin::testing;

namespace {

TEST(AddinLogTest, FirstLineCreatesTheFileInTheCurrentFolder) {
    ScratchFolder folder;
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.path().c_str()));
    AddinLog log;
    log.write("");
    log.write("second line");
    SetCurrentDirectoryW(previous);

    std::vector<uint8_t> bytes = readFile(folder.file(L"QuireAddin_Log.txt"));
    std::string text(bytes.begin(), bytes.end());
    EXPECT_TRUE(
        std::regex_match(text, std::regex(R"(\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d \r\n)"
                                          R"(\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d second line\r\n)")))
        << text;
}

TEST(AddinLogTest, TimesShowDayMonthYear) {
    // In local time; the offset of the test machine's zone is taken out.
    uint64_t time = makeTime(2004, 3, 5, 17) + 42 * 60 * 10000000ull + 9 * 10000000ull;
    FILETIME utc{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    FILETIME local{};
    FileTimeToLocalFileTime(&utc, &local);
    uint64_t shift = ((uint64_t(local.dwHighDateTime) << 32) | local.dwLowDateTime) - time;
    EXPECT_EQ(logTime(time - shift), "05.03.2004 17:42:09");
    EXPECT_EQ(recordTimeText(time - shift), "20040305174209");
    EXPECT_EQ(parseRecordTime("20040305174209"), time - shift);
    EXPECT_EQ(parseRecordTime("garbage"), 0u);
}

} // namespace
