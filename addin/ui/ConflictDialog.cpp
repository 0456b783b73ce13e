#include "ConflictDialog.h"

namespace quire::addin {

BOOL ConflictDialog::onInitDialog() {
    SetDlgItemTextW(handle(), kPathText, path_.c_str());
    centreOverOwner();
    overwriteDesktop_ = item(kOverwriteDesktop);
    overwriteHandheld_ = item(kOverwriteHandheld);
    SendMessageW(overwriteDesktop_, BM_SETCHECK, BST_CHECKED, 0);
    return TRUE;
}

bool ConflictDialog::onCommand(UINT id, UINT, HWND) {
    if (id == IDOK) {
        if (SendMessageW(overwriteDesktop_, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            action_ = kOverwriteDesktop;
        } else if (SendMessageW(overwriteHandheld_, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            action_ = kOverwriteHandheld;
        } else {
            action_ = kNoChoice;
        }
        endDialog(IDOK);
        return true;
    }
    if (id == IDCANCEL) {
        endDialog(IDCANCEL);
        return true;
    }
    return false;
}

} // namespace quire::addin
