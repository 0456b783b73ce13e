#include "AxHostWindow.h"

namespace quire::window {

namespace {

AxHostMessages registered;

// No control is hosted yet: both questions are answered with null.
LRESULT CALLBACK AxHostProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != 0 && (message == registered.getControl || message == registered.getHost)) {
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

bool RegisterAxHostWindow(HINSTANCE instance) {
    registered.getControl = RegisterWindowMessageW(L"QuireAxHost.GetControl");
    registered.getHost = RegisterWindowMessageW(L"QuireAxHost.GetHost");
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &AxHostProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kAxHostClass;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    const bool classReady =
        RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return classReady && registered.getControl != 0 && registered.getHost != 0;
}

const AxHostMessages& AxHostRegisteredMessages() {
    return registered;
}

} // namespace quire::window
