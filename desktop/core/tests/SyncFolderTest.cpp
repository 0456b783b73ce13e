#include "SyncFolder.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quire::sync {
namespace {

std::vector<std::wstring> Names(const RemoteListing& listing) {
    std::vector<std::wstring> names;
    for (const RemoteEntry& entry : listing.entries) {
        names.push_back(entry.name);
    }
    return names;
}

class SyncFolderTest : public ::testing::Test {
protected:
    test::Scratch scratch_;
};

TEST_F(SyncFolderTest, FoldersComeFirstAndFilesMixInNameOrder) {
    test::WriteTextFile(scratch_.PathOf(L"B.XLS"), "12345");
    test::WriteTextFile(scratch_.PathOf(L"a.pgd"), "12");
    test::WriteTextFile(scratch_.PathOf(L"c"), "");
    test::WriteTextFile(scratch_.PathOf(L"x.shf.txt"), "1");
    CreateDirectoryW(scratch_.PathOf(L"Sub").c_str(), nullptr);

    const RemoteListing listing = ListSyncFolder(scratch_.Folder(), L"");
    EXPECT_EQ(Names(listing),
              (std::vector<std::wstring>{L"Sub", L"a.pgd", L"B.XLS", L"c", L"x.shf.txt"}));
    ASSERT_EQ(listing.entries.size(), 5u);
    EXPECT_EQ(listing.entries[0].kind, REMOTE_FOLDER);
    EXPECT_EQ(listing.entries[0].size, kFolderSize);
    EXPECT_EQ(listing.entries[1].kind, REMOTE_PAGE);
    EXPECT_EQ(listing.entries[2].kind, REMOTE_EXCEL);
    EXPECT_EQ(listing.entries[2].size, 5u);
    EXPECT_EQ(listing.entries[3].kind, REMOTE_OTHER);
    EXPECT_EQ(listing.entries[4].kind, REMOTE_OTHER);
}

TEST_F(SyncFolderTest, RemoteFolderNamesASubfolderOfTheRoot) {
    CreateDirectoryW(scratch_.PathOf(L"Letters").c_str(), nullptr);
    CreateDirectoryW(scratch_.PathOf(L"Letters\\2004").c_str(), nullptr);
    test::WriteTextFile(scratch_.PathOf(L"Letters\\2004\\memo.doc"), "m");

    EXPECT_EQ(Names(ListSyncFolder(scratch_.Folder(), L"/Letters/2004")),
              std::vector<std::wstring>{L"memo.doc"});
    EXPECT_EQ(ListSyncFolder(scratch_.Folder(), L"/Letters/2004").entries[0].kind, REMOTE_WORD);
    EXPECT_TRUE(ListSyncFolder(scratch_.Folder(), L"/Missing").entries.empty());
}

TEST_F(SyncFolderTest, PathsOfFoldersAndNames) {
    EXPECT_EQ(SyncFolderPath(L"C:\\Sync", L""), L"C:\\Sync\\");
    EXPECT_EQ(SyncFolderPath(L"", L""), L"\\");
    EXPECT_EQ(SyncFolderPathOfName(L"C:\\Sync", L"/A/B", L"n.shf"), L"C:\\Sync\\A\\B\\n.shf");
}

TEST_F(SyncFolderTest, PathsThatDoNotFitAreRefused) {
    const std::wstring root = L"C:\\" + std::wstring(240, L'r');
    EXPECT_TRUE(SyncFolderPathOfName(root, L"", std::wstring(15, L'n')).has_value());
    EXPECT_FALSE(SyncFolderPathOfName(root, L"", std::wstring(16, L'n')).has_value());
    EXPECT_FALSE(SyncFolderPath(root, L"/" + std::wstring(30, L'f')).has_value());
}

TEST_F(SyncFolderTest, NamesThatLeaveTheFolderAreRefused) {
    for (const wchar_t* name : {L"", L".", L"..", L"..\\up.xls", L"sub/inner.xls", L"a\\b"}) {
        EXPECT_FALSE(SyncFolderPathOfName(L"C:\\Sync", L"/A", name).has_value()) << name;
    }
    EXPECT_TRUE(SyncFolderPathOfName(L"C:\\Sync", L"/A", L"..hidden").has_value());
}

} // namespace
} // namespace quire::sync
