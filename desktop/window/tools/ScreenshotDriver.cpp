// Drives QuireSync.exe through the states that docs/screenshots shows, and
// shows the small dialogs itself.  Before each picture it prints "SHOT <name>"
// and waits for a line on its input: the script that runs it takes the picture.
//   quire-screenshots <QuireSync.exe> <password> <prefix>

#include "Resource.h"
#include "SettingsStore.h"
#include "SharedState.h"
#include "SmallDialogs.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <thread>

namespace {

using namespace quire::sync;

std::wstring prefix;

void Shot(const std::wstring& name) {
    std::printf("SHOT %ls%ls\n", prefix.c_str(), name.c_str());
    std::fflush(stdout);
    char reply[64] = {};
    std::fgets(reply, sizeof(reply), stdin);
}

struct Search {
    DWORD processId;
    HWND except;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (owner == search->processId && window != search->except && IsWindowVisible(window) &&
        wcscmp(className, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible dialog of the process other than the one given.
HWND WaitForDialog(DWORD processId, HWND except, DWORD timeoutMs = 15000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        Search search{processId, except, L"#32770", nullptr};
        EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            Sleep(300); // let it paint
            return search.found;
        }
        Sleep(50);
    }
    return nullptr;
}

bool WaitForItems(HWND list, int atLeast, DWORD timeoutMs = 10000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (ListView_GetItemCount(list) >= atLeast) {
            Sleep(300);
            return true;
        }
        Sleep(50);
    }
    return false;
}

void Choose(HWND window, int boxId, int index, bool post) {
    HWND box = GetDlgItem(window, boxId);
    SendMessageW(box, CB_SETCURSEL, index, 0);
    const WPARAM command = MAKEWPARAM(boxId, CBN_SELENDOK);
    if (post) {
        PostMessageW(window, WM_COMMAND, command, reinterpret_cast<LPARAM>(box));
    } else {
        SendMessageW(window, WM_COMMAND, command, reinterpret_cast<LPARAM>(box));
    }
}

int DriveProgram(const std::wstring& program, const std::wstring& password) {
    std::wstring command = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "quire-screenshots: cannot start %ls\n", program.c_str());
        return 1;
    }
    HWND window = nullptr;
    for (int attempt = 0; attempt < 300 && !window; ++attempt) {
        window = FindWindowW(nullptr, L"Quire Desktop");
        Sleep(50);
    }
    if (!window) {
        std::fprintf(stderr, "quire-screenshots: no main window\n");
        TerminateProcess(process.hProcess, 1);
        return 1;
    }
    WaitForItems(GetDlgItem(window, IDC_REMOTE_LIST), 1);
    WaitForItems(GetDlgItem(window, IDC_LOCAL_LIST), 1);
    Shot(L"main");

    HWND targets = GetDlgItem(window, IDC_TARGET_BOX);
    const int wireless = static_cast<int>(SendMessageW(targets, CB_GETCOUNT, 0, 0)) - 1;
    Choose(window, IDC_TARGET_BOX, wireless, true);
    if (HWND login = WaitForDialog(process.dwProcessId, window)) {
        Shot(L"login");
        SendDlgItemMessageW(login, IDC_LOGIN_PASSWORD, WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(password.c_str()));
        PostMessageW(login, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        if (WaitForItems(GetDlgItem(window, IDC_REMOTE_LIST), 1)) {
            Shot(L"wireless");
        }
    }

    PostMessageW(window, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0);
    if (HWND about = WaitForDialog(process.dwProcessId, window)) {
        Shot(L"about");
        PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }

    Choose(window, IDC_LOCATION_BOX, 1, false);
    Sleep(500);
    Shot(L"mycomputer");

    PostMessageW(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return 0;
}

// Takes the picture of the dialog that the calling thread is about to show.
void ShootNextDialog(const std::wstring& name, UINT closeCommand) {
    std::thread([name, closeCommand] {
        if (HWND dialog = WaitForDialog(GetCurrentProcessId(), nullptr)) {
            Shot(name);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(closeCommand, BN_CLICKED), 0);
        }
    }).detach();
}

void ShowSmallDialogs() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    wchar_t name[kPathChars] = L"Budget.shf";
    ShootNextDialog(L"overwrite", IDCANCEL);
    OverwriteDialog(name, false).Run(instance, nullptr);
    ShootNextDialog(L"newname", IDCANCEL);
    NewNameDialog(name).Run(instance, nullptr);
    const SettingsStore scratch(HKEY_CURRENT_USER, L"Software\\Halvorn\\QuireScreenshots");
    ShootNextDialog(L"syncwarning", IDOK);
    SyncWarningDialog(scratch).Run(instance, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Halvorn\\QuireScreenshots");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: quire-screenshots <QuireSync.exe> <password> <prefix>\n");
        return 2;
    }
    prefix = argv[3];
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    const int result = DriveProgram(argv[1], argv[2]);
    ShowSmallDialogs();
    return result;
}
