// Start of QuireSync.exe to a listed window under Wine, and the listing of large
// folders, each beside a peer measured in the same run: a bare program start and
// a plain folder enumeration.
//   window_bench <QuireSync.exe> <scratch folder> [files]

#include "LocalFolder.h"
#include "Resource.h"
#include "SyncFolder.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr const wchar_t* kSettingsKey = L"SOFTWARE\\Halvorn\\QuireSync";
constexpr const wchar_t* kManagerKey =
    L"SOFTWARE\\Research In Motion\\Common\\Installations\\Desktop";

double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

PROCESS_INFORMATION Start(const std::wstring& program, const std::wstring& arguments) {
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                   &process);
    return process;
}

void Finish(PROCESS_INFORMATION& process, bool terminate) {
    if (terminate) {
        TerminateProcess(process.hProcess, 0);
    }
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

double BareStart(const std::wstring& self) {
    const Clock::time_point start = Clock::now();
    PROCESS_INFORMATION process = Start(self, L"--noop");
    Finish(process, false);
    return Milliseconds(start);
}

void WriteSetting(const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void MakeFiles(const std::wstring& folder, int count, const wchar_t* extension) {
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int index = 0; index < count; ++index) {
        const std::wstring path = folder + L"\\file" + std::to_wstring(index) + extension;
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
    }
}

// Milliseconds of one relisting of the local pane, measured by the last start.
double lastRelistMs = 0;

// Milliseconds from the start until both lists hold their items.
double StartToListed(const std::wstring& program, int localItems, int remoteItems) {
    const Clock::time_point start = Clock::now();
    PROCESS_INFORMATION process = Start(program, L"");
    double elapsed = -1;
    while (Milliseconds(start) < 30000) {
        HWND window = FindWindowW(nullptr, L"Quire Desktop");
        if (window && IsWindowVisible(window) &&
            ListView_GetItemCount(GetDlgItem(window, IDC_LOCAL_LIST)) >= localItems &&
            ListView_GetItemCount(GetDlgItem(window, IDC_REMOTE_LIST)) >= remoteItems) {
            elapsed = Milliseconds(start);
            // A sent command returns once the window has listed the folder again.
            const Clock::time_point relist = Clock::now();
            SendMessageW(window, WM_COMMAND, MAKEWPARAM(ID_LOCAL_RELIST, 0), 0);
            lastRelistMs = Milliseconds(relist);
            break;
        }
        Sleep(5);
    }
    Finish(process, true);
    Sleep(200);
    return elapsed;
}

double PlainEnumeration(const std::wstring& folder) {
    const Clock::time_point start = Clock::now();
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    int count = 0;
    if (search != INVALID_HANDLE_VALUE) {
        while (FindNextFileW(search, &found)) {
            ++count;
        }
        FindClose(search);
    }
    return Milliseconds(start);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wstring(argv[1]) == L"--noop") {
        return 0;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_bench <QuireSync.exe> <scratch> [files]\n");
        return 2;
    }
    const std::wstring program = argv[1], scratch = argv[2];
    const int files = argc > 3 ? _wtoi(argv[3]) : 10000;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);

    CreateDirectoryW(scratch.c_str(), nullptr);
    const std::wstring small = scratch + L"\\small", pc = scratch + L"\\pc",
                       device = scratch + L"\\device", emptyDevice = scratch + L"\\device-small";
    MakeFiles(small, 3, L".xls");
    MakeFiles(emptyDevice, 3, L".shf");
    MakeFiles(pc, files, L".xls");
    MakeFiles(device, files, L".shf");
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kManagerKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                    nullptr);
    RegCloseKey(key);
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    WriteSetting(L"last remote", L"2");

    BareStart(self);
    std::vector<double> bare, warm, local, remote, relist;
    for (int run = 0; run < 5; ++run) {
        bare.push_back(BareStart(self));
        WriteSetting(L"last dir", small);
        WriteSetting(L"local synch folder", emptyDevice);
        warm.push_back(StartToListed(program, 3, 3));
    }
    for (int run = 0; run < 3; ++run) {
        WriteSetting(L"last dir", pc);
        WriteSetting(L"local synch folder", emptyDevice);
        local.push_back(StartToListed(program, files, 3));
        relist.push_back(lastRelistMs);
        WriteSetting(L"last dir", small);
        WriteSetting(L"local synch folder", device);
        remote.push_back(StartToListed(program, 3, files));
    }
    const double bareMs = Median(bare), warmMs = Median(warm);
    std::printf("bare Wine program start: %.0f ms\n", bareMs);
    std::printf("start to a listed window: %.0f ms (%.1f x bare start; target at most 1500 ms)\n",
                warmMs, warmMs / bareMs);
    std::printf("local folder of %d files listed: %.0f ms after start, %.0f ms more than a small "
                "folder (target at most 500 ms)\n",
                files, Median(local), Median(local) - warmMs);
    std::printf("one listing of the local folder of %d files: %.0f ms (start-up lists it twice: "
                "once to open the pane, once more for its first refresh)\n",
                files, Median(relist));
    std::printf("sync folder of %d documents listed: %.0f ms after start, %.0f ms more than a "
                "small one (target at most 500 ms)\n",
                files, Median(remote), Median(remote) - warmMs);

    std::vector<quire::sync::LocalItem> items;
    Clock::time_point start = Clock::now();
    quire::sync::ListLocalFolder(pc, items);
    const double listMs = Milliseconds(start);
    start = Clock::now();
    const quire::sync::RemoteListing listing = quire::sync::ListSyncFolder(device, L"");
    const double syncMs = Milliseconds(start);
    const double plainMs = PlainEnumeration(pc);
    std::printf("gathering %d local files: %.0f ms, sync folder: %.0f ms; plain enumeration %.0f "
                "ms\n",
                files, listMs, syncMs, plainMs);
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    return listing.entries.size() == static_cast<size_t>(files) ? 0 : 1;
}
