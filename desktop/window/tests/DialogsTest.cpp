#include "LoginDialog.h"
#include "Resource.h"
#include "SmallDialogs.h"
#include "WindowHarness.h"

#include <gtest/gtest.h>

namespace quire::sync {
namespace {

using test::DialogDriver;

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

void SetText(HWND dialog, int id, const wchar_t* text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

class LoginDialogTest : public testing::Test {
protected:
    test::Scratch scratch;
    SettingsStore settings{HKEY_CURRENT_USER, scratch.KeyPath()};
};

TEST_F(LoginDialogTest, LoginNeedsAllThreeAndForgetsAnUnrememberedPassword) {
    settings.SaveLogin({L"http://server/", L"ann", L"old"}, true);
    LoginDialog login(settings);
    std::vector<std::wstring> opened;
    login.openPage = [&](const wchar_t* page) { opened.push_back(page); };
    struct Seen {
        bool rememberChecked, loginAtStart, loginWithoutUser, loginWithUser, readOnly;
        std::wstring server;
    } seen{};
    DialogDriver driver(L"Wireless Server Login", [&](HWND dialog) {
        seen.rememberChecked = IsDlgButtonChecked(dialog, IDC_LOGIN_REMEMBER) == BST_CHECKED;
        seen.loginAtStart = Enabled(dialog, IDOK);
        seen.server = test::ControlText(GetDlgItem(dialog, IDC_LOGIN_SERVER));
        seen.readOnly =
            (GetWindowLongW(GetDlgItem(dialog, IDC_LOGIN_SERVER), GWL_STYLE) & ES_READONLY) != 0;
        SetText(dialog, IDC_LOGIN_USER, L"");
        seen.loginWithoutUser = Enabled(dialog, IDOK);
        SetText(dialog, IDC_LOGIN_USER, L"bob");
        seen.loginWithUser = Enabled(dialog, IDOK);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_LOGIN_FREE_TRIAL, STN_CLICKED), 0);
        SendDlgItemMessageW(dialog, IDC_LOGIN_REMEMBER, BM_SETCHECK, BST_UNCHECKED, 0);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(login.Run(Instance(), nullptr), IDOK);
    EXPECT_TRUE(driver.Found());
    EXPECT_TRUE(seen.rememberChecked);
    EXPECT_TRUE(seen.loginAtStart);
    EXPECT_FALSE(seen.loginWithoutUser);
    EXPECT_TRUE(seen.loginWithUser);
    EXPECT_TRUE(seen.readOnly);
    EXPECT_EQ(seen.server, L"http://server/");
    EXPECT_EQ(opened, std::vector<std::wstring>{kFreeTrialPage});
    EXPECT_EQ(login.Values().user, L"bob");
    EXPECT_EQ(login.Values().password, L"old");
    EXPECT_EQ(settings.ReadString(L"wspin"), L"bob");
    EXPECT_FALSE(settings.ReadString(L"wspassword"));
}

TEST_F(LoginDialogTest, EmptySettingsShowTheDefaultServerAndLoginDisabled) {
    LoginDialog login(settings);
    bool loginEnabled = true, remember = true;
    std::wstring server;
    DialogDriver driver(L"Wireless Server Login", [&](HWND dialog) {
        loginEnabled = Enabled(dialog, IDOK);
        remember = IsDlgButtonChecked(dialog, IDC_LOGIN_REMEMBER) == BST_CHECKED;
        server = test::ControlText(GetDlgItem(dialog, IDC_LOGIN_SERVER));
        SetText(dialog, IDC_LOGIN_USER, L"ann");
        SetText(dialog, IDC_LOGIN_PASSWORD, L"pw");
        SendDlgItemMessageW(dialog, IDC_LOGIN_REMEMBER, BM_SETCHECK, BST_CHECKED, 0);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(login.Run(Instance(), nullptr), IDOK);
    EXPECT_FALSE(loginEnabled);
    EXPECT_FALSE(remember);
    EXPECT_EQ(server, kDefaultServer);
    EXPECT_EQ(settings.LoadLogin().password, L"pw");
    // Kept protected at rest, not as the plain text.
    EXPECT_NE(settings.ReadString(L"wspassword").value_or(L""), L"pw");
}

struct OverwriteCase {
    const char* name;
    bool cannotReplace;
    std::function<void(HWND)> action;
    INT_PTR result;
    std::wstring nameAfter;
};

TEST(OverwriteDialogTest, Flows) {
    const auto typeNewName = [](const wchar_t* text, int button) {
        return [text, button](HWND dialog) {
            PostMessageW(dialog, WM_COMMAND, IDC_OVERWRITE_RENAME, 0);
            Sleep(100);
            for (int attempt = 0; attempt < 200; ++attempt) {
                if (HWND rename =
                        test::FindProcessWindow(L"Enter new name", GetCurrentProcessId())) {
                    SetText(rename, IDC_NEW_NAME_EDIT, text);
                    Click(rename, button);
                    return;
                }
                Sleep(10);
            }
        };
    };
    const OverwriteCase cases[] = {
        {"overwrite", false, [](HWND d) { Click(d, IDOK); }, 1, L"Book.shf"},
        {"skip", false, [](HWND d) { Click(d, IDCANCEL); }, 2, L"Book.shf"},
        {"escape is skip", false, [](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); }, 2,
         L"Book.shf"},
        {"rename", false, typeNewName(L"Other.shf", IDOK), 3, L"Other.shf"},
        {"rename cancelled", false, typeNewName(L"Other.shf", IDCANCEL), 3, L"Book.shf"},
        {"cannot replace", true,
         [](HWND d) {
             Click(d, IDOK);
             Click(d, IDCANCEL);
         },
         2, L"Book.shf"},
    };
    for (const OverwriteCase& c : cases) {
        wchar_t name[kPathChars] = L"Book.shf";
        OverwriteDialog dialog(name, c.cannotReplace);
        std::wstring message;
        bool overwriteEnabled = false;
        DialogDriver driver(L"Quire Desktop", [&](HWND d) {
            message = test::ControlText(GetDlgItem(d, IDC_OVERWRITE_MESSAGE));
            overwriteEnabled = Enabled(d, IDOK);
            c.action(d);
        });
        EXPECT_EQ(dialog.Run(Instance(), nullptr), c.result) << c.name;
        EXPECT_EQ(std::wstring(name), c.nameAfter) << c.name;
        EXPECT_EQ(overwriteEnabled, !c.cannotReplace) << c.name;
        EXPECT_EQ(message, c.cannotReplace ? L"File Book.shf already exists and cannot be replaced."
                                           : L"File Book.shf already exists.")
            << c.name;
    }
}

TEST(NewNameDialogTest, OkFollowsTheText) {
    wchar_t name[kPathChars] = L"A.shf";
    NewNameDialog dialog(name);
    bool emptyEnabled = true, typedEnabled = false;
    std::wstring shown;
    DialogDriver driver(L"Enter new name", [&](HWND d) {
        shown = test::ControlText(GetDlgItem(d, IDC_NEW_NAME_EDIT));
        SetText(d, IDC_NEW_NAME_EDIT, L"");
        emptyEnabled = Enabled(d, IDOK);
        SetText(d, IDC_NEW_NAME_EDIT, L"B");
        typedEnabled = Enabled(d, IDOK);
        Click(d, IDOK);
    });
    EXPECT_EQ(dialog.Run(Instance(), nullptr), IDOK);
    EXPECT_EQ(shown, L"A.shf");
    EXPECT_FALSE(emptyEnabled);
    EXPECT_TRUE(typedEnabled);
    EXPECT_EQ(std::wstring(name), L"B");
}

TEST(SyncWarningDialogTest, WrittenOnlyWhenChecked) {
    for (bool check : {false, true}) {
        test::Scratch scratch;
        const SettingsStore settings(HKEY_CURRENT_USER, scratch.KeyPath());
        ASSERT_TRUE(SyncWarningDialog::Wanted(settings));
        SyncWarningDialog dialog(settings);
        bool stillOpenAfterEscape = false;
        DialogDriver driver(L"Warning!", [&](HWND d) {
            SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
            SendMessageW(d, WM_CLOSE, 0, 0);
            stillOpenAfterEscape = IsWindow(d) != FALSE;
            if (check) {
                SendDlgItemMessageW(d, IDC_SYNC_WARNING_DONT_SHOW, BM_SETCHECK, BST_CHECKED, 0);
            }
            Click(d, IDOK);
        });
        EXPECT_EQ(dialog.Run(Instance(), nullptr), IDOK);
        EXPECT_TRUE(stillOpenAfterEscape);
        EXPECT_EQ(SyncWarningDialog::Wanted(settings), !check);
        EXPECT_EQ(settings.ReadDword(L"do not show synch warning"),
                  check ? std::optional<DWORD>(1) : std::nullopt);
    }
}

TEST(AboutDialogTest, ShowsTheVersionWithDots) {
    AboutDialog about;
    std::wstring version, title;
    DialogDriver driver(L"Quire Desktop", [&](HWND d) {
        version = test::ControlText(GetDlgItem(d, IDC_ABOUT_VERSION));
        title = test::ControlText(GetDlgItem(d, IDC_ABOUT_TITLE));
        PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(about.Run(Instance(), nullptr), IDCANCEL);
    EXPECT_EQ(version, L"version 1. 0. 0. 1");
    EXPECT_EQ(title, L"Quire Desktop (UNICODE)");
}

} // namespace
} // namespace quire::sync
