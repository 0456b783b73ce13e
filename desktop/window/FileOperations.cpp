#include "DeviceNameCodec.h"
#include "FileChecks.h"
#include "ListControls.h"
#include "MainWindow.h"
#include "MessagePrompts.h"
#include "PaneImages.h"
#include "RemoteListing.h"
#include "Resource.h"
#include "SyncFolder.h"
#include "WindowState.h"
#include "WirelessBackend.h"
#include "window/MessageLoop.h"

#include <functional>
#include <memory>

// Delete, rename and new folders in both panes.  The PC side goes through the
// shell, with undo; the remote side through the worker (delete) or directly
// (rename and new folder) on the current target.
namespace quire::sync {

namespace {

constexpr DWORD kOwnChangeWaitMs = 2000;

// The shell takes a list of paths, each zero-terminated, ended by an empty one.
std::wstring ShellPathList(const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const std::wstring& path : paths) {
        list += path;
        list += L'\0';
    }
    list += L'\0';
    return list;
}

// The paths of a remote path of the shown folder on either target, through
// the back ends' own builders, which refuse names that would leave the
// folder and paths that do not fit.
std::wstring RemoteNameOf(const std::wstring& remotePath) {
    return std::wstring(NamePart(remotePath));
}

std::optional<std::wstring> SyncPathOfRemote(const std::wstring& remotePath) {
    return SyncFolderPathOfName(SyncFolderRoot, RemoteFolder(), RemoteNameOf(remotePath));
}

std::optional<std::string> WirelessPathOfRemote(const std::wstring& remotePath) {
    return WirelessPathOfName(RemoteFolder(), RemoteNameOf(remotePath));
}

// Moves or makes something in the sync folder: false after showing why not.
bool InSyncFolder(HWND owner, const std::function<bool()>& operation) {
    if (operation()) {
        return true;
    }
    const DWORD error = GetLastError();
    ShowTextMessage(owner, IDS_APPLICATION_TITLE,
                    SystemErrorText(error ? error : ERROR_INVALID_NAME), kErrorStyle);
    return false;
}

std::wstring NumberedName(const std::wstring& base, int number) {
    return number == 0 ? base : base + L" (" + std::to_wstring(number) + L")";
}

int DefaultShellOperation(SHFILEOPSTRUCTW& operation) {
    return SHFileOperationW(&operation);
}

INT_PTR DefaultOverwriteQuestion(HWND owner, wchar_t (&name)[kPathChars], bool cannotReplace) {
    OverwriteDialog dialog(name, cannotReplace);
    return dialog.Run(GetModuleHandleW(nullptr), owner);
}

} // namespace

void InstallDefaultFileOperations(MainWindowEnvironment& environment) {
    if (!environment.shellOperation) {
        environment.shellOperation = &DefaultShellOperation;
    }
    if (!environment.askOverwrite) {
        environment.askOverwrite = &DefaultOverwriteQuestion;
    }
}

int MainWindow::RunShellOperation(SHFILEOPSTRUCTW& operation) {
    operation.hwnd = handle();
    return environment_.shellOperation(operation);
}

std::wstring MainWindow::RemotePathOf(const std::wstring& name) const {
    std::wstring path = RemoteFolder();
    if (path.empty() || path.back() != L'/') {
        path += L'/';
    }
    return path + name;
}

void MainWindow::DeleteLocalSelection() {
    const std::wstring folder = CurrentLocalFolder;
    // Drives are never handed to the shell for deleting.
    if (folder.empty()) {
        return;
    }
    std::vector<std::wstring> paths;
    for (const std::wstring& text : SelectedListTexts(localList_)) {
        paths.push_back(ChildPath(folder, text));
    }
    if (paths.empty()) {
        return;
    }
    const std::wstring list = ShellPathList(paths);
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = list.c_str();
    operation.fFlags = FOF_ALLOWUNDO;
    RunShellOperation(operation);
    RunCommand(ID_LOCAL_RELIST);
}

bool MainWindow::BeginLabelEdit(bool local, const NMLVDISPINFOW&) {
    bool allowed = true;
    if (local) {
        // Drive labels are not file names.
        allowed = CurrentLocalFolder[0] != L'\0';
    } else if (RemoteTarget() == TARGET_WIRELESS) {
        allowed = environment_.wireless && environment_.wireless->CanRename();
    }
    labelEditing_ = allowed;
    return allowed;
}

void MainWindow::EndLabelEdit(bool local, const NMLVDISPINFOW& info) {
    labelEditing_ = false;
    if (info.item.pszText == nullptr) {
        return;
    }
    HWND list = local ? localList_ : remoteList_;
    const std::wstring current = ListItemText(list, info.item.iItem);
    const std::wstring renamed = info.item.pszText;
    if (renamed.empty() || renamed == current) {
        PostMessageW(handle(), WM_COMMAND,
                     MAKEWPARAM(local ? ID_LOCAL_RELIST : ID_REMOTE_REFRESH, 0), 0);
        return;
    }
    std::unique_ptr<std::wstring> source, target;
    if (local) {
        source = std::make_unique<std::wstring>(ChildPath(CurrentLocalFolder, current));
        target = std::make_unique<std::wstring>(ChildPath(CurrentLocalFolder, renamed));
    } else {
        const bool folder = ListItemImage(list, info.item.iItem) == ImageIndex(ImageRole::Folder);
        source = std::make_unique<std::wstring>(RemotePathOf(current) + (folder ? L"/" : L""));
        target = std::make_unique<std::wstring>(RemotePathOf(renamed));
    }
    const bool wirelessName = !local && RemoteTarget() == TARGET_WIRELESS;
    if (wirelessName ? !IsWirelessEntryName(renamed) : !IsPlainEntryName(renamed)) {
        // A name with a separator or ".." would move the item elsewhere.
        ShowTextMessage(handle(), IDS_APPLICATION_TITLE, SystemErrorText(ERROR_INVALID_NAME),
                        kErrorStyle);
        PostMessageW(handle(), WM_COMMAND,
                     MAKEWPARAM(local ? ID_LOCAL_RELIST : ID_REMOTE_REFRESH, 0), 0);
        return;
    }
    if (PostMessageW(handle(), local ? WM_LOCAL_RENAME : WM_REMOTE_RENAME,
                     reinterpret_cast<WPARAM>(source.get()),
                     reinterpret_cast<LPARAM>(target.get()))) {
        source.release();
        target.release();
    }
}

