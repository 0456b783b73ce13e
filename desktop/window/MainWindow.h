#pragma once

#include "ConverterTable.h"
#include "FolderWatcher.h"
#include "Messages.h"
#include "RemoteListing.h"
#include "SettingsStore.h"
#include "SmallDialogs.h"
#include "TransferJob.h"
#include "TransferWorker.h"
#include "WirelessLink.h"
#include "base/UniqueHandle.h"
#include "window/Dialog.h"
#include "window/MessageLoop.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

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
    // Where transfer jobs make their temporary files; empty: the user's.
    std::wstring temporaryFolder;
    // The question about a name that exists at the destination (1 Overwrite,
    // 2 Skip, 3 Rename... with the name changed); unset: the dialog.
    std::function<INT_PTR(HWND owner, wchar_t (&name)[kPathChars], bool cannotReplace)>
        askOverwrite;
    // The shell's file operations (delete and rename with undo); unset: the shell.
    std::function<int(SHFILEOPSTRUCTW& operation)> shellOperation;
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

    // Export, import and remote delete (Transfers.cpp).
    void ExportSelection();
    void ImportSelection();
    void DeleteRemoteSelection();
    // What the user wants done about a name that exists at the destination.
    enum class NameChoice { Overwrite, Skip, Renamed };
    NameChoice AskAboutExisting(const std::wstring& shown, bool cannotReplace, std::wstring& name);
    std::optional<std::wstring> ExportName(std::wstring name);
    std::optional<std::wstring> ImportPath(std::wstring name);
    bool ProbeImportDestinations(const TransferJob& job);
    TransferJob NewJob(TransferJob::Operation operation) const;
    void RunJob(TransferJob& job);

    // Delete, rename and new folders (FileOperations.cpp).
    void DeleteLocalSelection();
    bool BeginLabelEdit(bool local, const NMLVDISPINFOW& info);
    void EndLabelEdit(bool local, const NMLVDISPINFOW& info);
    void RenameLocal(const std::wstring& source, const std::wstring& target);
    void RenameRemote(std::wstring source, const std::wstring& target);
    void NewLocalFolder();
    void NewRemoteFolder();
    bool ConfirmExtensionChange() const;
    int RunShellOperation(SHFILEOPSTRUCTW& operation);
    std::wstring RemotePathOf(const std::wstring& name) const;

    // Dragging between the panes (DragAndDrop.cpp).
    void BeginDrag(bool fromRemote);
    void MoveDrag(POINT clientPoint);
    void EndDrag(POINT clientPoint, bool drop);
    bool PointInDropList(POINT clientPoint) const;

    // Shared by both panes.
    void PostSelectionChanged(bool local);
    void SetCommandEnabled(UINT id, bool enabled, HWND toolbar, HMENU context);
    void StartRenameOfFocusedList();
    void RenameAtPoint(HWND list, POINT clickPoint);
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

// Fills the unset file-operation seams of an environment with the real ones.
void InstallDefaultFileOperations(MainWindowEnvironment& environment);

// The capability word of an already loaded device-link library, else 0.
DWORD ReadCapabilityWord();

} // namespace quire::sync
