#include "FakeSkylink.h"
#include "MainWindow.h"
#include "Resource.h"
#include "WindowHarness.h"
#include "WindowState.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace quire::sync {
namespace {

using test::HarnessOptions;
using test::WindowHarness;

void SetClientWidth(HWND window, int width, int height) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, GetWindowLongW(window, GWL_STYLE), TRUE,
                       GetWindowLongW(window, GWL_EXSTYLE));
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    RECT client{};
    GetClientRect(window, &client);
    // A menu bar that wraps changes the frame; correct once more.
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + (width - client.right),
                 frame.bottom - frame.top + (height - client.bottom), SWP_NOMOVE | SWP_NOZORDER);
}

int WindowWidth(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.right - rect.left;
}

void ShowFolder(WindowHarness& harness, const std::wstring& folder) {
    StoreFixedText(CurrentLocalFolder, folder);
    harness.Command(ID_LOCAL_RELIST);
    harness.Messages().For(50);
}

TEST(MainWindowTest, LayoutOfAFiveHundredPixelClient) {
    WindowHarness harness;
    ASSERT_TRUE(harness.Open());
    SetClientWidth(harness.Window(), 500, 400);
    harness.Messages().For(50);
    RECT client{};
    GetClientRect(harness.Window(), &client);
    ASSERT_EQ(client.right, 500);
    for (int id : {IDC_LOCAL_LIST, IDC_REMOTE_LIST, IDC_LOCAL_TOOLBAR, IDC_REMOTE_TOOLBAR}) {
        EXPECT_EQ(WindowWidth(harness.Item(id)), 230) << id;
    }
    EXPECT_EQ(ListView_GetColumnWidth(harness.Item(IDC_LOCAL_LIST), 0), 162);
    EXPECT_EQ(WindowWidth(harness.Item(IDC_EXPORT_BAR)), 28);
}

