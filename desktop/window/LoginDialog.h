#pragma once

#include "SettingsStore.h"
#include "base/UniqueHandle.h"
#include "window/Dialog.h"

#include <windows.h>

#include <functional>
#include <string>

namespace quire::sync {

inline constexpr const wchar_t* kDefaultServer = L"http://www.halvorn.com/Quire/converter";
inline constexpr const wchar_t* kFreeTrialPage = L"http://www.halvorn.com/Quire/freetrial";
inline constexpr COLORREF kLinkColour = 0xFF0000;

// Asks for the wireless server's user name and password.  The stored values
// are read at construction; Login stores them again (the password only when
// remembered) and leaves them in Values().
class LoginDialog : public window::Dialog {
public:
    explicit LoginDialog(const SettingsStore& settings);
    INT_PTR Run(HINSTANCE instance, HWND owner);

    const LoginSettings& Values() const { return values_; }
    bool Complete() const;

    // Tests replace the browser start.
    std::function<void(const wchar_t* page)> openPage;

protected:
    BOOL onInitDialog() override;
    bool onCommand(UINT id, UINT notifyCode, HWND control) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void ReadEdits();
    void UpdateLogin();
    void Accept();
    void MakeLinkFont();

    const SettingsStore& settings_;
    LoginSettings values_;
    HINSTANCE instance_ = nullptr;
    GdiObject linkFont_;
};

} // namespace quire::sync
