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
#include <cwchar>
#include <functional>
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
    std::function<bool(HWND)> matches;
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && window != search->except && IsWindowVisible(window) &&
        search->matches(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of the process, other than the one given, that
// matches; null when none shows in time.
HWND WaitForWindow(DWORD processId, HWND except, const std::function<bool(HWND)>& matches,
                   DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += 20) {
        Search search{processId, except, matches, nullptr};
        EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
        if (search.found || waited >= timeoutMs) {
            return search.found;
        }
        Sleep(20);
    }
}

// A visible dialog of the process other than the one given, once painted.
HWND WaitForDialog(DWORD processId, HWND except, DWORD timeoutMs = 15000) {
    HWND dialog = WaitForWindow(
        processId, except,
        [](HWND window) {
            wchar_t className[64] = {};
            GetClassNameW(window, className, 64);
            return wcscmp(className, L"#32770") == 0;
        },
        timeoutMs);
    if (dialog) {
        Sleep(300);
    }
    return dialog;
}

bool WaitForItems(HWND list, int atLeast, DWORD timeoutMs = 10000);

// A dialog that holds a control of this id: the way to tell dialogs apart in
// every language.
HWND WaitForDialogWith(DWORD processId, HWND except, int controlId, DWORD timeoutMs = 15000) {
    return WaitForWindow(
        processId, except,
        [controlId](HWND window) { return GetDlgItem(window, controlId) != nullptr; }, timeoutMs);
}

void Press(HWND dialog, int button) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

// The middle of a row of a report list, counted from the top of its items.
POINT RowPoint(HWND list, int row) {
    RECT place{};
    GetWindowRect(list, &place);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    RECT headerPlace{};
    GetWindowRect(header, &headerPlace);
    const int rowHeight = 17;
    return POINT{place.left + 40, headerPlace.bottom + row * rowHeight + rowHeight / 2};
}

void MoveMouse(POINT point, DWORD flags = 0) {
    SetCursorPos(point.x, point.y);
    if (flags) {
        mouse_event(flags, 0, 0, 0, 0);
    }
    Sleep(60);
}

void Click(POINT point) {
    MoveMouse(point);
    MoveMouse(point, MOUSEEVENTF_LEFTDOWN);
    MoveMouse(point, MOUSEEVENTF_LEFTUP);
    Sleep(200);
}

// Exports two workbooks over their handheld copies: the overwrite prompt, the
// progress dialog while it converts, and the warning after it.
void ShootExport(HWND window, DWORD processId) {
    // List items cannot be selected from another process by message: the rows
    // of the two sample workbooks are clicked instead.
    HWND local = GetDlgItem(window, IDC_LOCAL_LIST);
    SetForegroundWindow(window);
    Sleep(200);
    Click(RowPoint(local, 1));
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(ID_SELECT_ALL, 0), 0);
    Sleep(200);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(ID_EXPORT, 0), 0);
    // Overwrite prompts, one per workbook, until the progress dialog shows.
    bool shotPrompt = false;
    for (;;) {
        HWND overwrite = nullptr, progress = nullptr;
        for (DWORD waited = 0; waited < 15000 && !overwrite && !progress; waited += 20) {
            overwrite = WaitForDialogWith(processId, window, IDC_OVERWRITE_MESSAGE, 0);
            progress = WaitForDialogWith(processId, window, IDC_TRANSFER_ANIMATION, 0);
            Sleep(20);
        }
        if (progress) {
            // The picture is taken halfway through a document: only the large
            // workbook converts long enough to be caught there.  (The bar's
            // position crosses processes; texts of another process's
            // controls do not.)
            HWND bar = GetDlgItem(progress, IDC_TRANSFER_DOCUMENT_BAR);
            for (int wait = 0; wait < 1000 && IsWindow(progress); ++wait) {
                const LRESULT position = SendMessageW(bar, PBM_GETPOS, 0, 0);
                if (position >= 20 && position <= 80) {
                    break;
                }
                Sleep(10);
            }
            Shot(L"transfer");
            break;
        }
        if (!overwrite) {
            return;
        }
        if (!shotPrompt) {
            Sleep(300);
            Shot(L"export-overwrite");
            shotPrompt = true;
        }
        Press(overwrite, IDOK);
        // The next prompt or the progress dialog, not the one closing.
        for (int wait = 0; wait < 100 && IsWindowVisible(overwrite); ++wait) {
            Sleep(10);
        }
    }
    if (HWND warning = WaitForDialogWith(processId, window, IDC_SYNC_WARNING_DONT_SHOW, 60000)) {
        Press(warning, IDOK);
    }
    WaitForItems(GetDlgItem(window, IDC_REMOTE_LIST), 1);
}

void ShootDeleteQuestion(HWND window, DWORD processId) {
    HWND remote = GetDlgItem(window, IDC_REMOTE_LIST);
    Click(RowPoint(remote, ListView_GetItemCount(remote) - 1));
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(ID_REMOTE_DELETE, 0), 0);
    if (HWND question = WaitForDialogWith(processId, window, IDNO)) {
        Sleep(300);
        Shot(L"delete");
        Press(question, IDNO);
        Sleep(200);
    }
}

// A real mouse drag of the second local row over the remote list, let go
// back over the local list, where it does nothing.
void ShootDrag(HWND window) {
    SetForegroundWindow(window);
    Sleep(200);
    HWND local = GetDlgItem(window, IDC_LOCAL_LIST);
    HWND remote = GetDlgItem(window, IDC_REMOTE_LIST);
    const POINT start = RowPoint(local, 1);
    MoveMouse(start);
    MoveMouse(start, MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 4; ++step) {
        MoveMouse(POINT{start.x + step * 8, start.y + step * 4});
    }
    const POINT over = RowPoint(remote, 3);
    for (int step = 1; step <= 8; ++step) {
        MoveMouse(POINT{start.x + (over.x - start.x) * step / 8,
                        start.y + (over.y - start.y) * step / 8});
    }
    Sleep(300);
    Shot(L"drag");
    MoveMouse(start);
    MoveMouse(start, MOUSEEVENTF_LEFTUP);
}

bool WaitForItems(HWND list, int atLeast, DWORD timeoutMs) {
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
    ShootExport(window, process.dwProcessId);
    ShootDeleteQuestion(window, process.dwProcessId);
    ShootDrag(window);

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
