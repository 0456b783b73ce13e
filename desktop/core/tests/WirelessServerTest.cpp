// The wireless back end unchanged with the wireless client stand-in, against
// the WebDAV test server that the CTest fixture starts.
#include "Messages.h"
#include "SharedState.h"
#include "TestSupport.h"
#include "WirelessBackend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>

namespace quire::sync {
namespace {

std::map<std::string, std::string> ServerSettings() {
    std::map<std::string, std::string> settings;
    const char* file = std::getenv("SKYLINK_TEST_SERVER");
    std::ifstream in(file ? file : "");
    for (std::string line; std::getline(in, line);) {
        if (const size_t equals = line.find('='); equals != std::string::npos) {
            settings[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return settings;
}

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

class WirelessServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto settings = ServerSettings();
        ASSERT_FALSE(settings.empty()) << "no test server settings";
        credentials_ = {Widen(settings.at("url")), Widen(settings.at("user")),
                        Widen(settings.at("password"))};
        ASSERT_TRUE(link_.IsLoaded());
        WirelessConnected.store(0);
        ContinueFlag.store(1);
        CurrentStep.store(nullptr);
        folder_ = L"/core-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  Widen(::testing::UnitTest::GetInstance()->current_test_info()->name());
        wcscpy(RemoteLocation, (L"1" + folder_).c_str());
    }
    void TearDown() override { backend_.Disconnect(); }

    WirelessLink link_{QUIRE_SKYLINK_DIR};
    WirelessCredentials credentials_;
    test::Scratch scratch_;
    test::RecordingWindow window_;
    test::ScriptedPrompter prompter_;
    WirelessBackend backend_{link_, credentials_, window_.Handle()};
    std::wstring folder_;
};

TEST_F(WirelessServerTest, SendListFetchAndEraseADocument) {
    const std::string folderUtf8(folder_.begin(), folder_.end());
    ASSERT_NE(link_.Calls().connect(test::ToNarrow(credentials_.server).c_str(),
                                    test::ToNarrow(credentials_.user).c_str(),
                                    test::ToNarrow(credentials_.password).c_str()),
              0);
    ASSERT_NE(link_.Calls().mkDir(folderUtf8.c_str()), 0);
    link_.Calls().disconnect();

    backend_.Connect();
    EXPECT_EQ(window_.Commands(CMD_CONNECTION_STATE), (std::vector<WORD>{1, 2}));
    ASSERT_EQ(WirelessConnected.load(), 1);
    ASSERT_NE(window_.Last(WM_REMOTE_LISTING), nullptr);
    EXPECT_TRUE(window_.Last(WM_REMOTE_LISTING)->listing.empty());

    const std::wstring name = L"\u00DCbersicht.xls";
    const std::string content(70000, 'q');
    test::WriteTextFile(scratch_.PathOf(L"out.xls"), content);
    std::wstring failure;
    ASSERT_TRUE(backend_.Send(scratch_.PathOf(L"out.xls"), folder_, name, failure)) << failure;

    backend_.List(folder_);
    const test::Received* listing = window_.Last(WM_REMOTE_LISTING);
    ASSERT_NE(listing, nullptr);
    ASSERT_EQ(listing->listing.size(), 1u);
    EXPECT_EQ(listing->listing[0].name, name);
    EXPECT_EQ(listing->listing[0].size, content.size());
    EXPECT_EQ(listing->listing[0].kind, REMOTE_EXCEL);

    ASSERT_TRUE(backend_.Fetch(folder_, name, scratch_.PathOf(L"back.xls"), failure)) << failure;
    EXPECT_TRUE(test::ReadTextFile(scratch_.PathOf(L"back.xls")) == content);

    ASSERT_TRUE(backend_.Erase(folder_, name, failure)) << failure;
    backend_.List(folder_);
    EXPECT_TRUE(window_.Last(WM_REMOTE_LISTING)->listing.empty());
    EXPECT_TRUE(prompter_.Prompts().empty());
}

TEST_F(WirelessServerTest, WrongPasswordShowsTheServersAnswer) {
    credentials_.password = L"not the password";
    backend_.Connect();
    EXPECT_EQ(window_.Commands(CMD_CONNECTION_STATE), (std::vector<WORD>{1, 0}));
    EXPECT_EQ(WirelessConnected.load(), 0);
    ASSERT_EQ(prompter_.Prompts().size(), 1u);
    const std::wstring text = prompter_.Prompts()[0].text;
    EXPECT_EQ(text.rfind(L"Cannot connect to wireless server\n", 0), 0u) << text;
    EXPECT_NE(text.find(L"401"), std::wstring::npos) << text;
}

} // namespace
} // namespace quire::sync
