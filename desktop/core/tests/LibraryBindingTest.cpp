#include "ConverterLibrary.h"
#include "ProgramFolder.h"
#include "TestSupport.h"
#include "WirelessLink.h"

#include <gtest/gtest.h>

namespace quire::sync {
namespace {

// Restores the current folder when the test leaves.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::wstring& folder) {
        GetCurrentDirectoryW(MAX_PATH, saved_);
        SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryW(saved_); }

private:
    wchar_t saved_[MAX_PATH] = {};
};

TEST(LibraryBindingTest, LibrariesLoadOnlyByTheFullPathOfAFolder) {
    EXPECT_EQ(LibraryPathIn(L"C:\\Program Files\\Quire", L"skylink.dll"),
              L"C:\\Program Files\\Quire\\skylink.dll");
    EXPECT_EQ(LibraryPathIn(L"\\\\server\\share", L"skylink.dll"),
              L"\\\\server\\share\\skylink.dll");
    for (const wchar_t* folder : {L"", L".", L"doubles", L"..\\doubles", L"C:", L"\\doubles"}) {
        EXPECT_EQ(LibraryPathIn(folder, L"skylink.dll"), L"") << folder;
    }
    const std::wstring own = ProgramFolder();
    EXPECT_EQ(LibraryPathIn(own, L"x.dll"), own + L"\\x.dll");
}

TEST(LibraryBindingTest, LibraryPlantedInTheCurrentFolderIsNotLoaded) {
    test::Scratch scratch;
    const std::wstring doubles = QUIRE_TEST_DOUBLES_DIR;
    ASSERT_TRUE(CopyFileW((doubles + L"\\SheafConv.dll").c_str(),
                          scratch.PathOf(L"SheafConv.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((doubles + L"\\skylink.dll").c_str(),
                          scratch.PathOf(L"skylink.dll").c_str(), FALSE));
    CurrentFolder inScratch(scratch.Folder());
    for (const wchar_t* folder : {L"", L"."}) {
        EXPECT_FALSE(SheafConvLibrary(folder).IsBound()) << folder;
        EXPECT_FALSE(WirelessLink(folder).IsLoaded()) << folder;
    }
    EXPECT_TRUE(SheafConvLibrary(scratch.Folder()).IsBound());
}

} // namespace
} // namespace quire::sync
