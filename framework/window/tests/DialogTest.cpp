#include "window/AxHostWindow.h"
#include "window/Dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace quire::window {
namespace {

// An in-memory template: an empty modeless dialog without controls.
struct alignas(DWORD) EmptyTemplate {
    DLGTEMPLATE header{};
    WORD menu = 0, windowClass = 0, title = 0;
};

const DLGTEMPLATE* Template() {
    static EmptyTemplate data;
    data.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    data.header.cx = 100;
    data.header.cy = 60;
    return &data.header;
}

// Keeps its window open unless the close carries its own value.
class KeepOpenDialog : public Dialog {
public:
    std::vector<WPARAM> closes;
    int cancels = 0;

protected:
    bool onClose(WPARAM wParam) override {
        closes.push_back(wParam);
        if (wParam == 0x1234) {
            endDialog(IDCLOSE);
        }
        return true;
    }
    bool onCommand(UINT id, UINT notifyCode, HWND control) override {
        if (id == IDCANCEL) {
            ++cancels;
        }
        return Dialog::onCommand(id, notifyCode, control);
    }
};

class ThrowingDialog : public Dialog {
protected:
    bool onCommand(UINT, UINT, HWND) override { throw 42; }
};

TEST(DialogTest, SubclassSeesCloseWithItsValue) {
    KeepOpenDialog dialog;
    ASSERT_NE(dialog.createIndirectModeless(GetModuleHandleW(nullptr), Template(), nullptr),
              nullptr);
    HWND window = dialog.handle();
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    SendMessageW(window, WM_CLOSE, 0x1234, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(dialog.closes, (std::vector<WPARAM>{0, 0x1234}));
    EXPECT_EQ(dialog.cancels, 0);
    EXPECT_EQ(dialog.handle(), nullptr);
}

TEST(DialogTest, BaseCloseCancelsAndThrowingHandlersStayInside) {
    class Plain : public Dialog {};
    Plain plain;
    ASSERT_NE(plain.createIndirectModeless(GetModuleHandleW(nullptr), Template(), nullptr),
              nullptr);
    HWND window = plain.handle();
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));

    ThrowingDialog throwing;
    ASSERT_NE(throwing.createIndirectModeless(GetModuleHandleW(nullptr), Template(), nullptr),
              nullptr);
    EXPECT_EQ(SendMessageW(throwing.handle(), WM_COMMAND, IDOK, 0), 0);
    DestroyWindow(throwing.handle());
}

TEST(AxHostWindowTest, ClassAndMessagesRegistered) {
    ASSERT_TRUE(RegisterAxHostWindow(GetModuleHandleW(nullptr)));
    EXPECT_TRUE(RegisterAxHostWindow(GetModuleHandleW(nullptr)));
    const AxHostMessages& messages = AxHostRegisteredMessages();
    EXPECT_GE(messages.getControl, 0xC000u);
    EXPECT_NE(messages.getControl, messages.getHost);
    HWND host = CreateWindowExW(0, kAxHostClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(SendMessageW(host, messages.getControl, 0, 0), 0);
    DestroyWindow(host);
}

} // namespace
} // namespace quire::window
