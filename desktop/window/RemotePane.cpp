#include "ListControls.h"
#include "MainWindow.h"
#include "MessagePrompts.h"
#include "LoginDialog.h"
#include "PaneImages.h"
#include "RemoteTarget.h"
#include "Resource.h"
#include "WindowState.h"
#include "window/MessageLoop.h"

#include <vector>

// The remote pane of the main window: the target box, connecting, and showing
// what the transfer worker lists.
namespace quire::sync {

namespace {

constexpr DWORD kConnectionPollMs = 100;

std::optional<ImageRole> ImageOfKind(int32_t kind) {
    switch (kind) {
    case REMOTE_SHEAF:
    case REMOTE_EXCEL:
        return ImageRole::Spreadsheet;
    case REMOTE_FOLDER:
        return ImageRole::Folder;
    case REMOTE_OTHER:
        return ImageRole::OtherFile;
    case REMOTE_WORD:
    case REMOTE_PAGE:
        return ImageRole::WordProcessing;
    default:
        return std::nullopt;
    }
}

TargetItem BoxItem(HWND box, int index) {
    wchar_t text[kPathChars] = {};
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_INDENT;
    item.iItem = index;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(kPathChars);
    SendMessageW(box, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return TargetItem{text, item.iImage, item.iIndent};
}

void SetMenuState(HMENU menu, UINT id, bool enabled, std::optional<bool> checked = {}) {
    if (!menu) {
        return;
    }
    EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    if (checked) {
        CheckMenuItem(menu, id, MF_BYCOMMAND | (*checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

void SetButtonState(HWND toolbar, UINT id, bool enabled, std::optional<bool> checked = {}) {
    SendMessageW(toolbar, TB_ENABLEBUTTON, id, MAKELPARAM(enabled, 0));
    if (checked) {
        SendMessageW(toolbar, TB_CHECKBUTTON, id, MAKELPARAM(*checked, 0));
    }
}

} // namespace

void MainWindow::ShowListing(const RemoteListing& listing) {
    SendMessageW(statusBar_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L""));
    const bool keep = KeepRemoteSelection.load();
    std::vector<std::wstring> remembered;
    if (keep) {
        if (!selectAfterListing_.empty()) {
            remembered.push_back(selectAfterListing_);
        }
        for (std::wstring& text : SelectedListTexts(remoteList_)) {
            remembered.push_back(std::move(text));
        }
    }
    selectAfterListing_.clear();
    SendMessageW(remoteList_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(remoteList_);
    SendMessageW(remoteList_, LVM_SETITEMCOUNT, listing.entries.size(), 0);
    for (const RemoteEntry& entry : listing.entries) {
        const std::optional<ImageRole> image = ImageOfKind(entry.kind);
        if (!image) {
            continue;
        }
        const std::optional<uint32_t> size =
            entry.size == kFolderSize ? std::nullopt : std::optional<uint32_t>(entry.size);
        AppendListItem(remoteList_, entry.name, ImageIndex(*image), size);
    }
    if (keep) {
        const int first = Reselect(remoteList_, remembered);
        if (first >= 0) {
            ListView_SetItemState(remoteList_, first, LVIS_FOCUSED, LVIS_FOCUSED);
        }
        KeepRemoteSelection = false;
    }
    SendMessageW(remoteList_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(remoteList_, nullptr, TRUE);
    PostSelectionChanged(false);
    if (renameAfterListing_) {
        renameAfterListing_ = false;
        RunCommand(ID_REMOTE_RENAME);
    }
    if (RemoteTarget() == TARGET_SYNC_FOLDER) {
        SetButtonState(remoteToolbar_, ID_CONNECT, false, false);
        SetButtonState(remoteToolbar_, ID_REMOTE_REFRESH, true);
        for (HMENU menu : {GetMenu(handle()), remoteContext_.get()}) {
            SetMenuState(menu, ID_CONNECT, false, false);
            SetMenuState(menu, ID_REMOTE_REFRESH, false);
            SetMenuState(menu, ID_REMOTE_NEW_FOLDER, true);
        }
    }
}

void MainWindow::ShowConnectionState(WORD state) {
    SendMessageW(statusBar_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L""));
    ListView_DeleteAllItems(remoteList_);
    const bool connecting = state == CONNECTION_CONNECTING;
    const bool connected = state == CONNECTION_OPEN;
    EnableWindow(targetBox_, !connecting);
    SetButtonState(remoteToolbar_, ID_CONNECT, !connecting, connected);
    SetButtonState(remoteToolbar_, ID_REMOTE_REFRESH, connected);
    const bool newFolders = ConnectionOpen() && RemoteTarget() == TARGET_WIRELESS &&
                            environment_.wireless && environment_.wireless->CanMakeFolders() &&
                            environment_.wireless->CanRename();
    for (HMENU menu : {GetMenu(handle()), remoteContext_.get()}) {
        SetMenuState(menu, ID_CONNECT, !connecting, connected);
        SetMenuState(menu, ID_REMOTE_REFRESH, connected);
        SetMenuState(menu, ID_REMOTE_NEW_FOLDER, newFolders);
    }
    ShowStatusText(connecting ? IDS_CONNECTING_TO_SERVER : 0);
    PostSelectionChanged(true);
    PostSelectionChanged(false);
}

void MainWindow::RefillTargetBox() {
    const int rootImage = ImageIndex(
        RemoteTarget() == TARGET_SYNC_FOLDER ? ImageRole::DeviceFiles : ImageRole::WirelessServer);
    const int count = static_cast<int>(SendMessageW(targetBox_, CB_GETCOUNT, 0, 0));
    int root = -1;
    for (int index = 0; index < count && root < 0; ++index) {
        if (BoxItem(targetBox_, index).image == rootImage) {
            root = index;
        }
    }
    if (root >= 0) {
        while (root + 1 < static_cast<int>(SendMessageW(targetBox_, CB_GETCOUNT, 0, 0)) &&
               BoxItem(targetBox_, root + 1).indent > 0) {
            SendMessageW(targetBox_, CBEM_DELETEITEM, root + 1, 0);
        }
        const std::vector<std::wstring> components = RemoteComponents(RemoteFolder());
        for (size_t index = 0; index < components.size(); ++index) {
            COMBOBOXEXITEMW item{};
            item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
            item.iItem = root + 1 + static_cast<int>(index);
            item.pszText = const_cast<wchar_t*>(components[index].c_str());
            item.iImage = item.iSelectedImage = ImageIndex(ImageRole::Folder);
            item.iIndent = static_cast<int>(index) + 1;
            SendMessageW(targetBox_, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        SendMessageW(targetBox_, CB_SETCURSEL, root + components.size(), 0);
    }
    const size_t length = wcslen(RemoteLocation);
    SendMessageW(remoteToolbar_, TB_ENABLEBUTTON, ID_REMOTE_UP, MAKELPARAM(length > 2, 0));
    EnableMenuItem(GetMenu(handle()), ID_REMOTE_UP, MF_BYCOMMAND | (length < 3 ? MF_GRAYED : 0));
}

void MainWindow::ChooseTarget() {
    const int chosen = static_cast<int>(SendMessageW(targetBox_, CB_GETCURSEL, 0, 0));
    if (chosen < 0) {
        return;
    }
    std::vector<TargetItem> items;
    for (int index = 0; index <= chosen; ++index) {
        items.push_back(BoxItem(targetBox_, index));
    }
    StoreFixedText(RemoteLocation, RemoteLocationOf(items, items.size() - 1));
    ApplyRemoteTarget();
}

void MainWindow::DescendRemote() {
    const int first = ListView_GetNextItem(remoteList_, -1, LVNI_SELECTED);
    if (first < 0 || ListItemImage(remoteList_, first) != ImageIndex(ImageRole::Folder)) {
        return;
    }
    if (StoreFixedText(RemoteLocation,
                       std::wstring(RemoteLocation) + L'/' + ListItemText(remoteList_, first))) {
        ApplyRemoteTarget();
    }
}

void MainWindow::RemoteUp() {
    const std::wstring location = RemoteLocation;
    if (location.find(L'/') == std::wstring::npos) {
        return;
    }
    StoreFixedText(RemoteLocation, quire::sync::RemoteUp(location));
    ApplyRemoteTarget();
}

void MainWindow::ApplyRemoteTarget() {
    if (SendMessageW(targetBox_, CB_GETCOUNT, 0, 0) <= 0) {
        ShowMessage(handle(), IDS_NO_TARGET, kErrorStyle);
        environment_.endProcess(1);
        return;
    }
    if (ConnectionOpen() && RemoteTarget() != TARGET_WIRELESS) {
        RunCommand(ID_DISCONNECT_IF_CONNECTED);
    }
    if (RemoteTarget() == TARGET_SYNC_FOLDER ||
        (RemoteTarget() == TARGET_WIRELESS && ConnectionOpen())) {
        RefreshRemote();
    } else {
        autoConnect_ = true;
        Connect();
        autoConnect_ = false;
    }
    RefillTargetBox();
}

void MainWindow::Connect() {
    if (ConnectionOpen()) {
        if (PostToWorker(workerThread_, WM_COMMAND, MAKEWPARAM(CMD_DISCONNECT_WIRELESS, 0), 0)) {
            // The worker clears the flag before it reports the new state; it
            // may be inside SendMessageW to this window (a listing, a status
            // text) before it reaches the disconnect.
            while (ConnectionOpen()) {
                window::WaitAnsweringSentMessages(0, nullptr, kConnectionPollMs);
            }
        }
        return;
    }
    if (RemoteTarget() != TARGET_WIRELESS || !environment_.credentials) {
        return;
    }
    WirelessCredentials& credentials = *environment_.credentials;
    const bool filled =
        !credentials.server.empty() && !credentials.user.empty() && !credentials.password.empty();
    LoginDialog login(environment_.settings);
    if (autoConnect_ && filled) {
        // The credentials of the last login stay: a password that was not
        // remembered is in them only.
    } else if (login.Run(environment_.instance, GetActiveWindow()) == IDOK) {
        credentials.server = login.Values().server;
        credentials.user = login.Values().user;
        credentials.password = login.Values().password;
    } else {
        SendMessageW(handle(), WM_COMMAND, MAKEWPARAM(CMD_CONNECTION_STATE, CONNECTION_NONE), 0);
        return;
    }
    PostToWorker(workerThread_, WM_COMMAND, MAKEWPARAM(CMD_CONNECT_WIRELESS, 0), 0);
}

void MainWindow::RefreshRemote() {
    if (workerThread_) {
        PostToWorker(workerThread_, WM_COMMAND, MAKEWPARAM(CMD_REFRESH_REMOTE, 0), 0);
    }
}

void MainWindow::UpdateRemoteStates() {
    bool selected = false, fileSelected = false;
    SelectionKinds(remoteList_, selected, fileSelected);
    const bool syncFolder = RemoteTarget() == TARGET_SYNC_FOLDER;
    const bool reachable = ConnectionOpen() || syncFolder;
    const bool renamable =
        selected && (syncFolder || (RemoteTarget() == TARGET_WIRELESS && environment_.wireless &&
                                    environment_.wireless->CanRename()));
    HMENU context = remoteContext_.get();
    SetCommandEnabled(ID_REMOTE_RENAME, renamable, nullptr, nullptr);
    SetMenuState(context, ID_REMOTE_RENAME_AT_POINT, renamable);
    const bool importAllowed = fileSelected && reachable && CurrentLocalFolder[0] != L'\0';
    SendMessageW(importBar_, TB_ENABLEBUTTON, ID_IMPORT, MAKELPARAM(importAllowed, 0));
    SetMenuState(context, ID_IMPORT, importAllowed);
    const bool deletable = selected && reachable && !(capabilityWord_ & CAP_NO_REMOTE_DELETE);
    SetCommandEnabled(ID_REMOTE_DELETE, deletable, remoteToolbar_, context);
}

} // namespace quire::sync
