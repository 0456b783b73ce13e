#include "SmallDialogs.h"

#include "MessagePrompts.h"
#include "Resource.h"
#include "base/UniqueHandle.h"

#include <algorithm>
#include <vector>

namespace quire::sync {

namespace {

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

} // namespace

std::wstring FormatWithName(const std::wstring& format, const std::wstring& name) {
    std::wstring text = format;
    const size_t mark = text.find(L"%s");
    if (mark != std::wstring::npos) {
        text.replace(mark, 2, name);
    }
    return text;
}

INT_PTR OverwriteDialog::Run(HINSTANCE instance, HWND owner) {
    instance_ = instance;
    return runModal(instance, IDD_OVERWRITE, owner);
}

BOOL OverwriteDialog::onInitDialog() {
    const UINT message = cannotReplace_ ? IDS_FILE_EXISTS_CANNOT_REPLACE : IDS_FILE_EXISTS;
    SetDlgItemTextW(handle(), IDC_OVERWRITE_MESSAGE,
                    FormatWithName(ResourceText(message), name_).c_str());
    HICON question = LoadIconW(nullptr, MAKEINTRESOURCEW(32514)); // the system's question icon
    SendDlgItemMessageW(handle(), IDC_OVERWRITE_ICON, STM_SETICON,
                        reinterpret_cast<WPARAM>(question), 0);
    if (cannotReplace_) {
        EnableWindow(item(IDOK), FALSE);
        SetFocus(item(IDCANCEL));
        return FALSE;
    }
    return TRUE;
}

bool OverwriteDialog::onCommand(UINT id, UINT, HWND) {
    switch (id) {
    case IDOK:
        if (!cannotReplace_) {
            endDialog(IDOK);
        }
        return true;
    case IDCANCEL:
        endDialog(IDCANCEL);
        return true;
    case IDC_OVERWRITE_RENAME: {
        NewNameDialog rename(name_);
        rename.Run(instance_, handle());
        endDialog(IDC_OVERWRITE_RENAME);
        return true;
    }
    default:
        return false;
    }
}

INT_PTR NewNameDialog::Run(HINSTANCE instance, HWND owner) {
    return runModal(instance, IDD_NEW_NAME, owner);
}

BOOL NewNameDialog::onInitDialog() {
    SetDlgItemTextW(handle(), IDC_NEW_NAME_EDIT, name_);
    return TRUE;
}

bool NewNameDialog::onCommand(UINT id, UINT notifyCode, HWND control) {
    if (id == IDC_NEW_NAME_EDIT && notifyCode == EN_CHANGE) {
        EnableWindow(item(IDOK), GetWindowTextLengthW(control) > 0);
        return true;
    }
    if (id == IDOK) {
        const std::wstring text = WindowText(item(IDC_NEW_NAME_EDIT));
        const size_t length = std::min(text.size(), kPathChars - 1);
        std::copy_n(text.c_str(), length, name_);
        name_[length] = L'\0';
        endDialog(IDOK);
        return true;
    }
    return Dialog::onCommand(id, notifyCode, control);
}

INT_PTR SyncWarningDialog::Run(HINSTANCE instance, HWND owner) {
    return runModal(instance, IDD_SYNC_WARNING, owner);
}

bool SyncWarningDialog::Wanted(const SettingsStore& settings) {
    return !settings.SynchWarningSuppressed();
}

BOOL SyncWarningDialog::onInitDialog() {
    centreOverOwner();
    CheckDlgButton(handle(), IDC_SYNC_WARNING_DONT_SHOW, BST_UNCHECKED);
    return TRUE;
}

bool SyncWarningDialog::onCommand(UINT id, UINT, HWND) {
    if (id == IDCANCEL) {
        return true; // only OK closes the warning
    }
    if (id != IDOK) {
        return false;
    }
    if (IsDlgButtonChecked(handle(), IDC_SYNC_WARNING_DONT_SHOW) == BST_CHECKED) {
        settings_.SuppressSynchWarning();
    }
    endDialog(IDOK);
    return true;
}

INT_PTR AboutDialog::Run(HINSTANCE instance, HWND owner) {
    instance_ = instance;
    return runModal(instance, IDD_ABOUT, owner);
}

BOOL AboutDialog::onInitDialog() {
    SetDlgItemTextW(handle(), IDC_ABOUT_TITLE, L"Quire Desktop (UNICODE)");
    const std::wstring version =
        AboutVersionText(ResourceText(IDS_VERSION_PREFIX), ModuleFileVersion(instance_));
    SetDlgItemTextW(handle(), IDC_ABOUT_VERSION, version.c_str());
    return TRUE;
}

std::wstring ModuleFileVersion(HMODULE module) {
    wchar_t path[kPathChars] = {};
    const DWORD length = GetModuleFileNameW(module, path, static_cast<DWORD>(kPathChars));
    if (length == 0 || length >= kPathChars) {
        return {};
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) {
        return {};
    }
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path, 0, size, data.data())) {
        return {};
    }
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translation = nullptr;
    UINT translationBytes = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &translationBytes) ||
        translationBytes < sizeof(Translation)) {
        return {};
    }
    wchar_t query[64] = {};
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translation->language,
             translation->codePage);
    wchar_t* value = nullptr;
    UINT valueChars = 0;
    if (!VerQueryValueW(data.data(), query, reinterpret_cast<void**>(&value), &valueChars) ||
        !value) {
        return {};
    }
    return std::wstring(value);
}

std::wstring AboutVersionText(const std::wstring& prefix, const std::wstring& fileVersion) {
    if (fileVersion.empty()) {
        return {};
    }
    std::wstring text = fileVersion;
    std::replace(text.begin(), text.end(), L',', L'.');
    return prefix + text;
}

bool DesktopManagerInstalled(HKEY root, const std::wstring& keyPath, std::wstring& version) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return false;
    }
    RegistryKey key(opened);
    BYTE buffer[63] = {};
    DWORD bytes = sizeof(buffer);
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), L"Version", nullptr, &type, buffer, &bytes) == ERROR_SUCCESS &&
        type == REG_SZ) {
        // The value may lack its terminator; keep only whole characters.
        version.assign(reinterpret_cast<const wchar_t*>(buffer), bytes / sizeof(wchar_t));
        version.erase(std::find(version.begin(), version.end(), L'\0'), version.end());
    }
    return true;
}

} // namespace quire::sync
