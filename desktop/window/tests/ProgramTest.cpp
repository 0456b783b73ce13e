#include "Program.h"
#include "Resource.h"
#include "SettingsStore.h"
#include "TestSupport.h"
#include "WindowHarness.h"
#include "window/Module.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace quire::sync {
namespace {

// QuireSync.exe in its build folder, where none of its libraries lie, with the
// program's own settings key of this prefix.
class ProgramTest : public testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsStore::kKeyPath);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kManagerKey);
    }
    void TearDown() override {
        if (process_.hProcess) {
            TerminateProcess(process_.hProcess, 99);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsStore::kKeyPath);
        RegDeleteKeyW(HKEY_CURRENT_USER, SettingsStore::kKeyPath);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kManagerKey);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kManagerKey);
    }

    void InstallDesktopManager() {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kManagerKey, 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void UseSyncFolder() {
        sync_ = scratch_.PathOf(L"device");
        test::MakeFolder(sync_);
        SettingsStore().WriteString(L"local synch folder", sync_);
        SettingsStore().WriteString(L"last dir", scratch_.Folder());
        SettingsStore().WriteString(L"last remote", L"2");
    }

    bool Start() {
        std::wstring command = L"\"" + std::wstring(QUIRE_SYNC_EXE) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        return CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process_) != FALSE;
    }
    HWND WaitForWindow(const std::wstring& caption, DWORD timeoutMs = 20000) {
        for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
            if (HWND window = test::FindProcessWindow(caption, process_.dwProcessId)) {
                return window;
            }
            if (WaitForSingleObject(process_.hProcess, 50) == WAIT_OBJECT_0) {
                return nullptr;
            }
        }
        return nullptr;
    }
    DWORD ExitCode(DWORD timeoutMs = 20000) {
        if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
            return 0xFFFFFFFF;
        }
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    HWND RemoteList(HWND window) { return GetDlgItem(window, IDC_REMOTE_LIST); }

    static constexpr const wchar_t* kManagerKey =
        L"SOFTWARE\\Research In Motion\\Common\\Installations\\Desktop";
    test::Scratch scratch_;
    std::wstring sync_;
    PROCESS_INFORMATION process_{};
};

TEST_F(ProgramTest, StartsWithoutItsLibrariesAndClosingEndsWithTwo) {
    InstallDesktopManager();
    UseSyncFolder();
    test::WriteTextFile(sync_ + L"\\Book.shf", "x");
    ASSERT_TRUE(Start());
    HWND window = WaitForWindow(L"Quire Desktop");
    ASSERT_NE(window, nullptr);
    for (DWORD waited = 0; waited < 5000 && ListView_GetItemCount(RemoteList(window)) != 1;
         waited += 50) {
        Sleep(50);
    }
    EXPECT_EQ(ListView_GetItemCount(RemoteList(window)), 1);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(ExitCode(), 2u);
    EXPECT_EQ(SettingsStore().ReadString(L"last remote"), L"2");
    EXPECT_EQ(SettingsStore().ReadString(L"last dir"), scratch_.Folder());
}

TEST_F(ProgramTest, RefreshCommandFromAnotherProcessListsTheRemotePaneAgain) {
    InstallDesktopManager();
    UseSyncFolder();
    ASSERT_TRUE(Start());
    HWND window = WaitForWindow(L"Quire Desktop");
    ASSERT_NE(window, nullptr);
    Sleep(500);
    EXPECT_EQ(ListView_GetItemCount(RemoteList(window)), 0);
    test::WriteTextFile(sync_ + L"\\New.shf", "x");
    SendMessageW(FindWindowW(nullptr, L"Quire Desktop"), WM_COMMAND, MAKEWPARAM(122, 0), 0);
    for (DWORD waited = 0; waited < 5000 && ListView_GetItemCount(RemoteList(window)) != 1;
         waited += 50) {
        Sleep(50);
    }
    EXPECT_EQ(ListView_GetItemCount(RemoteList(window)), 1);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(2, 0), 0);
    EXPECT_EQ(ExitCode(), 2u);
}

struct MessageSearch {
    DWORD processId;
    const std::wstring* text;
    HWND found;
};

BOOL CALLBACK MatchMessage(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<MessageSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) {
        return TRUE;
    }
    for (HWND child = FindWindowExW(window, nullptr, L"Static", nullptr); child;
         child = FindWindowExW(window, child, L"Static", nullptr)) {
        if (test::ControlText(child) == *search->text) {
            search->found = window;
            return FALSE;
        }
    }
    return TRUE;
}

// The message box of the process whose text is the given one.
HWND FindMessageBox(DWORD processId, const std::wstring& text) {
    MessageSearch search{processId, &text, nullptr};
    EnumWindows(&MatchMessage, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(ProgramTest, NoTargetShowsTheMessageAndEndsWithOne) {
    InstallDesktopManager();
    ASSERT_TRUE(Start());
    HWND message = nullptr;
    for (DWORD waited = 0; waited < 20000 && !message; waited += 50) {
        message = FindMessageBox(process_.dwProcessId, L"No target device or servers");
        Sleep(50);
    }
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(test::ControlText(message), L"Quire Desktop");
    PostMessageW(message, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ExitCode(), 1u);
}

TEST(RunTest, MainWindowThatCannotBeCreatedGivesZero) {
    // A module without the main window's template.
    window::TheModule().Init(GetModuleHandleW(L"kernel32.dll"));
    test::Scratch scratch;
    const WirelessLink wireless(scratch.Folder());
    WirelessCredentials credentials;
    const ConverterTable converters(scratch.Folder());
    EXPECT_EQ(quire::sync::Run(ProcessObjects{wireless, credentials, converters}, SW_HIDE), 0);
    EXPECT_EQ(window::TheModule().GetMessageLoop(), nullptr);
    window::TheModule().Init(GetModuleHandleW(nullptr));
}

} // namespace
} // namespace quire::sync
