#pragma once

#include "ConverterTable.h"
#include "FolderWatcher.h"
#include "Messages.h"
#include "RemoteListing.h"
#include "SettingsStore.h"
#include "SmallDialogs.h"
#include "TransferWorker.h"
#include "WirelessLink.h"
#include "base/UniqueHandle.h"
#include "window/Dialog.h"
#include "window/MessageLoop.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quire::sync {

// Private messages of the main window to itself.
inline constexpr UINT WM_LOCAL_SELECTION_CHANGED = WM_USER + 2;
inline constexpr UINT WM_REMOTE_SELECTION_CHANGED = WM_USER + 3;
inline constexpr UINT WM_LOCAL_RENAME = WM_USER + 10;
inline constexpr UINT WM_APPLY_REMOTE_TARGET = WM_USER + 11;
inline constexpr UINT WM_REMOTE_RENAME = WM_USER + 12;

// Bits of the device link's capability word that the window reads.
inline constexpr DWORD CAP_NO_REMOTE_DELETE = 1;
inline constexpr DWORD CAP_BLANK_SIZE_IS_ONE = 16;

// What the main window works with; tests point it at scratch keys and folders.
struct MainWindowEnvironment {
    HINSTANCE instance = nullptr;
    const WirelessLink* wireless = nullptr;
    WirelessCredentials* credentials = nullptr;
    const ConverterTable* converters = nullptr;
    SettingsStore settings;
    HKEY desktopManagerRoot = HKEY_LOCAL_MACHINE;
    std::wstring desktopManagerKey = kDesktopManagerKey;
    std::function<std::optional<std::wstring>()> documentsFolder;
    // Ends the process when no remote target exists.
    std::function<void(UINT exitCode)> endProcess;
};

struct ImageListTraits {
    using Type = HIMAGELIST;
    static Type invalid() { return nullptr; }
    static void close(Type handle) { ImageList_Destroy(handle); }
};
struct MenuTraits {
    using Type = HMENU;
    static Type invalid() { return nullptr; }
    static void close(Type handle) { DestroyMenu(handle); }
};
using ImageList = UniqueHandle<ImageListTraits>;
using MenuHandle = UniqueHandle<MenuTraits>;

// The one top-level window: the PC on the left, the handheld side on the right,
// the export and import bars between them and a status bar below.
class MainWindow : public window::Dialog, public window::MessageFilter {
public:
    explicit MainWindow(MainWindowEnvironment environment);
    ~MainWindow() override;

    // Creates the window modeless without owner; null on failure.
    HWND Create();

    bool PreTranslateMessage(MSG& message) override;

    DWORD CapabilityWord() const { return capabilityWord_; }
    DWORD WorkerThreadId() const { return workerThread_; }

protected:
    BOOL onInitDialog() override;
    bool onCommand(UINT id, UINT notifyCode, HWND control) override;
    bool onClose(WPARAM wParam) override;
    bool onNotify(int controlId, NMHDR& header, INT_PTR& result) override;
    void onSize(UINT kind, int width, int height) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    // Start-up and shutdown (MainWindow.cpp).
    void CreateBars();
    HWND CreateBar(int id, const TBBUTTON* buttons, int count, bool fixedSize);
    void CreateLists();
    void ApplySettings();
    void OfferTargets();
    void OpenLocalPaneAtStart();
    void StartThreads();
    void Shutdown();
    void Layout();
    bool RunCommand(UINT id);
    bool RunKeyCommand(UINT id);
    void ShowStatusText(UINT stringId);
    void Exit();

    // Local pane (LocalPane.cpp).
    bool ListLocal(bool keepSelection);
    bool Navigate();
    void LocalUp();
    void ShowMyDocuments();
    void RefillLocationBox();
    void ChooseLocation();
    void OpenLocalItem(int index);
    void OpenLocalAtPoint();
    void UpdateLocalStates();
    void CloseChangeNotification();

    // Remote pane (RemotePane.cpp).
    void ShowListing(const RemoteListing& listing);
    void ShowConnectionState(WORD state);
    void RefillTargetBox();
    void ChooseTarget();
    void DescendRemote();
    void RemoteUp();
    void ApplyRemoteTarget();
    void Connect();
    void RefreshRemote();
    void UpdateRemoteStates();
    bool ConnectionOpen() const;

    // Shared by both panes.
    void PostSelectionChanged(bool local);
    void SetCommandEnabled(UINT id, bool enabled, HWND toolbar, HMENU context);
    void StartRenameOfFocusedList();
    void SelectAllOfFocusedList();

    MainWindowEnvironment environment_;
    WorkerEnvironment worker_{};
    DWORD workerThread_ = 0;
    std::shared_ptr<WatchState> watch_;
    KernelHandle ownChangeEvent_;

    HWND localList_ = nullptr, remoteList_ = nullptr;
    HWND locationBox_ = nullptr, targetBox_ = nullptr;
    HWND localToolbar_ = nullptr, remoteToolbar_ = nullptr;
    HWND exportBar_ = nullptr, importBar_ = nullptr;
    HWND statusBar_ = nullptr;
    ImageList paneImages_, dragImages_;
    MenuHandle localContext_, remoteContext_;
    HACCEL accelerators_ = nullptr;
    bool filterRegistered_ = false;

    bool labelEditing_ = false;
    bool dragging_ = false;
    bool dragFromRemote_ = false;
    POINT localClickPoint_{}, remoteClickPoint_{};
    bool autoConnect_ = false;
    bool renameAfterListing_ = false;
    std::wstring selectAfterListing_;
    bool localChangePosted_ = false, remoteChangePosted_ = false;

    DWORD capabilityWord_ = 0;
    std::wstring deviceFilesText_, wirelessServerText_;
};

// The capability word of an already loaded device-link library, else 0.
DWORD ReadCapabilityWord();

} // namespace quire::sync
