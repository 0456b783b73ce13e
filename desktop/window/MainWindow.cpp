#include "MainWindow.h"

#include "Layout.h"
#include "ListControls.h"
#include "LocalFolder.h"
#include "MessagePrompts.h"
#include "PaneImages.h"
#include "RemoteTarget.h"
#include "Resource.h"
#include "WindowState.h"
#include "window/Module.h"

#include <windowsx.h>

#include <cwchar>

namespace quire::sync {

namespace {

constexpr int kDropDownHeight = 300;
constexpr DWORD kInputIdleWaitMs = 500;
constexpr DWORD kBarStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                            TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NODIVIDER | CCS_NORESIZE |
                            CCS_NOPARENTALIGN;

void EndProcessNow(UINT exitCode) {
    ExitProcess(exitCode);
}

TBBUTTON Button(int image, int command, bool enabled, INT_PTR text, BYTE style = 0) {
    TBBUTTON button{};
    button.iBitmap = image;
    button.idCommand = command;
    button.fsState = enabled ? TBSTATE_ENABLED : 0;
    button.fsStyle = static_cast<BYTE>(BTNS_AUTOSIZE | style);
    button.iString = text;
    return button;
}

void MoveTo(HWND window, const RECT& place) {
    MoveWindow(window, place.left, place.top, place.right - place.left, place.bottom - place.top,
               TRUE);
}

int WindowHeight(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

int WindowWidth(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.right - rect.left;
}

void AddColumn(HWND list, int index, UINT textId) {
    const std::wstring text = ResourceText(textId);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(text.c_str());
    column.cx = 100;
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

HMENU FirstSubMenu(const MenuHandle& menu) {
    return menu ? GetSubMenu(menu.get(), 0) : nullptr;
}

} // namespace

DWORD ReadCapabilityWord() {
    HMODULE link = GetModuleHandleW(L"SheafLink.dll");
    if (!link) {
        return 0;
    }
    using CapabilitiesFunction = DWORD(__stdcall*)();
    auto read =
        reinterpret_cast<CapabilitiesFunction>(GetProcAddress(link, "_GetCapabilitiesWord@0"));
    return read ? read() : 0;
}

MainWindow::MainWindow(MainWindowEnvironment environment)
    : environment_(std::move(environment)), watch_(std::make_shared<WatchState>()),
      ownChangeEvent_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      capabilityWord_(ReadCapabilityWord()) {
    if (!environment_.documentsFolder) {
        environment_.documentsFolder = &ShellDocumentsFolder;
    }
    if (!environment_.endProcess) {
        environment_.endProcess = &EndProcessNow;
    }
    InstallDefaultFileOperations(environment_);
    watch_->ownChangeEvent = ownChangeEvent_.get();
    StoreFixedText(RemoteLocation, std::wstring(1, TARGET_WIRELESS));
}

MainWindow::~MainWindow() {
    if (dragging_) {
        ReleaseCapture();
    }
    watch_->stop = true;
    // The watcher may still hold the state; it must not signal a closed event.
    watch_->ownChangeEvent = nullptr;
    if (handle()) {
        DestroyWindow(handle());
    }
}

HWND MainWindow::Create() {
    return createModeless(environment_.instance, IDD_MAIN, nullptr);
}

bool MainWindow::ConnectionOpen() const {
    return WirelessConnected.load() != 0;
}

BOOL MainWindow::onInitDialog() {
    HWND window = handle();
    watch_->window = window;
    watch_->stop = false;
    CurrentLocalFolder[0] = kNoLastFolder;
    CurrentLocalFolder[1] = L'\0';

    SetWindowTextW(window, ApplicationTitle().c_str());
    deviceFilesText_ = ResourceText(IDS_DEVICE_FILES);
    wirelessServerText_ = ResourceText(IDS_WIRELESS_SERVER);
    for (auto [kind, size] : {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
        const int pixels = GetSystemMetrics(size);
        HANDLE icon = LoadImageW(environment_.instance, MAKEINTRESOURCEW(IDI_QUIRE), IMAGE_ICON,
                                 pixels, pixels, LR_DEFAULTCOLOR | LR_SHARED);
        SendMessageW(window, WM_SETICON, kind, reinterpret_cast<LPARAM>(icon));
    }

    statusBar_ =
        CreateWindowExW(0, STATUSCLASSNAMEW, L"",
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP | CCS_BOTTOM, 0, 0,
                        0, 0, window, nullptr, environment_.instance, nullptr);
    localContext_.reset(LoadMenuW(environment_.instance, MAKEINTRESOURCEW(IDR_LOCAL_CONTEXT)));
    remoteContext_.reset(LoadMenuW(environment_.instance, MAKEINTRESOURCEW(IDR_REMOTE_CONTEXT)));
    CreateBars();
    CreateLists();

    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    for (auto [textId, role] : {std::pair{IDS_MY_DOCUMENTS, ImageRole::MyDocuments},
                                std::pair{IDS_MY_COMPUTER, ImageRole::MyComputer}}) {
        const std::wstring text = ResourceText(textId);
        item.iItem = -1;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        item.iImage = item.iSelectedImage = ImageIndex(role);
        SendMessageW(locationBox_, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }

    ApplySettings();
    OfferTargets();
    OpenLocalPaneAtStart();
    StartThreads();

    accelerators_ =
        LoadAcceleratorsW(environment_.instance, MAKEINTRESOURCEW(IDR_MAIN_ACCELERATORS));
    if (window::MessageLoop* loop = window::TheModule().GetMessageLoop()) {
        loop->AddMessageFilter(this);
        filterRegistered_ = true;
    }
    WaitForInputIdle(GetCurrentProcess(), kInputIdleWaitMs);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(ID_LOCAL_RELIST, 0), 0);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(CMD_REFRESH_REMOTE, 0), 0);
    PostMessageW(window, WM_APPLY_REMOTE_TARGET, 0, 0);
    RefillTargetBox();
    Layout();
    return TRUE;
}

HWND MainWindow::CreateBar(int id, const TBBUTTON* buttons, int count, bool fixedSize) {
    HWND bar = CreateWindowExW(
        0, TOOLBARCLASSNAMEW, L"", kBarStyle, 0, 0, fixedSize ? kBarButtonWidth : 100,
        fixedSize ? kBarButtonHeight : kToolbarHeight, handle(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), environment_.instance, nullptr);
    if (!bar) {
        return nullptr;
    }
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 15));
    // Narrow padding, so that four buttons with their texts fit half the window.
    SendMessageW(bar, TB_SETPADDING, 0, MAKELPARAM(4, 6));
    TBADDBITMAP bitmap{environment_.instance, static_cast<UINT_PTR>(id)};
    SendMessageW(bar, TB_ADDBITMAP, count, reinterpret_cast<LPARAM>(&bitmap));
    SendMessageW(bar, TB_ADDBUTTONSW, count, reinterpret_cast<LPARAM>(buttons));
    return bar;
}

void MainWindow::CreateBars() {
    const std::wstring up = ResourceText(IDS_UP), documents = ResourceText(IDS_MY_DOCUMENTS),
                       refresh = ResourceText(IDS_REFRESH), remove = ResourceText(IDS_DELETE);
    auto text = [](const std::wstring& s) { return reinterpret_cast<INT_PTR>(s.c_str()); };
    const TBBUTTON local[] = {Button(0, ID_LOCAL_UP, true, text(up)),
                              Button(1, ID_MY_DOCUMENTS, true, text(documents)),
                              Button(2, ID_LOCAL_REFRESH, true, text(refresh)),
                              Button(3, ID_LOCAL_DELETE, false, text(remove))};
    const TBBUTTON remote[] = {Button(0, ID_REMOTE_UP, false, text(up)),
                               Button(1, ID_CONNECT, true, -1, BTNS_CHECK),
                               Button(2, ID_REMOTE_REFRESH, false, text(refresh)),
                               Button(3, ID_REMOTE_DELETE, false, text(remove))};
    const TBBUTTON exportButton[] = {Button(0, ID_EXPORT, false, -1)};
    const TBBUTTON importButton[] = {Button(0, ID_IMPORT, false, -1)};
    localToolbar_ = CreateBar(IDC_LOCAL_TOOLBAR, local, 4, false);
    remoteToolbar_ = CreateBar(IDC_REMOTE_TOOLBAR, remote, 4, false);
    exportBar_ = CreateBar(IDC_EXPORT_BAR, exportButton, 1, true);
    importBar_ = CreateBar(IDC_IMPORT_BAR, importButton, 1, true);
}

void MainWindow::CreateLists() {
    localList_ = item(IDC_LOCAL_LIST);
    remoteList_ = item(IDC_REMOTE_LIST);
    locationBox_ = item(IDC_LOCATION_BOX);
    targetBox_ = item(IDC_TARGET_BOX);
    paneImages_.reset(
        CreatePaneImages(environment_.instance,
                         static_cast<COLORREF>(SendMessageW(localList_, LVM_GETBKCOLOR, 0, 0))));
    dragImages_.reset(CreateDragImages(environment_.instance));
    for (HWND list : {localList_, remoteList_}) {
        // The window owns the images; the lists only borrow them.
        SetWindowLongPtrW(list, GWL_STYLE,
                          GetWindowLongPtrW(list, GWL_STYLE) | LVS_SHAREIMAGELISTS);
        SendMessageW(list, LVM_SETUNICODEFORMAT, TRUE, 0);
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     LVS_EX_FULLROWSELECT);
        AddColumn(list, 0, IDS_COLUMN_NAME);
        AddColumn(list, 1, IDS_COLUMN_SIZE);
        SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL,
                     reinterpret_cast<LPARAM>(paneImages_.get()));
    }
    // Renames in the sync folder are always possible; on the wireless server
    // the begin of editing asks whether the client offers them.
    SetWindowLongPtrW(remoteList_, GWL_STYLE,
                      GetWindowLongPtrW(remoteList_, GWL_STYLE) | LVS_EDITLABELS);
    for (HWND box : {locationBox_, targetBox_}) {
        SendMessageW(box, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(paneImages_.get()));
        SetWindowPos(box, nullptr, 0, 0, WindowWidth(box), kDropDownHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::ApplySettings() {
    const bool wireless = environment_.wireless && environment_.wireless->IsLoaded();
    const WindowSettings settings = environment_.settings.LoadWindowSettings(wireless);
    if (settings.position) {
        const RECT& place = *settings.position;
        SetWindowPos(handle(), nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    StoreFixedText(RemoteLocation, settings.remoteLocation);
    StoreFixedText(SyncFolderRoot, settings.syncFolder);
    if (environment_.settings.ReadString(L"last dir")) {
        StoreFixedText(CurrentLocalFolder, settings.lastDir);
    }
}

void MainWindow::OfferTargets() {
    auto append = [this](const std::wstring& text, ImageRole role) {
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
        item.iItem = -1;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        item.iImage = item.iSelectedImage = ImageIndex(role);
        SendMessageW(targetBox_, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    };
    std::wstring version;
    const bool managerInstalled = DesktopManagerInstalled(environment_.desktopManagerRoot,
                                                          environment_.desktopManagerKey, version);
    // An empty or missing sync folder would stand for the current drive's root:
    // the device files are offered only over a real folder.
    const bool syncFolderUsable = IsUsableSyncFolder(SyncFolderRoot);
    if (managerInstalled && syncFolderUsable) {
        append(deviceFilesText_, ImageRole::DeviceFiles);
    } else if (!managerInstalled) {
        ShowCaptionedMessage(handle(), ResourceText(IDS_NO_DESKTOP_MANAGER),
                             ResourceText(IDS_ERROR_CAPTION), MB_ICONHAND);
    }
    if (!managerInstalled || !syncFolderUsable) {
        RemoteLocation[0] = TARGET_WIRELESS;
    }
    if (environment_.wireless && environment_.wireless->IsLoaded()) {
        append(wirelessServerText_, ImageRole::WirelessServer);
    }
}

void MainWindow::OpenLocalPaneAtStart() {
    if (CurrentLocalFolder[0] == kNoLastFolder || !Navigate()) {
        ShowMyDocuments();
    }
}

void MainWindow::StartThreads() {
    StartFolderWatcher(watch_);
    worker_.mainWindow = handle();
    worker_.converters = environment_.converters;
    worker_.wireless = environment_.wireless;
    worker_.credentials = environment_.credentials;
    if (worker_.converters && worker_.wireless && worker_.credentials) {
        workerThread_ = StartTransferWorker(worker_);
    }
}

bool MainWindow::onClose(WPARAM) {
    Exit();
    return true;
}

void MainWindow::Exit() {
    DestroyWindow(handle());
    PostQuitMessage(ID_APP_EXIT);
}

void MainWindow::Shutdown() {
    watch_->stop = true;
    CloseChangeNotification();
    RunCommand(ID_DISCONNECT_IF_CONNECTED);
    if (workerThread_) {
        PostThreadMessageW(workerThread_, WM_QUIT, 0, 0);
    }
    RECT place{};
    GetWindowRect(handle(), &place);
    environment_.settings.SaveWindowSettings(CurrentLocalFolder, place, RemoteLocation);
    for (HWND list : {localList_, remoteList_}) {
        SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    }
    paneImages_.reset();
    dragImages_.reset();
    if (filterRegistered_) {
        if (window::MessageLoop* loop = window::TheModule().GetMessageLoop()) {
            loop->RemoveMessageFilter(this);
        }
        filterRegistered_ = false;
    }
    if (accelerators_) {
        DestroyAcceleratorTable(accelerators_);
        accelerators_ = nullptr;
    }
}

void MainWindow::onSize(UINT kind, int, int) {
    if (kind != SIZE_MINIMIZED) {
        Layout();
    }
}

void MainWindow::Layout() {
    if (!statusBar_ || !localList_) {
        return;
    }
    RECT client{};
    GetClientRect(handle(), &client);
    const int boxHeight = WindowHeight(locationBox_);
    const PaneLayout layout = ComputeLayout(client, WindowHeight(statusBar_), boxHeight);
    MoveTo(statusBar_, layout.statusBar);
    const int parts[] = {layout.statusPartEnd, -1};
    SendMessageW(statusBar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    MoveTo(localToolbar_, layout.localToolbar);
    MoveTo(remoteToolbar_, layout.remoteToolbar);
    for (auto [box, place] :
         {std::pair{locationBox_, layout.localBox}, std::pair{targetBox_, layout.remoteBox}}) {
        SetWindowPos(box, nullptr, place.left, place.top, place.right - place.left, kDropDownHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    MoveTo(localList_, layout.localList);
    MoveTo(remoteList_, layout.remoteList);
    MoveTo(exportBar_, layout.exportBar);
    MoveTo(importBar_, layout.importBar);
    const int scrollBar = GetSystemMetrics(SM_CXVSCROLL);
    for (HWND list : {localList_, remoteList_}) {
        const ColumnWidths columns = ComputeColumns(WindowWidth(list), scrollBar);
        SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, columns.name);
        SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, columns.size);
    }
}

bool MainWindow::PreTranslateMessage(MSG& message) {
    HWND window = handle();
    if (!window || (message.hwnd != window && !IsChild(window, message.hwnd))) {
        return false;
    }
    if (message.message == WM_KEYDOWN &&
        (message.wParam == VK_BACK || message.wParam == VK_DELETE)) {
        wchar_t className[16] = {};
        GetClassNameW(GetFocus(), className, 16);
        if (_wcsicmp(className, L"EDIT") == 0) {
            return false;
        }
    }
    if (!labelEditing_ && accelerators_ && TranslateAcceleratorW(window, accelerators_, &message)) {
        return true;
    }
    // Enter and Escape never act as default and cancel buttons: only Tab and
    // messages other than key-downs go through dialog navigation.
    if ((message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) &&
        message.wParam != VK_TAB) {
        return false;
    }
    return IsDialogMessageW(window, &message) != FALSE;
}

void MainWindow::ShowStatusText(UINT stringId) {
    const std::wstring text = stringId ? ResourceText(stringId) : std::wstring();
    SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool MainWindow::onCommand(UINT id, UINT notifyCode, HWND control) {
    if (control == locationBox_ && control) {
        if (notifyCode == CBN_DROPDOWN) {
            RefillLocationBox();
        } else if (notifyCode == CBN_SELENDOK) {
            ChooseLocation();
        }
        return true;
    }
    if (control == targetBox_ && control) {
        if (notifyCode == CBN_DROPDOWN) {
            RefillTargetBox();
        } else if (notifyCode == CBN_SELENDOK) {
            ChooseTarget();
        }
        return true;
    }
    if (id == CMD_CONNECTION_STATE) {
        ShowConnectionState(static_cast<WORD>(notifyCode));
        return true;
    }
    if (id == CMD_STATUS_TEXT) {
        ShowStatusText(notifyCode);
        return true;
    }
    return RunCommand(id);
}

bool MainWindow::RunCommand(UINT id) {
    switch (id) {
    case ID_APP_EXIT:
        Exit();
        return true;
    case ID_LOCAL_UP:
        LocalUp();
        return true;
    case ID_MY_DOCUMENTS:
        ShowMyDocuments();
        return true;
    case ID_LOCAL_OPEN: {
        const int first = ListView_GetNextItem(localList_, -1, LVNI_SELECTED);
        if (first >= 0) {
            OpenLocalItem(first);
        }
        return true;
    }
    case ID_LOCAL_OPEN_AT_POINT:
        OpenLocalAtPoint();
        return true;
    case ID_LOCAL_RENAME:
        SetFocus(localList_);
        StartRenameOfFocusedList();
        return true;
    case ID_LOCAL_RENAME_AT_POINT:
        RenameAtPoint(localList_, localClickPoint_);
        return true;
    case ID_REMOTE_RENAME_AT_POINT:
        RenameAtPoint(remoteList_, remoteClickPoint_);
        return true;
    case ID_EXPORT:
        ExportSelection();
        return true;
    case ID_IMPORT:
        ImportSelection();
        return true;
    case ID_LOCAL_DELETE:
        DeleteLocalSelection();
        return true;
    case ID_REMOTE_DELETE:
        DeleteRemoteSelection();
        return true;
    case ID_LOCAL_NEW_FOLDER:
        NewLocalFolder();
        return true;
    case ID_REMOTE_NEW_FOLDER:
        NewRemoteFolder();
        return true;
    case ID_REMOTE_RENAME:
        SetFocus(remoteList_);
        StartRenameOfFocusedList();
        return true;
    case ID_LOCAL_REFRESH:
        ListLocal(true);
        return true;
    case ID_LOCAL_RELIST:
        ListLocal(false);
        return true;
    case ID_CONNECT:
        Connect();
        return true;
    case ID_DISCONNECT_IF_CONNECTED:
        if (ConnectionOpen()) {
            Connect();
        }
        return true;
    case ID_REMOTE_UP:
        RemoteUp();
        return true;
    case ID_REMOTE_REFRESH:
        KeepRemoteSelection = true;
        RefreshRemote();
        return true;
    case CMD_REFRESH_REMOTE:
        RefreshRemote();
        return true;
    case ID_APP_ABOUT: {
        AboutDialog about;
        about.Run(environment_.instance, GetActiveWindow());
        return true;
    }
    default:
        return RunKeyCommand(id);
    }
}

// The keys whose meaning depends on the list that has the focus.
bool MainWindow::RunKeyCommand(UINT id) {
    HWND focus = GetFocus();
    const bool inLocal = focus == localList_;
    const bool inRemote = focus == remoteList_;
    switch (id) {
    case ID_KEY_BACKSPACE:
        if (inLocal || inRemote) {
            RunCommand(inLocal ? ID_LOCAL_UP : ID_REMOTE_UP);
        }
        return true;
    case ID_KEY_F5:
        if (inLocal) {
            RunCommand(ID_LOCAL_REFRESH);
        } else if (inRemote && ConnectionOpen()) {
            RunCommand(ID_REMOTE_REFRESH);
        }
        return true;
    case ID_KEY_F2:
        if (inLocal || inRemote) {
            StartRenameOfFocusedList();
        }
        return true;
    case ID_KEY_DELETE: {
        HWND toolbar = inLocal ? localToolbar_ : inRemote ? remoteToolbar_ : nullptr;
        const UINT command = inLocal ? ID_LOCAL_DELETE : ID_REMOTE_DELETE;
        if (toolbar && SendMessageW(toolbar, TB_ISBUTTONENABLED, command, 0)) {
            RunCommand(command);
        }
        return true;
    }
    case ID_SELECT_ALL:
        SelectAllOfFocusedList();
        return true;
    default:
        return false;
    }
}

void MainWindow::StartRenameOfFocusedList() {
    HWND focus = GetFocus();
    if (focus != localList_ && focus != remoteList_) {
        return;
    }
    const int first = ListView_GetNextItem(focus, -1, LVNI_SELECTED);
    if (first >= 0) {
        SendMessageW(focus, LVM_EDITLABELW, first, 0);
    }
}

void MainWindow::RenameAtPoint(HWND list, POINT clickPoint) {
    const int index = ItemAtPoint(list, clickPoint);
    if (index >= 0) {
        SetFocus(list);
        SendMessageW(list, LVM_EDITLABELW, index, 0);
    }
}

void MainWindow::SelectAllOfFocusedList() {
    HWND focus = GetFocus();
    if (focus != localList_ && focus != remoteList_) {
        return;
    }
    ListView_SetItemState(focus, -1, LVIS_SELECTED, LVIS_SELECTED);
    PostSelectionChanged(focus == localList_);
}

void MainWindow::PostSelectionChanged(bool local) {
    bool& posted = local ? localChangePosted_ : remoteChangePosted_;
    if (!posted) {
        posted = true;
        PostMessageW(handle(), local ? WM_LOCAL_SELECTION_CHANGED : WM_REMOTE_SELECTION_CHANGED, 0,
                     0);
    }
}

void MainWindow::SetCommandEnabled(UINT id, bool enabled, HWND toolbar, HMENU context) {
    if (toolbar) {
        SendMessageW(toolbar, TB_ENABLEBUTTON, id, MAKELPARAM(enabled ? TRUE : FALSE, 0));
    }
    const UINT state = MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
    if (HMENU menu = GetMenu(handle())) {
        EnableMenuItem(menu, id, state);
    }
    if (context) {
        EnableMenuItem(context, id, state);
    }
}

bool MainWindow::onNotify(int controlId, NMHDR& header, INT_PTR& result) {
    const bool local = controlId == IDC_LOCAL_LIST;
    if (!local && controlId != IDC_REMOTE_LIST) {
        return false;
    }
    HWND list = local ? localList_ : remoteList_;
    switch (header.code) {
    case NM_DBLCLK:
    case NM_RETURN:
        if (local) {
            PostSelectionChanged(true);
            RunCommand(ID_LOCAL_OPEN);
        } else {
            DescendRemote();
        }
        return true;
    case NM_CLICK:
    case LVN_KEYDOWN:
    case LVN_ITEMCHANGED:
        PostSelectionChanged(local);
        return false;
    case NM_RCLICK: {
        PostSelectionChanged(local);
        SetForegroundWindow(handle());
        POINT cursor{};
        GetCursorPos(&cursor);
        POINT& remembered = local ? localClickPoint_ : remoteClickPoint_;
        remembered = cursor;
        ScreenToClient(list, &remembered);
        HMENU menu = FirstSubMenu(local ? localContext_ : remoteContext_);
        if (menu) {
            TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, handle(),
                           nullptr);
        }
        return true;
    }
    case LVN_BEGINLABELEDITW:
        result =
            BeginLabelEdit(local, reinterpret_cast<const NMLVDISPINFOW&>(header)) ? FALSE : TRUE;
        return true;
    case LVN_ENDLABELEDITW:
        EndLabelEdit(local, reinterpret_cast<const NMLVDISPINFOW&>(header));
        // The new name shows when the pane is listed again.
        result = FALSE;
        return true;
    case LVN_BEGINDRAG:
        BeginDrag(!local);
        return true;
    default:
        return false;
    }
}

bool MainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_LOCAL_RENAME:
    case WM_REMOTE_RENAME: {
        const std::unique_ptr<std::wstring> source(reinterpret_cast<std::wstring*>(wParam));
        const std::unique_ptr<std::wstring> target(reinterpret_cast<std::wstring*>(lParam));
        if (source && target) {
            if (message == WM_LOCAL_RENAME) {
                RenameLocal(*source, *target);
            } else {
                RenameRemote(*source, *target);
            }
        }
        return true;
    }
    case WM_MOUSEMOVE:
        if (dragging_) {
            MoveDrag(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        }
        return dragging_;
    case WM_LBUTTONUP:
        if (dragging_) {
            EndDrag(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, true);
            return true;
        }
        return false;
    case WM_CAPTURECHANGED:
        EndDrag(POINT{}, false);
        return false;
    case WM_LOCAL_SELECTION_CHANGED:
        localChangePosted_ = false;
        UpdateLocalStates();
        return true;
    case WM_REMOTE_SELECTION_CHANGED:
        remoteChangePosted_ = false;
        UpdateRemoteStates();
        return true;
    case WM_REMOTE_LISTING:
        if (wParam) {
            ShowListing(*reinterpret_cast<const RemoteListing*>(wParam));
        }
        result = TRUE;
        return true;
    case WM_APPLY_REMOTE_TARGET:
        ApplyRemoteTarget();
        return true;
    case WM_DESTROY:
        Shutdown();
        return false;
    default:
        return false;
    }
}

} // namespace quire::sync