TEST(MainWindowTest, StartsOnMyDocumentsWithTheTitleAndBothTargets) {
    HarnessOptions options;
    options.wireless = true;
    options.remoteLocation = L"2";
    WindowHarness harness(options);
    test::WriteTextFile(harness.Documents() + L"\\Book1.xls", "x");
    ASSERT_TRUE(harness.Open());
    EXPECT_EQ(test::ControlText(harness.Window()), L"Quire Desktop");
    EXPECT_EQ(std::wstring(CurrentLocalFolder), harness.Documents());
    EXPECT_EQ(harness.Names(IDC_LOCAL_LIST), std::vector<std::wstring>{L"Book1.xls"});
    EXPECT_EQ(SendMessageW(harness.Item(IDC_TARGET_BOX), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(RemoteTarget(), TARGET_SYNC_FOLDER);
    EXPECT_TRUE(harness.ExitCodes().empty());
    EXPECT_NE(harness.Window(), nullptr);
}

TEST(MainWindowTest, EscapeAndEnterDoNotCloseTheWindow) {
    WindowHarness harness;
    ASSERT_TRUE(harness.Open());
    HWND list = harness.Item(IDC_LOCAL_LIST);
    SetFocus(list);
    for (UINT key : {VK_ESCAPE, VK_RETURN}) {
        harness.KeyDown(list, key);
        EXPECT_TRUE(IsWindow(harness.Window())) << key;
    }
    MSG quit{};
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST(MainWindowTest, KeysInAnInPlaceEditReachTheEdit) {
    WindowHarness harness;
    test::WriteTextFile(harness.Documents() + L"\\abc.txt", "x");
    ASSERT_TRUE(harness.Open());
    HWND list = harness.Item(IDC_LOCAL_LIST);
    SetFocus(list);
    harness.Select(IDC_LOCAL_LIST, {0});
    harness.KeyDown(list, VK_F2);
    HWND edit = ListView_GetEditControl(list);
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, EM_SETSEL, 0, 0);
    harness.KeyDown(edit, VK_DELETE);
    EXPECT_EQ(test::ControlText(edit), L"bc.txt");
    SendMessageW(edit, EM_SETSEL, 2, 2);
    PostMessageW(edit, WM_KEYDOWN, VK_BACK, 1);
    harness.Messages().For(100);
    EXPECT_EQ(test::ControlText(edit), L"b.txt");
    // F5 would list the folder again and end the edit; F2 would start another.
    harness.KeyDown(edit, VK_F5);
    harness.KeyDown(edit, VK_F2);
    EXPECT_EQ(ListView_GetEditControl(list), edit);
    EXPECT_TRUE(IsWindow(edit));
}

TEST(MainWindowTest, ExportNeedsAFileInTheSelection) {
    HarnessOptions options;
    options.remoteLocation = L"2";
    WindowHarness harness(options);
    test::MakeFolder(harness.Documents() + L"\\f1");
    test::MakeFolder(harness.Documents() + L"\\f2");
    test::WriteTextFile(harness.Documents() + L"\\Book.xls", "x");
    ASSERT_TRUE(harness.Open());
    ASSERT_EQ(harness.Names(IDC_LOCAL_LIST),
              (std::vector<std::wstring>{L"f1", L"f2", L"Book.xls"}));
    struct Case {
        std::vector<int> selection;
        bool exportEnabled;
        bool deleteEnabled;
    };
    const Case cases[] = {{{}, false, false},
                          {{0}, false, true},
                          {{0, 1}, false, true},
                          {{0, 1, 2}, true, true},
                          {{2}, true, true}};
    for (const Case& c : cases) {
        harness.Select(IDC_LOCAL_LIST, c.selection);
        EXPECT_EQ(harness.ButtonEnabled(IDC_EXPORT_BAR, ID_EXPORT), c.exportEnabled)
            << c.selection.size();
        EXPECT_EQ(harness.ButtonEnabled(IDC_LOCAL_TOOLBAR, ID_LOCAL_DELETE), c.deleteEnabled);
    }
}

TEST(MainWindowTest, LocalListingOrderAndLow32BitSizes) {
    WindowHarness harness;
    const std::wstring folder = harness.Files().PathOf(L"pc");
    test::MakeFolder(folder);
    test::MakeFolder(folder + L"\\zeta");
    test::WriteTextFile(folder + L"\\b.txt", "bb");
    test::WriteTextFile(folder + L"\\A.xls", "a");
    HANDLE big = CreateFileW((folder + L"\\big.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             0, nullptr);
    ASSERT_NE(big, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    size.QuadPart = 5000000000LL;
    SetFilePointerEx(big, size, nullptr, FILE_BEGIN);
    SetEndOfFile(big);
    CloseHandle(big);
    ASSERT_TRUE(harness.Open());
    ShowFolder(harness, folder);
    EXPECT_EQ(harness.Names(IDC_LOCAL_LIST),
              (std::vector<std::wstring>{L"zeta", L"A.xls", L"b.txt", L"big.bin"}));
    EXPECT_EQ(harness.SizeText(IDC_LOCAL_LIST, 0), L"");
    EXPECT_EQ(harness.SizeText(IDC_LOCAL_LIST, 2), L"2");
    EXPECT_EQ(harness.SizeText(IDC_LOCAL_LIST, 3), L"705032704");
}

TEST(MainWindowTest, UpWalksToTheDriveAndMyComputer) {
    WindowHarness harness;
    const std::wstring folder = harness.Files().PathOf(L"Data");
    test::MakeFolder(folder);
    ASSERT_TRUE(harness.Open());
    StoreFixedText(CurrentLocalFolder, folder);
    harness.Command(ID_LOCAL_UP);
    EXPECT_EQ(std::wstring(CurrentLocalFolder), harness.Files().Folder());
    StoreFixedText(CurrentLocalFolder, L"C:\\Data");
    harness.Command(ID_LOCAL_UP);
    EXPECT_EQ(std::wstring(CurrentLocalFolder), L"C:");
    EXPECT_TRUE(harness.ButtonEnabled(IDC_LOCAL_TOOLBAR, ID_LOCAL_UP));
    harness.Command(ID_LOCAL_UP);
    EXPECT_EQ(std::wstring(CurrentLocalFolder), L"");
    EXPECT_FALSE(harness.ButtonEnabled(IDC_LOCAL_TOOLBAR, ID_LOCAL_UP));
    const std::vector<std::wstring> drives = harness.Names(IDC_LOCAL_LIST);
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front().substr(0, 3), L"C:\\");
    harness.Command(ID_LOCAL_UP);
    EXPECT_EQ(std::wstring(CurrentLocalFolder), L"");
}

TEST(MainWindowTest, FileCreatedOutsideAppearsWithTheSelectionKept) {
    WindowHarness harness;
    const std::wstring folder = harness.Files().PathOf(L"watched");
    test::MakeFolder(folder);
    test::WriteTextFile(folder + L"\\a.txt", "a");
    test::WriteTextFile(folder + L"\\c.txt", "c");
    ASSERT_TRUE(harness.Open());
    ShowFolder(harness, folder);
    harness.Select(IDC_LOCAL_LIST, {1});
    const DWORD start = GetTickCount();
    test::WriteTextFile(folder + L"\\b.txt", "b");
    ASSERT_TRUE(
        harness.Messages().Until([&] { return harness.Names(IDC_LOCAL_LIST).size() == 3; }, 3000));
    EXPECT_LE(GetTickCount() - start, 1500u);
    EXPECT_EQ(harness.Selected(IDC_LOCAL_LIST), std::vector<std::wstring>{L"c.txt"});
}

TEST(MainWindowTest, LocationBoxShowsTheComponentsUnderTheDrive) {
    WindowHarness harness;
    const std::wstring folder = harness.Files().PathOf(L"one");
    test::MakeFolder(folder);
    test::MakeFolder(folder + L"\\two");
    ASSERT_TRUE(harness.Open());
    ShowFolder(harness, folder + L"\\two");
    // The drop-down refills the box; choose the component one above the last.
    HWND box = harness.Item(IDC_LOCATION_BOX);
    SendMessageW(harness.Window(), WM_COMMAND, MAKEWPARAM(IDC_LOCATION_BOX, CBN_DROPDOWN),
                 reinterpret_cast<LPARAM>(box));
    const int selected = static_cast<int>(SendMessageW(box, CB_GETCURSEL, 0, 0));
    wchar_t text[MAX_PATH] = {};
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_INDENT;
    item.iItem = selected;
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    SendMessageW(box, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(text), L"two");
    const int depth = item.iIndent;
    EXPECT_GE(depth, 3);
    SendMessageW(box, CB_SETCURSEL, selected - 1, 0);
    SendMessageW(harness.Window(), WM_COMMAND, MAKEWPARAM(IDC_LOCATION_BOX, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(box));
    EXPECT_EQ(std::wstring(CurrentLocalFolder), folder);
    // Item 1 is My Computer.
    SendMessageW(box, CB_SETCURSEL, 1, 0);
    SendMessageW(harness.Window(), WM_COMMAND, MAKEWPARAM(IDC_LOCATION_BOX, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(box));
    EXPECT_EQ(std::wstring(CurrentLocalFolder), L"");
}

TEST(MainWindowTest, NoTargetShowsTheMessageAndEndsWithOne) {
    HarnessOptions options;
    options.syncFolder = false;
    WindowHarness harness(options);
    ASSERT_TRUE(harness.Open());
    ASSERT_EQ(harness.ExitCodes(), std::vector<UINT>{1});
    const auto prompts = harness.Prompts();
    ASSERT_FALSE(prompts.empty());
    EXPECT_EQ(prompts.back().text, L"No target device or servers");
    EXPECT_EQ(prompts.back().caption, L"Quire Desktop");
    EXPECT_EQ(prompts.back().style, static_cast<UINT>(MB_ICONHAND | MB_TASKMODAL));
}

TEST(MainWindowTest, EmptyOrMissingSyncFolderIsNotOffered) {
    for (const wchar_t* folder : {L"", L"nowhere", L"C:\\quire-missing-folder"}) {
        HarnessOptions options;
        options.wireless = true;
        options.remoteLocation = L"2";
        WindowHarness harness(options);
        harness.Settings().WriteString(L"local synch folder", folder);
        // The wireless server is the only target left: its login comes up.
        test::DialogDriver cancel(L"Wireless Server Login", [](HWND dialog) {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        ASSERT_TRUE(harness.Open());
        EXPECT_EQ(SendMessageW(harness.Item(IDC_TARGET_BOX), CB_GETCOUNT, 0, 0), 1) << folder;
        EXPECT_EQ(RemoteTarget(), TARGET_WIRELESS) << folder;
        EXPECT_TRUE(cancel.Found());
    }
}

TEST(MainWindowTest, MissingDesktopManagerIsReported) {
    HarnessOptions options;
    options.desktopManager = false;
    options.wireless = true;
    options.remoteLocation = L"2";
    WindowHarness harness(options);
    test::DialogDriver cancel(L"Wireless Server Login",
                              [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    ASSERT_TRUE(harness.Open());
    const auto prompts = harness.Prompts();
    ASSERT_FALSE(prompts.empty());
    EXPECT_EQ(prompts.front().caption, L"Error");
    EXPECT_EQ(prompts.front().text, L"You have no Blackberry desktop manager installed.\n"
                                    L"Local files synchronization will be disabled.");
    EXPECT_EQ(RemoteTarget(), TARGET_WIRELESS);
}

class RemotePaneTest : public testing::Test {
protected:
    void SetUp() override {
        HarnessOptions options;
        options.remoteLocation = L"2/Reports/2004";
        options.wireless = true;
        harness = std::make_unique<WindowHarness>(options);
        test::MakeFolder(harness->SyncFolder() + L"\\Reports");
        test::MakeFolder(harness->SyncFolder() + L"\\Reports\\2004");
        test::WriteTextFile(harness->SyncFolder() + L"\\Reports\\2004\\Q1.shf", "q1");
        test::WriteTextFile(harness->SyncFolder() + L"\\Reports\\2004\\Q2.shf", "q2");
        test::WriteTextFile(harness->SyncFolder() + L"\\Top.pgd", "top");
        ASSERT_TRUE(harness->Open());
        ASSERT_TRUE(harness->Messages().Until(
            [this] { return harness->Names(IDC_REMOTE_LIST).size() == 2; }));
    }
    void Choose(int index) {
        HWND box = harness->Item(IDC_TARGET_BOX);
        SendMessageW(box, CB_SETCURSEL, index, 0);
        SendMessageW(harness->Window(), WM_COMMAND, MAKEWPARAM(IDC_TARGET_BOX, CBN_SELENDOK),
                     reinterpret_cast<LPARAM>(box));
    }
    std::unique_ptr<WindowHarness> harness;
};

TEST_F(RemotePaneTest, ChoosingInTheTargetBoxRebuildsTheLocation) {
    HWND box = harness->Item(IDC_TARGET_BOX);
    // Device files, Reports, 2004, Wireless server.
    ASSERT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(harness->ButtonEnabled(IDC_REMOTE_TOOLBAR, ID_REMOTE_UP));
    Choose(1);
    EXPECT_EQ(std::wstring(RemoteLocation), L"2/Reports");
    ASSERT_TRUE(harness->Messages().Until(
        [this] { return harness->Names(IDC_REMOTE_LIST) == std::vector<std::wstring>{L"2004"}; }));
    EXPECT_EQ(harness->SizeText(IDC_REMOTE_LIST, 0), L"");
    Choose(0);
    EXPECT_EQ(std::wstring(RemoteLocation), L"2");
    EXPECT_FALSE(harness->ButtonEnabled(IDC_REMOTE_TOOLBAR, ID_REMOTE_UP));
    EXPECT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 2);
    ASSERT_TRUE(harness->Messages().Until([this] {
        return harness->Names(IDC_REMOTE_LIST) == std::vector<std::wstring>{L"Reports", L"Top.pgd"};
    }));
    // Descending into a folder by Enter, and Up again.
    harness->Select(IDC_REMOTE_LIST, {0});
    SetFocus(harness->Item(IDC_REMOTE_LIST));
    harness->KeyDown(harness->Item(IDC_REMOTE_LIST), VK_RETURN);
    EXPECT_EQ(std::wstring(RemoteLocation), L"2/Reports");
    harness->Command(ID_REMOTE_UP);
    EXPECT_EQ(std::wstring(RemoteLocation), L"2");
}

TEST_F(RemotePaneTest, ListingSkipsUnknownKindsAndFolderSizes) {
    RemoteListing listing;
    listing.Add(kFolderSize, REMOTE_FOLDER, L"Folder");
    listing.Add(12, REMOTE_SHEAF, L"Sheet.shf");
    listing.Add(5, static_cast<RemoteEntryKind>(7), L"Strange");
    listing.Add(0, REMOTE_PAGE, L"Empty.pgd");
    SendMessageW(harness->Window(), WM_REMOTE_LISTING, reinterpret_cast<WPARAM>(&listing), -1);
    EXPECT_EQ(harness->Names(IDC_REMOTE_LIST),
              (std::vector<std::wstring>{L"Folder", L"Sheet.shf", L"Empty.pgd"}));
    EXPECT_EQ(harness->SizeText(IDC_REMOTE_LIST, 0), L"");
    EXPECT_EQ(harness->SizeText(IDC_REMOTE_LIST, 1), L"12");
    EXPECT_EQ(harness->SizeText(IDC_REMOTE_LIST, 2), L"0");
    // The device files have no connection: Connect off, Refresh on.
    EXPECT_FALSE(harness->ButtonEnabled(IDC_REMOTE_TOOLBAR, ID_CONNECT));
    EXPECT_TRUE(harness->ButtonEnabled(IDC_REMOTE_TOOLBAR, ID_REMOTE_REFRESH));
}

TEST_F(RemotePaneTest, RefreshReselectsWhatStillExists) {
    harness->Select(IDC_REMOTE_LIST, {1});
    DeleteFileW((harness->SyncFolder() + L"\\Reports\\2004\\Q1.shf").c_str());
    test::WriteTextFile(harness->SyncFolder() + L"\\Reports\\2004\\A0.shf", "a0");
    harness->Command(ID_REMOTE_REFRESH);
    ASSERT_TRUE(harness->Messages().Until([this] {
        return harness->Names(IDC_REMOTE_LIST) == std::vector<std::wstring>{L"A0.shf", L"Q2.shf"};
    }));
    EXPECT_EQ(harness->Selected(IDC_REMOTE_LIST), std::vector<std::wstring>{L"Q2.shf"});
    EXPECT_EQ(ListView_GetNextItem(harness->Item(IDC_REMOTE_LIST), -1, LVNI_FOCUSED), 1);
    EXPECT_FALSE(KeepRemoteSelection.load());
}

TEST_F(RemotePaneTest, ImportAndRemoteDeleteFollowTheSelection) {
    harness->Select(IDC_REMOTE_LIST, {0});
    EXPECT_TRUE(harness->ButtonEnabled(IDC_IMPORT_BAR, ID_IMPORT));
    EXPECT_TRUE(harness->ButtonEnabled(IDC_REMOTE_TOOLBAR, ID_REMOTE_DELETE));
    StoreFixedText(CurrentLocalFolder, L"");
    harness->Select(IDC_REMOTE_LIST, {0});
    EXPECT_FALSE(harness->ButtonEnabled(IDC_IMPORT_BAR, ID_IMPORT));
    harness->Select(IDC_REMOTE_LIST, {});
    EXPECT_FALSE(harness->ButtonEnabled(IDC_REMOTE_TOOLBAR, ID_REMOTE_DELETE));
}

TEST(WirelessPaneTest, ChoosingTheServerLogsInAndListsThenDisconnects) {
    HarnessOptions options;
    options.wireless = true;
    options.remoteLocation = L"2";
    WindowHarness harness(options);
    ASSERT_TRUE(harness.Open());
    HMODULE fake = GetModuleHandleW(L"skylink.dll");
    ASSERT_NE(fake, nullptr);
    auto* state =
        reinterpret_cast<FakeSkylinkControlFunction>(GetProcAddress(fake, "FakeSkylinkControl"))();
    *state = FakeSkylinkState{};
    strcpy(state->entries[0].name, "Docs");
    state->entries[0].size = 0xFFFFFFFF;
    state->entries[0].kind = REMOTE_FOLDER;
    strcpy(state->entries[1].name, "Plan.xls");
    state->entries[1].size = 100;
    state->entries[1].kind = REMOTE_EXCEL;
    state->entryCount = 2;
    harness.Settings().SaveLogin({L"http://server/", L"ann", L""}, false);
    test::DialogDriver login(L"Wireless Server Login", [](HWND dialog) {
        SendMessageW(GetDlgItem(dialog, IDC_LOGIN_PASSWORD), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(L"secret"));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    HWND box = harness.Item(IDC_TARGET_BOX);
    SendMessageW(box, CB_SETCURSEL, 1, 0);
    SendMessageW(harness.Window(), WM_COMMAND, MAKEWPARAM(IDC_TARGET_BOX, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(box));
    EXPECT_TRUE(login.Found());
    EXPECT_EQ(std::wstring(RemoteLocation), L"1");
    ASSERT_TRUE(
        harness.Messages().Until([&] { return harness.Names(IDC_REMOTE_LIST).size() == 2; }));
    EXPECT_STREQ(state->connectUser, "ann");
    EXPECT_STREQ(state->connectPassword, "secret");
    EXPECT_EQ(SendMessageW(harness.Item(IDC_REMOTE_TOOLBAR), TB_ISBUTTONCHECKED, ID_CONNECT, 0),
              TRUE);
    // Not remembered: the password is not stored.
    EXPECT_FALSE(harness.Settings().ReadString(L"wspassword"));
    // A listing that the worker is still delivering when the disconnect
    // starts: the window must take it while it waits, or both wait forever.
    SendMessageW(harness.Window(), WM_COMMAND, MAKEWPARAM(CMD_REFRESH_REMOTE, 0), 0);
    harness.Command(ID_CONNECT);
    EXPECT_EQ(WirelessConnected.load(), 0);
    ASSERT_TRUE(harness.Messages().Until([&] {
        return SendMessageW(harness.Item(IDC_REMOTE_TOOLBAR), TB_ISBUTTONCHECKED, ID_CONNECT, 0) ==
               FALSE;
    }));
    EXPECT_TRUE(harness.Names(IDC_REMOTE_LIST).empty());
}

TEST(WirelessPaneTest, CancelledLoginShowsNotConnected) {
    HarnessOptions options;
    options.wireless = true;
    options.syncFolder = false;
    WindowHarness harness(options);
    test::DialogDriver cancel(L"Wireless Server Login",
                              [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    ASSERT_TRUE(harness.Open());
    EXPECT_TRUE(cancel.Found());
    EXPECT_TRUE(harness.ButtonEnabled(IDC_REMOTE_TOOLBAR, ID_CONNECT));
    EXPECT_FALSE(harness.ButtonEnabled(IDC_REMOTE_TOOLBAR, ID_REMOTE_REFRESH));
    EXPECT_TRUE(harness.Names(IDC_REMOTE_LIST).empty());
    EXPECT_EQ(WirelessConnected.load(), 0);
}

} // namespace
} // namespace quire::sync
