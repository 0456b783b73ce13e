#include "FakeSkylink.h"
#include "Messages.h"
#include "Resource.h"
#include "SharedState.h"
#include "TestSupport.h"
#include "WirelessBackend.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>

namespace quire::sync {
namespace {

using test::Received;

FakeSkylinkState* FakeOf(const WirelessLink&) {
    HMODULE module = GetModuleHandleW(L"skylink.dll");
    return reinterpret_cast<FakeSkylinkControlFunction>(
        GetProcAddress(module, "FakeSkylinkControl"))();
}

void AddEntry(FakeSkylinkState& fake, const char* name, uint32_t size, int32_t kind) {
    FakeSkylinkEntry& entry = fake.entries[fake.entryCount++];
    strcpy(entry.name, name);
    entry.size = size;
    entry.kind = kind;
}

class WirelessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(link_.IsLoaded());
        fake_ = FakeOf(link_);
        *fake_ = FakeSkylinkState{};
        WirelessConnected.store(0);
        ContinueFlag.store(1);
        wcscpy(RemoteLocation, L"1");
    }
    void TearDown() override { CurrentStep.store(nullptr); }

    std::wstring LastPrompt() const {
        const auto prompts = prompter_.Prompts();
        return prompts.empty() ? std::wstring() : prompts.back().text;
    }

    WirelessLink link_{QUIRE_TEST_DOUBLES_DIR};
    WirelessCredentials credentials_{L"http://server/Quire/converter", L"pin", L"word"};
    test::RecordingWindow window_;
    test::ScriptedPrompter prompter_;
    WirelessBackend backend_{link_, credentials_, window_.Handle()};
    FakeSkylinkState* fake_ = nullptr;
};

TEST(WirelessLinkTest, BindsAllEntryPointsOrNothing) {
    const WirelessLink bound(QUIRE_TEST_DOUBLES_DIR);
    EXPECT_TRUE(bound.IsLoaded());
    EXPECT_TRUE(bound.CanRename());
    EXPECT_TRUE(bound.CanMakeFolders());
    const WirelessLink missing(L"Z:\\nowhere\\at\\all");
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_FALSE(missing.CanRename());
}

TEST_F(WirelessTest, ConnectReportsStatesAndListsSortedEntries) {
    AddEntry(*fake_, "b.xls", 10, REMOTE_EXCEL);
    AddEntry(*fake_, "Sub", kFolderSize, REMOTE_FOLDER);
    AddEntry(*fake_,
             "\xC3\x9C"
             "bersicht.xls",
             20, REMOTE_EXCEL);
    AddEntry(*fake_, "a.shf", 5, REMOTE_SHEAF);
    backend_.Connect();

    EXPECT_EQ(window_.Commands(CMD_CONNECTION_STATE), (std::vector<WORD>{1, 2}));
    EXPECT_EQ(window_.Commands(CMD_STATUS_TEXT),
              (std::vector<WORD>{IDS_READING_WIRELESS_DIRECTORY, 0}));
    EXPECT_EQ(WirelessConnected.load(), 1);
    EXPECT_EQ(LastLinkKind.load(), L'1');
    EXPECT_STREQ(fake_->listedFolder, "/");
    ASSERT_EQ(window_.Count(WM_REMOTE_LISTING), 1);
    const Received& listing = *window_.Last(WM_REMOTE_LISTING);
    ASSERT_EQ(listing.listing.size(), 4u);
    EXPECT_EQ(listing.listing[0].name, L"Sub");
    EXPECT_EQ(listing.listing[1].name, L"a.shf");
    EXPECT_EQ(listing.listing[2].name, L"b.xls");
    EXPECT_EQ(listing.listing[3].name, L"\u00DCbersicht.xls");
    EXPECT_EQ(listing.listing[3].size, 20u);

    // A second connect while connected does nothing.
    backend_.Connect();
    EXPECT_STREQ(fake_->calls, "CL");
}

TEST_F(WirelessTest, ListingEntriesThatLeaveTheFolderAreDropped) {
    AddEntry(*fake_, ".", kFolderSize, REMOTE_FOLDER);
    AddEntry(*fake_, "..", kFolderSize, REMOTE_FOLDER);
    AddEntry(*fake_, "../escape.xls", 1, REMOTE_EXCEL);
    AddEntry(*fake_, "..\\escape.xls", 1, REMOTE_EXCEL);
    AddEntry(*fake_, "sub/inner.doc", 1, REMOTE_WORD);
    AddEntry(*fake_, "", 1, REMOTE_OTHER);
    AddEntry(*fake_, "\xFF\xFE bad", 1, REMOTE_OTHER);
    AddEntry(*fake_, "kept..shf", 1, REMOTE_SHEAF);
    wcscpy(RemoteLocation, L"1/Docs");
    backend_.Connect();

    EXPECT_STREQ(fake_->listedFolder, "/Docs");
    const Received* listing = window_.Last(WM_REMOTE_LISTING);
    ASSERT_NE(listing, nullptr);
    ASSERT_EQ(listing->listing.size(), 1u);
    EXPECT_EQ(listing->listing[0].name, L"kept..shf");
}

