#pragma once

// What the road tests need beside the window harness: a record of what the
// transfer dialogs were told, a closer for dialogs that come up on their own,
// the synchronisation host as a child process, workbooks written and read
// through the spreadsheet stand-in's file format, and the WebDAV test server.

#include "WindowHarness.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quire::sync::test {

// One message that a transfer dialog, one of its controls or the watched main
// window received.
struct DialogEvent {
    HWND dialog = nullptr;
    std::wstring caption; // of the dialog at that moment
    int control = 0;      // 0: the dialog itself
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::wstring text; // WM_SETTEXT
};

// Records, by a hook on the window procedure calls of the creating thread,
// the messages that reach transfer dialogs (bar positions and ranges, status
// lines, the worker's step replies, commands) and the commands that reach the
// main window, also those sent from other threads and processes.  The hook
// runs before the window handles the message.
class TransferTrace {
public:
    explicit TransferTrace(HWND mainWindow);
    ~TransferTrace();
    TransferTrace(const TransferTrace&) = delete;
    TransferTrace& operator=(const TransferTrace&) = delete;

    std::vector<DialogEvent> Events() const;
    // The distinct captions of the transfer dialogs, in order.
    std::vector<std::wstring> Captions() const;
    // The positions given to a bar, in order.
    std::vector<UINT> Positions(int control) const;
    // The texts given to the status line, in order, empty ones left out.
    std::vector<std::wstring> StatusLines() const;
    // The step lines the dialog showed: the status lines without the
    // converter's or the client's progress texts after them.
    std::vector<std::wstring> StepLines() const;
    // How many times the worker answered a step with this message.
    int Replies(UINT message) const;
    // How many remote listings the main window received.
    int Listings() const;
    // The identifiers of the WM_COMMAND messages the main window received.
    std::vector<WORD> MainWindowCommands() const;
    // The last position a bar had been given before the status line first
    // showed this text; -1 when the text never showed.
    int PositionBefore(int control, const std::wstring& status) const;
    void Clear();

    // Runs inside the hook, on the dialog's thread, before the dialog handles
    // the message: a test may press Cancel at an exact moment.
    std::function<void(const DialogEvent&)> onEvent;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    void Record(const CWPSTRUCT& call);

    HWND mainWindow_;
    HHOOK hook_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<DialogEvent> events_;
    bool acting_ = false;
};

// Presses the transfer dialog's Cancel button (its command, as a click sends it).
void PressCancel(HWND dialog);

// Watches, from a thread of its own, for windows of this process with this
// caption for as long as it lives: runs the action on each and counts them.
class DialogWatcher {
public:
    DialogWatcher(std::wstring caption, std::function<void(HWND)> action);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;
    int Seen() const { return seen_.load(); }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> seen_{0};
    std::thread thread_;
};

// A program run to its end while this thread keeps handling its messages (the
// add-in sends the main window a command while the host runs).
struct ChildRun {
    bool started = false;
    DWORD exitCode = 0;
    std::string output;
};
ChildRun RunChild(const std::wstring& program, const std::wstring& arguments,
                  const std::wstring& folder, Pump& pump);

// A Windows path of a host path given by the build ("Z:" and backslashes).
std::wstring WindowsPathOfHost(const std::string& hostPath);

// Whole files, and the names in a folder (files and folders, sorted).
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::vector<std::wstring> FolderNames(const std::wstring& folder);
// The files a transfer job makes for its conversions ("~qs*.tmp").
std::vector<std::wstring> JobTemporaryFiles(const std::wstring& folder);

// Cell entries of one worksheet: address to what is typed into the cell
// ("12.5", "text", "=B2*2").
using SheetEntries = std::vector<std::pair<std::string, std::string>>;
struct WorkbookContent {
    std::vector<std::pair<std::string, SheetEntries>> sheets;
};
// Writes the workbook as a binary .xls through the spreadsheet stand-in's
// engine and file format; false with the reason on failure.
bool WriteWorkbook(const std::wstring& path, const WorkbookContent& content, std::string& error);
// What each cell of each worksheet holds: "sheet!A1" to "number 12.5",
// "text abc", "formula =B2*2 -> number 25" and the like.
using CellDump = std::map<std::string, std::string>;
bool ReadWorkbook(const std::wstring& path, CellDump& cells, std::string& error);

// The WebDAV test server of the CTest fixture (SKYLINK_TEST_SERVER).
struct DavServer {
    std::wstring url, user, password;
    std::wstring root; // its folder, as a Windows path
    bool Known() const { return !url.empty() && !root.empty(); }
};
DavServer TestServer();
// One request to the server, outside the program under test: the path is
// percent-encoded here.  The HTTP status, 0 when no answer came.
int DavRequest(const DavServer& server, const wchar_t* method, const std::wstring& path,
               const std::string& body = {}, std::string* answer = nullptr);

// The worksheet count of a handheld spreadsheet document, -1 when it does not load.
int HandheldSheetCount(const std::wstring& path);

} // namespace quire::sync::test
