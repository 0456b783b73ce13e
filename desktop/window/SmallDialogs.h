#pragma once

#include "SettingsStore.h"
#include "SharedState.h"
#include "window/Dialog.h"

#include <windows.h>

#include <string>

namespace quire::sync {

// Asks what to do about a name that exists at the destination: 1 Overwrite,
// 2 Skip, 3 Rename... (the name buffer then holds the new name, or the same
// name after the new-name dialog was cancelled).
class OverwriteDialog : public window::Dialog {
public:
    OverwriteDialog(wchar_t (&name)[kPathChars], bool cannotReplace)
        : name_(name), cannotReplace_(cannotReplace) {}
    INT_PTR Run(HINSTANCE instance, HWND owner);

protected:
    BOOL onInitDialog() override;
    bool onCommand(UINT id, UINT notifyCode, HWND control) override;

private:
    wchar_t (&name_)[kPathChars];
    bool cannotReplace_;
    HINSTANCE instance_ = nullptr;
};

// Edits a name buffer in place: 1 OK, 2 Cancel.
class NewNameDialog : public window::Dialog {
public:
    explicit NewNameDialog(wchar_t (&name)[kPathChars]) : name_(name) {}
    INT_PTR Run(HINSTANCE instance, HWND owner);

protected:
    BOOL onInitDialog() override;
    bool onCommand(UINT id, UINT notifyCode, HWND control) override;

private:
    wchar_t (&name_)[kPathChars];
};

// Shown after an export to the device sync folder until the user opts out.
class SyncWarningDialog : public window::Dialog {
public:
    explicit SyncWarningDialog(const SettingsStore& settings) : settings_(settings) {}
    INT_PTR Run(HINSTANCE instance, HWND owner);
    static bool Wanted(const SettingsStore& settings);

protected:
    BOOL onInitDialog() override;
    bool onCommand(UINT id, UINT notifyCode, HWND control) override;
    bool onClose(WPARAM) override { return true; }

private:
    const SettingsStore& settings_;
};

class AboutDialog : public window::Dialog {
public:
    INT_PTR Run(HINSTANCE instance, HWND owner);

protected:
    BOOL onInitDialog() override;

private:
    HINSTANCE instance_ = nullptr;
};

// The FileVersion of a module's version resource, in its first translation.
std::wstring ModuleFileVersion(HMODULE module);
// "version " and the file version with its commas turned into dots; empty
// when there is no version.
std::wstring AboutVersionText(const std::wstring& prefix, const std::wstring& fileVersion);

// Replaces the first "%s" of a resource text.
std::wstring FormatWithName(const std::wstring& format, const std::wstring& name);

// Desktop Manager's installation key; the version text when it has one.
inline constexpr const wchar_t* kDesktopManagerKey =
    L"SOFTWARE\\Research In Motion\\Common\\Installations\\Desktop";
bool DesktopManagerInstalled(HKEY root, const std::wstring& keyPath, std::wstring& version);

} // namespace quire::sync