TEST_F(WirelessTest, ListingKeepsServerNamesThatStayInTheFolder) {
    // Characters a PC file name cannot hold cross in escaped form, so these stay.
    const std::vector<std::wstring> kept = {L"a:b.shf",   L"CON",       L"ends.",
                                            L"star*.doc", L"what?.pgd", L"x<y>|z\"q.xls"};
    for (const std::wstring& name : kept) {
        AddEntry(*fake_, std::string(name.begin(), name.end()).c_str(), 1, REMOTE_OTHER);
    }
    for (const char* name : {"..", ".", "a/b.shf", "a\\b.shf", "tab\tname", "bell\x07"}) {
        AddEntry(*fake_, name, 1, REMOTE_OTHER);
    }
    AddEntry(*fake_, "kind6.shf", 1, 6);
    AddEntry(*fake_, "kindminus.shf", 1, -1);
    wcscpy(RemoteLocation, L"1");
    backend_.Connect();

    const Received* listing = window_.Last(WM_REMOTE_LISTING);
    ASSERT_NE(listing, nullptr);
    std::vector<std::wstring> names;
    for (const RemoteEntry& entry : listing->listing) {
        names.push_back(entry.name);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::wstring> expected = kept;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
}

TEST_F(WirelessTest, FailedConnectShowsTheLibraryText) {
    fake_->connectFailures = 1;
    fake_->hasLastError = true;
    strcpy(fake_->lastError, "401 Unauthorized");
    backend_.Connect();

    EXPECT_EQ(window_.Commands(CMD_CONNECTION_STATE), (std::vector<WORD>{1, 0}));
    EXPECT_EQ(WirelessConnected.load(), 0);
    EXPECT_EQ(LastPrompt(), L"Cannot connect to wireless server\n401 Unauthorized");
    EXPECT_EQ(prompter_.Prompts()[0].style, 0x2010u);
    EXPECT_EQ(prompter_.Prompts()[0].owner, window_.Handle());
    EXPECT_STREQ(fake_->calls, "CE");
}

TEST_F(WirelessTest, LibraryWithoutErrorTextGivesUnknownError) {
    fake_->connectFailures = 1;
    backend_.Connect();
    EXPECT_EQ(LastPrompt(), L"Cannot connect to wireless server\nUnknown wireless server error");
}

TEST_F(WirelessTest, CredentialsCrossInTheAnsiCodePage) {
    if (GetACP() == CP_UTF8) {
        GTEST_SKIP() << "every character fits the code page";
    }
    credentials_.password = L"pa\u2713ss\u4E2D!";
    backend_.Connect();
    EXPECT_STREQ(fake_->connectServer, "http://server/Quire/converter");
    EXPECT_STREQ(fake_->connectUser, "pin");
    EXPECT_STREQ(fake_->connectPassword, "pa?ss?!");
}

TEST_F(WirelessTest, FailedListingDisconnectsAfterItsMessage) {
    fake_->listFailures = 1;
    fake_->hasLastError = true;
    strcpy(fake_->lastError, "socket closed");
    LONG flagWhenReported = -1;
    window_.onMessage = [&](const Received& received) {
        if (received.message == WM_COMMAND && LOWORD(received.wParam) == CMD_CONNECTION_STATE &&
            HIWORD(received.wParam) == CONNECTION_NONE) {
            flagWhenReported = WirelessConnected.load();
        }
    };
    backend_.Connect();

    EXPECT_EQ(LastPrompt(), L"Connection to wireless server is broken\nsocket closed");
    EXPECT_EQ(window_.Commands(CMD_CONNECTION_STATE), (std::vector<WORD>{1, 2, 0}));
    EXPECT_EQ(flagWhenReported, 0);
    EXPECT_EQ(window_.Count(WM_REMOTE_LISTING), 0);
    EXPECT_STREQ(fake_->calls, "CLED");
}

TEST_F(WirelessTest, RemotePathsAreUtf8AndRefusedWhenTooLong) {
    EXPECT_EQ(WirelessPathOfName(L"/Docs", L"\u00DCbersicht.xls"), std::string("/Docs/\xC3\x9C"
                                                                               "bersicht.xls"));
    EXPECT_EQ(WirelessPathOfName(L"", L"a.shf"), std::string("/a.shf"));
    EXPECT_EQ(WirelessFolderPath(L""), std::string("/"));
    EXPECT_FALSE(WirelessPathOfName(L"/Docs", L"").has_value());
    EXPECT_FALSE(WirelessPathOfName(L"/Docs", L"..").has_value());
    // 130 two-byte characters fit a path buffer but not the library's 259 bytes.
    const std::wstring longName(130, L'\u00E9');
    EXPECT_TRUE(WirelessPathOfName(L"", std::wstring(129, L'\u00E9')).has_value());
    EXPECT_FALSE(WirelessPathOfName(L"", longName).has_value());

    backend_.Connect();
    std::wstring failure;
    EXPECT_FALSE(backend_.Fetch(L"", longName, L"C:\\out.xls", failure));
    EXPECT_EQ(failure, L"The path or name is too long.");
    EXPECT_EQ(strchr(fake_->calls, 'G'), nullptr);
}

TEST_F(WirelessTest, TransferProgressIsAPercentageOfTheStep) {
    TransferStep step;
    step.dialog = window_.Handle();
    step.size = 200;
    CurrentStep.store(&step);
    EXPECT_EQ(ReportTransferProgress(50), 1);
    ReportTransferProgress(200);
    ReportTransferProgress(4000);
    step.size = 0;
    ReportTransferProgress(0);
    ContinueFlag.store(0);
    EXPECT_EQ(ReportTransferProgress(10), 0);

    std::vector<WPARAM> percents;
    for (const Received& received : window_.Messages()) {
        if (received.message == MSG_PROGRESS) {
            EXPECT_EQ(received.lParam, 0);
            percents.push_back(received.wParam);
        }
    }
    // Each percentage once per copy: 4000 bytes repeat 100; the empty step's
    // copy starts again and reports anew, and its next 100 is dropped while
    // the ContinueFlag is still answered.
    EXPECT_EQ(percents, (std::vector<WPARAM>{25, 100, 100}));
}

} // namespace
} // namespace quire::sync
