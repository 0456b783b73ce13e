// Times export and import from the window's commands: a real main window in
// this process, with the converter and the wireless client it would load.
//   transfer_bench sync <converters> <workbooks> <count>
//   transfer_bench wireless <skylink folder> <file> <url> <user> <password>
// Prints one line per measure: "<name> <seconds> <window-thread seconds>".
#include "Resource.h"
#include "WindowHarness.h"
#include "WindowState.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

using namespace quire::sync;

double Seconds(const FILETIME& time) {
    ULARGE_INTEGER value{};
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 1e7;
}

// Processor time of the calling thread, which runs the window and the jobs'
// dialogs: what the window itself costs, the worker's copies and
// conversions left out.
double ThreadSeconds() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    return Seconds(kernel) + Seconds(user);
}

double WallSeconds() {
    LARGE_INTEGER frequency{}, now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void SelectAll(test::WindowHarness& harness, int listId) {
    HWND list = harness.Item(listId);
    SetFocus(list);
    ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
    harness.Messages().For(50);
}

// Runs a command and reports its time beside the window thread's share.
void Measure(test::WindowHarness& harness, const char* name, UINT command) {
    const double wall = WallSeconds();
    const double thread = ThreadSeconds();
    harness.Command(command);
    std::printf("%s %.3f %.3f\n", name, WallSeconds() - wall, ThreadSeconds() - thread);
    std::fflush(stdout);
    harness.Messages().For(200);
}

int CountItems(test::WindowHarness& harness, int listId) {
    return ListView_GetItemCount(harness.Item(listId));
}

int Sync(const std::wstring& converters, const std::wstring& workbooks, int count) {
    test::HarnessOptions options;
    options.remoteLocation = L"2";
    options.convertersFolder = converters;
    options.lastDir = workbooks;
    test::WindowHarness harness(options);
    harness.Settings().SuppressSynchWarning();
    if (!harness.Open() || CountItems(harness, IDC_LOCAL_LIST) != count) {
        std::fprintf(stderr, "transfer_bench: the workbooks are not listed\n");
        return 1;
    }
    SelectAll(harness, IDC_LOCAL_LIST);
    Measure(harness, "export", ID_EXPORT);
    harness.Messages().Until([&] { return CountItems(harness, IDC_REMOTE_LIST) == count; }, 10000);
    StoreFixedText(CurrentLocalFolder, harness.Documents());
    harness.Command(ID_LOCAL_RELIST);
    SelectAll(harness, IDC_REMOTE_LIST);
    Measure(harness, "import", ID_IMPORT);
    return CountItems(harness, IDC_LOCAL_LIST) == count ? 0 : 1;
}

int Wireless(const std::wstring& skylink, const std::wstring& file, const std::wstring& url,
             const std::wstring& user, const std::wstring& password) {
    test::HarnessOptions options;
    options.remoteLocation = L"1";
    options.wirelessFolder = skylink;
    const size_t slash = file.find_last_of(L'\\');
    options.lastDir = file.substr(0, slash);
    test::WindowHarness harness(options);
    harness.Settings().SaveLogin({url, user, L""}, false);
    test::DialogDriver login(L"Wireless Server Login", [&](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_LOGIN_PASSWORD, WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(password.c_str()));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    if (!harness.Open() ||
        !harness.Messages().Until([] { return WirelessConnected.load() != 0; }, 20000)) {
        std::fprintf(stderr, "transfer_bench: no connection to %ls\n", url.c_str());
        return 1;
    }
    harness.Messages().For(500);
    const int index = harness.FindName(IDC_LOCAL_LIST, file.substr(slash + 1));
    if (index < 0) {
        return 1;
    }
    harness.Select(IDC_LOCAL_LIST, {index});
    Measure(harness, "wireless-export", ID_EXPORT);
    harness.Command(ID_CONNECT);
    return harness.Prompts().empty() ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && std::wstring(argv[1]) == L"sync") {
        return Sync(argv[2], argv[3], _wtoi(argv[4]));
    }
    if (argc == 7 && std::wstring(argv[1]) == L"wireless") {
        return Wireless(argv[2], argv[3], argv[4], argv[5], argv[6]);
    }
    std::fprintf(stderr, "usage: transfer_bench sync <converters> <workbooks> <count>\n"
                         "       transfer_bench wireless <skylink> <file> <url> <user> <pw>\n");
    return 2;
}
