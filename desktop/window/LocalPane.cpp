#include "ListControls.h"
#include "LocalFolder.h"
#include "MainWindow.h"
#include "PaneImages.h"
#include "Resource.h"
#include "WindowState.h"

#include <shellapi.h>

#include <vector>

// The local pane of the main window: listing, moving between folders, the
// location box and opening items.
namespace quire::sync {

namespace {

void AppendLocationItem(HWND box, const std::wstring& text, int image, int indent) {
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
    item.iItem = -1;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = item.iSelectedImage = image;
    item.iIndent = indent;
    SendMessageW(box, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

LocationItem BoxItem(HWND box, int index) {
    wchar_t text[kPathChars] = {};
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE;
    item.iItem = index;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(kPathChars);
    SendMessageW(box, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return LocationItem{text, item.iImage};
}

} // namespace

void MainWindow::CloseChangeNotification() {
    const HANDLE old = watch_->notification.exchange(INVALID_HANDLE_VALUE);
    if (old != INVALID_HANDLE_VALUE) {
        FindCloseChangeNotification(old);
    }
}

bool MainWindow::ListLocal(bool keepSelection) {
    if (!IsWindow(handle())) {
        return false;
    }
    const std::vector<std::wstring> remembered =
        keepSelection ? SelectedListTexts(localList_) : std::vector<std::wstring>();
    SendMessageW(localList_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(localList_);
    CloseChangeNotification();
    bool listed = true;
    const std::wstring folder = CurrentLocalFolder;
    if (folder.empty()) {
        for (const LocalItem& drive : ListDrives(GetLogicalDrives())) {
            AppendListItem(localList_, drive.name, ImageIndex(drive.image), std::nullopt);
        }
    } else {
        std::vector<LocalItem> items;
        listed = ListLocalFolder(folder, items);
        SendMessageW(localList_, LVM_SETITEMCOUNT, items.size(), 0);
        for (const LocalItem& entry : items) {
            AppendListItem(localList_, entry.name, ImageIndex(entry.image), entry.size);
        }
        const HANDLE notification = FindFirstChangeNotificationW(WatchPathOf(folder).c_str(), FALSE,
                                                                 FILE_NOTIFY_CHANGE_FILE_NAME |
                                                                     FILE_NOTIFY_CHANGE_DIR_NAME);
        watch_->notification = notification;
    }
    if (keepSelection) {
        Reselect(localList_, remembered);
    }
    SendMessageW(localList_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(localList_, nullptr, TRUE);
    PostSelectionChanged(true);
    PostSelectionChanged(false);
    return listed;
}

bool MainWindow::Navigate() {
    const bool inFolder = CurrentLocalFolder[0] != L'\0';
    SendMessageW(localToolbar_, TB_ENABLEBUTTON, ID_LOCAL_UP, MAKELPARAM(inFolder, 0));
    const UINT state = MF_BYCOMMAND | (inFolder ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(GetMenu(handle()), ID_LOCAL_UP, state);
    EnableMenuItem(GetMenu(handle()), ID_LOCAL_NEW_FOLDER, state);
    if (localContext_) {
        EnableMenuItem(localContext_.get(), ID_LOCAL_NEW_FOLDER, state);
    }
    RefillLocationBox();
    return ListLocal(false);
}

void MainWindow::LocalUp() {
    StoreFixedText(CurrentLocalFolder, FolderUp(CurrentLocalFolder));
    Navigate();
}

void MainWindow::ShowMyDocuments() {
    const std::optional<std::wstring> documents = environment_.documentsFolder();
    if (!documents || !StoreFixedText(CurrentLocalFolder, *documents)) {
        return;
    }
    Navigate();
}

void MainWindow::RefillLocationBox() {
    while (SendMessageW(locationBox_, CB_GETCOUNT, 0, 0) > 2) {
        SendMessageW(locationBox_, CBEM_DELETEITEM, 2, 0);
    }
    SendMessageW(locationBox_, CB_SETCURSEL, 1, 0);
    const std::vector<std::wstring> components = PathComponents(CurrentLocalFolder);
    const DWORD drives = GetLogicalDrives();
    for (int bit = 0; bit < 32; ++bit) {
        if (!(drives & (1u << bit))) {
            continue;
        }
        const wchar_t letter = static_cast<wchar_t>(L'A' + bit);
        AppendLocationItem(locationBox_, DriveText(letter), ImageIndex(DriveImageOf(letter)), 1);
        if (components.empty() || components[0].empty() || components[0][0] != letter) {
            continue;
        }
        for (size_t index = 1; index < components.size(); ++index) {
            AppendLocationItem(locationBox_, components[index], ImageIndex(ImageRole::Folder),
                               static_cast<int>(index) + 1);
        }
        const LRESULT count = SendMessageW(locationBox_, CB_GETCOUNT, 0, 0);
        SendMessageW(locationBox_, CB_SETCURSEL, count - 1, 0);
    }
}

void MainWindow::ChooseLocation() {
    const int chosen = static_cast<int>(SendMessageW(locationBox_, CB_GETCURSEL, 0, 0));
    if (chosen < 0) {
        return;
    }
    std::vector<LocationItem> items;
    for (int index = 0; index <= chosen; ++index) {
        items.push_back(BoxItem(locationBox_, index));
    }
    const LocationItem& item = items.back();
    if (IsDriveImage(item.image)) {
        StoreFixedText(CurrentLocalFolder, item.text.substr(0, 2));
    } else if (item.image == ImageIndex(ImageRole::MyComputer)) {
        CurrentLocalFolder[0] = L'\0';
    } else if (item.image == ImageIndex(ImageRole::MyDocuments)) {
        ShowMyDocuments();
        return;
    } else if (item.image == ImageIndex(ImageRole::Folder)) {
        StoreFixedText(CurrentLocalFolder, LocationPathOf(items, items.size() - 1));
    } else {
        return;
    }
    Navigate();
}

void MainWindow::OpenLocalItem(int index) {
    const std::wstring text = ListItemText(localList_, index);
    const int image = ListItemImage(localList_, index);
    const std::wstring folder = CurrentLocalFolder;
    if (image == ImageIndex(ImageRole::Folder)) {
        if (StoreFixedText(CurrentLocalFolder, folder + L'\\' + text)) {
            Navigate();
        }
    } else if (image == ImageIndex(ImageRole::Spreadsheet) ||
               image == ImageIndex(ImageRole::WordProcessing)) {
        const std::wstring path = folder + L'\\' + text;
        ShellExecuteW(handle(), L"open", path.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
    } else if (IsDriveImage(image)) {
        StoreFixedText(CurrentLocalFolder, text.substr(0, 2));
        Navigate();
    }
}

void MainWindow::OpenLocalAtPoint() {
    const int index = ItemAtPoint(localList_, localClickPoint_);
    if (index >= 0) {
        OpenLocalItem(index);
    }
}

void MainWindow::UpdateLocalStates() {
    bool selected = false, fileSelected = false;
    SelectionKinds(localList_, selected, fileSelected);
    HMENU context = localContext_.get();
    const UINT openState = MF_BYCOMMAND | (selected ? MF_ENABLED : MF_GRAYED);
    const bool renamable = selected && CurrentLocalFolder[0] != L'\0';
    if (context) {
        EnableMenuItem(context, ID_LOCAL_OPEN_AT_POINT, openState);
        EnableMenuItem(context, ID_LOCAL_RENAME_AT_POINT,
                       MF_BYCOMMAND | (renamable ? MF_ENABLED : MF_GRAYED));
    }
    const bool connectChecked =
        SendMessageW(remoteToolbar_, TB_ISBUTTONCHECKED, ID_CONNECT, 0) != 0;
    const bool exportAllowed = fileSelected && ((ConnectionOpen() && connectChecked) ||
                                                RemoteTarget() == TARGET_SYNC_FOLDER);
    SendMessageW(exportBar_, TB_ENABLEBUTTON, ID_EXPORT, MAKELPARAM(exportAllowed, 0));
    if (context) {
        EnableMenuItem(context, ID_EXPORT, MF_BYCOMMAND | (exportAllowed ? MF_ENABLED : MF_GRAYED));
    }
    SetCommandEnabled(ID_LOCAL_DELETE, selected, localToolbar_, context);
    SetCommandEnabled(ID_LOCAL_OPEN, selected, nullptr, nullptr);
    SetCommandEnabled(ID_LOCAL_RENAME, selected, nullptr, nullptr);
}

} // namespace quire::sync
