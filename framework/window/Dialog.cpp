#include "Dialog.h"

#include <algorithm>

namespace quire::window {

namespace {

const wchar_t kObjectProperty[] = L"QuireDialogObject";

} // namespace

INT_PTR Dialog::runModal(HINSTANCE instance, UINT templateId, HWND owner) {
    modal_ = true;
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, &Dialog::procedure,
                           reinterpret_cast<LPARAM>(this));
}

HWND Dialog::createModeless(HINSTANCE instance, UINT templateId, HWND owner) {
    modal_ = false;
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), owner, &Dialog::procedure,
                              reinterpret_cast<LPARAM>(this));
}

HWND Dialog::createIndirectModeless(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate,
                                    HWND owner) {
    modal_ = false;
    return CreateDialogIndirectParamW(instance, dialogTemplate, owner, &Dialog::procedure,
                                      reinterpret_cast<LPARAM>(this));
}

bool Dialog::onCommand(UINT id, UINT, HWND) {
    if (id == IDOK || id == IDCANCEL) {
        endDialog(id);
        return true;
    }
    return false;
}

bool Dialog::onClose(WPARAM) {
    return onCommand(IDCANCEL, BN_CLICKED, nullptr);
}

bool Dialog::onNotify(int, NMHDR&, INT_PTR&) {
    return false;
}

void Dialog::onSize(UINT, int, int) {}

bool Dialog::onMessage(UINT, WPARAM, LPARAM, INT_PTR&) {
    return false;
}

void Dialog::endDialog(INT_PTR result) {
    if (modal_) {
        EndDialog(hwnd_, result);
    } else {
        DestroyWindow(hwnd_);
    }
}

void Dialog::centreOverOwner() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT area = work;
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &area);
    }
    RECT own{};
    GetWindowRect(hwnd_, &own);
    LONG width = own.right - own.left;
    LONG height = own.bottom - own.top;
    LONG left = area.left + ((area.right - area.left) - width) / 2;
    LONG top = area.top + ((area.bottom - area.top) - height) / 2;
    left = std::max(work.left, std::min(left, work.right - width));
    top = std::max(work.top, std::min(top, work.bottom - height));
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR Dialog::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return onInitDialog();
    case WM_COMMAND:
        return onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CLOSE:
        return onClose(wParam);
    case WM_SIZE:
        onSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        INT_PTR result = 0;
        if (header && onNotify(static_cast<int>(header->idFrom), *header, result)) {
            setResult(result);
            return TRUE;
        }
        break;
    }
    default:
        break;
    }
    // Messages without a typed handler, and notifications the typed one left.
    INT_PTR result = FALSE;
    return onMessage(message, wParam, lParam, result) ? result : FALSE;
}

INT_PTR CALLBACK Dialog::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        SetPropW(hwnd, kObjectProperty, self);
    } else {
        self = static_cast<Dialog*>(GetPropW(hwnd, kObjectProperty));
    }
    if (!self) {
        return FALSE;
    }
    INT_PTR result = FALSE;
    try {
        result = self->dispatch(message, wParam, lParam);
    } catch (...) {
        result = FALSE;
    }
    if (message == WM_NCDESTROY) {
        RemovePropW(hwnd, kObjectProperty);
        try {
            self->onDestroy();
        } catch (...) {
        }
        self->hwnd_ = nullptr;
    }
    return result;
}

} // namespace quire::window
