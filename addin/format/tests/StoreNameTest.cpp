#include "StoreName.h"

#include <gtest/gtest.h>

namespace quire::addin {
namespace {

TEST(StoreNameTest, RelativePathUsesBackslashes) {
    EXPECT_EQ(StoreRelativePath(L"/Reports/May.shf"), L"Reports\\May.shf");
    EXPECT_EQ(StoreRelativePath(L"/a.pgd"), L"a.pgd");
    EXPECT_EQ(StoreRelativePath(L"a"), L"a");
}

TEST(StoreNameTest, KindsAreRenamedInTheLastNameOnly) {
    EXPECT_EQ(DesktopPathOf(L"/Reports/May.XLS", false), L"/Reports/May.shf");
    EXPECT_EQ(DesktopPathOf(L"/a.doc", false), L"/a.pgd");
    EXPECT_EQ(HandheldPathOf(L"/a.Shf", false), L"/a.xls");
    EXPECT_EQ(HandheldPathOf(L"/a.pgd", false), L"/a.doc");
    EXPECT_EQ(DesktopPathOf(L"/a.xlsx", false), L"/a.xlsx");
    EXPECT_EQ(DesktopPathOf(L"/b.xls/c", false), L"/b.xls/c");
    EXPECT_EQ(DesktopPathOf(L"/Old.xls", true), L"/Old.xls");
    EXPECT_EQ(DesktopPathOf(L"/.xls", false), L"/.shf");
}

TEST(StoreNameTest, HandheldDocumentsComeBackUnderTheirPath) {
    EXPECT_TRUE(ReturnsFromHandheld(L"/May.shf", false));
    EXPECT_TRUE(ReturnsFromHandheld(L"/May.SHF", false));
    EXPECT_TRUE(ReturnsFromHandheld(L"/R\u00e9sum\u00e9/b.pgd", false));
    EXPECT_TRUE(ReturnsFromHandheld(L"/notes.txt", false));
    EXPECT_TRUE(ReturnsFromHandheld(L"/Old.xls", true));
    EXPECT_TRUE(ReturnsFromHandheld(std::wstring(L"/") + wchar_t(0xD83D) + wchar_t(0xDE00), false));
}

TEST(StoreNameTest, NamesThatWouldComeBackChangedAreNotSent) {
    // Sent as "a.xls", it would come back as a.shf: a second document.
    EXPECT_FALSE(ReturnsFromHandheld(L"/a.xls", false));
    EXPECT_FALSE(ReturnsFromHandheld(L"/Reports/b.DOC", false));
    // UTF-8 cannot carry a lone surrogate: it would come back as U+FFFD.
    EXPECT_FALSE(ReturnsFromHandheld(std::wstring(L"/a") + wchar_t(0xD83D) + L".shf", false));
    // The handheld's records refuse what the file system would move or drop.
    EXPECT_FALSE(ReturnsFromHandheld(L"/trailing.", false));
    EXPECT_FALSE(ReturnsFromHandheld(L"/trailing ", false));
    EXPECT_FALSE(ReturnsFromHandheld(L"/con.shf", false));
    EXPECT_FALSE(ReturnsFromHandheld(L"/" + std::wstring(300, L'x'), false));
}

TEST(StoreNameTest, ScratchFilesOfUnfinishedSavesAreKnownByTheirWholeName) {
    for (const wchar_t* scratch : {L"~qa1.tmp", L"~QA1F2E.TMP", L"~qsbeef.tmp", L"shf0.tmp"}) {
        EXPECT_TRUE(IsUnfinishedSaveName(scratch)) << scratch;
    }
    for (const wchar_t* document :
         {L"~qa.tmp", L"~qa12345.tmp", L"~qa1g.tmp", L"~qa12.tmp.shf", L"~qb12.tmp", L"shf12.shf",
          L"x~qa12.tmp", L"report.tmp", L""}) {
        EXPECT_FALSE(IsUnfinishedSaveName(document)) << document;
    }
}

TEST(StoreNameTest, TheStoresOwnScratchNamesAreNeverTakenForDocuments) {
    EXPECT_EQ(StoreScratchName(0), L"~qa0.TMP");
    EXPECT_EQ(StoreScratchName(0x1F2E), L"~qa1F2E.TMP");
    EXPECT_EQ(StoreScratchName(0x12345), L"~qa2345.TMP");
    for (unsigned number = 0; number <= 0xFFFF; number += 0x0FFF) {
        EXPECT_TRUE(IsUnfinishedSaveName(StoreScratchName(number))) << number;
    }
}

} // namespace
} // namespace quire::addin
