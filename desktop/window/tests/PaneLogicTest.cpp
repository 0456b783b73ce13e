#include "Layout.h"
#include "LocalFolder.h"
#include "PaneImages.h"
#include "RemoteTarget.h"
#include "SmallDialogs.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quire::sync {
namespace {

int Width(const RECT& r) {
    return r.right - r.left;
}

TEST(LayoutTest, FiveHundredPixelClient) {
    const PaneLayout layout = ComputeLayout(RECT{0, 0, 500, 400}, 20, 24);
    for (const RECT& pane : {layout.localToolbar, layout.remoteToolbar, layout.localList,
                             layout.remoteList, layout.localBox, layout.remoteBox}) {
        EXPECT_EQ(Width(pane), 230);
    }
    EXPECT_EQ(layout.remoteToolbar.left, 270);
    EXPECT_EQ(layout.localList.top, 28 + 24);
    EXPECT_EQ(layout.localList.bottom - layout.localList.top, 400 - 28 - 20 - 24);
    EXPECT_EQ(layout.statusBar.top, 380);
    EXPECT_EQ(layout.statusPartEnd, 420);
    EXPECT_EQ(layout.exportBar.left, 236);
    EXPECT_EQ(layout.exportBar.top, 200 - 26);
    EXPECT_EQ(layout.importBar.top, 206);
    EXPECT_EQ(Width(layout.importBar), 28);
    const ColumnWidths columns = ComputeColumns(230, 16);
    EXPECT_EQ(columns.name, 162);
    EXPECT_EQ(columns.size, 67 - 16 - 4);
}

TEST(LocalFolderTest, UpWalksToTheDriveThenMyComputer) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {{L"C:\\Data\\2004", L"C:\\Data"},
                                                               {L"C:\\Data", L"C:"},
                                                               {L"C:", L""},
                                                               {L"", L""},
                                                               {L"\\\\server", L""}};
    for (auto [from, to] : cases) {
        EXPECT_EQ(FolderUp(from), to) << from;
    }
    EXPECT_EQ(WatchPathOf(L"C:"), L"C:\\");
    EXPECT_EQ(WatchPathOf(L"C:\\Data"), L"C:\\Data");
}

TEST(LocalFolderTest, SizeTextKeepsTheLow32Bits) {
    EXPECT_EQ(SizeText(static_cast<uint32_t>(5000000000ULL)), L"705032704");
    EXPECT_EQ(SizeText(0), L"0");
    EXPECT_EQ(SizeText(0xFFFFFFFEu), L"4294967294");
}

TEST(LocalFolderTest, LocationComponentsBuildThePath) {
    const int folder = ImageIndex(ImageRole::Folder);
    const int drive = ImageIndex(ImageRole::FixedDrive);
    const std::vector<LocationItem> items = {{L"My Documents", ImageIndex(ImageRole::MyDocuments)},
                                             {L"My Computer", ImageIndex(ImageRole::MyComputer)},
                                             {L"A:\\", ImageIndex(ImageRole::RemovableDrive)},
                                             {L"C:\\ (System)", drive},
                                             {L"a", folder},
                                             {L"b", folder},
                                             {L"c", folder},
                                             {L"D:\\", drive}};
    EXPECT_EQ(LocationPathOf(items, 4), L"C:\\a");
    EXPECT_EQ(LocationPathOf(items, 5), L"C:\\a\\b");
    EXPECT_EQ(LocationPathOf(items, 6), L"C:\\a\\b\\c");
    EXPECT_EQ(PathComponents(L"C:\\a\\\\b\\"), (std::vector<std::wstring>{L"C:", L"a", L"b"}));
}

TEST(LocalFolderTest, FoldersFirstThenFilesEachByNameWithoutCase) {
    test::Scratch scratch;
    CreateDirectoryW(scratch.PathOf(L"zeta").c_str(), nullptr);
    test::WriteTextFile(scratch.PathOf(L"b.txt"), "b");
    test::WriteTextFile(scratch.PathOf(L"A.xls"), "a");
    test::WriteTextFile(scratch.PathOf(L"c.DOC"), "c");
    std::vector<LocalItem> items;
    ASSERT_TRUE(ListLocalFolder(scratch.Folder(), items));
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].name, L"zeta");
    EXPECT_EQ(items[0].image, ImageRole::Folder);
    EXPECT_FALSE(items[0].size);
    EXPECT_EQ(items[1].name, L"A.xls");
    EXPECT_EQ(items[1].image, ImageRole::Spreadsheet);
    EXPECT_EQ(items[2].name, L"b.txt");
    EXPECT_EQ(items[2].image, ImageRole::OtherFile);
    EXPECT_EQ(items[3].image, ImageRole::WordProcessing);
    EXPECT_EQ(items[1].size, 1u);
    EXPECT_FALSE(ListLocalFolder(scratch.PathOf(L"missing"), items));
    EXPECT_TRUE(items.empty());
}

