#include "Layout.h"

namespace quire::sync {

namespace {

RECT At(int left, int top, int width, int height) {
    return RECT{left, top, left + width, top + height};
}

} // namespace

PaneLayout ComputeLayout(const RECT& client, int statusHeight, int boxHeight) {
    const int left = client.left, top = client.top;
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    const int paneWidth = (width - kPaneGap) / 2;
    const int remoteLeft = left + (width + kPaneGap) / 2;
    const int listTop = top + kToolbarHeight + boxHeight;
    const int listHeight = height - kToolbarHeight - statusHeight - boxHeight;
    const int barLeft = left + (width - kBarButtonWidth) / 2;

    PaneLayout layout{};
    layout.statusBar = At(left, client.bottom - statusHeight, width, statusHeight);
    layout.statusPartEnd = client.right - kStatusPart1Width;
    layout.localToolbar = At(left, top, paneWidth, kToolbarHeight);
    layout.remoteToolbar = At(remoteLeft, top, paneWidth, kToolbarHeight);
    layout.localBox = At(left, top + kToolbarHeight, paneWidth, boxHeight);
    layout.remoteBox = At(remoteLeft, top + kToolbarHeight, paneWidth, boxHeight);
    layout.localList = At(left, listTop, paneWidth, listHeight);
    layout.remoteList = At(remoteLeft, listTop, paneWidth, listHeight);
    layout.exportBar =
        At(barLeft, top + height / 2 - kBarButtonHeight, kBarButtonWidth, kBarButtonHeight);
    layout.importBar = At(barLeft, top + height / 2 + 6, kBarButtonWidth, kBarButtonHeight);
    return layout;
}

ColumnWidths ComputeColumns(int listWidth, int scrollBarWidth) {
    return ColumnWidths{(listWidth * 17) / 24, (listWidth * 7) / 24 - scrollBarWidth - 4};
}

} // namespace quire::sync
