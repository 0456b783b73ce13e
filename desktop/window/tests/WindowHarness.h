#pragma once

// A real main window in the test process, with scratch settings, folders and
// test doubles, and a message pump that runs the window's message filter.

#include "ConverterTable.h"
#include "MainWindow.h"
#include "TestSupport.h"
#include "WirelessLink.h"
#include "window/MessageLoop.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace quire::sync::test {

// Handles the thread's messages as the program's loop does, for a while or until
// a condition holds.
class Pump {
public:
    Pump();
    ~Pump();
    window::MessageLoop& Loop() { return loop_; }
    bool Until(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
    void For(DWORD ms);

private:
    window::MessageLoop loop_;
};

struct HarnessOptions {
    bool wireless = false;  // bind the skylink double
    bool syncFolder = true; // a device sync folder in the settings
    bool desktopManager = true;
    std::wstring remoteLocation; // "last remote", when given
    std::wstring lastDir;        // "last dir", when given
    // Folders to bind the converters and the wireless client from, instead of
    // none and the skylink double.
    std::wstring convertersFolder;
    std::wstring wirelessFolder;
    // The settings in SOFTWARE\Halvorn\QuireSync under the scratch key, as a
    // synchronisation host given that key as the user's root finds them.
    bool settingsUnderUserRoot = false;
    // The window's questions about existing names and its shell operations;
    // unset: the real dialog and the shell without its confirmations.
    std::function<INT_PTR(HWND, wchar_t (&)[MAX_PATH], bool)> askOverwrite;
    std::function<int(SHFILEOPSTRUCTW&)> shellOperation;
};

class WindowHarness {
public:
    explicit WindowHarness(const HarnessOptions& options = {});
    ~WindowHarness();

    HWND Window() const { return window_ ? window_->handle() : nullptr; }
    HWND Item(int id) const { return GetDlgItem(Window(), id); }
    Pump& Messages() { return pump_; }
    const Scratch& Files() const { return scratch_; }
    const std::wstring& SyncFolder() const { return syncFolder_; }
    const std::wstring& Documents() const { return documents_; }
    std::vector<UINT> ExitCodes() const { return exitCodes_; }
    const std::vector<ScriptedPrompter::Prompt> Prompts() const { return prompter_.Prompts(); }
    ScriptedPrompter& Prompter() { return prompter_; }
    SettingsStore Settings() const { return SettingsStore(HKEY_CURRENT_USER, settingsKey_); }
    // The key that stands for the user's registry root (see settingsUnderUserRoot).
    const std::wstring& UserRoot() const { return scratch_.KeyPath(); }
    const std::wstring& TemporaryFolder() const { return temporary_; }
    // Every shell operation the window asked for.
    struct ShellCall {
        UINT function;
        FILEOP_FLAGS flags;
        std::vector<std::wstring> from, to;
    };
    const std::vector<ShellCall>& ShellOperations() const { return shellOperations_; }
    const WirelessLink& Wireless() const { return *wireless_; }

    // Creates the window and handles its start-up posts.
    bool Open();
    void Command(UINT id, UINT notifyCode = 0);
    void KeyDown(HWND target, UINT key);

    // The items of a list: texts of column 0 and 1, and selection.
    std::vector<std::wstring> Names(int listId) const;
    std::wstring SizeText(int listId, int index) const;
    std::vector<std::wstring> Selected(int listId) const;
    void Select(int listId, const std::vector<int>& indices);
    int FindName(int listId, const std::wstring& name) const;
    bool ButtonEnabled(int barId, int command) const;

private:
    Scratch scratch_;
    ScriptedPrompter prompter_;
    Pump pump_;
    std::wstring syncFolder_, documents_, temporary_, settingsKey_;
    HarnessOptions options_;
    std::vector<ShellCall> shellOperations_;
    std::unique_ptr<WirelessLink> wireless_;
    WirelessCredentials credentials_;
    std::unique_ptr<ConverterTable> converters_;
    std::unique_ptr<MainWindow> window_;
    std::vector<UINT> exitCodes_;
    std::wstring managerKey_;
};

// Operates a modal dialog of this process from another thread: waits for a
// window with this caption to show, then runs the action on it.
class DialogDriver {
public:
    DialogDriver(std::wstring caption, std::function<void(HWND dialog)> action);
    ~DialogDriver();
    bool Found() const { return found_; }

private:
    std::thread thread_;
    bool found_ = false;
};

HWND FindProcessWindow(const std::wstring& caption, DWORD processId);
std::wstring ControlText(HWND control);
void MakeFolder(const std::wstring& path);

} // namespace quire::sync::test
