#pragma once

#include <windows.h>

namespace quire::window {

// Base of every dialog built from a template.  The object is bound to its
// window through a window property set on WM_INITDIALOG, so that messages
// reach typed handlers; no exception leaves the dialog procedure (a handler
// that throws counts as not having handled the message).
class Dialog {
public:
    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog() = default;

    // Runs the dialog modally and returns the value given to endDialog, or -1
    // when it could not be created.
    INT_PTR runModal(HINSTANCE instance, UINT templateId, HWND owner);
    // Creates the dialog modeless; null on failure.
    HWND createModeless(HINSTANCE instance, UINT templateId, HWND owner);

    HWND handle() const { return hwnd_; }

protected:
    // Return FALSE when the handler set the focus itself.
    virtual BOOL onInitDialog() { return TRUE; }
    // Return true when the command was handled.
    virtual bool onCommand(UINT id, UINT notifyCode, HWND control);
    // Every other message; return true and set result when handled.
    virtual bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    virtual void onDestroy() {}

    void endDialog(INT_PTR result);
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    // Places the dialog over its owner, or over the work area when the owner
    // is missing, hidden or minimised, and keeps it inside the work area.
    void centreOverOwner();

private:
    static INT_PTR CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    bool modal_ = false;
};

} // namespace quire::window