TEST(LocalFolderTest, DrivesInLetterOrderWithTheirImages) {
    EXPECT_EQ(DriveImageRole(DRIVE_CDROM), ImageRole::CdromDrive);
    EXPECT_EQ(DriveImageRole(DRIVE_REMOVABLE), ImageRole::RemovableDrive);
    EXPECT_EQ(DriveImageRole(DRIVE_REMOTE), ImageRole::NetworkDrive);
    EXPECT_EQ(DriveImageRole(DRIVE_RAMDISK), ImageRole::FixedDrive);
    const std::vector<LocalItem> drives = ListDrives((1u << 2) | (1u << 25));
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].name.substr(0, 3), L"C:\\");
    EXPECT_EQ(drives[1].name.substr(0, 3), L"Z:\\");
}

TEST(RemoteTargetTest, ChoiceRebuildsTheLocation) {
    const int folder = ImageIndex(ImageRole::Folder);
    const std::vector<TargetItem> items = {
        {L"Device files", ImageIndex(ImageRole::DeviceFiles), 0},
        {L"Reports", folder, 1},
        {L"2004", folder, 2},
        {L"Wireless server", ImageIndex(ImageRole::WirelessServer), 0},
        {L"Docs", folder, 1}};
    const std::pair<size_t, const wchar_t*> cases[] = {
        {0, L"2"}, {1, L"2/Reports"}, {2, L"2/Reports/2004"}, {3, L"1"}, {4, L"1/Docs"}};
    for (auto [chosen, location] : cases) {
        EXPECT_EQ(RemoteLocationOf(items, chosen), location) << chosen;
    }
    EXPECT_EQ(RemoteComponents(L"/Reports/2004"), (std::vector<std::wstring>{L"Reports", L"2004"}));
    EXPECT_EQ(RemoteUp(L"2/Reports/2004"), L"2/Reports");
    EXPECT_EQ(RemoteUp(L"2/Reports"), L"2");
    EXPECT_EQ(RemoteUp(L"2"), L"2");
}

TEST(RemoteTargetTest, OnlyARealFolderIsOfferedAsSyncFolder) {
    test::Scratch scratch;
    test::WriteTextFile(scratch.PathOf(L"file"), "x");
    const std::pair<std::wstring, bool> cases[] = {{L"", false},
                                                   {L"device", false},
                                                   {L"\\device", false},
                                                   {scratch.Folder(), true},
                                                   {scratch.PathOf(L"missing"), false},
                                                   {scratch.PathOf(L"file"), false}};
    for (const auto& [folder, usable] : cases) {
        EXPECT_EQ(IsUsableSyncFolder(folder), usable) << folder;
    }
}

TEST(SmallDialogTextTest, VersionAndNames) {
    EXPECT_EQ(AboutVersionText(L"version ", L"1, 2, 3, 4"), L"version 1. 2. 3. 4");
    EXPECT_EQ(AboutVersionText(L"version ", L""), L"");
    EXPECT_EQ(ModuleFileVersion(GetModuleHandleW(nullptr)), L"1, 0, 0, 1");
    EXPECT_EQ(FormatWithName(L"File %s already exists.", L"A.shf"), L"File A.shf already exists.");
}

TEST(DesktopManagerTest, KeyDecidesVersionIsOptional) {
    test::Scratch scratch;
    const std::wstring key = scratch.KeyPath() + L"\\Desktop";
    std::wstring version;
    EXPECT_FALSE(DesktopManagerInstalled(HKEY_CURRENT_USER, key, version));
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &created, nullptr),
              ERROR_SUCCESS);
    EXPECT_TRUE(DesktopManagerInstalled(HKEY_CURRENT_USER, key, version));
    EXPECT_TRUE(version.empty());
    const wchar_t text[] = L"4.2.0.1";
    RegSetValueExW(created, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   sizeof(text));
    RegCloseKey(created);
    EXPECT_TRUE(DesktopManagerInstalled(HKEY_CURRENT_USER, key, version));
    EXPECT_EQ(version, L"4.2.0.1");
}

} // namespace
} // namespace quire::sync
