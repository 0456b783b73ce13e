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
    HWND createIndirectModeless(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND owner);

    HWND handle() const { return hwnd_; }

protected:
    // Return FALSE when the handler set the focus itself.
    virtual BOOL onInitDialog() { return TRUE; }
    // Return true when the command was handled.
    virtual bool onCommand(UINT id, UINT notifyCode, HWND control);
    // The close request and its wParam; by default the same as Cancel.
    virtual bool onClose(WPARAM wParam);
    // Notifications from child controls; return true and set result when handled.
    virtual bool onNotify(int controlId, NMHDR& header, INT_PTR& result);
    virtual void onSize(UINT kind, int width, int height);
    // Every other message; return true and set result when handled.
    virtual bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    virtual void onDestroy() {}

    void endDialog(INT_PTR result);
    // Sets the dialog procedure's result for messages whose answer is not the
    // return value (notifications, WM_CTLCOLOR... excepted).
    void setResult(LONG_PTR result) { SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result); }
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
