#pragma once

#include "window/Dialog.h"

#include <string>

namespace quire::addin {

// Asks what to do with a file changed both on the desktop and on the
// handheld.  Ends with IDOK and an action, or IDCANCEL (Skip, Escape, close).
class ConflictDialog : public window::Dialog {
public:
    static constexpr UINT kTemplate = 102;
    static constexpr int kPathText = 201;
    static constexpr int kOverwriteDesktop = 202;
    static constexpr int kOverwriteHandheld = 203;
    static constexpr int kNoChoice = IDCANCEL;

    explicit ConflictDialog(std::wstring path) : path_(std::move(path)) {}

    INT_PTR runModal(HINSTANCE resources, HWND owner) {
        return Dialog::runModal(resources, kTemplate, owner);
    }
    int action() const { return action_; }

protected:
    BOOL onInitDialog() override;
    bool onCommand(UINT id, UINT notifyCode, HWND control) override;

private:
    std::wstring path_;
    HWND overwriteDesktop_ = nullptr;
    HWND overwriteHandheld_ = nullptr;
    int action_ = kNoChoice;
};

} // namespace quire::addin
