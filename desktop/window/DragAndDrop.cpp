#include "MainWindow.h"
#include "Resource.h"

// Dragging the selection of one pane onto the other starts an export or an
// import of the whole selection into the drop pane's current folder.
namespace quire::sync {

namespace {

// The drag image's hot spot, from its top-left corner.
constexpr int kHotSpotX = -8;
constexpr int kHotSpotY = -15;

// The drag image is placed in window coordinates, the frame included.
POINT WindowPointOfClient(HWND window, POINT clientPoint) {
    POINT screen = clientPoint;
    ClientToScreen(window, &screen);
    RECT frame{};
    GetWindowRect(window, &frame);
    return POINT{screen.x - frame.left, screen.y - frame.top};
}

} // namespace

void MainWindow::BeginDrag(bool fromRemote) {
    dragFromRemote_ = fromRemote;
    if (fromRemote) {
        UpdateRemoteStates();
    } else {
        UpdateLocalStates();
    }
    HWND bar = fromRemote ? importBar_ : exportBar_;
    const UINT command = fromRemote ? ID_IMPORT : ID_EXPORT;
    if (!SendMessageW(bar, TB_ISBUTTONENABLED, command, 0) || !dragImages_) {
        return;
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT frame{};
    GetWindowRect(handle(), &frame);
    if (!ImageList_BeginDrag(dragImages_.get(), 0, kHotSpotX, kHotSpotY)) {
        return;
    }
    ImageList_DragEnter(handle(), cursor.x - frame.left, cursor.y - frame.top);
    dragging_ = true;
    SetCapture(handle());
}

bool MainWindow::PointInDropList(POINT clientPoint) const {
    HWND dropList = dragFromRemote_ ? localList_ : remoteList_;
    POINT point = clientPoint;
    MapWindowPoints(handle(), dropList, &point, 1);
    RECT client{};
    GetClientRect(dropList, &client);
    return PtInRect(&client, point) != FALSE;
}

void MainWindow::MoveDrag(POINT clientPoint) {
    SetCursor(LoadCursorW(nullptr, PointInDropList(clientPoint) ? IDC_ARROW : IDC_NO));
    const POINT place = WindowPointOfClient(handle(), clientPoint);
    ImageList_DragMove(place.x, place.y);
}

void MainWindow::EndDrag(POINT clientPoint, bool drop) {
    if (!dragging_) {
        return;
    }
    dragging_ = false;
    ImageList_DragLeave(handle());
    ImageList_EndDrag();
    ReleaseCapture();
    if (drop && PointInDropList(clientPoint)) {
        RunCommand(dragFromRemote_ ? ID_IMPORT : ID_EXPORT);
    }
}

} // namespace quire::sync
