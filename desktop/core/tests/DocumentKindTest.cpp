#include "DocumentKind.h"
#include "RemoteListing.h"

#include <gtest/gtest.h>

namespace quire::sync {
namespace {

TEST(DocumentKindTest, PcNamesByLastExtensionWithoutCase) {
    EXPECT_EQ(DocumentKindOfPcName(L"C:\\Work\\Book.XLS"), DocumentKind::Spreadsheet);
    EXPECT_EQ(DocumentKindOfPcName(L"letter.Doc"), DocumentKind::WordProcessing);
    EXPECT_EQ(DocumentKindOfPcName(L"archive.xlsx"), DocumentKind::None);
    EXPECT_EQ(DocumentKindOfPcName(L"README"), DocumentKind::None);
    EXPECT_EQ(DocumentKindOfPcName(L"C:\\my.xls\\notes"), DocumentKind::None);
    EXPECT_EQ(DocumentKindOfPcName(L"Book1.shf"), DocumentKind::None);
}

TEST(DocumentKindTest, HandheldNames) {
    EXPECT_EQ(DocumentKindOfHandheldName(L"notes.Pgd"), DocumentKind::WordProcessing);
    EXPECT_EQ(DocumentKindOfHandheldName(L"Book1.SHF"), DocumentKind::Spreadsheet);
    EXPECT_EQ(DocumentKindOfHandheldName(L"Book1.xls"), DocumentKind::None);
    EXPECT_EQ(DocumentKindOfHandheldName(L"a.shf.txt"), DocumentKind::None);
}

TEST(RemoteEntryKindTest, LastFourCharactersWithoutCase) {
    EXPECT_EQ(RemoteEntryKindOfName(L"B.XLS"), REMOTE_EXCEL);
    EXPECT_EQ(RemoteEntryKindOfName(L"a.pgd"), REMOTE_PAGE);
    EXPECT_EQ(RemoteEntryKindOfName(L"x.Shf"), REMOTE_SHEAF);
    EXPECT_EQ(RemoteEntryKindOfName(L"memo.doc"), REMOTE_WORD);
    EXPECT_EQ(RemoteEntryKindOfName(L"x.shf.txt"), REMOTE_OTHER);
    EXPECT_EQ(RemoteEntryKindOfName(L"xls"), REMOTE_OTHER);
    EXPECT_EQ(RemoteEntryKindOfName(L".xls"), REMOTE_EXCEL);
}

TEST(RemoteListingTest, FoldersFirstThenNamesWithoutCase) {
    RemoteListing listing;
    listing.Add(3, REMOTE_OTHER, L"c");
    listing.Add(kFolderSize, REMOTE_FOLDER, L"zeta");
    listing.Add(1, REMOTE_EXCEL, L"B.XLS");
    listing.Add(kFolderSize, REMOTE_FOLDER, L"Alpha");
    listing.Add(2, REMOTE_PAGE, L"a.pgd");
    listing.Sort();
    std::vector<std::wstring> names;
    for (const RemoteEntry& entry : listing.entries) {
        names.push_back(entry.name);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Alpha", L"zeta", L"a.pgd", L"B.XLS", L"c"}));
}

} // namespace
} // namespace quire::sync
