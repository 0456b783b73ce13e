#pragma once

// A real main window in the test process, with scratch settings, folders and
// test doubles, and a message pump that runs the window's message filter.

#include "ConverterTable.h"
#include "MainWindow.h"
#include "TestSupport.h"
#include "WirelessLink.h"
#include "window/MessageLoop.h"

#include <windows.h>

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
    SettingsStore Settings() const { return SettingsStore(HKEY_CURRENT_USER, scratch_.KeyPath()); }
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
    std::wstring syncFolder_, documents_;
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