void MainWindow::RenameLocal(const std::wstring& source, const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(source.c_str());
    const bool file =
        attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!file || !ExtensionsDiffer(source, target) || ConfirmExtensionChange()) {
        const std::wstring from = ShellPathList({source});
        const std::wstring to = ShellPathList({target});
        SHFILEOPSTRUCTW operation{};
        operation.wFunc = FO_RENAME;
        operation.pFrom = from.c_str();
        operation.pTo = to.c_str();
        operation.fFlags = FOF_ALLOWUNDO;
        RunShellOperation(operation);
    }
    PostMessageW(handle(), WM_COMMAND, MAKEWPARAM(ID_LOCAL_RELIST, 0), 0);
}

void MainWindow::RenameRemote(std::wstring source, const std::wstring& target) {
    const bool folder = !source.empty() && source.back() == L'/';
    if (folder) {
        source.pop_back();
    }
    bool renamed = false;
    if (folder || !ExtensionsDiffer(source, target) || ConfirmExtensionChange()) {
        if (RemoteTarget() == TARGET_WIRELESS) {
            const WirelessLink* link = environment_.wireless;
            if (link && link->CanRename()) {
                const std::optional<std::string> from = WirelessPathOfRemote(source);
                const std::optional<std::string> to = WirelessPathOfRemote(target);
                renamed = from && to && link->Calls().rename(from->c_str(), to->c_str()) != 0;
                if (!renamed) {
                    ShowTextMessage(handle(), IDS_WIRELESS_SERVER_ERROR, WirelessErrorText(*link),
                                    kErrorStyle);
                }
            }
        } else if (RemoteTarget() == TARGET_SYNC_FOLDER) {
            renamed = InSyncFolder(handle(), [&] {
                const std::optional<std::wstring> from = SyncPathOfRemote(source);
                const std::optional<std::wstring> to = SyncPathOfRemote(target);
                SetLastError(0);
                return from && to && MoveFileW(from->c_str(), to->c_str());
            });
        }
    }
    if (renamed) {
        selectAfterListing_ = RemoteNameOf(target);
    }
    PostMessageW(handle(), WM_COMMAND, MAKEWPARAM(ID_REMOTE_REFRESH, 0), 0);
}

void MainWindow::NewLocalFolder() {
    const std::wstring folder = CurrentLocalFolder;
    if (folder.empty()) {
        return;
    }
    SetFocus(localList_);
    const std::wstring base = ResourceText(IDS_NEW_FOLDER);
    std::wstring name = base;
    for (int number = 1; ExistingName(ChildPath(folder, name)); ++number) {
        name = NumberedName(base, number);
    }
    ResetEvent(ownChangeEvent_.get());
    watch_->ownChangePending = true;
    CreateDirectoryW(ChildPath(folder, name).c_str(), nullptr);
    // A refresh the watcher sent before it saw the flag is answered, so that
    // it can go on to signal.
    HANDLE event = ownChangeEvent_.get();
    window::WaitAnsweringSentMessages(1, &event, kOwnChangeWaitMs);
    ListLocal(false);
    const int index = FindListText(localList_, name);
    if (index >= 0) {
        SendMessageW(localList_, LVM_EDITLABELW, index, 0);
    }
    watch_->ownChangePending = false;
}

void MainWindow::NewRemoteFolder() {
    SetFocus(remoteList_);
    const std::wstring base = ResourceText(IDS_NEW_FOLDER);
    std::wstring name = base;
    for (int number = 1; FindListText(remoteList_, name) >= 0; ++number) {
        name = NumberedName(base, number);
    }
    const std::wstring path = RemotePathOf(name);
    bool made = false;
    if (RemoteTarget() == TARGET_WIRELESS) {
        const WirelessLink* link = environment_.wireless;
        if (link && link->CanMakeFolders()) {
            const std::optional<std::string> remote = WirelessPathOfRemote(path);
            made = remote && link->Calls().mkDir(remote->c_str()) != 0;
            if (!made) {
                ShowTextMessage(handle(), IDS_WIRELESS_SERVER_ERROR, WirelessErrorText(*link),
                                kErrorStyle);
            }
        }
    } else if (RemoteTarget() == TARGET_SYNC_FOLDER) {
        made = InSyncFolder(handle(), [&] {
            const std::optional<std::wstring> folder = SyncPathOfRemote(path);
            SetLastError(0);
            return folder && CreateDirectoryW(folder->c_str(), nullptr);
        });
    }
    if (made) {
        ListView_SetItemState(remoteList_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        const int index =
            AppendListItem(remoteList_, name, ImageIndex(ImageRole::Folder), std::nullopt);
        ListView_SetItemState(remoteList_, index, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        renameAfterListing_ = true;
        RunCommand(ID_REMOTE_REFRESH);
    } else {
        PostMessageW(handle(), WM_COMMAND, MAKEWPARAM(ID_REMOTE_REFRESH, 0), 0);
    }
}

} // namespace quire::sync
