#include "WindowHarness.h"

#include "WindowState.h"
#include "window/Module.h"

#include <commctrl.h>

namespace quire::sync::test {

Pump::Pump() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_USEREX_CLASSES |
                                                        ICC_COOL_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    window::TheModule().Init(GetModuleHandleW(nullptr));
    window::TheModule().AddMessageLoop(&loop_);
}

Pump::~Pump() {
    window::TheModule().RemoveMessageLoop();
}

bool Pump::Until(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!loop_.PreTranslate(message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        if (condition && condition()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void Pump::For(DWORD ms) {
    Until(nullptr, ms);
}

// The paths of a shell path list: each zero-terminated, ended by an empty one.
std::vector<std::wstring> PathListEntries(const wchar_t* list) {
    std::vector<std::wstring> paths;
    for (; list != nullptr && *list != L'\0'; list += wcslen(list) + 1) {
        paths.emplace_back(list);
    }
    return paths;
}

void MakeFolder(const std::wstring& path) {
    CreateDirectoryW(path.c_str(), nullptr);
}

WindowHarness::WindowHarness(const HarnessOptions& options) : options_(options) {
    settingsKey_ = scratch_.KeyPath();
    if (options.settingsUnderUserRoot) {
        settingsKey_ += L"\\SOFTWARE\\Halvorn\\QuireSync";
    }
    const SettingsStore settings(HKEY_CURRENT_USER, settingsKey_);
    syncFolder_ = scratch_.PathOf(L"device");
    documents_ = scratch_.PathOf(L"documents");
    temporary_ = scratch_.PathOf(L"temp");
    MakeFolder(syncFolder_);
    MakeFolder(documents_);
    MakeFolder(temporary_);
    if (options.syncFolder) {
        settings.WriteString(L"local synch folder", syncFolder_);
    }
    if (!options.remoteLocation.empty()) {
        settings.WriteString(L"last remote", options.remoteLocation);
    }
    if (!options.lastDir.empty()) {
        settings.WriteString(L"last dir", options.lastDir);
    }
    managerKey_ = scratch_.KeyPath() + L"\\Manager";
    if (options.desktopManager) {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, managerKey_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr);
        RegCloseKey(key);
    }
    std::wstring wirelessFolder =
        options.wireless ? std::wstring(QUIRE_TEST_DOUBLES_DIR) : scratch_.Folder();
    if (!options.wirelessFolder.empty()) {
        wirelessFolder = options.wirelessFolder;
    }
    wireless_ = std::make_unique<WirelessLink>(wirelessFolder);
    converters_ = std::make_unique<ConverterTable>(
        options.convertersFolder.empty() ? scratch_.Folder() : options.convertersFolder);
}

WindowHarness::~WindowHarness() {
    if (window_ && window_->handle()) {
        DestroyWindow(window_->handle());
    }
    window_.reset();
    pump_.For(50);
    WirelessConnected = 0;
    KeepRemoteSelection = false;
}

bool WindowHarness::Open() {
    MainWindowEnvironment environment;
    environment.instance = GetModuleHandleW(nullptr);
    environment.wireless = wireless_.get();
    environment.credentials = &credentials_;
    environment.converters = converters_.get();
    environment.settings = SettingsStore(HKEY_CURRENT_USER, settingsKey_);
    environment.temporaryFolder = temporary_;
    if (options_.askOverwrite) {
        environment.askOverwrite = [ask = options_.askOverwrite](
                                       HWND owner, wchar_t(&name)[kPathChars], bool cannotReplace) {
            return ask(owner, name, cannotReplace);
        };
    }
    environment.shellOperation = [this](SHFILEOPSTRUCTW& operation) {
        shellOperations_.push_back(ShellCall{operation.wFunc, operation.fFlags,
                                             PathListEntries(operation.pFrom),
                                             PathListEntries(operation.pTo)});
        if (options_.shellOperation) {
            return options_.shellOperation(operation);
        }
        operation.fFlags |= FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        return SHFileOperationW(&operation);
    };
    environment.desktopManagerRoot = HKEY_CURRENT_USER;
    environment.desktopManagerKey = managerKey_;
    environment.documentsFolder = [this] { return std::optional<std::wstring>(documents_); };
    environment.endProcess = [this](UINT code) { exitCodes_.push_back(code); };
    window_ = std::make_unique<MainWindow>(std::move(environment));
    if (!window_->Create()) {
        return false;
    }
    ShowWindow(Window(), SW_SHOWNORMAL);
    pump_.For(300);
    return true;
}

void WindowHarness::Command(UINT id, UINT notifyCode) {
    SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(id, notifyCode), 0);
}

void WindowHarness::KeyDown(HWND target, UINT key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    pump_.For(100);
}

std::vector<std::wstring> WindowHarness::Names(int listId) const {
    HWND list = Item(listId);
    std::vector<std::wstring> names;
    const int count = ListView_GetItemCount(list);
    for (int index = 0; index < count; ++index) {
        wchar_t text[MAX_PATH] = {};
        ListView_GetItemText(list, index, 0, text, MAX_PATH);
        names.push_back(text);
    }
    return names;
}

std::wstring WindowHarness::SizeText(int listId, int index) const {
    wchar_t text[MAX_PATH] = {};
    ListView_GetItemText(Item(listId), index, 1, text, MAX_PATH);
    return text;
}

std::vector<std::wstring> WindowHarness::Selected(int listId) const {
    HWND list = Item(listId);
    std::vector<std::wstring> names;
    for (int index = ListView_GetNextItem(list, -1, LVNI_SELECTED); index >= 0;
         index = ListView_GetNextItem(list, index, LVNI_SELECTED)) {
        wchar_t text[MAX_PATH] = {};
        ListView_GetItemText(list, index, 0, text, MAX_PATH);
        names.push_back(text);
    }
    return names;
}

void WindowHarness::Select(int listId, const std::vector<int>& indices) {
    HWND list = Item(listId);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int index : indices) {
        ListView_SetItemState(list, index, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (!indices.empty()) {
        ListView_SetItemState(list, indices.front(), LVIS_FOCUSED, LVIS_FOCUSED);
    }
    pump_.For(50);
}

int WindowHarness::FindName(int listId, const std::wstring& name) const {
    const std::vector<std::wstring> names = Names(listId);
    for (size_t index = 0; index < names.size(); ++index) {
        if (names[index] == name) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

bool WindowHarness::ButtonEnabled(int barId, int command) const {
    return SendMessageW(Item(barId), TB_ISBUTTONENABLED, command, 0) != 0;
}

namespace {

struct CaptionSearch {
    const std::wstring* caption;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<CaptionSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) &&
        ControlText(window) == *search->caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindProcessWindow(const std::wstring& caption, DWORD processId) {
    CaptionSearch search{&caption, processId, nullptr};
    EnumWindows(&MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring ControlText(HWND control) {
    wchar_t text[1024] = {};
    // Through the message, so that another thread's window answers too.
    SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                        nullptr);
    return text;
}

DialogDriver::DialogDriver(std::wstring caption, std::function<void(HWND dialog)> action)
    : thread_([this, caption = std::move(caption), action = std::move(action)] {
          for (int attempt = 0; attempt < 500; ++attempt) {
              if (HWND dialog = FindProcessWindow(caption, GetCurrentProcessId())) {
                  found_ = true;
                  Sleep(50);
                  action(dialog);
                  return;
              }
              Sleep(10);
          }
      }) {}

DialogDriver::~DialogDriver() {
    thread_.join();
}

} // namespace quire::sync::test
