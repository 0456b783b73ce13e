#include "SettingsStore.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quire::sync {
namespace {

constexpr RECT kLargeWorkArea = {0, 0, 1920, 1040};

class SettingsStoreTest : public ::testing::Test {
protected:
    test::Scratch scratch_;
    SettingsStore store_{HKEY_CURRENT_USER, scratch_.KeyPath()};

    void StoreRemote(const std::wstring& value) { store_.WriteString(L"last remote", value); }

    DWORD TypeOf(const wchar_t* name) {
        DWORD type = 0;
        const LONG status = RegGetValueW(HKEY_CURRENT_USER, scratch_.KeyPath().c_str(), name,
                                         RRF_RT_ANY, &type, nullptr, nullptr);
        return status == ERROR_SUCCESS ? type : REG_NONE;
    }
};

TEST_F(SettingsStoreTest, MissingKeyStartsInWirelessModeEvenWithoutTheLibrary) {
    const WindowSettings settings = store_.LoadWindowSettings(false, kLargeWorkArea);
    EXPECT_EQ(settings.remoteLocation, L"1");
    EXPECT_TRUE(settings.lastDir.empty());
    EXPECT_TRUE(settings.syncFolder.empty());
    EXPECT_FALSE(settings.position.has_value());
}

TEST_F(SettingsStoreTest, StoredRemoteLocationIsNormalised) {
    StoreRemote(L"0/Docs");
    EXPECT_EQ(store_.LoadWindowSettings(true, kLargeWorkArea).remoteLocation, L"1");

    StoreRemote(L"1/Docs");
    EXPECT_EQ(store_.LoadWindowSettings(true, kLargeWorkArea).remoteLocation, L"1/Docs");
    EXPECT_EQ(store_.LoadWindowSettings(false, kLargeWorkArea).remoteLocation, L"2");

    // Without the library "last remote" is not read at all.
    StoreRemote(L"2/Letters");
    EXPECT_EQ(store_.LoadWindowSettings(true, kLargeWorkArea).remoteLocation, L"2/Letters");
    EXPECT_EQ(store_.LoadWindowSettings(false, kLargeWorkArea).remoteLocation, L"2");

    StoreRemote(L"");
    EXPECT_EQ(store_.LoadWindowSettings(true, kLargeWorkArea).remoteLocation, L"1");
}

TEST_F(SettingsStoreTest, SavedWindowSettingsLoadAgain) {
    store_.WriteString(L"local synch folder", L"C:\\Sync");
    const RECT position = {100, 50, 900, 650};
    store_.SaveWindowSettings(L"C:\\Work", position, L"2/Letters/2004");

    const WindowSettings settings = store_.LoadWindowSettings(true, kLargeWorkArea);
    EXPECT_EQ(settings.lastDir, L"C:\\Work");
    EXPECT_EQ(settings.remoteLocation, L"2/Letters/2004");
    EXPECT_EQ(settings.syncFolder, L"C:\\Sync");
    ASSERT_TRUE(settings.position.has_value());
    EXPECT_EQ(settings.position->left, 100);
    EXPECT_EQ(settings.position->bottom, 650);
    EXPECT_EQ(TypeOf(L"last position"), static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(TypeOf(L"last dir"), static_cast<DWORD>(REG_SZ));
}

TEST_F(SettingsStoreTest, PositionOutsideTheWorkAreaIsIgnored) {
    store_.SaveWindowSettings(L"", RECT{1920, 10, 2500, 500}, L"2");
    EXPECT_FALSE(store_.LoadWindowSettings(true, kLargeWorkArea).position.has_value());
    store_.SaveWindowSettings(L"", RECT{10, 1040, 500, 1500}, L"2");
    EXPECT_FALSE(store_.LoadWindowSettings(true, kLargeWorkArea).position.has_value());
    store_.SaveWindowSettings(L"", RECT{1919, 1039, 2500, 1500}, L"2");
    EXPECT_TRUE(store_.LoadWindowSettings(true, kLargeWorkArea).position.has_value());
}

TEST_F(SettingsStoreTest, StringLongerThanAPathBufferKeepsItsDefault) {
    store_.WriteString(L"last dir", std::wstring(260, L'd'));
    EXPECT_TRUE(store_.LoadWindowSettings(true, kLargeWorkArea).lastDir.empty());
    store_.WriteString(L"last dir", std::wstring(259, L'd'));
    EXPECT_EQ(store_.LoadWindowSettings(true, kLargeWorkArea).lastDir.size(), 259u);
}

TEST_F(SettingsStoreTest, RememberedPasswordIsStoredProtected) {
    store_.SaveLogin({L"http://server/Quire/converter", L"pin", L"secret-word"}, true);

    EXPECT_EQ(TypeOf(L"wspassword"), static_cast<DWORD>(REG_BINARY));
    BYTE stored[4096] = {};
    DWORD size = sizeof stored;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, scratch_.KeyPath().c_str(), L"wspassword", RRF_RT_ANY,
                           nullptr, stored, &size),
              ERROR_SUCCESS);
    const std::wstring plain = L"secret-word";
    const std::string storedBytes(reinterpret_cast<char*>(stored), size);
    const std::string plainBytes(reinterpret_cast<const char*>(plain.data()), plain.size() * 2);
    EXPECT_EQ(storedBytes.find(plainBytes), std::string::npos);

    const LoginSettings login = store_.LoadLogin();
    EXPECT_EQ(login.server, L"http://server/Quire/converter");
    EXPECT_EQ(login.user, L"pin");
    EXPECT_EQ(login.password, L"secret-word");
}

TEST_F(SettingsStoreTest, ForgottenPasswordIsRemoved) {
    store_.SaveLogin({L"s", L"u", L"p"}, true);
    store_.SaveLogin({L"s", L"u", L"p"}, false);
    EXPECT_EQ(TypeOf(L"wspassword"), static_cast<DWORD>(REG_NONE));
    EXPECT_TRUE(store_.LoadLogin().password.empty());
    EXPECT_EQ(store_.LoadLogin().user, L"u");
}

TEST_F(SettingsStoreTest, PlainPasswordOfOlderVersionsIsAccepted) {
    store_.WriteString(L"wspassword", L"typed");
    EXPECT_EQ(store_.LoadLogin().password, L"typed");
}

TEST_F(SettingsStoreTest, AnyNonZeroWarningValueSuppressesTheWarning) {
    EXPECT_FALSE(store_.SynchWarningSuppressed());
    store_.SuppressSynchWarning();
    EXPECT_TRUE(store_.SynchWarningSuppressed());
    const DWORD five = 5;
    RegSetKeyValueW(HKEY_CURRENT_USER, scratch_.KeyPath().c_str(), L"do not show synch warning",
                    REG_DWORD, &five, sizeof five);
    EXPECT_TRUE(store_.SynchWarningSuppressed());
}

} // namespace
} // namespace quire::sync
