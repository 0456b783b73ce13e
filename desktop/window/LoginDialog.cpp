#include "LoginDialog.h"

#include "Resource.h"

#include <shellapi.h>

namespace quire::sync {

namespace {

std::wstring ItemText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), length + 1)));
    return text;
}

void OpenInBrowser(const wchar_t* page) {
    ShellExecuteW(nullptr, L"open", page, nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace

LoginDialog::LoginDialog(const SettingsStore& settings)
    : openPage(&OpenInBrowser), settings_(settings), values_(settings.LoadLogin()) {}

INT_PTR LoginDialog::Run(HINSTANCE instance, HWND owner) {
    instance_ = instance;
    return runModal(instance, IDD_LOGIN, owner);
}

bool LoginDialog::Complete() const {
    return !values_.server.empty() && !values_.user.empty() && !values_.password.empty();
}

BOOL LoginDialog::onInitDialog() {
    // A copy: each text set below re-reads all three edits.
    LoginSettings stored = settings_.LoadLogin();
    if (stored.server.empty()) {
        stored.server = kDefaultServer;
    }
    SetDlgItemTextW(handle(), IDC_LOGIN_SERVER, stored.server.c_str());
    SetDlgItemTextW(handle(), IDC_LOGIN_USER, stored.user.c_str());
    SetDlgItemTextW(handle(), IDC_LOGIN_PASSWORD, stored.password.c_str());
    CheckDlgButton(handle(), IDC_LOGIN_REMEMBER,
                   stored.password.empty() ? BST_UNCHECKED : BST_CHECKED);
    SendDlgItemMessageW(handle(), IDC_LOGIN_SERVER, EM_SETREADONLY, TRUE, 0);
    MakeLinkFont();
    UpdateLogin();
    HWND password = item(IDC_LOGIN_PASSWORD);
    SetFocus(password);
    SendMessageW(password, EM_SETSEL, 0, -1);
    return FALSE;
}

void LoginDialog::MakeLinkFont() {
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageW(handle(), WM_GETFONT, 0, 0));
    LOGFONTW description{};
    if (!dialogFont || !GetObjectW(dialogFont, sizeof(description), &description)) {
        return;
    }
    description.lfUnderline = TRUE;
    linkFont_.reset(CreateFontIndirectW(&description));
    if (linkFont_) {
        SendDlgItemMessageW(handle(), IDC_LOGIN_FREE_TRIAL, WM_SETFONT,
                            reinterpret_cast<WPARAM>(linkFont_.get()), FALSE);
    }
}

void LoginDialog::ReadEdits() {
    values_.server = ItemText(handle(), IDC_LOGIN_SERVER);
    values_.user = ItemText(handle(), IDC_LOGIN_USER);
    values_.password = ItemText(handle(), IDC_LOGIN_PASSWORD);
}

void LoginDialog::UpdateLogin() {
    ReadEdits();
    EnableWindow(item(IDOK), Complete());
}

void LoginDialog::Accept() {
    ReadEdits();
    if (!Complete()) {
        return;
    }
    const bool remember = IsDlgButtonChecked(handle(), IDC_LOGIN_REMEMBER) == BST_CHECKED;
    settings_.SaveLogin(values_, remember);
    endDialog(IDOK);
}

bool LoginDialog::onCommand(UINT id, UINT notifyCode, HWND control) {
    switch (id) {
    case IDC_LOGIN_SERVER:
    case IDC_LOGIN_USER:
    case IDC_LOGIN_PASSWORD:
        if (notifyCode == EN_CHANGE) {
            UpdateLogin();
        }
        return true;
    case IDC_LOGIN_FREE_TRIAL:
        if (notifyCode == STN_CLICKED && openPage) {
            openPage(kFreeTrialPage);
        }
        return true;
    case IDOK:
        Accept();
        return true;
    default:
        return Dialog::onCommand(id, notifyCode, control);
    }
}

bool LoginDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    HWND link = item(IDC_LOGIN_FREE_TRIAL);
    if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == link) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kLinkColour);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        return true;
    }
    if (message == WM_SETCURSOR && reinterpret_cast<HWND>(wParam) == link) {
        if (HCURSOR hand = LoadCursorW(instance_, MAKEINTRESOURCEW(IDC_HAND_LINK))) {
            SetCursor(hand);
            setResult(TRUE);
            result = TRUE;
            return true;
        }
    }
    return false;
}

} // namespace quire::sync
